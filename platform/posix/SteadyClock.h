// The monotonic clock that every limit is measured on.
#pragma once

#include "platform/Clock.h"

namespace qw77 {

class SteadyClock : public Clock {
 public:
  TimePoint Now() override;
  void SleepFor(Duration duration) override;
};

}  // namespace qw77
