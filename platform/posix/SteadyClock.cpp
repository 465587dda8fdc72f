#include "platform/posix/SteadyClock.h"

#include <thread>

namespace qw77 {

Clock::TimePoint SteadyClock::Now() {
  return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

void SteadyClock::SleepFor(Duration duration) {
  if (duration > Duration::zero()) std::this_thread::sleep_for(duration);
}

}  // namespace qw77
