// The 8-bit code page the printer's text is sent in.
#pragma once

#include <string>
#include <string_view>

namespace qw77 {

// The text as one byte per character in the Windows-1252 code page (ISO-8859-1 plus the
// typographic characters at 80h..9Fh). A character that has no code there, and every byte
// of malformed UTF-8, becomes '?'.
std::string EncodeCp1252(std::string_view utf8);

}  // namespace qw77
