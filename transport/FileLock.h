// An exclusive lock on a file of its own, taken without waiting: the spool file's guard
// against a second run. Each system's own file (picked by the build) does it.
#pragma once

#include <string>

namespace qw77 {

// Opens `path` (made when missing) and locks it. The descriptor, or -1 with errno set:
// EWOULDBLOCK when another holder has it.
int TakeFileLock(const std::string& path);
// Whether the locked descriptor is still the file named `path` (a holder before may have
// removed it between the opening and the lock).
bool StillNamed(int fd, const std::string& path);
// Removes the file and releases the lock.
void DropFileLock(int fd, const std::string& path);
// Closes a descriptor that holds no lock worth keeping.
void CloseFileLock(int fd);

}  // namespace qw77
