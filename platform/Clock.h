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

}  // namespace qw77
