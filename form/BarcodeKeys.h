// The barcode field's input rules: the window's key filter and the barcode type's focus loss.
#pragma once

#include <cstdint>

namespace qw77 {

class FrmMenu;

// Combo1 lost the focus: the length limit of the current type, and an empty TxtBarCode.
void Combo1_LostFocus(FrmMenu& frm);

// Whether the barcode field takes the character `c` for the Combo1 type `type_index`: the
// digits for EAN-13, ITF and CODE-128(C); for CODE-39 also the capital letters, space and
// the symbols / . - + % $ (none for an index outside the list). The key filter below and
// the shell front end's barcode option both go by this one rule.
bool BarcodeFieldTakes(int type_index, char c);

// Virtual key codes and shift-mask bits the key rules look at.
inline constexpr std::int16_t kKeyBack = 8;
inline constexpr std::int16_t kKeyShift = 16;
inline constexpr std::int16_t kKeySpace = 32;
inline constexpr std::int16_t kKeyDelete = 46;
inline constexpr std::int16_t kShiftMask = 1;
inline constexpr std::int16_t kCtrlMask = 2;
inline constexpr std::int16_t kAltMask = 4;

// The window's key filter; it sees each key before the focused control. key_code is the
// virtual key code (letters 65-90 whatever the case, main-row digits 48-57, keypad digits
// 96-105, space 32, Backspace 8, Delete 46), key_ascii the character a key press produces,
// shift the modifier mask. Setting key_code or key_ascii to 0 keeps the key from the focused
// control. Only TxtSample takes typing directly; TxtBarCode is edited by Form_KeyUp alone,
// always at the end of its text.
void Form_KeyDown(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift);
void Form_KeyPress(FrmMenu& frm, std::int16_t& key_ascii);
void Form_KeyUp(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift);

}  // namespace qw77
