#include "protocol/BarcodeBlock.h"

#include <string>

#include "base/CodePage.h"

namespace qw77 {
namespace {

constexpr std::uint8_t kGS = 0x1D;

// The printer's symbology byte for each Combo1 index.
constexpr std::uint8_t kSymbology[] = {0x43, 0x45, 0x46, 0x49};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitAt(std::string_view text, std::size_t position) {  // position counts from 1
  if (position < 1 || position > text.size()) return 0;
  return static_cast<unsigned char>(text[position - 1]) - 48;
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

}  // namespace qw77
