// The one polling loop behind every wait with a limit: the probe's reply, the status
// replies, the parallel port's busy line and the shell command's end.
#pragma once

#include <chrono>

namespace qw77 {

// What one look at the awaited thing found.
enum class Poll { kNotYet, kReady, kAbort };
enum class WaitEnd { kReady, kTimedOut, kAborted };

// Polls until `before_limit` or `after_limit` answers kReady (or kAbort), or until more than
// `limit` has passed since the first pass. Each pass runs `before_limit`, then the time test,
// then `after_limit`, then sleeps `step`. Callers put their readiness test on the side of the
// time test that their rule needs: a test before it lets a reply waiting at the limit still
// count, a test after it makes a device that turns ready in the last pass time out all the
// same. `ClockT` has Now() and SleepFor(duration), the clock seam's shape.
template <class ClockT, class Before, class After>
WaitEnd PollUntil(ClockT& clock, typename ClockT::Duration limit, typename ClockT::Duration step,
                  Before before_limit, After after_limit) {
  const auto start = clock.Now();
  while (true) {
    switch (before_limit()) {
      case Poll::kReady:
        return WaitEnd::kReady;
      case Poll::kAbort:
        return WaitEnd::kAborted;
      case Poll::kNotYet:
        break;
    }
    if (clock.Now() - start > limit) return WaitEnd::kTimedOut;
    switch (after_limit()) {
      case Poll::kReady:
        return WaitEnd::kReady;
      case Poll::kAbort:
        return WaitEnd::kAborted;
      case Poll::kNotYet:
        break;
    }
    clock.SleepFor(step);
  }
}

// For the side of the time test that has nothing to look at.
inline Poll NothingToPoll() {
  return Poll::kNotYet;
}

}  // namespace qw77
