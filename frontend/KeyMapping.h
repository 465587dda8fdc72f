// Turns Qt key events into what the window's key handlers work with: a code that names
// the key (not the character it typed), the character a key press produced, and the
// modifier mask (1 Shift, 2 Ctrl, 4 Alt).
#pragma once

#include <QKeyEvent>
#include <QString>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "form/BarcodeKeys.h"

namespace qw77::frontend {

// Key code for an unknown key that still typed something: not 0, since 0 means a key the
// handlers have cancelled.
inline constexpr std::int16_t kUnknownKeyCode = 255;

// What one key event says, in the handlers' terms.
struct KeyStroke {
  std::int16_t key_code = 0;
  std::int16_t shift = 0;
  std::optional<std::int16_t> key_ascii;  // presses that produce a character only
};

// The code of a key. `x11_scan_code` is the X server's key code when the event came from
// X11 (0 otherwise): it names the main-row digit keys whatever the layout and the
// modifiers say, which the Qt key alone cannot (Shift+4 arrives as Qt::Key_Dollar).
std::int16_t KeyCodeOf(int qt_key, Qt::KeyboardModifiers modifiers, quint32 x11_scan_code);

// The modifier mask of an event. The key's own modifier counts while it is held: the press
// of Shift holds Shift, its release no longer does.
std::int16_t ShiftMaskOf(int qt_key, Qt::KeyboardModifiers modifiers, bool is_release);

// The character a press types, if any (Delete types none, as on the platforms whose key
// codes the handlers use).
std::optional<std::int16_t> KeyAsciiOf(int qt_key, const QString& text);

// Maps presses and releases and pairs each release with its press, so that a key keeps the
// code it was pressed with even when the modifiers changed in between.
class KeyMapper {
 public:
  KeyStroke Press(const QKeyEvent& event);
  KeyStroke Release(const QKeyEvent& event);
  // Forgets held keys (the window lost the keyboard).
  void Reset() { held_.clear(); }

 private:
  static quint64 PairingKey(const QKeyEvent& event);
  std::unordered_map<quint64, std::int16_t> held_;
};

// True when the event came from the X11 platform, whose scan codes KeyCodeOf understands.
bool FromX11();

}  // namespace qw77::frontend
