#include "base/Utf8.h"

namespace qw77 {

char32_t DecodeUtf8(std::string_view text, std::size_t& i) {
  const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    ++i;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, code = lead & 0x1Fu, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code = lead & 0x0Fu, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code = lead & 0x07u, smallest = 0x10000;
  } else {
    ++i;
    return kMalformedUtf8;
  }
  if (i + length > text.size()) {
    ++i;
    return kMalformedUtf8;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kMalformedUtf8;
    }
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++i;
    return kMalformedUtf8;
  }
  i += length;
  return code;
}

}  // namespace qw77
