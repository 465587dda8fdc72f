// A clock that moves only when told to, or when someone sleeps on it.
#pragma once

#include <functional>

#include "platform/Clock.h"

namespace qw77::testing {

class FakeClock : public Clock {
 public:
  TimePoint Now() override {
    ++now_calls;
    return now_;
  }
  void SleepFor(Duration duration) override {
    ++sleeps;
    now_ += duration;
    if (on_sleep) on_sleep();
  }
  void Advance(Duration duration) { now_ += duration; }
  Duration Elapsed() const { return now_.time_since_epoch(); }

  int now_calls = 0;
  int sleeps = 0;
  std::function<void()> on_sleep;

 private:
  TimePoint now_{};
};

}  // namespace qw77::testing
