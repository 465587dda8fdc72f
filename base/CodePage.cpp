#include "base/CodePage.h"

#include "base/Utf8.h"

namespace qw77 {
namespace {

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
    const char32_t code = DecodeUtf8(utf8, i);
    out.push_back(code == kMalformedUtf8 ? '?' : Cp1252Byte(static_cast<long>(code)));
  }
  return out;
}

}  // namespace qw77
