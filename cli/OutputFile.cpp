#include "cli/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qw77::cli {
namespace {

Status Failure(const std::string& path, int error_number) {
  const ErrorCode code = (error_number == EACCES || error_number == EPERM || error_number == EROFS)
                             ? ErrorCode::kPermission
                             : ErrorCode::kIo;
  return {code,
          "The ticket could not be written to " + path + " (" + std::strerror(error_number) + ")."};
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes into what is already there: a device or a pipe cannot be replaced, and replacing
// one (as root, /dev/null) would be a disaster.
Status WriteInto(const std::string& path, std::span<const std::uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return Failure(path, errno);
  int error_number = WriteAll(fd, bytes) ? 0 : errno;
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  return error_number == 0 ? Status::Ok() : Failure(path, error_number);
}

}  // namespace

Status WriteFileWhole(const std::string& path, std::span<const std::uint8_t> bytes) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    target = fs::weakly_canonical(target, ec);
    if (ec) return Failure(path, ec.value());
  }
  const fs::file_status status = fs::status(target, ec);
  if (fs::is_directory(status)) return Failure(path, EISDIR);
  if (fs::exists(status) && !fs::is_regular_file(status)) return WriteInto(target.string(), bytes);

  // A temporary file of our own beside the target; O_EXCL keeps two runs apart.
  const std::string final_name = target.string();
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = final_name + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(attempt);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Failure(path, errno);
  int error_number = WriteAll(fd, bytes) ? 0 : errno;
  // The replaced file keeps its permissions: a ticket kept private stays private.
  struct stat existing {};
  if (error_number == 0 && ::stat(final_name.c_str(), &existing) == 0 &&
      ::fchmod(fd, existing.st_mode & 07777) != 0) {
    error_number = errno;
  }
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && std::rename(temporary.c_str(), final_name.c_str()) != 0) {
    error_number = errno;
  }
  if (error_number != 0) {
    ::unlink(temporary.c_str());
    return Failure(path, error_number);
  }
  return Status::Ok();
}

Status WriteStream(std::ostream& out, std::span<const std::uint8_t> bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) {
    return {ErrorCode::kIo, "The ticket could not be written to standard output."};
  }
  return Status::Ok();
}

}  // namespace qw77::cli
