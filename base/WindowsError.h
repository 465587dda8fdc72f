// Windows reports its failures as numbers (GetLastError, WSAGetLastError); the operator
// reads them in words. Built into the Windows build only.
#pragma once

#include <string>

namespace qw77 {

// The system's own sentence for `code`, without its full stop, and the number after it:
// "Access is denied (error 5)".
std::string WindowsErrorText(unsigned long code);

}  // namespace qw77
