#include "transport/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qw77 {

int TakeFileLock(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error_number = errno;
    ::close(fd);
    errno = error_number;
    return -1;
  }
  return fd;
}

bool StillNamed(int fd, const std::string& path) {
  struct stat held {};
  struct stat named {};
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Removed while still locked: a run waiting on this file then finds it gone and makes a new
// one, so no two runs ever hold two files of the same name.
void DropFileLock(int fd, const std::string& path) {
  ::unlink(path.c_str());
  ::close(fd);
}

void CloseFileLock(int fd) {
  ::close(fd);
}

}  // namespace qw77
