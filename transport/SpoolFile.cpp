#include "transport/SpoolFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

#include "base/Errno.h"
#include "base/FileReplace.h"
#include "base/Wait.h"
#include "transport/FileLock.h"
#include "transport/Limits.h"

namespace qw77 {
namespace {

namespace fs = std::filesystem;

// The folder the spool file lives in, as messages name it: absolute where it can be known.
std::string FolderName(const std::string& path) {
  std::error_code ec;
  const fs::path parent = fs::path(path).parent_path();
  fs::path dir = parent.empty() ? fs::current_path(ec) : fs::absolute(parent, ec);
  if (ec) return parent.empty() ? std::string("the current directory") : parent.string();
  return dir.lexically_normal().string();
}

std::string FileName(const std::string& path) {
  return fs::path(path).filename().string();
}

// A file of ours beside the spool file: ".tempo.txt<suffix>" in the same folder.
std::string Beside(const std::string& path, const std::string& suffix) {
  const fs::path p(path);
  return (p.parent_path() / ("." + p.filename().string() + suffix)).string();
}

Status SpoolFailure(const std::string& path, int error_number) {
  return {ErrorCodeForErrno(error_number), "The spool file " + FileName(path) +
                                               " could not be written in " + FolderName(path) +
                                               " (" + ErrnoText(error_number) + ")."};
}

Status InUse(const std::string& path) {
  return {ErrorCode::kBusy, "The spool file " + FileName(path) + " in " + FolderName(path) +
                                " is in use by another run."};
}

}  // namespace

Status WriteSpoolFile(std::span<const std::uint8_t> bytes) {
  return WriteSpoolFile(std::string(kSpoolFileName), bytes);
}

Status WriteSpoolFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const int error_number = ReplaceFile(path, bytes);
  if (error_number != 0) return SpoolFailure(path, error_number);
  return Status::Ok();
}

Result<std::vector<std::uint8_t>> ReadSpoolBytes() {
  return ReadSpoolBytes(std::string(kSpoolFileName));
}

Result<std::vector<std::uint8_t>> ReadSpoolBytes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return ErrnoStatus(errno, "cannot open " + path);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const int error_number = std::ferror(file) != 0 ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (error_number != 0) return ErrnoStatus(error_number, "cannot read " + path);
  return bytes;
}

SpoolLock::SpoolLock(SpoolLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), lock_path_(std::move(other.lock_path_)) {}

SpoolLock& SpoolLock::operator=(SpoolLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    lock_path_ = std::move(other.lock_path_);
  }
  return *this;
}

SpoolLock::~SpoolLock() {
  Release();
}

void SpoolLock::Release() {
  if (fd_ < 0) return;
  DropFileLock(fd_, lock_path_);
  fd_ = -1;
}

Result<SpoolLock> TryLockSpoolFile(const std::string& path) {
  const std::string lock_path = Beside(path, ".lock");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = TakeFileLock(lock_path);
    if (fd < 0) return errno == EWOULDBLOCK ? InUse(path) : SpoolFailure(path, errno);
    // The holder before us may have removed the file between our open and our lock: the
    // lock is then on a file no one else will find, so take the one now there instead.
    if (StillNamed(fd, lock_path)) {
      SpoolLock lock;
      lock.fd_ = fd;
      lock.lock_path_ = lock_path;
      return lock;
    }
    CloseFileLock(fd);
  }
  return InUse(path);
}

Result<SpoolLock> LockSpoolFile(const std::string& path, Clock& clock, Clock::Duration limit,
                                const std::function<void()>& between_polls) {
  Result<SpoolLock> lock = InUse(path);
  // The last attempt's result says how the wait ended.
  (void)PollUntil(
      clock, limit, kPollStep,
      [&] {
        lock = TryLockSpoolFile(path);
        if (lock) return Poll::kReady;
        return lock.status().code() == ErrorCode::kBusy ? Poll::kNotYet : Poll::kAbort;
      },
      [&] {
        if (between_polls) between_polls();
        return Poll::kNotYet;
      });
  return lock;
}

}  // namespace qw77
