// The character tables ESC t selects: which character each byte from 0x80 up stands for.
// Bytes below 0x80 are ASCII in every table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qw77::vprinter {

// ESC t numbers of some of the tables the printer holds (CodePageTables.cpp has them all).
inline constexpr int kCodePagePc437 = 0;
inline constexpr int kCodePageKatakana = 1;
inline constexpr int kCodePagePc850 = 2;
inline constexpr int kCodePageWpc1252 = 16;
inline constexpr int kCodePagePc858 = 19;
// The page of user-defined characters: its bytes from 0x80 up are blank until ESC & gives
// them a pattern.
inline constexpr int kCodePageUserDefined = 255;
// Windows-1252: what qw77's application writes its sample text in.
inline constexpr int kDefaultCodePage = kCodePageWpc1252;

// "PC437", ...; null for a number the printer has no table for.
const char* CodePageName(int code_page);

// Every ESC t number the printer knows, ascending.
std::vector<int> CodePageNumbers();

// The Unicode character `byte` stands for in `code_page` (one CodePageName knows); '?' for
// the few bytes a table leaves undefined, and a space for the user-defined page's.
char32_t CodePageToUnicode(int code_page, std::uint8_t byte);

// In the default table (Windows-1252).
inline char32_t CodePageToUnicode(std::uint8_t byte) {
  return CodePageToUnicode(kDefaultCodePage, byte);
}

// Every character any table has from 0x80 up, each once: what the fonts must draw.
std::vector<char32_t> CodePageCharacters();

// `bytes` as they read in `code_page`, in UTF-8; bytes below 0x20 as \xNN, and " and \ with
// a backslash, so that the text can stand between quotes in the log.
std::string DecodeForLog(int code_page, std::span<const std::uint8_t> bytes);

// One character in UTF-8.
std::string Utf8(char32_t code_point);

}  // namespace qw77::vprinter
