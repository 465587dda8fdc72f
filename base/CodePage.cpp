#include "base/CodePage.h"

namespace qw77 {
namespace {

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

}  // namespace qw77
