#include "tests/frontend/GuiRig.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "frontend/Handlers.h"

namespace qw77::testing {

GuiRig::GuiRig() : GuiRig([](Services&) {}) {}

GuiRig::GuiRig(const std::function<void(Services&)>& replace) {
  Services s;
  s.serial = {&com1, &com2, &com3};
  s.port_access = &ports;
  s.system = &system;
  s.clock = &clock;
  s.window = &window_services;
  replace(s);
  frm = std::make_unique<FrmMenu>(s);
  window = std::make_unique<frontend::MainWindow>(*frm);
  window_services.Attach(window.get());
}

GuiRig::~GuiRig() = default;

bool GuiRig::Open() {
  if (!frontend::RunFormLoad(*frm)) return false;
  window->ShowCentered();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window.get());
}

QWidget* GuiRig::W(const std::string& key) const {
  return window->ControlWidget(key);
}

std::string GuiRig::FocusedKey() const {
  return window->KeyOf(QApplication::focusWidget());
}

void GuiRig::Click(const std::string& key) {
  QWidget* w = W(key);
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

ModalWatcher::ModalWatcher(std::function<void(QWidget*)> act) : timer_(new QTimer) {
  QObject::connect(timer_, &QTimer::timeout, timer_, [this, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      if (++ticks_ > 1000) timer_->stop();  // about five seconds: nothing came
      return;
    }
    timer_->stop();
    seen.class_name = QString::fromLatin1(modal->metaObject()->className());
    seen.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      seen.text = box->text();
      seen.icon = box->icon();
    }
    seen.application_modal = modal->isModal() && modal->windowModality() == Qt::ApplicationModal;
    seen.owner = modal->parentWidget();
    act(modal);
  });
  timer_->start(5);
}

ModalWatcher::~ModalWatcher() {
  delete timer_;
}

}  // namespace qw77::testing
