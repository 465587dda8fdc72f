// The spool file every printer job goes through: "tempo.txt" in the current directory (or
// another file named for the run), written whole by the composer and read back whole by the
// senders, and held by one job at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "platform/Clock.h"

namespace qw77 {

inline constexpr std::string_view kSpoolFileName = "tempo.txt";

// How long a job waits for another run to let go of its spool file: longer than a long
// ticket takes at the lowest baud rate, so that runs started together print in turn.
inline constexpr Clock::Duration kSpoolWaitLimit = std::chrono::seconds(30);

// A spool file held for one job, from before its ticket is composed until it is deleted or
// left: an exclusive lock on a lock file beside it (".tempo.txt.lock"), which another run
// (another program, or another job of this one) cannot take meanwhile. Releasing it
// removes the lock file.
class SpoolLock {
 public:
  SpoolLock() = default;
  SpoolLock(SpoolLock&& other) noexcept;
  SpoolLock& operator=(SpoolLock&& other) noexcept;
  SpoolLock(const SpoolLock&) = delete;
  SpoolLock& operator=(const SpoolLock&) = delete;
  ~SpoolLock();

  bool held() const { return fd_ >= 0; }

 private:
  friend Result<SpoolLock> TryLockSpoolFile(const std::string& path);
  void Release();

  int fd_ = -1;
  std::string lock_path_;
};

// Takes the spool file at `path` if no one holds it; kBusy when another run does.
Result<SpoolLock> TryLockSpoolFile(const std::string& path);

// Takes the spool file at `path`, waiting up to `limit` (polling on `clock`, running
// `between_polls` each pass) while another run holds it. kBusy then says "The spool file
// tempo.txt in FOLDER is in use by another run." A lock file that cannot be made (a
// folder we may not write) gives the reason, as writing the spool file would.
Result<SpoolLock> LockSpoolFile(const std::string& path, Clock& clock, Clock::Duration limit,
                                const std::function<void()>& between_polls);

// Replaces tempo.txt in the current directory with exactly `bytes`. The bytes go to a new
// temporary file in the same directory, which is renamed over tempo.txt only once it is
// complete, so a reader never sees a half-written spool file: on failure the earlier
// tempo.txt (if any) is left as it was and the temporary file is removed. The message of a
// failure is an operator sentence naming the directory and the system's reason.
Status WriteSpoolFile(std::span<const std::uint8_t> bytes);
// The same for the spool file at `path`, replaced the same way in its own folder.
Status WriteSpoolFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Every byte of tempo.txt (or the file at `path`), or why it could not be read (kNotFound,
// kIo) in a phrase.
Result<std::vector<std::uint8_t>> ReadSpoolBytes();
Result<std::vector<std::uint8_t>> ReadSpoolBytes(const std::string& path);

}  // namespace qw77
