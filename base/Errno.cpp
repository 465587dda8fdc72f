#include "base/Errno.h"

#include <cerrno>
#include <cstring>

namespace qw77 {

ErrorCode ErrorCodeForErrno(int error_number) {
  switch (error_number) {
    case 0:
      return ErrorCode::kNone;
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
      return ErrorCode::kNotFound;
    case EBUSY:
      return ErrorCode::kBusy;
    case EACCES:
    case EPERM:
    case EROFS:
      return ErrorCode::kPermission;
    case ETIMEDOUT:
      return ErrorCode::kTimedOut;
    default:
      return ErrorCode::kIo;
  }
}

std::string ErrnoText(int error_number) {
  return std::strerror(error_number);
}

Status ErrnoStatus(int error_number, std::string_view what) {
  return {ErrorCodeForErrno(error_number), std::string(what) + ": " + ErrnoText(error_number)};
}

}  // namespace qw77
