#include "ticket/Barcode.h"

#include <string>

#include "ticket/SampleTicket.h"
#include "ui/FrmMenu.h"

namespace qw77 {
namespace {

constexpr std::uint8_t kGS = 0x1D;

// The printer's symbology byte for each Combo1 index.
constexpr std::uint8_t kSymbology[] = {0x43, 0x45, 0x46, 0x49};

constexpr std::string_view kBarCodeBox = "TxtBarCode";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitAt(std::string_view text, std::size_t position) {  // position counts from 1
  if (position < 1 || position > text.size()) return 0;
  return static_cast<unsigned char>(text[position - 1]) - 48;
}

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

}  // namespace

int BarcodeMaxLength(int type_index) {
  switch (type_index) {
    case kBarcodeEan13:
    case kBarcodeItf:
    case kBarcodeCode128C:
      return 12;
    case kBarcodeCode39:
      return 7;
    default:
      return 0;
  }
}

std::int16_t DigitPairValue(std::string_view text, std::int16_t k) {
  if (k < 0) return 0;
  const std::size_t kk = static_cast<std::size_t>(k);
  int value;
  if (text.size() % 2 == 0) {
    value = 10 * DigitAt(text, 2 * kk + 1) + DigitAt(text, 2 * kk + 2);
  } else if (kk == 0) {
    value = DigitAt(text, 1);
  } else {
    value = 10 * DigitAt(text, 2 * kk) + DigitAt(text, 2 * kk + 1);
  }
  return static_cast<std::int16_t>(value);
}

Status AppendBarcodeBlock(std::vector<std::uint8_t>& out, int type_index, std::string_view text) {
  if (type_index < kBarcodeEan13 || type_index > kBarcodeCode128C) {
    return {ErrorCode::kInvalidArgument, "No barcode type is chosen in the BarCode list."};
  }
  const std::string data = EncodeCp1252(text);
  if (data.size() > 255) {
    return {ErrorCode::kInvalidArgument, "The barcode text has " + std::to_string(data.size()) +
                                             " characters; a barcode takes at most 255."};
  }
  const std::uint8_t m = kSymbology[type_index];
  if (type_index != kBarcodeCode128C) {
    out.insert(out.end(), {kGS, 0x6B, m, static_cast<std::uint8_t>(data.size())});
    out.insert(out.end(), data.begin(), data.end());
    return Status::Ok();
  }
  for (char c : data) {
    if (!IsDigit(c)) {
      std::string message = "The CODE-128(C) barcode \"";
      message.append(text).append("\" may hold digits only.");
      return {ErrorCode::kInvalidArgument, std::move(message)};
    }
  }
  const std::size_t pairs = (data.size() + 1) / 2;
  // The count covers the two bytes "{C" that select code set C, then one byte per pair.
  out.insert(out.end(), {kGS, 0x6B, m, static_cast<std::uint8_t>(pairs + 2), 0x7B, 0x43});
  for (std::size_t k = 0; k < pairs; ++k) {
    out.push_back(static_cast<std::uint8_t>(DigitPairValue(data, static_cast<std::int16_t>(k))));
  }
  return Status::Ok();
}

void Combo1_LostFocus(FrmMenu& frm) {
  WindowState& s = frm.State();
  const int limit = BarcodeMaxLength(s.ListIndex("Combo1"));
  // An index outside the list (nothing chosen yet) keeps the limit the box has.
  if (limit > 0) s.SetMaxLength(kBarCodeBox, limit);
  // Emptied on every departure, whether or not the type changed.
  s.SetText(kBarCodeBox, "");
}

void Form_KeyDown(FrmMenu& frm, std::int16_t& key_code, std::int16_t /*shift*/) {
  if (frm.State().Focused() != "TxtSample") key_code = 0;
}

void Form_KeyPress(FrmMenu& frm, std::int16_t& key_ascii) {
  if (frm.State().Focused() == "TxtSample") return;
  // Kept for the CODE-39 rule below: its symbols ($, %, + ...) need Shift on most layouts,
  // so they are known only by the character the press produced, not by the key.
  frm.LastKeyAscii = key_ascii;
  key_ascii = 0;
}

void Form_KeyUp(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift) {
  const int type_index = frm.State().ListIndex("Combo1");
  if (frm.State().Focused() != kBarCodeBox) return;

  if (key_code == kKeyDelete || key_code == kKeyBack) {
    RemoveLastCharacter(frm);
    return;
  }
  const bool digit_key = key_code >= '0' && key_code <= '9';
  switch (type_index) {
    case kBarcodeEan13:
    case kBarcodeItf:
    case kBarcodeCode128C:
      if (digit_key) AppendToBarCode(frm, static_cast<char>(key_code));
      break;
    case kBarcodeCode39:
      // With a modifier still held the key is not ours yet: a symbol typed with Shift is
      // appended when the first key is released with no modifier down.
      if (shift != 0) break;
      if (digit_key || (key_code >= 'A' && key_code <= 'Z') || key_code == kKeySpace) {
        AppendToBarCode(frm, static_cast<char>(key_code));
      }
      if (IsCode39Symbol(frm.LastKeyAscii)) {
        AppendToBarCode(frm, static_cast<char>(frm.LastKeyAscii));
      }
      frm.LastKeyAscii = 0;
      break;
    default:
      break;
  }
}

}  // namespace qw77
