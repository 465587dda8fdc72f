#include "frontend/KeyPreview.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "frontend/Handlers.h"
#include "frontend/MainWindow.h"

namespace qw77::frontend {

KeyPreview::KeyPreview(MainWindow& window) : QObject(&window), window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(this);
  }
}

bool IsNavigationKey(const QWidget* target, const QKeyEvent& event) {
  const int key = event.key();
  if (qobject_cast<const QLineEdit*>(target) != nullptr) return false;
  if (qobject_cast<const QComboBox*>(target) != nullptr) {
    // The list of an editable combo box; its edit field takes no keys.
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown || key == Qt::Key_F4;
  }
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
    case Qt::Key_Select:
      return true;
    default:
      return false;
  }
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || forwarding_) return false;
  // A key event travels from the focused control up through its parents; the preview
  // takes it once, on its way into the focused control of this window.
  auto* target = qobject_cast<QWidget*>(watched);
  if (target == nullptr || target != QApplication::focusWidget() || target->window() != &window_) {
    return false;
  }
  if (window_.Ending() || window_.KeyOf(target).empty()) return false;
  auto& key_event = static_cast<QKeyEvent&>(*event);
  // Tab moves between controls; that belongs to the window system, not to the handlers.
  const int key = key_event.key();
  if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) &&
      !(key_event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    return false;
  }
  if (type == QEvent::KeyPress) return OnPress(target, key_event);
  OnRelease(key_event);
  return false;
}

bool KeyPreview::OnPress(QWidget* target, QKeyEvent& event) {
  const KeyStroke stroke = mapper_.Press(event);
  FrmMenu& frm = window_.Frm();

  std::int16_t key_code = stroke.key_code;
  RunKeyDown(frm, key_code, stroke.shift);
  const bool down_cancelled = key_code == 0;

  bool char_cancelled = false;
  std::optional<std::int16_t> replaced;
  if (stroke.key_ascii) {
    std::int16_t key_ascii = *stroke.key_ascii;
    RunKeyPress(frm, key_ascii);
    if (key_ascii == 0) {
      char_cancelled = true;
    } else if (key_ascii != *stroke.key_ascii) {
      replaced = key_ascii;
    }
  }

  if (down_cancelled || char_cancelled) {
    if (IsNavigationKey(target, event)) return false;
    event.accept();
    return true;  // the control never sees the key
  }
  if (replaced) {
    // A handler changed the character: the control gets the key with the new one.
    QKeyEvent changed(event.type(), event.key(), event.modifiers(), event.nativeScanCode(),
                      event.nativeVirtualKey(), event.nativeModifiers(),
                      QString(QChar(static_cast<char16_t>(*replaced))), event.isAutoRepeat(),
                      static_cast<quint16>(event.count()));
    forwarding_ = true;
    QCoreApplication::sendEvent(target, &changed);
    forwarding_ = false;
    return true;
  }
  return false;
}

void KeyPreview::OnRelease(QKeyEvent& event) {
  // Holding a key repeats its press, not its release.
  if (event.isAutoRepeat()) return;
  const KeyStroke stroke = mapper_.Release(event);
  std::int16_t key_code = stroke.key_code;
  RunKeyUp(window_.Frm(), key_code, stroke.shift);
}

}  // namespace qw77::frontend
