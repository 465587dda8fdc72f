// The window's key preview: sees every key meant for a control of the main window before
// the control does, runs the window's key handlers with the key's code, character and
// modifier mask, and keeps from the control what the handlers cancelled.
#pragma once

#include <QObject>

#include "frontend/KeyMapping.h"

class QKeyEvent;
class QWidget;

namespace qw77::frontend {

class MainWindow;

class KeyPreview : public QObject {
  Q_OBJECT

 public:
  // Installs itself on the application, as a child of the window.
  explicit KeyPreview(MainWindow& window);
  ~KeyPreview() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OnPress(QWidget* target, QKeyEvent& event);
  void OnRelease(QKeyEvent& event);

  MainWindow& window_;
  KeyMapper mapper_;
  bool forwarding_ = false;
};

// Keys that move about in or act on a control without editing it. A control that takes no
// typing still takes these, so that option groups, scroll bars, check boxes and buttons
// can be worked from the keyboard.
bool IsNavigationKey(const QWidget* target, const QKeyEvent& event);

}  // namespace qw77::frontend
