#include "vprinter/paper/CodePages.h"

#include <algorithm>
#include <cstdio>

#include "vprinter/paper/CodePageTables.h"

namespace qw77::vprinter {
namespace {

const CodePageTable* Find(int code_page) {
  for (std::size_t i = 0; i < kCodePageTableCount; ++i) {
    if (kCodePageTables[i].number == code_page) return &kCodePageTables[i];
  }
  return nullptr;
}

}  // namespace

const char* CodePageName(int code_page) {
  if (code_page == kCodePageUserDefined) return "user-defined";
  const CodePageTable* t = Find(code_page);
  return t ? t->name : nullptr;
}

std::vector<int> CodePageNumbers() {
  std::vector<int> numbers;
  for (std::size_t i = 0; i < kCodePageTableCount; ++i) {
    numbers.push_back(kCodePageTables[i].number);
  }
  numbers.push_back(kCodePageUserDefined);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

char32_t CodePageToUnicode(int code_page, std::uint8_t byte) {
  if (byte < 0x80) return byte;
  if (code_page == kCodePageUserDefined) return U' ';
  const CodePageTable* t = Find(code_page);
  if (!t) t = Find(kDefaultCodePage);
  const char16_t u = t->upper[byte - 0x80];
  return u ? char32_t{u} : U'?';
}

std::vector<char32_t> CodePageCharacters() {
  std::vector<char32_t> all;
  for (std::size_t i = 0; i < kCodePageTableCount; ++i) {
    for (char16_t u : kCodePageTables[i].upper) {
      if (u) all.push_back(u);
    }
  }
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  return all;
}

std::string Utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string DecodeForLog(int code_page, std::span<const std::uint8_t> bytes) {
  std::string s;
  for (std::uint8_t b : bytes) {
    const char32_t cp = CodePageToUnicode(code_page, b);
    if (cp < 0x20 || cp == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      s += buf;
    } else {
      if (cp == U'"' || cp == U'\\') s += '\\';
      s += Utf8(cp);
    }
  }
  return s;
}

}  // namespace qw77::vprinter
