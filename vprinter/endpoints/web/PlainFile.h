// A file of the ticket folder, opened to be served: a plain file only, never through a link,
// so that a link planted in the folder cannot hand out a file from elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qw77::vprinter::web {

class PlainFile {
 public:
  // Not open (is_open() false) when the path is missing, a link, or not a plain file.
  explicit PlainFile(const std::string& path);
  ~PlainFile();
  PlainFile(const PlainFile&) = delete;
  PlainFile& operator=(const PlainFile&) = delete;

  bool is_open() const { return open_; }
  long long size() const { return size_; }
  // Reads at most `capacity` bytes into `buf`; 0 at the end or on a failure.
  std::size_t Read(char* buf, std::size_t capacity);

 private:
  bool open_ = false;
  long long size_ = 0;
  // The system's handle: a file descriptor, or a Windows HANDLE.
  std::intptr_t handle_ = -1;
};

}  // namespace qw77::vprinter::web
