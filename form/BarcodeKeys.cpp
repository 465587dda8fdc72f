#include "form/BarcodeKeys.h"

#include <string>

#include "form/FrmMenu.h"
#include "protocol/BarcodeBlock.h"

namespace qw77 {
namespace {

constexpr ControlId kBarCodeBox = ControlId::kTxtBarCode;

// Appends one character to the barcode text unless it is already at its limit. The caret
// follows the text's end, which the front end shows after every change of the text.
void AppendToBarCode(FrmMenu& frm, char c) {
  WindowState& s = frm.State();
  std::string text = s.Text(kBarCodeBox);
  const int limit = s.MaxLength(kBarCodeBox);
  if (limit > 0 && text.size() >= static_cast<std::size_t>(limit)) return;
  text.push_back(c);
  s.SetText(kBarCodeBox, std::move(text));
}

void RemoveLastCharacter(FrmMenu& frm) {
  std::string text = frm.State().Text(kBarCodeBox);
  if (text.empty()) return;
  // Drop a whole UTF-8 character, should a program have put one there.
  std::size_t end = text.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.erase(end);
  frm.State().SetText(kBarCodeBox, std::move(text));
}

bool IsCode39Symbol(std::int16_t c) {
  return c == '/' || c == '.' || c == '-' || c == '+' || c == '%' || c == '$';
}

// The character a key stands for by its code alone: a main-row digit, a letter (its capital,
// whatever case it typed) or space; 0 for every other key. The symbols are not among them:
// their codes name other keys (36 is Home, 46 Delete), so they are known only by the
// character a press produced.
char KeyCharacter(std::int16_t key_code) {
  const bool named = (key_code >= '0' && key_code <= '9') || (key_code >= 'A' && key_code <= 'Z') ||
                     key_code == kKeySpace;
  return named ? static_cast<char>(key_code) : '\0';
}

}  // namespace

bool BarcodeFieldTakes(int type_index, char c) {
  const bool digit = c >= '0' && c <= '9';
  switch (type_index) {
    case kBarcodeEan13:
    case kBarcodeItf:
    case kBarcodeCode128C:
      return digit;
    case kBarcodeCode39:
      return digit || (c >= 'A' && c <= 'Z') || c == ' ' || IsCode39Symbol(c);
    default:
      return false;
  }
}

void Combo1_LostFocus(FrmMenu& frm) {
  WindowState& s = frm.State();
  const int limit = BarcodeMaxLength(s.ListIndex(ControlId::kCombo1));
  // An index outside the list (nothing chosen yet) keeps the limit the box has.
  if (limit > 0) s.SetMaxLength(kBarCodeBox, limit);
  // Emptied on every departure, whether or not the type changed.
  s.SetText(kBarCodeBox, "");
}

void Form_KeyDown(FrmMenu& frm, std::int16_t& key_code, std::int16_t /*shift*/) {
  if (!frm.State().HasFocus(ControlId::kTxtSample)) key_code = 0;
}

void Form_KeyPress(FrmMenu& frm, std::int16_t& key_ascii) {
  if (frm.State().HasFocus(ControlId::kTxtSample)) return;
  // Kept for the CODE-39 rule below: its symbols ($, %, + ...) need Shift on most layouts,
  // so they are known only by the character the press produced, not by the key.
  frm.LastKeyAscii = key_ascii;
  key_ascii = 0;
}

void Form_KeyUp(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift) {
  const int type_index = frm.State().ListIndex(ControlId::kCombo1);
  if (!frm.State().HasFocus(kBarCodeBox)) return;

  if (key_code == kKeyDelete || key_code == kKeyBack) {
    RemoveLastCharacter(frm);
    return;
  }
  const bool code39 = type_index == kBarcodeCode39;
  // With a modifier still held a CODE-39 key is not ours yet: a symbol typed with Shift is
  // appended when the first key is released with no modifier down.
  if (code39 && shift != 0) return;
  if (const char c = KeyCharacter(key_code); c != '\0' && BarcodeFieldTakes(type_index, c)) {
    AppendToBarCode(frm, c);
  }
  if (code39) {
    if (IsCode39Symbol(frm.LastKeyAscii)) {
      AppendToBarCode(frm, static_cast<char>(frm.LastKeyAscii));
    }
    frm.LastKeyAscii = 0;
  }
}

}  // namespace qw77
