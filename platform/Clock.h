// Monotonic time for every limit, so that midnight or a clock change cannot break a wait.
#pragma once

#include <chrono>

namespace qw77 {

class Clock {
 public:
  using Duration = std::chrono::nanoseconds;
  using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

  virtual ~Clock() = default;
  virtual TimePoint Now() = 0;
  // Sleeps briefly between polls so that a wait does not spin a core.
  virtual void SleepFor(Duration duration) = 0;
};

// The limits are fractions of a day; these are their lengths.
constexpr Clock::Duration DaysToDuration(double days) {
  return Clock::Duration(static_cast<Clock::Duration::rep>(days * 86400.0 * 1e9));
}
inline constexpr Clock::Duration kReplyLimit = DaysToDuration(0.00002);  // 1.728 s
inline constexpr Clock::Duration kShellLimit = DaysToDuration(0.0008);   // 69.12 s
// Pause between two polls of a device or a process.
inline constexpr Clock::Duration kPollStep = std::chrono::milliseconds(2);

}  // namespace qw77
