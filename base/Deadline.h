// Waits with a deadline on calls that take milliseconds (poll).
#pragma once

#include <algorithm>
#include <chrono>
#include <climits>

namespace qw77 {

// Whole milliseconds from `now` until `deadline`, rounded up so that a wait never wakes
// before it; 0 once the deadline has come, and never more than an int holds.
inline int MillisecondsUntil(std::chrono::steady_clock::time_point deadline,
                             std::chrono::steady_clock::time_point now) {
  if (deadline <= now) return 0;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  return static_cast<int>(std::min<long long>(left, INT_MAX));
}

inline int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  return MillisecondsUntil(deadline, std::chrono::steady_clock::now());
}

}  // namespace qw77
