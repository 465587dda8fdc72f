// Inputs that once made one ticket's picture grow until the process died, and the parts a
// tall ticket is cut into.
#include <gtest/gtest.h>

#include "tests/vprinter/VPrinterTestUtil.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> pieces) {
  std::vector<std::uint8_t> all;
  for (const auto& p : pieces) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<std::uint8_t> Repeat(std::uint8_t byte, std::size_t n) {
  return std::vector<std::uint8_t>(n, byte);
}

// A raster image command, `x` bytes by `y` rows, every byte `fill`.
std::vector<std::uint8_t> Image(int mode, int x, int y, std::uint8_t fill) {
  return Join({Bytes({0x1D, 0x76, 0x30, mode, x % 256, x / 256, y % 256, y / 256}),
               Repeat(fill, static_cast<std::size_t>(x) * static_cast<std::size_t>(y))});
}

// `n` CODE-39 barcodes of 255 dots with their text above and below.
std::vector<std::uint8_t> Barcodes(int n) {
  std::vector<std::uint8_t> all;
  for (int i = 0; i < n; ++i) {
    all = Join({all, Bytes({0x1D, 'k', 0x45, 3, 'A' + i, '1', '2', '\n'})});
  }
  return all;
}

const std::vector<std::uint8_t> kClose = Bytes({0x1B, 0x4A, 0x00});

struct HostileCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  long rows;  // the ticket's whole length
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

class HostileTicketTest : public ::testing::TestWithParam<HostileCase> {};

INSTANTIATE_TEST_SUITE_P(
    Inputs, HostileTicketTest,
    ::testing::Values(
        HostileCase{"WidestLineSpacing",
                    Join({Bytes("\x1B\x33\xFFX"), Repeat('\n', 10000), Bytes("Y"), kClose}),
                    255L * 10000 + 24},
        // 8 x 8 characters, four to a line of 192 dots.
        HostileCase{"LargestCharacters", Join({Bytes("\x1D!\x77"), Repeat('W', 2200), kClose}),
                    550L * 192},
        HostileCase{"TallestImageDoubled", Join({Image(3, 1, 65535, 0xFF), kClose}), 2L * 65535}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// No part holds more than the bound, and together they are the whole ticket.
TEST_P(HostileTicketTest, IsDrawnInPartsWithinTheMemoryBound) {
  testing::PrinterRig rig;
  rig.Feed(GetParam().bytes);
  rig.printer.Shutdown();
  const auto& parts = rig.printer.tickets();
  ASSERT_GT(parts.size(), 1u);
  long rows = 0;
  for (const Canvas& part : parts) {
    EXPECT_LE(part.HeldBytes(), kTicketMemoryBytes);
    EXPECT_LE(part.height(), kMaxPartRows);
    rows += part.height();
  }
  EXPECT_EQ(rows, GetParam().rows);
  EXPECT_TRUE(parts.front().inked() && parts.back().inked());
  // The log keeps the latest entries only, and a run of text is logged in pieces.
  EXPECT_LE(rig.printer.log().size(), kLogEntriesKept);
  for (const LogEntry& e : rig.printer.log()) EXPECT_LE(e.params.size(), 4 * kTextRunBytes + 2);
}

struct SplitCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << c.name;
}

class PartSplitTest : public ::testing::TestWithParam<SplitCase> {};

// Each ticket is some 2000 dots long and crosses the cuts of 512-dot parts in a different
// kind of drawing.
INSTANTIATE_TEST_SUITE_P(
    Tickets, PartSplitTest,
    ::testing::Values(
        SplitCase{"TextLines",
                  Join({Bytes("\x1D!\x11\x1B\x33\x64"), Repeat('A', 340), Bytes("\n"), kClose})},
        SplitCase{"ImageAcrossCuts",
                  Join({Bytes("top\n"), Image(3, 8, 900, 0xA5), Bytes("bottom\n"), kClose})},
        SplitCase{"BarcodesWithText", Join({Bytes("\x1DH\x03\x1Dh\xFF"), Barcodes(6), kClose})}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// Cutting a ticket into parts moves no dot: the parts one under the other are the ticket
// drawn whole.
TEST_P(PartSplitTest, PartsStackUpToTheWholeTicket) {
  testing::PrinterRig whole;
  whole.Feed(GetParam().bytes);
  whole.printer.Shutdown();
  ASSERT_EQ(whole.printer.tickets().size(), 1u);
  const Canvas& want = whole.printer.tickets()[0];
  ASSERT_GT(want.height(), 3 * kMinPartRows);

  testing::PrinterRig split({}, {}, 448, kMinPartRows);
  split.Feed(GetParam().bytes);
  split.printer.Shutdown();
  const auto& parts = split.printer.tickets();
  ASSERT_GT(parts.size(), 3u);
  int top = 0;
  int differing = 0;
  for (const Canvas& part : parts) {
    EXPECT_LE(part.height(), kMinPartRows);
    for (int y = 0; y < part.height(); ++y) {
      for (int x = 0; x < want.width(); ++x) differing += part.At(x, y) != want.At(x, top + y);
    }
    top += part.height();
  }
  EXPECT_EQ(top, want.height());
  EXPECT_EQ(differing, 0);
}

// Blank paper fed before anything is printed makes no ticket, however much of it there is;
// a ticket printed after it starts at its first line.
TEST(TicketPartsTest, BlankFeedBeforeATicketFillsNoPart) {
  testing::PrinterRig rig({}, {}, 448, kMinPartRows);
  rig.Feed(Join({Bytes("\x1B\x33\xFF"), Repeat('\n', 100), Bytes("X"), kClose}));
  rig.printer.Shutdown();
  ASSERT_EQ(rig.printer.tickets().size(), 1u);
  EXPECT_LT(rig.printer.tickets()[0].height(), kMinPartRows);
  EXPECT_NE(rig.printer.log().back().note.find("blank paper fed before it are not drawn"),
            std::string::npos)
      << rig.printer.log().back().note;
}

}  // namespace
}  // namespace qw77::vprinter
