#include "ticket/SampleTicket.h"

#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <string>

#include "ticket/Barcode.h"
#include "ticket/Logo.h"
#include "ticket/SpoolFile.h"
#include "ui/FrmMenu.h"

namespace qw77 {
namespace {

constexpr std::uint8_t kESC = 0x1B;
constexpr std::uint8_t kGS = 0x1D;
constexpr std::uint8_t kLF = 0x0A;

constexpr std::string_view kCannotPrint = "The sample ticket cannot be printed. ";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of `text` (sign, digits, fraction, exponent),
// 0 when none starts there.
std::size_t NumberLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow it ("2e" is the number 2 and a letter).
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

// Reads a number already checked against the grammar above. strtod_l with the "C" locale
// keeps the decimal point a point whatever locale the front end has set, and reports
// overflow as infinity (refused by every range check) and underflow as 0.
double ToDouble(std::string_view number) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const std::string copy(number);
  return strtod_l(copy.c_str(), nullptr, c_locale);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

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

// UTF-8 decoding of one character at `i`; returns its code point and advances `i`, or
// returns -1 and advances by one byte when the bytes there are not well-formed.
long DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&s](std::size_t at) { return static_cast<unsigned char>(s[at]); };
  const unsigned char lead = byte(i);
  std::size_t length;
  long code;
  long smallest;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    ++i;
    return -1;
  }
  if (i + length > s.size()) {
    ++i;
    return -1;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++i;
    return -1;
  }
  i += length;
  return code;
}

// The characters Windows-1252 places at 80h..9Fh; 0 marks its five unassigned codes.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char Cp1252Byte(long code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (int k = 0; k < 32; ++k) {
    if (kCp1252High[k] != 0 && kCp1252High[k] == code) return static_cast<char>(0x80 + k);
  }
  return '?';
}

}  // namespace

void SplitLowHigh(std::int16_t value, std::int16_t& low, std::int16_t& high) {
  high = static_cast<std::int16_t>(value / 256);  // C++ division truncates toward zero
  low = static_cast<std::int16_t>(value - 256 * high);
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction < 0.5) return floor;
  if (fraction > 0.5) return floor + 1;
  return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

bool ParseDecimal(std::string_view text, double& value) {
  text = TrimBlanks(text);
  if (text.empty() || NumberLength(text) != text.size()) return false;
  value = ToDouble(text);
  return std::isfinite(value);
}

double LeadingNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  const std::size_t length = NumberLength(text);
  if (length == 0) return 0;
  // An overflow stays infinite, so the range checks refuse it.
  return ToDouble(text.substr(0, length));
}

std::string EncodeCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const long code = DecodeUtf8(utf8, i);
    out.push_back(code < 0 ? '?' : Cp1252Byte(code));
  }
  return out;
}

SampleTicketSettings ReadSampleTicketSettings(const WindowState& state) {
  SampleTicketSettings s;
  s.x_scale = state.Text("TxtXScale");
  s.y_scale = state.Text("TxtYScale");
  s.line_spacing = state.Text("TxtLinesp");
  s.char_spacing = state.Text("TxtCharsp");
  s.font = state.Selected("OptFontB") ? TicketFont::kB : TicketFont::kA;
  s.left_margin = state.Text("TxtLeftMgn");
  s.density = state.Text("TxtDensity");
  if (state.Selected("Opt50mm")) {
    s.speed = PrintSpeed::k50mm;
  } else if (state.Selected("Opt80mm")) {
    s.speed = PrintSpeed::k80mm;
  } else if (state.Selected("Opt100mm")) {
    s.speed = PrintSpeed::k100mm;
  } else {
    s.speed = PrintSpeed::k150mm;
  }
  s.lines = state.Text("TxtLines");
  s.sample_text = state.Text("TxtSample");
  s.logo_wanted = state.Value("CheckGraphic") == 1;
  s.logo_choice = SelectedLogoOption(state);
  s.barcode_wanted = state.Value("ChkBarCode") == 1;
  s.barcode_type = state.ListIndex("Combo1");
  s.barcode_data = state.Text("TxtBarCode");
  return s;
}

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

Status BuildSampleTicket(FrmMenu& frm) {
  const SampleTicketSettings settings = ReadSampleTicketSettings(frm.State());
  std::vector<std::uint8_t> logo;
  std::string logo_label = "The logo file";
  if (settings.logo_wanted) {
    const auto path = FindLogo(frm, settings.logo_choice);
    if (!path) return {path.status().code(), std::string(kCannotPrint) + path.status().message()};
    auto file = ReadLogoFile(*path);
    if (!file) {
      return {file.status().code(), std::string(kCannotPrint) + file.status().message()};
    }
    logo = std::move(file).value();
    logo_label += " " + *path;
  }
  auto stream = ComposeSampleTicket(settings, logo, logo_label);
  if (!stream) {
    return {stream.status().code(), std::string(kCannotPrint) + stream.status().message()};
  }
  if (Status written = WriteSpoolFile(*stream); !written) {
    return {written.code(), std::string(kCannotPrint) + written.message()};
  }
  return Status::Ok();
}

}  // namespace qw77
