// The real main window over fakes of the serial controls, port access, system and clock,
// with the real Qt window services, for tests that drive it with key and mouse events.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "form/FrmMenu.h"
#include "frontend/MainWindow.h"
#include "frontend/QtWindowServices.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakePortAccess.h"
#include "tests/fakes/FakeSerialControl.h"
#include "tests/fakes/FakeSystem.h"

namespace qw77::testing {

struct GuiRig {
  FakeSerialControl com1{1}, com2{2}, com3{3};
  FakePortAccess ports;
  FakeSystem system;
  FakeClock clock;
  frontend::QtWindowServices window_services;
  std::unique_ptr<FrmMenu> frm;
  std::unique_ptr<frontend::MainWindow> window;

  GuiRig();
  // The same window with some of its services replaced (a real serial link, a real clock).
  explicit GuiRig(const std::function<void(Services&)>& replace);
  ~GuiRig();

  // Runs the load handler and shows the window; false when it did not become active.
  bool Open();

  WindowState& state() { return frm->State(); }
  QWidget* W(const std::string& key) const;
  template <typename T>
  T* As(const std::string& key) const {
    return qobject_cast<T*>(W(key));
  }
  // The key of the control that holds the keyboard focus ("" for none).
  std::string FocusedKey() const;
  // Clicks a control in its middle, as the operator does.
  void Click(const std::string& key);
};

// What a modal window showed, for checks after it has closed.
struct SeenModal {
  QString class_name;
  QString title;
  QString text;
  int icon = -1;                   // QMessageBox::Icon for message boxes
  bool application_modal = false;  // the main window takes no input meanwhile
  QPointer<QWidget> owner;
};

// Watches for the next modal window while it lives; when one appears, records it in
// `seen` and runs `act` on it (which should close it). Gives up after a few seconds so a
// test never hangs.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<void(QWidget*)> act);
  ~ModalWatcher();
  ModalWatcher(const ModalWatcher&) = delete;
  ModalWatcher& operator=(const ModalWatcher&) = delete;

  SeenModal seen;

 private:
  QPointer<QTimer> timer_;
  int ticks_ = 0;
};

}  // namespace qw77::testing
