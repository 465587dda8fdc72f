#include "base/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace qw77 {
namespace {

// The temporary's name beside `path`: its folder, a dot, its name and our own suffix.
std::string TemporaryName(const std::string& path, unsigned counter) {
  const std::size_t slash = path.rfind('/');
  const std::size_t name_at = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, name_at) + "." + path.substr(name_at) + "." + std::to_string(::getpid()) +
         "." + std::to_string(counter);
}

int CreateTemporary(const std::string& path, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TemporaryName(path, counter.fetch_add(1));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

int WriteWhole(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::string temporary;
  const int fd = CreateTemporary(path, temporary);
  if (fd < 0) return errno;
  int error_number = WriteWhole(fd, bytes);
  // A file replaced keeps its permissions: a file kept private stays private.
  struct stat existing {};
  if (error_number == 0 && ::stat(path.c_str(), &existing) == 0 &&
      ::fchmod(fd, existing.st_mode & 07777) != 0) {
    error_number = errno;
  }
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error_number = errno;
  if (error_number != 0) ::unlink(temporary.c_str());
  return error_number;
}

}  // namespace qw77
