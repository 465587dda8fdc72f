#include "frontend/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>

#include "form/FrmMenu.h"
#include "frontend/Controls.h"
#include "frontend/Handlers.h"
#include "frontend/KeyPreview.h"
#include "frontend/Pictures.h"
#include "frontend/TicketPreview.h"

namespace qw77::frontend {
namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The only text box that takes typing; the others change only through the program.
constexpr ControlId kTypedTextBox = ControlId::kTxtSample;

// Qt counts 0 as no room at all; the record counts it as no limit.
int QtMaxLength(int max_length) {
  return max_length > 0 ? max_length : 32767;
}

// Keeps other means of editing (context menu, middle-click paste, drops) out of a text box
// that only the program writes.
void GuardEditField(QLineEdit* edit) {
  edit->setContextMenuPolicy(Qt::NoContextMenu);
  edit->setAcceptDrops(false);
  edit->setDragEnabled(false);
}

// Brackets a program-made focus move so that no focus handler runs for it.
class QuietScope {
 public:
  explicit QuietScope(int& depth) : depth_(depth) { ++depth_; }
  ~QuietScope() { --depth_; }
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  int& depth_;
};

}  // namespace

MainWindow::MainWindow(FrmMenu& frm, QWidget* parent) : QWidget(parent), frm_(frm) {
  setObjectName(QStringLiteral("FrmMenu"));
  setWindowTitle(QStringLiteral("RX's and MQ's Testing Software"));
  setWindowIcon(WindowIcon());
  CreateWidgets();
  preview_ = new PreviewPane(frm_, this);
  Arrange();
  ApplyTabOrder();
  RedrawAll();
  frm_.State().Observe([this](const Control& control, Field field) { Redraw(control, field); });
  new KeyPreview(*this);  // a child: it goes away with the window
  // F5 opens the preview at 1:1. A shortcut of the window is taken before the key reaches
  // the focused control, so it is no stop of the tab order and no handler sees its press;
  // F5 is a key none of the key rules looks at (Ctrl+P would reach the barcode field's).
  auto* open_preview = new QShortcut(QKeySequence(Qt::Key_F5), this);
  open_preview->setContext(Qt::WindowShortcut);
  connect(open_preview, &QShortcut::activated, this, [this] {
    if (!ending_) preview_->OpenWindow();
  });
  // F6 opens the printer tools the same way, on the port and line settings selected here.
  auto* open_tools = new QShortcut(QKeySequence(Qt::Key_F6), this);
  open_tools->setContext(Qt::WindowShortcut);
  connect(open_tools, &QShortcut::activated, this, &MainWindow::OpenTools);
  setFixedSize(sizeHint());
  // Fixed size and no maximise button; the close box runs the unload handler.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::ControlWidget(std::string_view key) const {
  auto it = bound_.find(std::string(key));
  return it == bound_.end() ? nullptr : it->second.widget;
}

std::string MainWindow::KeyOf(const QObject* object) const {
  for (; object != nullptr && object != this; object = object->parent()) {
    auto it = key_of_.find(object);
    if (it != key_of_.end()) return it->second;
  }
  return {};
}

namespace {

// A widget for the control, or null for a control that draws nothing.
QWidget* MakeWidget(const Control& c, QWidget* parent) {
  QWidget* w = nullptr;
  switch (c.kind) {
    case ControlKind::kFrame:
      w = new QGroupBox(parent);
      break;
    case ControlKind::kCommandButton: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      w = button;
      break;
    }
    case ControlKind::kOptionButton:
      w = new OptionButton(parent);
      break;
    case ControlKind::kCheckBox:
      w = new QCheckBox(parent);
      break;
    case ControlKind::kTextBox: {
      auto* edit = new QLineEdit(parent);
      if (c.id != kTypedTextBox) GuardEditField(edit);
      w = edit;
      break;
    }
    case ControlKind::kLabel:
      w = new QLabel(parent);
      break;
    case ControlKind::kScrollBar: {
      auto* bar = new QScrollBar(Qt::Horizontal, parent);
      bar->setSingleStep(1);
      bar->setPageStep(1);
      // The handler runs once a change is complete, not while the thumb is dragged.
      bar->setTracking(false);
      // Qt's horizontal bar reverses the arrow keys by default; Right must add.
      bar->setInvertedControls(false);
      bar->setFocusPolicy(Qt::StrongFocus);
      w = bar;
      break;
    }
    case ControlKind::kComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      for (const std::string& item : c.items) combo->addItem(Q(item));
      GuardEditField(combo->lineEdit());
      w = combo;
      break;
    }
    case ControlKind::kImage: {
      auto* image = new QLabel(parent);
      image->setScaledContents(true);  // the picture is stretched to the control
      image->setFixedSize(288, 82);
      w = image;
      break;
    }
    case ControlKind::kPictureBox:
    case ControlKind::kLine:
    case ControlKind::kSerialControl:
      break;  // nothing to draw
  }
  return w;
}

void RedrawCaption(const Control& c, QWidget* w) {
  if (auto* box = qobject_cast<QGroupBox*>(w)) {
    box->setTitle(Q(c.caption));
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(Q(c.caption));  // "&" marks the accelerator, as in the record
  } else if (auto* label = qobject_cast<QLabel*>(w); label && c.kind == ControlKind::kLabel) {
    label->setText(Q(c.caption));
  }
}

// A check box's or a scroll bar's value, a text box's or the combo box's text.
void RedrawValueOrText(const Control& c, QWidget* w, Field field) {
  if (field == Field::kValue) {
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
      const QSignalBlocker block(check);
      check->setChecked(c.value != 0);
    } else if (auto* bar = qobject_cast<QScrollBar*>(w)) {
      const QSignalBlocker block(bar);
      bar->setValue(c.value);
    }
    return;
  }
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    if (edit->text() != Q(c.text)) edit->setText(Q(c.text));  // the caret goes to the end
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    const QSignalBlocker block(combo);
    if (combo->currentText() != Q(c.text)) combo->setEditText(Q(c.text));
  }
}

}  // namespace

void MainWindow::CreateWidgets() {
  for (const Control& c : frm_.State().Controls()) {
    QWidget* parent = c.parent.empty() ? this : ControlWidget(c.parent);
    if (parent == nullptr) parent = this;
    QWidget* w = MakeWidget(c, parent);
    if (w == nullptr) continue;
    const std::string key = c.Key();
    w->setObjectName(Q(key));
    bound_[key] = Bound{&c, w};
    key_of_[w] = key;
    w->installEventFilter(this);
    ConnectGestures(c, w);
  }
}

void MainWindow::ConnectGestures(const Control& c, QWidget* w) {
  const std::string key = c.Key();
  const ControlId name = c.id;
  const int index = c.index;
  switch (c.kind) {
    case ControlKind::kCommandButton:
      connect(static_cast<QPushButton*>(w), &QPushButton::clicked, this, [this, key] {
        if (!ending_) RunHeld([this, &key] { RunClick(frm_, key); });
      });
      break;
    case ControlKind::kOptionButton:
      connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, this,
              [this, &c, name, index] {
                frm_.State().Select(name, index);
                Redraw(c, Field::kSelected);  // a click on the selected option changes nothing
              });
      break;
    case ControlKind::kCheckBox:
      connect(static_cast<QCheckBox*>(w), &QCheckBox::clicked, this,
              [this, &c, name, index](bool checked) {
                frm_.State().SetValue(name, checked ? 1 : 0, index);
                Redraw(c, Field::kValue);
              });
      break;
    case ControlKind::kTextBox:
      connect(static_cast<QLineEdit*>(w), &QLineEdit::textEdited, this,
              [this, &c, name](const QString& text) {
                if (name == kTypedTextBox) frm_.State().SetText(name, text.toStdString());
                Redraw(c, Field::kText);  // the record decides what the box shows
              });
      break;
    case ControlKind::kScrollBar:
      connect(static_cast<QScrollBar*>(w), &QScrollBar::valueChanged, this,
              [this, &c, name](int value) {
                frm_.State().SetScrollValue(name, value);
                Redraw(c, Field::kValue);
              });
      break;
    case ControlKind::kComboBox: {
      auto* combo = static_cast<QComboBox*>(w);
      connect(combo, &QComboBox::activated, this, [this, &c, name](int i) {
        frm_.State().SetListIndex(name, i);
        Redraw(c, Field::kListIndex);
      });
      connect(combo, &QComboBox::editTextChanged, this,
              [this, &c](const QString&) { Redraw(c, Field::kText); });
      break;
    }
    default:
      break;
  }
}

void MainWindow::RunHeld(const std::function<void()>& work) {
  ++handler_depth_;
  work();
  --handler_depth_;
  if (handler_depth_ == 0 && close_pending_) {
    close_pending_ = false;
    close();
  }
}

void MainWindow::OpenTools() {
  if (ending_) return;
  if (tools_ == nullptr) tools_ = new PrinterToolsWindow(frm_, *this);
  tools_->Open();
}

void MainWindow::ApplyTabOrder() {
  QWidget* previous = nullptr;
  for (const std::string& key : FrmMenu::TabOrder()) {
    QWidget* w = ControlWidget(key);
    if (w == nullptr) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

void MainWindow::RedrawAll() {
  for (const auto& [key, bound] : bound_) {
    const Control& c = *bound.control;
    for (Field f : {Field::kCaption, Field::kToolTip, Field::kEnabled, Field::kVisible,
                    Field::kSelected, Field::kValue, Field::kMaxLength, Field::kText,
                    Field::kMinimum, Field::kListIndex, Field::kPicture}) {
      Redraw(c, f);
    }
  }
}

void MainWindow::Redraw(const Control& c, Field field) {
  QWidget* w = ControlWidget(c.Key());
  if (w == nullptr) return;
  switch (field) {
    case Field::kCaption:
      RedrawCaption(c, w);
      break;
    case Field::kToolTip:
      w->setToolTip(Q(c.tool_tip));
      break;
    case Field::kEnabled:
      RedrawEnabled(c, w);
      break;
    case Field::kVisible:
      if (w->isHidden() == c.visible) w->setVisible(c.visible);
      break;
    case Field::kSelected:
      if (auto* option = qobject_cast<QRadioButton*>(w)) {
        const QSignalBlocker block(option);
        option->setChecked(c.selected);
        // Tab stops only at the selected option of a group; the others still take a click.
        option->setFocusPolicy(c.selected ? Qt::StrongFocus : Qt::ClickFocus);
      }
      break;
    case Field::kValue:
    case Field::kText:
      RedrawValueOrText(c, w, field);
      break;
    case Field::kMaxLength:
      if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setMaxLength(QtMaxLength(c.max_length));
      break;
    case Field::kMinimum:
    case Field::kMaximum:
      if (auto* bar = qobject_cast<QScrollBar*>(w)) {
        const QSignalBlocker block(bar);
        bar->setRange(c.minimum, c.maximum);
        bar->setValue(c.value);
      }
      break;
    case Field::kListIndex:
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(c.list_index);
        combo->setEditText(Q(c.text));
      }
      break;
    case Field::kPicture:
      if (auto* image = qobject_cast<QLabel*>(w); image && c.kind == ControlKind::kImage) {
        image->setPixmap(LoadPicture(c.picture));
      }
      break;
    case Field::kFocus:
      if (!w->hasFocus() && w->isEnabled()) SetFocusQuietly(w);
      break;
  }
}

void MainWindow::RedrawEnabled(const Control& c, QWidget* w) {
  if (w->isEnabled() == c.enabled) return;
  if (!c.enabled) {
    QWidget* focused = QApplication::focusWidget();
    if (focused != nullptr && (focused == w || w->isAncestorOf(focused))) ParkFocus(focused);
    w->setEnabled(false);
  } else {
    w->setEnabled(true);
    if (parked_ != nullptr && (parked_ == w || w->isAncestorOf(parked_))) RestoreParkedFocus();
  }
}

void MainWindow::ParkFocus(QWidget* focused) {
  parked_ = focused;
  SetFocusQuietly(this);
}

void MainWindow::RestoreParkedFocus() {
  QWidget* target = parked_;
  if (target == nullptr || !target->isEnabled() || !isEnabled()) return;
  QWidget* now = QApplication::focusWidget();
  // Only when the focus is still where it was parked: an operator's click since wins.
  if (now == nullptr || now == this || !isAncestorOf(now)) SetFocusQuietly(target);
  parked_ = nullptr;
}

void MainWindow::SetFocusQuietly(QWidget* widget) {
  QuietScope quiet(quiet_focus_);
  widget->setFocus(Qt::OtherFocusReason);
}

void MainWindow::SetWholeWindowEnabled(bool enabled) {
  if (isEnabled() == enabled) return;
  QuietScope quiet(quiet_focus_);
  if (!enabled) {
    QWidget* focused = QApplication::focusWidget();
    if (parked_ == nullptr && focused != nullptr && focused != this && isAncestorOf(focused)) {
      parked_ = focused;
    }
    setEnabled(false);
  } else {
    setEnabled(true);
    if (parked_ != nullptr && parked_->isEnabled()) {
      RestoreParkedFocus();
    } else {
      setFocus(Qt::OtherFocusReason);  // keeps the keyboard in the window until it returns
    }
  }
}

void MainWindow::ShowCentered() {
  const QScreen* screen =
      this->screen() != nullptr ? this->screen() : QApplication::primaryScreen();
  if (screen != nullptr) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
  if (QWidget* first = ControlWidget(FrmMenu::TabOrder().front())) SetFocusQuietly(first);
}

void MainWindow::EndProgram() {
  ending_ = true;
  hide();
  QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (handler_depth_ > 0 && !ending_) {
    // A job is still running (it lets the window process events while it waits); the
    // window closes when it has finished, so the unload never pulls the port access away
    // from under it.
    close_pending_ = true;
    event->ignore();
    return;
  }
  if (!ending_ && !unloaded_) {
    unloaded_ = true;
    RunFormUnload(frm_);
  }
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::FocusIn && type != QEvent::FocusOut) return false;
  auto it = key_of_.find(watched);
  if (it == key_of_.end() || quiet_focus_ > 0 || ending_) return false;
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  // Another window taking the keyboard (a message box, a drop-down list, another
  // program) is not a focus change between the window's controls.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
  const std::string key = it->second;
  if (type == QEvent::FocusIn) {
    parked_ = nullptr;
    frm_.State().SetFocused(key);
    RunGotFocus(frm_, key);
  } else {
    RunLostFocus(frm_, key);
  }
  return false;
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!first_shown_) {
    first_shown_ = true;
    emit FirstShown();
  }
}

}  // namespace qw77::frontend
