#include "vprinter/endpoints/web/PlainFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qw77::vprinter::web {

PlainFile::PlainFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  struct stat st {};
  if (fd < 0) return;
  handle_ = fd;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
  open_ = true;
  size_ = st.st_size;
}

PlainFile::~PlainFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

std::size_t PlainFile::Read(char* buf, std::size_t capacity) {
  if (!open_) return 0;
  const ssize_t n = read(static_cast<int>(handle_), buf, capacity);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace qw77::vprinter::web
