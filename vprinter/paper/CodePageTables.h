// The character tables ESC t selects, as make_code_pages.py wrote them from the system's
// codec tables: the character each byte from 80h up stands for (0: none).
#pragma once

#include <cstddef>
#include <iterator>

namespace qw77::vprinter {

struct CodePageTable {
  int number;        // ESC t n
  const char* name;  // as the log gives it
  char16_t upper[128];
};

extern const CodePageTable kCodePageTables[];
extern const std::size_t kCodePageTableCount;

}  // namespace qw77::vprinter
