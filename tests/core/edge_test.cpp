// The window's own shapes, each turned once into the typed values below it.
#include <gtest/gtest.h>

#include <chrono>

#include "transport/Limits.h"

namespace qw77 {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

TEST(DayFraction, TheWindowsLimitsAsDurations) {
  const struct {
    double days;
    nanoseconds length;
  } cases[] = {
      {0.00002, milliseconds(1728)},          // a reply
      {0.0008, milliseconds(69120)},          // a shell command
      {1.0, std::chrono::hours(24)},          // a whole day
      {1.0 / 86400.0 / 1e9, nanoseconds(1)},  // one nanosecond, just
      {0.0, nanoseconds(0)},                  // no time
      {-0.00002, nanoseconds(0)},             // never negative
  };
  for (const auto& c : cases) EXPECT_EQ(DayFractionToDuration(c.days), c.length) << c.days;
  static_assert(kReplyLimit == milliseconds(1728));
  static_assert(kShellLimit == milliseconds(69120));
}

}  // namespace
}  // namespace qw77
