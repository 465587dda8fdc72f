// The symbolic link that names the printer's terminal (e.g. /tmp/qw77-com1 -> /dev/pts/3),
// owned by one printer at a time. Ownership is a lock on a file beside the link
// (LINK.lock, holding the owner's pid): the lock dies with its process, so a link left by a
// printer that was killed is taken over, while one a running printer owns is refused.
#pragma once

#include <memory>
#include <string>

#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

class SerialLink {
 public:
  // Takes ownership of `path`; refuses a path a live printer owns or that is not a link.
  static Result<std::unique_ptr<SerialLink>> Claim(const std::string& path);
  // Removes the link, if it still leads to this printer's terminal, and the lock file.
  ~SerialLink();
  SerialLink(const SerialLink&) = delete;
  SerialLink& operator=(const SerialLink&) = delete;

  const std::string& path() const { return path_; }
  // Makes the link lead to `target`, replacing any former one in one step.
  Status PointAt(const std::string& target);
  // Removes the link (the terminal is gone); the path stays owned.
  void Remove();

 private:
  explicit SerialLink(std::string path) : path_(std::move(path)), lock_path_(path_ + ".lock") {}

  std::string path_;
  std::string lock_path_;
  std::string target_;
  int lock_fd_ = -1;
};

}  // namespace qw77::vprinter
