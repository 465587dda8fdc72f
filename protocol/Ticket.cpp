#include "protocol/Ticket.h"

#include <string>

#include "base/CodePage.h"
#include "base/Numbers.h"
#include "protocol/BarcodeBlock.h"
#include "protocol/LogoBlock.h"

namespace qw77 {
namespace {

constexpr std::uint8_t kESC = 0x1B;
constexpr std::uint8_t kGS = 0x1D;
constexpr std::uint8_t kLF = 0x0A;

std::string Quote(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

Status NotANumber(std::string_view field, std::string_view text) {
  return {ErrorCode::kInvalidArgument,
          std::string(field) + " holds " + Quote(text) + ", which is not a number."};
}

Status OutOfRange(std::string_view field, std::string_view text, long lowest, long highest) {
  return {ErrorCode::kInvalidArgument, std::string(field) + " holds " + Quote(text) + ", outside " +
                                           std::to_string(lowest) + " to " +
                                           std::to_string(highest) + "."};
}

// A text box read as an integer (rounded, halves to even) that must lie within a range.
Result<long> ReadInteger(std::string_view field, std::string_view text, long lowest, long highest) {
  double value = 0;
  if (!ParseDecimal(text, value)) return NotANumber(field, text);
  value = RoundHalfEven(value);
  if (!(value >= static_cast<double>(lowest) && value <= static_cast<double>(highest))) {
    return OutOfRange(field, text, lowest, highest);
  }
  return static_cast<long>(value);
}

// One parameter byte from a value already rounded.
Result<std::uint8_t> ByteFrom(double value, std::string_view field, std::string_view text) {
  value = RoundHalfEven(value);
  if (!(value >= 0 && value <= 255)) return OutOfRange(field, text, 0, 255);
  return static_cast<std::uint8_t>(value);
}

Result<std::uint8_t> CharacterSize(const SampleTicketSettings& s) {
  double x = 0, y = 0;
  if (!ParseDecimal(s.x_scale, x)) return NotANumber("X-Scale", s.x_scale);
  if (!ParseDecimal(s.y_scale, y)) return NotANumber("Y-Scale", s.y_scale);
  // Horizontal magnification in the high nibble, vertical in the low one.
  const double n = RoundHalfEven((x - 1) * 16 + (y - 1));
  if (!(n >= 0 && n <= 255)) {
    return Status(ErrorCode::kInvalidArgument,
                  "X-Scale " + Quote(s.x_scale) + " and Y-Scale " + Quote(s.y_scale) +
                      " do not give a character size the printer takes.");
  }
  return static_cast<std::uint8_t>(n);
}

Result<std::uint8_t> DensityByte(std::string_view text) {
  // A leading minus counts down from 256: -1 is FFh, -10 is F6h.
  double d;
  if (!text.empty() && text.front() == '-') {
    d = 256 - LeadingNumber(text.substr(1));
  } else {
    d = LeadingNumber(text);
  }
  return ByteFrom(d, "Print Density", text);
}

}  // namespace

Result<std::vector<std::uint8_t>> ComposeSampleTicket(const SampleTicketSettings& s,
                                                      std::span<const std::uint8_t> logo_file,
                                                      std::string_view logo_label) {
  // Every value is checked before the first byte, so a failure produces nothing at all.
  auto size = CharacterSize(s);
  if (!size) return size.status();
  auto line_spacing = ReadInteger("Line Spacing", s.line_spacing, 0, 255);
  if (!line_spacing) return line_spacing.status();
  auto char_spacing = ReadInteger("Char Spacing", s.char_spacing, 0, 255);
  if (!char_spacing) return char_spacing.status();
  // The margin travels as a low/high byte pair, so it may go past 255.
  auto margin = ReadInteger("Left Margin", s.left_margin, 0, 65535);
  if (!margin) return margin.status();
  auto density = DensityByte(s.density);
  if (!density) return density.status();
  auto lines = ReadInteger("Num of lines", s.lines, -32768, 32767);
  if (!lines) return lines.status();

  std::vector<std::uint8_t> out = {
      kESC,
      0x21,
      0x00,  // print mode: plain
      kGS,
      0x21,
      *size,  // character size
      kESC,
      0x33,
      static_cast<std::uint8_t>(*line_spacing),  // line spacing
      kESC,
      0x20,
      static_cast<std::uint8_t>(*char_spacing),  // character spacing
      kESC,
      0x4D,
      static_cast<std::uint8_t>(s.font),  // font
      kGS,
      0x4C,
      static_cast<std::uint8_t>(*margin % 256),  // left margin, low
      static_cast<std::uint8_t>(*margin / 256),  //              high
      kGS,
      0x28,
      0x4B,
      0x02,
      0x00,
      0x01,
      *density,  // print density
      kGS,
      0x45,
      static_cast<std::uint8_t>(s.speed),  // print speed
  };
  const std::string text = EncodeCp1252(s.sample_text);
  if (*lines > 0) out.reserve(out.size() + static_cast<std::size_t>(*lines) * (text.size() + 1));
  for (long line = 0; line < *lines; ++line) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(kLF);
  }
  if (s.logo_wanted) {
    if (Status st = AppendLogoBlock(out, logo_file, logo_label); !st) return st;
  }
  if (s.barcode_wanted) {
    if (Status st = AppendBarcodeBlock(out, s.barcode_type, s.barcode_data); !st) return st;
  }
  out.insert(out.end(), {kESC, 0x4A, 0xE1});  // print and feed 225 units
  return out;
}

}  // namespace qw77
