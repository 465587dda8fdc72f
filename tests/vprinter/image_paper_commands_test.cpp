#include <gtest/gtest.h>

#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/app/Options.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::ExpectOneLogLine;
using testing::Join;
using testing::PrinterRig;

constexpr int kSide = 16;  // 60 mm paper: 480 dots, 448 printable

// Burnt, or marked by the cutter: anything but blank paper.
bool Black(const Canvas& c, int x, int y) {
  return c.At(x, y) < 255;
}

struct LogCase {
  std::string name;
  std::vector<std::uint8_t> bytes;
  LogEntry::Kind kind;
  std::string command;
  std::string note_part;
};

class ImagePaperLogTest : public ::testing::TestWithParam<LogCase> {};

TEST_P(ImagePaperLogTest, LogsWhatThePrinterMadeOfIt) {
  PrinterRig rig;
  rig.Feed(GetParam().bytes,
           GetParam().name == "StatusOnParallel" ? Source::kParallel : Source::kSerial);
  ExpectOneLogLine(rig.Commands(),
                   {GetParam().kind, GetParam().command, std::nullopt, GetParam().note_part});
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ImagePaperLogTest,
    ::testing::Values(
        LogCase{"BitImage24", Bytes({0x1B, '*', 33, 2, 0, 1, 2, 3, 4, 5, 6}), LogEntry::kCommand,
                "ESC *", "24-dot double density, 2 columns: 2x24 dots"},
        LogCase{"BitImage8", Bytes({0x1B, '*', 0, 1, 0, 0x80}), LogEntry::kCommand, "ESC *",
                "8-dot single density, 1 columns: 2x24 dots"},
        LogCase{"BitImageBadMode", Bytes({0x1B, '*', 5, 1, 0}), LogEntry::kMalformed, "ESC *",
                "no such bit-image mode"},
        LogCase{"MultiTone",
                Bytes({0x1D, '(', 'L', 11, 0, 48, 112, 52, 1, 1, 49, 8, 0, 1, 0, 0xFF}),
                LogEntry::kMalformed, "GS ( L", "multi-tone"},
        LogCase{"ShortData", Bytes({0x1D, '(', 'L', 11, 0, 48, 112, 48, 1, 1, 49, 16, 0, 1, 0, 1}),
                LogEntry::kMalformed, "GS ( L", "1 data bytes of 2"},
        LogCase{"PrintEmptyBuffer", Bytes({0x1D, '(', 'L', 2, 0, 48, 50}), LogEntry::kCommand,
                "GS ( L", "no graphic in the print buffer"},
        LogCase{"NvBadKey",
                Bytes({0x1D, '(', 'L', 12, 0, 48, 67, 48, 1, 'A', 1, 8, 0, 1, 0, 49, 0xFF}),
                LogEntry::kMalformed, "GS ( L", "key code outside 32..126"},
        LogCase{"NvPrintMissing", Bytes({0x1D, '(', 'L', 6, 0, 48, 69, 'Z', 'Z', 1, 1}),
                LogEntry::kMalformed, "GS ( L", "no NV graphic with key \"ZZ\""},
        LogCase{"Capacity", Bytes({0x1D, '8', 'L', 2, 0, 0, 0, 48, 48}), LogEntry::kCommand,
                "GS 8 L", "NV graphics capacity 262144 bytes answered"},
        LogCase{"Label", Bytes({0x1C, '(', 'L', 2, 0, 65, 48}), LogEntry::kCommand, "FS ( L",
                "no black mark sensor"},
        LogCase{"NvBitImage", Bytes({0x1C, 'p', 1, 0}), LogEntry::kMalformed, "FS p",
                "no NV bit image 1 (0 defined)"},
        LogCase{"CutNothing", Bytes({0x1D, 'V', 66, 24}), LogEntry::kCommand, "GS V",
                "partial cut: no ticket to cut"},
        LogCase{"CutBadMode", Bytes({0x1D, 'V', 7}), LogEntry::kMalformed, "GS V", "no such cut"},
        LogCase{"Drawer", Bytes({0x1B, 'p', 0, 50, 100}), LogEntry::kCommand, "ESC p",
                "drawer kick pin 2, 100 ms on, 200 ms off"},
        LogCase{"DrawerPulse", Bytes({0x10, 0x14, 1, 1, 3}), LogEntry::kCommand, "DLE DC4",
                "pin 5, 300 ms on, 300 ms off"},
        LogCase{"DrawerPulseBad", Bytes({0x10, 0x14, 1, 0, 9}), LogEntry::kMalformed, "DLE DC4",
                "outside 1..8"},
        LogCase{"Recover", Bytes({0x10, 0x05, 2}), LogEntry::kCommand, "DLE ENQ", "no effect"},
        LogCase{"StatusOnParallel", Bytes({0x1D, 'r', 1}), LogEntry::kCommand, "GS r",
                "no reply channel"},
        LogCase{"NoSuchId", Bytes({0x1D, 'I', 70}), LogEntry::kMalformed, "GS I", "no such ID"}),
    [](const auto& p) { return p.param.name; });

// Logos are sent as stripes of 24 dots, one line each: they must join without a gap.
TEST(BitImageTest, StripesJoinAndEightDotModesAreThreeDotsTall) {
  PrinterRig rig;
  const auto stripe = Bytes({0x1B, '*', 33, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0A});
  rig.Feed(Join({Bytes({0x1B, '3', 24}), stripe, stripe,
                 // Text beside an 8-dot single-density image: one dot is 2 wide, 3 tall.
                 Bytes({'A', 0x1B, '*', 0, 1, 0, 0x80, 0x0A})}));
  rig.printer.Shutdown();
  ASSERT_EQ(rig.printer.tickets().size(), 1u);
  const Canvas& t = rig.printer.tickets()[0];
  for (int y = 0; y < 48; ++y) ASSERT_TRUE(Black(t, kSide + 1, y)) << "row " << y;
  EXPECT_FALSE(Black(t, kSide + 2, 10));
  // The third line: the image stands right of the 12-dot character, on its baseline.
  const int x = kSide + 12, bottom = 48 + 24;
  EXPECT_TRUE(Black(t, x, bottom - 24) && Black(t, x + 1, bottom - 22));
  EXPECT_FALSE(Black(t, x + 2, bottom - 24) || Black(t, x, bottom - 21));
}

TEST(GraphicsTest, BufferedAndNvGraphicsPrintScaledAtTheLeftEdge) {
  PrinterRig rig;
  // 16x2 dots: the top row's left half, the bottom row's last dot; drawn 2x2.
  rig.Feed(
      Join({Bytes({0x1D, '(', 'L',  14,   0,    48,   112,  48,  2,   2, 49, 16, 0,
                   2,    0,   0xFF, 0x00, 0x00, 0x01, 0x1D, '(', 'L', 2, 0,  48, 50}),
            // The same graphic defined in NV memory as "AB" and printed at 1x1 below.
            Bytes({0x1D, '(',  'L',  15,   0,    48,  67,  48, 'A', 'B', 1,  16,  0,   2, 0, 49,
                   0xFF, 0x00, 0x00, 0x01, 0x1D, '(', 'L', 6,  0,   48,  69, 'A', 'B', 1, 1})}));
  rig.printer.Shutdown();
  ASSERT_EQ(rig.printer.tickets().size(), 1u);
  const Canvas& t = rig.printer.tickets()[0];
  EXPECT_TRUE(Black(t, kSide, 0) && Black(t, kSide + 15, 1));
  EXPECT_FALSE(Black(t, kSide + 16, 0) || Black(t, kSide + 29, 3));
  EXPECT_TRUE(Black(t, kSide + 30, 2) && Black(t, kSide + 31, 3));
  EXPECT_TRUE(Black(t, kSide + 7, 4) && Black(t, kSide + 15, 5));
  EXPECT_FALSE(Black(t, kSide + 8, 4) || Black(t, kSide + 14, 5));
  // Printing empties the print buffer.
  rig.Feed(Bytes({0x1D, '(', 'L', 2, 0, 48, 50}));
  EXPECT_NE(rig.Commands().back().note.find("no graphic"), std::string::npos);
}

TEST(GraphicsTest, NvMemoryIsBounded) {
  PrinterRig rig;
  // 8192 x 256 dots: 262144 bytes, all the memory there is.
  auto define = [&](char key, int rows) {
    const std::size_t data = 1024 * static_cast<std::size_t>(rows);
    const std::size_t length = 11 + data;
    auto bytes = Bytes({0x1D, '8', 'L', static_cast<int>(length & 0xFF),
                        static_cast<int>((length >> 8) & 0xFF), static_cast<int>(length >> 16), 0,
                        48, 67, 48, key, key, 1, 0, 32, rows & 0xFF, rows >> 8, 49});
    bytes.resize(bytes.size() + data, 0x55);
    rig.Feed(bytes);
    return rig.Commands().back();
  };
  EXPECT_EQ(define('A', 256).kind, LogEntry::kCommand);
  const LogEntry full = define('B', 1);
  EXPECT_EQ(full.kind, LogEntry::kMalformed);
  EXPECT_NE(full.note.find("memory full: 262144 of 262144 bytes used"), std::string::npos);
  // Replacing a graphic reuses its room; deleting all frees it.
  EXPECT_EQ(define('A', 2).kind, LogEntry::kCommand);
  rig.Feed(Bytes({0x1D, '(', 'L', 5, 0, 48, 65, 'C', 'L', 'R'}));
  EXPECT_EQ(define('B', 256).kind, LogEntry::kCommand);
}

TEST(CutTest, EachCutEndsATicketWithADashedLineAtItsFoot) {
  PrinterRig rig;
  rig.Feed(Join({Bytes("A\n"), Bytes({0x1D, 'V', 0}), Bytes("B\n"), Bytes({0x1D, 'V', 65, 24}),
                 Bytes("C"), Bytes({0x1B, 'm'})}));
  const auto& tickets = rig.printer.tickets();
  ASSERT_EQ(tickets.size(), 3u);
  EXPECT_EQ(tickets[0].height(), 31);       // one line, the cut mark
  EXPECT_EQ(tickets[1].height(), 30 + 25);  // the line, the feed, the cut mark
  for (const Canvas& t : tickets) {
    const int foot = t.height() - 1;
    EXPECT_TRUE(Black(t, 0, foot) && Black(t, 7, foot) && Black(t, 16, foot));
    EXPECT_FALSE(Black(t, 8, foot) || Black(t, 15, foot));
  }
  std::vector<std::string> ends;
  for (const LogEntry& e : rig.printer.log()) {
    if (e.kind == LogEntry::kEvent) ends.push_back(e.note.substr(0, e.note.find(',')));
  }
  EXPECT_EQ(ends, (std::vector<std::string>{"full cut", "full cut", "partial cut"}));
}

TEST(ReplyTest, StatusIdsAndAutomaticStatusGoOutOnTheLine) {
  Conditions near_end;
  near_end.near_end = true;
  PrinterRig rig(near_end);
  rig.Feed(Join({Bytes({0x1D, 'r', 1, 0x1D, 'r', 50, 0x1D, 'I', 49, 0x1D, 'I', 66})}));
  EXPECT_EQ(rig.replies, Bytes({0x03, 0x00, 0x47, 0x5F, 'q', 'w', '7', '7', 0}));
  rig.replies.clear();
  rig.Feed(Bytes({0x1D, 'a', 0x08}));  // paper sensors: sent at once
  EXPECT_EQ(rig.replies, Bytes({0x10, 0x00, 0x03, 0x00}));
  rig.replies.clear();
  rig.printer.Tick(1);  // nothing changed, nothing sent
  EXPECT_TRUE(rig.replies.empty());
  rig.status.conditions().paper_out = true;  // offline; the paper sensors show it
  rig.printer.Tick(2);
  EXPECT_EQ(rig.replies, Bytes({0x18, 0x00, 0x0F, 0x00}));
  rig.replies.clear();
  rig.status.conditions().cover_open = true;  // a change of the printer byte, not enabled
  rig.printer.Tick(2);
  EXPECT_TRUE(rig.replies.empty());
  rig.Feed(Bytes({0x1D, 'a', 0}));
  rig.status.conditions().paper_out = rig.status.conditions().cover_open = false;
  rig.printer.Tick(3);
  EXPECT_TRUE(rig.replies.empty());
}

TEST(ReplyTest, SilentPrinterAnswersNothing) {
  Faults silent;
  silent.silent = true;
  PrinterRig rig({}, silent);
  rig.Feed(Bytes({0x1D, 'r', 1, 0x1D, 'I', 67, 0x1D, 'a', 0x0F}));
  EXPECT_TRUE(rig.replies.empty());
  EXPECT_NE(rig.Commands()[0].note.find("NOT answered (silent)"), std::string::npos);
}

TEST(ReplyTest, ModelOptionReachesTheModelName) {
  Result<CommandLine> cl = ParseCommandLine({"--tcp", "0", "--model", "Counter 3"});
  ASSERT_TRUE(cl.ok()) << cl.status().message();
  StatusModel status;
  PrinterOptions options;
  options.model_name = cl->model_name;
  Printer printer(testing::TestFonts(), status, options);
  CollectedReplies collected;
  std::vector<std::uint8_t>& replies = collected.bytes;
  printer.AttachReplies(Source::kSerial, &collected);
  printer.Feed(Source::kSerial, Bytes({0x1D, 'I', 67}), 0);
  EXPECT_EQ(replies, Bytes({0x5F, 'C', 'o', 'u', 'n', 't', 'e', 'r', ' ', '3', 0}));
  for (const char* bad : {"", "tab\there", "0123456789012345678901234567890123456789X"}) {
    Result<CommandLine> refused = ParseCommandLine({"--model", bad});
    ASSERT_FALSE(refused.ok()) << bad;
    EXPECT_NE(refused.status().message().find("printable ASCII"), std::string::npos);
  }
}

}  // namespace
}  // namespace qw77::vprinter
