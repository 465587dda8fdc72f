// The limits of the printer jobs. The window states them as fractions of a day; they are
// turned into durations here, once, and are durations everywhere below.
#pragma once

#include <chrono>

namespace qw77 {

// The length of `days` (a fraction of a day, as the window states its limits), truncated to
// whole nanoseconds; a negative fraction is no time at all.
constexpr std::chrono::nanoseconds DayFractionToDuration(double days) {
  if (!(days > 0)) return std::chrono::nanoseconds(0);
  return std::chrono::nanoseconds(static_cast<std::chrono::nanoseconds::rep>(days * 86400.0 * 1e9));
}

// How long a reply (to the probe, to each status request) or the parallel port's busy line
// is waited for.
inline constexpr std::chrono::nanoseconds kReplyLimit = DayFractionToDuration(0.00002);  // 1.728 s
// How long a shell command (the spool file's removal) is waited for.
inline constexpr std::chrono::nanoseconds kShellLimit = DayFractionToDuration(0.0008);  // 69.12 s
// Pause between two polls of a device or a process.
inline constexpr std::chrono::nanoseconds kPollStep = std::chrono::milliseconds(2);

}  // namespace qw77
