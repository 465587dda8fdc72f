#include "transport/FileLock.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

namespace qw77 {

// Opened sharing nothing: a second opening fails while the first is open, which is the
// lock (Windows says EACCES for it).
int TakeFileLock(const std::string& path) {
  int fd = -1;
  const std::wstring name = std::filesystem::path(path).wstring();
  const errno_t error = _wsopen_s(&fd, name.c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                                  _SH_DENYRW, _S_IREAD | _S_IWRITE);
  if (error == 0) return fd;
  errno = error == EACCES && std::filesystem::exists(name) ? EWOULDBLOCK : error;
  return -1;
}

// An open file cannot be removed or replaced on Windows: the name is still ours.
bool StillNamed(int, const std::string&) {
  return true;
}

// Closed first: Windows removes no file that is open. A run that opens it in between keeps
// it, and the removal then leaves it alone.
void DropFileLock(int fd, const std::string& path) {
  _close(fd);
  _wunlink(std::filesystem::path(path).wstring().c_str());
}

void CloseFileLock(int fd) {
  _close(fd);
}

}  // namespace qw77
