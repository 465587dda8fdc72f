// The character tables ESC t selects: which character each byte from 0x80 up stands for.
// Bytes below 0x80 are ASCII in every table.
#pragma once

#include <cstdint>

namespace qw77::vprinter {

// ESC t numbers of the tables the printer holds.
inline constexpr int kCodePagePc437 = 0;
inline constexpr int kCodePagePc850 = 2;
inline constexpr int kCodePageWpc1252 = 16;
inline constexpr int kCodePagePc858 = 19;
// Windows-1252: what qw77's application writes its sample text in.
inline constexpr int kDefaultCodePage = kCodePageWpc1252;

// "PC437", ...; null for a number the printer has no table for.
const char* CodePageName(int code_page);

// The Unicode character `byte` stands for in `code_page` (one CodePageName knows); '?' for
// the few bytes a table leaves undefined.
char32_t CodePageToUnicode(int code_page, std::uint8_t byte);

// In the default table (Windows-1252).
inline char32_t CodePageToUnicode(std::uint8_t byte) {
  return CodePageToUnicode(kDefaultCodePage, byte);
}

}  // namespace qw77::vprinter
