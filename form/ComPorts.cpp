#include "form/ComPorts.h"

#include <string>

namespace qw77 {

OsFamily OsFamilyFromVersionWord(std::uint32_t version) {
  if ((version & 0x80000000u) != 0) return OsFamily::kWindowsOther;
  return (version & 0xFFu) == 5 ? OsFamily::kWindowsNt5 : OsFamily::kWindowsOther;
}

ComPortNumbering NumberComPorts(OsFamily family) {
  ComPortNumbering numbering;
  if (family != OsFamily::kWindowsNt5) return numbering;
  for (int n = 0; n < 3; ++n) {
    numbering.numbers[static_cast<std::size_t>(n)] = 5 + n;
    numbering.aliases.push_back(
        {"COM" + std::to_string(5 + n), "\\Device\\Serial" + std::to_string(n)});
  }
  return numbering;
}

}  // namespace qw77
