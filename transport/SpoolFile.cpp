#include "transport/SpoolFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace qw77 {
namespace {

std::string CurrentDirectoryName() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::string("the current directory") : dir.string();
}

Status SpoolFailure(ErrorCode code, int error_number) {
  return {code, "The spool file " + std::string(kSpoolFileName) + " could not be written in " +
                    CurrentDirectoryName() + " (" + std::strerror(error_number) + ")."};
}

ErrorCode CodeFor(int error_number) {
  return (error_number == EACCES || error_number == EPERM || error_number == EROFS)
             ? ErrorCode::kPermission
             : ErrorCode::kIo;
}

// Creates a temporary file of our own beside tempo.txt; O_EXCL keeps two jobs (or two
// programs in one folder) from sharing one.
int CreateTemporary(std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = ".";
    name += kSpoolFileName;
    name += "." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

Status WriteSpoolFile(std::span<const std::uint8_t> bytes) {
  std::string temporary;
  int fd = CreateTemporary(temporary);
  if (fd < 0) return SpoolFailure(CodeFor(errno), errno);

  int error_number = 0;
  if (!WriteAll(fd, bytes)) error_number = errno;
  if (::close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 &&
      std::rename(temporary.c_str(), std::string(kSpoolFileName).c_str()) != 0) {
    error_number = errno;
  }
  if (error_number != 0) {
    ::unlink(temporary.c_str());
    return SpoolFailure(CodeFor(error_number), error_number);
  }
  return Status::Ok();
}

namespace {

Status ReadFailure(const std::string& what, int error_number) {
  return {error_number == ENOENT ? ErrorCode::kNotFound : ErrorCode::kIo,
          what + ": " + std::strerror(error_number)};
}

}  // namespace

Result<std::vector<std::uint8_t>> ReadSpoolBytes() {
  const std::string name(kSpoolFileName);
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return ReadFailure("cannot open " + name, errno);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const int error_number = std::ferror(file) != 0 ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (error_number != 0) return ReadFailure("cannot read " + name, error_number);
  return bytes;
}

}  // namespace qw77
