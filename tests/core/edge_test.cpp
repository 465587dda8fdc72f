// The window's own shapes, each turned once into the typed values below it.
#include <gtest/gtest.h>

#include <chrono>

#include "form/ComPorts.h"
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

TEST(ComPorts, TheVersionWordNamesTheFamily) {
  const struct {
    std::uint32_t version;
    OsFamily family;
  } cases[] = {
      {0x00000105u, OsFamily::kWindowsNt5},    // NT, major 5, minor 1
      {0x00000005u, OsFamily::kWindowsNt5},    // NT, major 5
      {0x00000004u, OsFamily::kWindowsOther},  // NT, major 4
      {0x00000006u, OsFamily::kWindowsOther},  // NT, major 6
      {0x80000005u, OsFamily::kWindowsOther},  // bit 31 set: the older family, whatever major
      {0x80000004u, OsFamily::kWindowsOther},
  };
  for (const auto& c : cases) EXPECT_EQ(OsFamilyFromVersionWord(c.version), c.family) << c.version;
}

TEST(ComPorts, OnlyTheNt5FamilyRenumbersThroughAliases) {
  for (OsFamily family : {OsFamily::kPosix, OsFamily::kWindowsOther}) {
    const ComPortNumbering plain = NumberComPorts(family);
    EXPECT_EQ(plain.numbers, (std::array<int, 3>{1, 2, 3}));
    EXPECT_TRUE(plain.aliases.empty());
  }
  const ComPortNumbering nt5 = NumberComPorts(OsFamily::kWindowsNt5);
  EXPECT_EQ(nt5.numbers, (std::array<int, 3>{5, 6, 7}));
  EXPECT_EQ(nt5.aliases, (std::vector<DeviceAlias>{{"COM5", "\\Device\\Serial0"},
                                                   {"COM6", "\\Device\\Serial1"},
                                                   {"COM7", "\\Device\\Serial2"}}));
}

}  // namespace
}  // namespace qw77
