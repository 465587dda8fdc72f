#include "vprinter/endpoints/SerialLink.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Errno.h"
#include "vprinter/endpoints/CrashCleanup.h"

namespace qw77::vprinter {
namespace {

Status Errno(const std::string& what) {
  return ErrnoStatus(errno, what);
}

std::string ReadLink(const std::string& path) {
  char target[4096];
  const ssize_t n = readlink(path.c_str(), target, sizeof target);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "";
}

}  // namespace

Result<std::unique_ptr<SerialLink>> SerialLink::Claim(const std::string& path) {
  std::unique_ptr<SerialLink> link(new SerialLink(path));
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    return Status{ErrorCode::kBusy, path + " exists and is not a symbolic link"};
  }
  // The lock file may be removed by its former owner between our open and our lock; a lock
  // on a file no longer at the path would guard nothing, so then it is taken again.
  for (int attempt = 0; attempt < 10; ++attempt) {
    const int fd = open(link->lock_path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return Errno("cannot make the lock file " + link->lock_path_);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      char pid[32] = {};
      const ssize_t n = read(fd, pid, sizeof pid - 1);
      close(fd);
      std::string owner = n > 0 ? std::string(pid, static_cast<std::size_t>(n)) : "";
      while (!owner.empty() && (owner.back() == '\n' || owner.back() == ' ')) owner.pop_back();
      return Status{ErrorCode::kBusy, "another printer" +
                                          (owner.empty() ? "" : " (pid " + owner + ")") +
                                          " owns the link " + path};
    }
    struct stat held {
    }, named{};
    if (fstat(fd, &held) == 0 && stat(link->lock_path_.c_str(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      link->lock_fd_ = fd;
      break;
    }
    close(fd);
  }
  if (link->lock_fd_ < 0) return Status{ErrorCode::kBusy, "cannot lock " + link->lock_path_};
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(link->lock_fd_, 0) != 0 ||
      pwrite(link->lock_fd_, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
    const Status failed = Errno("cannot write " + link->lock_path_);
    unlink(link->lock_path_.c_str());
    return failed;
  }
  RegisterCrashCleanup(link->lock_path_);
  return link;
}

Status SerialLink::PointAt(const std::string& target) {
  const std::string temp = path_ + ".new";
  unlink(temp.c_str());
  if (symlink(target.c_str(), temp.c_str()) != 0) return Errno("cannot make the link " + path_);
  if (rename(temp.c_str(), path_.c_str()) != 0) {
    const Status failed = Errno("cannot make the link " + path_);
    unlink(temp.c_str());
    return failed;
  }
  target_ = target;
  RegisterCrashCleanup(path_);
  return Status::Ok();
}

void SerialLink::Remove() {
  if (target_.empty()) return;
  UnregisterCrashCleanup(path_);
  // Only our own link is removed, never something put there since.
  if (ReadLink(path_) == target_) unlink(path_.c_str());
  target_.clear();
}

SerialLink::~SerialLink() {
  Remove();
  if (lock_fd_ >= 0) {
    UnregisterCrashCleanup(lock_path_);
    // Removed while still locked, so no other printer can hold a lock on it.
    unlink(lock_path_.c_str());
    close(lock_fd_);
  }
}

}  // namespace qw77::vprinter
