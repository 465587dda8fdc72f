#include "frontend/KeyMapping.h"

#include <QGuiApplication>

namespace qw77::frontend {
namespace {

// X11 key codes of the main-row digit keys 1..9, 0 (the evdev codes plus 8; the older
// keyboard driver numbers them the same way).
constexpr quint32 kX11Digit1 = 10;
constexpr quint32 kX11Digit0 = 19;

struct KeyEntry {
  int qt_key;
  std::int16_t code;
};

// Keys whose code does not follow from the Qt key's own value.
constexpr KeyEntry kNamedKeys[] = {
    {Qt::Key_Backspace, kKeyBack},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},
    {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Shift, kKeyShift},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},
    {Qt::Key_Space, kKeySpace},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, kKeyDelete},
    {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},
    // Punctuation keys, by the character either shift level of a US keyboard gives.
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
    // The shifted digit row of a US keyboard: without a scan code this is all that tells
    // which key typed the symbol.
    {Qt::Key_Exclam, 49},
    {Qt::Key_At, 50},
    {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},
    {Qt::Key_Percent, 53},
    {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},
    {Qt::Key_Asterisk, 56},
    {Qt::Key_ParenLeft, 57},
    {Qt::Key_ParenRight, 48},
};

// The numeric keypad has codes of its own, so its digits are told from the main row's.
constexpr KeyEntry kKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Comma, 110}, {Qt::Key_Slash, 111},
};

std::int16_t Lookup(const KeyEntry* begin, const KeyEntry* end, int qt_key) {
  for (const KeyEntry* e = begin; e != end; ++e) {
    if (e->qt_key == qt_key) return e->code;
  }
  return 0;
}

}  // namespace

std::int16_t KeyCodeOf(int qt_key, Qt::KeyboardModifiers modifiers, quint32 x11_scan_code) {
  const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
  if (keypad) {
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) {
      return static_cast<std::int16_t>(96 + (qt_key - Qt::Key_0));
    }
    if (std::int16_t code = Lookup(std::begin(kKeypadKeys), std::end(kKeypadKeys), qt_key)) {
      return code;
    }
    // With Num Lock off the keypad sends Home, End, arrows... which share the main codes.
  } else if (x11_scan_code >= kX11Digit1 && x11_scan_code <= kX11Digit0) {
    return static_cast<std::int16_t>(
        x11_scan_code == kX11Digit0 ? 48 : 49 + (x11_scan_code - kX11Digit1));
  }
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return static_cast<std::int16_t>(qt_key);
  if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return static_cast<std::int16_t>(qt_key);
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) {
    return static_cast<std::int16_t>(112 + (qt_key - Qt::Key_F1));
  }
  if (std::int16_t code = Lookup(std::begin(kNamedKeys), std::end(kNamedKeys), qt_key)) {
    return code;
  }
  return kUnknownKeyCode;
}

std::int16_t ShiftMaskOf(int qt_key, Qt::KeyboardModifiers modifiers, bool is_release) {
  std::int16_t mask = 0;
  if (modifiers.testFlag(Qt::ShiftModifier)) mask |= kShiftMask;
  if (modifiers.testFlag(Qt::ControlModifier)) mask |= kCtrlMask;
  if (modifiers.testFlag(Qt::AltModifier)) mask |= kAltMask;
  // Platforms differ on whether a modifier key's own event carries its modifier; settle it.
  std::int16_t own = 0;
  if (qt_key == Qt::Key_Shift) own = kShiftMask;
  if (qt_key == Qt::Key_Control) own = kCtrlMask;
  if (qt_key == Qt::Key_Alt) own = kAltMask;
  if (own != 0) mask = static_cast<std::int16_t>(is_release ? (mask & ~own) : (mask | own));
  return mask;
}

std::optional<std::int16_t> KeyAsciiOf(int qt_key, const QString& text) {
  if (qt_key == Qt::Key_Delete) return std::nullopt;
  if (!text.isEmpty()) {
    const char16_t c = text.at(0).unicode();
    if (c == 0x7f) return std::nullopt;
    // Characters beyond the 16-bit signed range come out as "?", as a code page would.
    return static_cast<std::int16_t>(c <= 0x7fff ? c : u'?');
  }
  // Some platforms leave the text of these keys empty; they still type a control code.
  switch (qt_key) {
    case Qt::Key_Backspace:
      return std::int16_t{8};
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return std::int16_t{13};
    case Qt::Key_Escape:
      return std::int16_t{27};
    default:
      return std::nullopt;
  }
}

bool FromX11() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

quint64 KeyMapper::PairingKey(const QKeyEvent& event) {
  // The scan code names the physical key; without one, the Qt key (and keypad flag) is the
  // best name there is.
  if (event.nativeScanCode() != 0) return (quint64{1} << 40) | event.nativeScanCode();
  const quint64 keypad = event.modifiers().testFlag(Qt::KeypadModifier) ? 1 : 0;
  return (keypad << 32) | static_cast<quint32>(event.key());
}

KeyStroke KeyMapper::Press(const QKeyEvent& event) {
  KeyStroke stroke;
  const quint32 scan = FromX11() ? event.nativeScanCode() : 0;
  stroke.key_code = KeyCodeOf(event.key(), event.modifiers(), scan);
  stroke.shift = ShiftMaskOf(event.key(), event.modifiers(), false);
  stroke.key_ascii = KeyAsciiOf(event.key(), event.text());
  held_[PairingKey(event)] = stroke.key_code;
  return stroke;
}

KeyStroke KeyMapper::Release(const QKeyEvent& event) {
  KeyStroke stroke;
  stroke.shift = ShiftMaskOf(event.key(), event.modifiers(), true);
  auto it = held_.find(PairingKey(event));
  if (it != held_.end()) {
    stroke.key_code = it->second;
    held_.erase(it);
  } else {
    const quint32 scan = FromX11() ? event.nativeScanCode() : 0;
    stroke.key_code = KeyCodeOf(event.key(), event.modifiers(), scan);
  }
  return stroke;
}

}  // namespace qw77::frontend
