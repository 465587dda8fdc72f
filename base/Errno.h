// The one translation of the operating system's error numbers into a Status.
#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"

namespace qw77 {

// What an errno value means to a caller: the thing is not there (a missing file or device,
// a peer that does not listen), held by another program, refused, out of time, or any
// other failure of the transfer (kIo).
ErrorCode ErrorCodeForErrno(int error_number);

// The system's sentence for an errno value ("No such file or directory").
std::string ErrnoText(int error_number);

// "<what>: <the system's sentence>", with the code ErrorCodeForErrno gives.
Status ErrnoStatus(int error_number, std::string_view what);

}  // namespace qw77
