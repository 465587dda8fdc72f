#include <gtest/gtest.h>

#include "tests/vprinter/VPrinterTestUtil.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::ExpectOneLogLine;
using testing::PrinterRig;

struct CommandCase {
  std::vector<std::uint8_t> bytes;
  LogEntry::Kind kind;
  std::string command;
  std::string params;
  std::string note_part;  // must appear in the note
};

class CommandLogTest : public ::testing::TestWithParam<CommandCase> {};

// Each command the application sends, and the ways it can go wrong, as one log line.
INSTANTIATE_TEST_SUITE_P(
    Commands, CommandLogTest,
    ::testing::Values(
        CommandCase{Bytes({0x1B, 0x21, 0x00}), LogEntry::kCommand, "ESC !", "n=0x00", "font A"},
        CommandCase{Bytes({0x1D, 0x21, 0x10}), LogEntry::kCommand, "GS !", "n=0x10",
                    "width x2, height x1"},
        CommandCase{Bytes({0x1D, 0x21, 0x77}), LogEntry::kCommand, "GS !", "n=0x77",
                    "width x8, height x8"},
        CommandCase{Bytes({0x1D, 0x21, 0x88}), LogEntry::kMalformed, "GS !", "n=0x88", "above 8"},
        CommandCase{Bytes({0x1B, 0x33, 0x01}), LogEntry::kCommand, "ESC 3", "n=1",
                    "line spacing 1"},
        CommandCase{Bytes({0x1B, 0x20, 0xFF}), LogEntry::kCommand, "ESC SP", "n=255",
                    "character spacing 255"},
        CommandCase{Bytes({0x1B, 0x4D, 0x01}), LogEntry::kCommand, "ESC M", "n=1", "font B"},
        CommandCase{Bytes({0x1B, 0x4D, 0x05}), LogEntry::kMalformed, "ESC M", "n=5", "no such"},
        CommandCase{Bytes({0x1D, 0x4C, 0xC0, 0x01}), LogEntry::kCommand, "GS L", "nL=192 nH=1",
                    "left margin 448 dots, limited to 436"},
        CommandCase{Bytes({0x1D, 0x4C, 0x40, 0x00}), LogEntry::kCommand, "GS L", "nL=64 nH=0",
                    "left margin 64 dots"},
        CommandCase{Bytes({0x1D, 0x28, 0x4B, 0x02, 0x00, 0x01, 0xF6}), LogEntry::kCommand, "GS ( K",
                    "pL=2 pH=0 fn=1 d=246", "print density -10"},
        CommandCase{Bytes({0x1D, 0x28, 0x4B, 0x02, 0x00, 0x01, 0x0B}), LogEntry::kMalformed,
                    "GS ( K", "pL=2 pH=0 fn=1 d=11", "outside -10..10"},
        CommandCase{Bytes({0x1D, 0x28, 0x4B, 0x03, 0x00, 0x31, 0x02, 0x03}), LogEntry::kMalformed,
                    "GS ( K", "pL=3 pH=0 fn=49 02 03", "not supported"},
        CommandCase{Bytes({0x1D, 0x45, 0x30}), LogEntry::kCommand, "GS E", "n=0x30", "50 mm/s"},
        CommandCase{Bytes({0x1D, 0x45, 0x00}), LogEntry::kCommand, "GS E", "n=0x00", "150 mm/s"},
        CommandCase{Bytes({0x1D, 0x45, 0x07}), LogEntry::kMalformed, "GS E", "n=0x07", "speed"},
        CommandCase{Bytes({0x1B, 0x4A, 0xE1}), LogEntry::kCommand, "ESC J", "n=225",
                    "feed 225 dots"},
        CommandCase{Bytes({0x1D, 0x76, 0x30, 0x00, 0x01, 0x00, 0x02, 0x00, 0xFF, 0x81}),
                    LogEntry::kCommand, "GS v 0", "m=0 xL=1 xH=0 yL=2 yH=0", "image 8x2 dots"},
        CommandCase{Bytes({0x1D, 0x76, 0x30, 0x00, 0x08, 0x00, 0x00, 0x00}), LogEntry::kCommand,
                    "GS v 0", "m=0 xL=8 xH=0 yL=0 yH=0", "empty image"},
        CommandCase{Bytes({0x1D, 0x76, 0x30, 0x07, 0x01, 0x00, 0x01, 0x00, 0x41}),
                    LogEntry::kMalformed, "GS v 0", "m=7 xL=1 xH=0 yL=1 yH=0",
                    "1 data bytes skipped"},
        CommandCase{Bytes("\x1Dk\x43\x0C"
                          "590123412345"),
                    LogEntry::kCommand, "GS k", "m=0x43 n=12 \"590123412345\"",
                    "EAN-13 \"5901234123457\""},
        CommandCase{Bytes("\x1Dk\x43\x05"
                          "12345"),
                    LogEntry::kMalformed, "GS k", "m=0x43 n=5 \"12345\"",
                    "EAN-13: needs 12 or 13 digits"},
        CommandCase{Bytes({0x1D, 0x6B, 0x43, 0x00}), LogEntry::kMalformed, "GS k",
                    "m=0x43 n=0 \"\"", "needs 12 or 13"},
        CommandCase{Bytes("\x1Dk\x45\x05"
                          "AB 12"),
                    LogEntry::kCommand, "GS k", "m=0x45 n=5 \"AB 12\"", "CODE-39 \"AB 12\""},
        CommandCase{Bytes("\x1Dk\x46\x04"
                          "1234"),
                    LogEntry::kCommand, "GS k", "m=0x46 n=4 \"1234\"", "ITF \"1234\""},
        CommandCase{Bytes("\x1Dk\x46\x03"
                          "123"),
                    LogEntry::kMalformed, "GS k", "m=0x46 n=3 \"123\"", "even number"},
        CommandCase{Bytes({0x1D, 0x6B, 0x49, 0x06, 0x7B, 0x43, 0x0C, 0x22, 0x38, 0x4E}),
                    LogEntry::kCommand, "GS k", "m=0x49 n=6 \"{C\\x0C\\x228N\"", "\"12345678\""},
        CommandCase{Bytes({0x1D, 0x6B, 0x49, 0x04, 0x7B, 0x43, 0x01, 0x17}), LogEntry::kCommand,
                    "GS k", "m=0x49 n=4 \"{C\\x01\\x17\"", "CODE-128 \"0123\""},
        CommandCase{Bytes({0x1D, 0x6B, 0x49, 0x02, 0x7B, 0x43}), LogEntry::kMalformed, "GS k",
                    "m=0x49 n=2 \"{C\"", "no data"},
        CommandCase{Bytes({0x1D, 0x6B, 0x49, 0x03, 0x7B, 0x43, 0x64}), LogEntry::kMalformed, "GS k",
                    "m=0x49 n=3 \"{Cd\"", "above 99"},
        CommandCase{Bytes({0x0D, 0x07, 0x0D}), LogEntry::kCommand, "CR BEL CR", "",
                    "text settings stored: font A"},
        CommandCase{Bytes({0x10, 0x04, 0x02}), LogEntry::kCommand, "DLE EOT", "n=2",
                    "status 2 answered 0x12"},
        CommandCase{Bytes({0x10, 0x04, 0x09}), LogEntry::kMalformed, "DLE EOT", "n=9",
                    "no such status request"},
        CommandCase{Bytes({0x07}), LogEntry::kCommand, "BEL", "", "passed over"},
        CommandCase{Bytes({0x00}), LogEntry::kCommand, "NUL", "", "passed over"},
        CommandCase{Bytes({0x1F}), LogEntry::kCommand, "US", "", "passed over"},
        CommandCase{Bytes({0x7F}), LogEntry::kUnknown, "byte", "7F", "nothing printed"},
        CommandCase{Bytes({0x1B, '4'}), LogEntry::kCommand, "ESC 4", "", "italic on"},
        CommandCase{Bytes({0x1B, '4', 0}), LogEntry::kCommand, "ESC 4", "n=0", "italic off"},
        CommandCase{Bytes({0x1B, '4', 1}), LogEntry::kCommand, "ESC 4", "n=1", "italic on"},
        CommandCase{Bytes({0x1B, '5'}), LogEntry::kCommand, "ESC 5", "", "italic off"},
        CommandCase{Bytes({0x1B, '=', 1}), LogEntry::kCommand, "ESC =", "n=1", "selected"},
        CommandCase{Bytes({0x1B, '%', 1}), LogEntry::kCommand, "ESC %", "n=1",
                    "user-defined characters selected"},
        CommandCase{Bytes({0x1B, '?', 0x1F}), LogEntry::kMalformed, "ESC ?", "n=31",
                    "cannot be user-defined"},
        CommandCase{Bytes({0x1B, '&', 3, 'A', 'A', 1, 0xFF, 0xFF, 0xFF}), LogEntry::kCommand,
                    "ESC &", "y=3 c1=65 c2=65", "1 characters of font A defined"},
        CommandCase{Bytes({0x1B, '&', 3, 'B', 'A'}), LogEntry::kMalformed, "ESC &",
                    "y=3 c1=66 c2=65", "not a range"},
        CommandCase{Bytes({0x1B, 'B', 2, 3}), LogEntry::kCommand, "ESC B", "02 03", "no effect"},
        CommandCase{Bytes({0x1B, 0x7A}), LogEntry::kUnknown, "command", "1B 7A",
                    "nothing printed"}));

TEST_P(CommandLogTest, LogsTheCommandWithItsParameters) {
  const CommandCase& c = GetParam();
  PrinterRig rig;
  rig.Feed(c.bytes);
  rig.printer.Shutdown();
  ExpectOneLogLine(rig.Commands(), {c.kind, c.command, c.params, c.note_part});
}

// The sample ticket in every split: pieces of any size give the same commands.
TEST(InterpreterTest, PiecesOfAnySizeGiveTheSameLog) {
  const auto ticket = Bytes(
      "\x1B!\x00\x1D!\x10\x1B\x33\x01\x1B \x01\x1BM\x00\x1DL\x00\x00\x1D(K\x02\x00\x01\x00"
      "\x1D\x45\x00"
      "AB\nAB\n\x1B\x4A\xE1");
  ASSERT_EQ(ticket.size(), 38u);
  PrinterRig whole;
  whole.Feed(ticket);
  for (std::size_t piece : {1u, 2u, 3u, 7u}) {
    PrinterRig split;
    for (std::size_t i = 0; i < ticket.size(); i += piece) {
      split.Feed({ticket.begin() + static_cast<long>(i),
                  ticket.begin() + static_cast<long>(std::min(ticket.size(), i + piece))});
    }
    const auto a = whole.Commands(), b = split.Commands();
    ASSERT_EQ(a.size(), b.size()) << "piece " << piece;
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].Format(), b[i].Format());
  }
  std::vector<std::string> names;
  for (const LogEntry& e : whole.Commands()) names.push_back(e.command);
  EXPECT_EQ(names,
            (std::vector<std::string>{"ESC !", "GS !", "ESC 3", "ESC SP", "ESC M", "GS L", "GS ( K",
                                      "GS E", "TEXT", "LF", "TEXT", "LF", "ESC J"}));
  EXPECT_EQ(whole.printer.ticket_files().size() + whole.printer.tickets().size(), 1u);
}

struct TruncatedCase {
  std::vector<std::uint8_t> bytes;
  std::string command;
  std::string note_part;
};

class TruncatedTest : public ::testing::TestWithParam<TruncatedCase> {};

INSTANTIATE_TEST_SUITE_P(
    Streams, TruncatedTest,
    ::testing::Values(
        TruncatedCase{Bytes({0x1D, 0x76, 0x30, 0x00, 0x02, 0x00, 0x02, 0x00, 0x41, 0x42}), "GS v 0",
                      "10 bytes of 12"},
        TruncatedCase{Bytes({0x1D, 0x76, 0x30}), "GS v 0", "after 3 bytes"},
        TruncatedCase{Bytes({0x1D, 0x6B, 0x43, 0x0C, 0x35, 0x39}), "GS k", "6 bytes of 16"},
        TruncatedCase{Bytes({0x1D, 0x4C, 0x40}), "GS L", "3 bytes of 4"},
        TruncatedCase{Bytes({0x1D, 0x28}), "command", "after 2 bytes"},  // GS ( K, k, L, ...
        TruncatedCase{Bytes({0x1B}), "command", "after 1 bytes"}));

// A stream that ends inside a command logs it as truncated; its bytes never print as text.
TEST_P(TruncatedTest, EndOfStreamLogsTheOpenCommand) {
  PrinterRig rig;
  rig.Feed(GetParam().bytes);
  EXPECT_TRUE(rig.Commands().empty());
  rig.printer.EndOfStream(Source::kSerial);
  const auto log = rig.Commands();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, LogEntry::kTruncated);
  EXPECT_EQ(log[0].command, GetParam().command);
  EXPECT_NE(log[0].note.find(GetParam().note_part), std::string::npos) << log[0].note;
  rig.printer.Shutdown();
  EXPECT_TRUE(rig.printer.tickets().empty()) << "nothing may be printed";
}

// An image of 256 x 8192 bytes (2 MiB): more than a command may hold. It is logged and its
// bytes are passed over as they come, without being held; the stream stays in step.
TEST(InterpreterTest, AnOverlongCommandIsSkippedWithoutBeingHeld) {
  PrinterRig rig;
  const std::size_t data = 256u * 8192u;
  rig.Feed(Bytes({0x1D, 0x76, 0x30, 0x00, 0x00, 0x01, 0x00, 0x20}));
  std::size_t most_held = 0;
  const std::vector<std::uint8_t> piece(4096, 0xFF);
  for (std::size_t sent = 0; sent < data; sent += piece.size()) {
    rig.Feed(piece);
    most_held = std::max(most_held, rig.printer.BufferedBytes());
  }
  rig.Feed(Bytes("OK\n"));
  EXPECT_LT(most_held, kMaxCommandBytes);
  // A second one that the stream ends inside; the next byte starts afresh.
  rig.Feed(Bytes({0x1D, 0x76, 0x30, 0x00, 0x00, 0x01, 0x00, 0x20, 0x01, 0x02}));
  rig.printer.EndOfStream(Source::kSerial);
  rig.Feed(Bytes("GO\n"));
  rig.printer.Shutdown();
  std::vector<std::string> lines;
  for (const LogEntry& e : rig.Commands()) lines.push_back(e.Format());
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0],
            "serial @0 MALFORMED GS v 0 m=0 xL=0 xH=1 yL=0 yH=32  : image 2048x8192 dots, 2097160 "
            "bytes, more than the 1048576 a command may have; skipped, nothing printed");
  EXPECT_EQ(lines[1], "serial @2097160 TEXT \"OK\" (4F 4B)");
  EXPECT_EQ(lines[3].substr(0, 29), "serial @2097163 MALFORMED GS ");
  EXPECT_EQ(
      lines[4],
      "serial @2097163 TRUNCATED GS v 0  : stream ended after 10 bytes of 2097160; discarded");
  EXPECT_EQ(lines[5], "serial @2097173 TEXT \"GO\" (47 4F)");
}

TEST(InterpreterTest, QuietTimeEndsAnOpenCommandAndTheTicket) {
  PrinterRig rig;  // idle time 2000 ms
  rig.printer.Feed(Source::kSerial, Bytes("HI\n\x1D\x4C"), 1000);
  EXPECT_EQ(rig.printer.NextDeadline(), 3000);
  rig.printer.Tick(2999);
  EXPECT_EQ(rig.printer.tickets().size(), 0u);
  rig.printer.Tick(3000);
  ASSERT_EQ(rig.printer.tickets().size(), 1u);
  const auto log = rig.Commands();
  EXPECT_EQ(log.back().kind, LogEntry::kTruncated);
  EXPECT_EQ(log.back().command, "GS L");
}

TEST(InterpreterTest, ControlBytesAreNeverPrinted) {
  PrinterRig rig;
  rig.Feed(Bytes({0x00, 0x01, 0x7F, 0x1C, 0x41}));
  rig.printer.Shutdown();
  EXPECT_TRUE(rig.printer.tickets().empty());
  std::vector<std::string> lines;
  for (const LogEntry& e : rig.Commands()) lines.push_back(e.command + " " + e.params);
  // Control bytes are passed over as printers do; DEL is no command. FS is an introducer:
  // it takes the byte after it into the unknown command.
  EXPECT_EQ(lines, (std::vector<std::string>{"NUL ", "SOH ", "byte 7F", "command 1C 41"}));
}

// Commands whose length depends on what follows: read the same whole and byte by byte.
struct FramingCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> lines;  // command and parameters, as logged
};

class FramingTest : public ::testing::TestWithParam<FramingCase> {};

INSTANTIATE_TEST_SUITE_P(
    Shapes, FramingTest,
    ::testing::Values(FramingCase{"ItalicAlone", Bytes({0x1B, '4', 'A'}), {"ESC 4 ", "TEXT \"A\""}},
                      FramingCase{
                          "ItalicWithN", Bytes({0x1B, '4', 1, 'A'}), {"ESC 4 n=1", "TEXT \"A\""}},
                      FramingCase{"ItalicAtTheEnd", Bytes({0x1B, '4'}), {"ESC 4 "}},
                      FramingCase{"UserCharacters",
                                  Bytes({0x1B, '&', 2, 'A', 'B', 1, 0xFF, 0xFF, 0, 'Z'}),
                                  {"ESC & y=2 c1=65 c2=66", "TEXT \"Z\""}},
                      FramingCase{"UserCharactersRefusedHeader",
                                  Bytes({0x1B, '&', 3, 'B', 'A', 'Z'}),
                                  {"ESC & y=3 c1=66 c2=65", "TEXT \"Z\""}},
                      FramingCase{"UserCharactersCutShort",
                                  Bytes({0x1B, '&', 3, 'A', 'B', 1, 0xFF}),
                                  {"ESC & 1B 26 03 41 42 01 FF"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_P(FramingTest, TheSameWholeAndByteByByte) {
  for (bool bytewise : {false, true}) {
    PrinterRig rig;
    if (bytewise) {
      for (std::uint8_t b : GetParam().bytes) rig.Feed({b});
    } else {
      rig.Feed(GetParam().bytes);
    }
    rig.printer.EndOfStream(Source::kSerial);
    std::vector<std::string> lines;
    for (const LogEntry& e : rig.Commands()) lines.push_back(e.command + " " + e.params);
    EXPECT_EQ(lines, GetParam().lines) << (bytewise ? "byte by byte" : "whole");
  }
}

// Deselected, the printer still answers real-time status requests.
TEST(InterpreterTest, DeselectedPrinterAnswersStatusAndLogsWhatItPassesOver) {
  PrinterRig rig;
  rig.Feed(Bytes({0x1B, '=', 0, 0x10, 0x04, 0x01, 'X', 0x1B, '=', 1, 'Y'}));
  rig.printer.Shutdown();
  EXPECT_EQ(rig.replies, Bytes({0x12}));
  std::vector<std::string> lines;
  for (const LogEntry& e : rig.Commands()) lines.push_back(e.command + " " + e.params);
  EXPECT_EQ(lines, (std::vector<std::string>{"ESC = n=0", "DLE EOT n=1",
                                             "TEXT (deselected, not printed) \"X\"", "ESC = n=1",
                                             "TEXT \"Y\""}));
}

// CR BEL CR and CR are told apart however the bytes arrive, also right after a probe.
TEST(InterpreterTest, StoreSettingsAfterTheProbeIsRecognised) {
  PrinterRig rig;
  for (std::uint8_t b : Bytes({0x0D, 0x10, 0x04, 0x01, 0x0D, 0x0D, 0x07, 0x0D})) rig.Feed({b});
  std::vector<std::string> names;
  for (const LogEntry& e : rig.Commands()) names.push_back(e.command);
  EXPECT_EQ(names, (std::vector<std::string>{"CR", "DLE EOT", "CR", "CR BEL CR"}));
  EXPECT_EQ(rig.replies, Bytes({0x12}));
}

TEST(InterpreterTest, StoreSettingsKeepsTheTextSettingsInForce) {
  PrinterRig rig;
  rig.Feed(Bytes({0x1D, 0x21, 0x21, 0x1B, 0x33, 0x28, 0x1B, 0x4D, 0x01, 0x1D, 0x28, 0x4B, 0x02,
                  0x00, 0x01, 0xFD}));
  EXPECT_NE(rig.printer.stored_settings(), rig.printer.settings());
  rig.Feed(Bytes({0x0D, 0x07, 0x0D}));
  const TextSettings& s = rig.printer.stored_settings();
  EXPECT_EQ(s.width_mul, 3);
  EXPECT_EQ(s.height_mul, 2);
  EXPECT_EQ(s.line_spacing, 40);
  EXPECT_EQ(s.font, 1);
  EXPECT_EQ(s.density, -3);
}

// Over the parallel port the self test arrives as CR BS CR CR LF: one test page, and the
// line end after it feeds blank paper that makes no ticket.
TEST(InterpreterTest, SelfTestPrintsItsOwnPage) {
  PrinterRig rig;
  rig.Feed(Bytes("A\n"), Source::kParallel);
  rig.Feed(Bytes({0x0D, 0x08, 0x0D, 0x0D, 0x0A}), Source::kParallel);
  rig.printer.Shutdown();
  EXPECT_EQ(rig.printer.self_tests(), 1);
  ASSERT_EQ(rig.printer.tickets().size(), 2u);  // the ticket before it, then the test page
  EXPECT_GT(rig.printer.tickets()[1].height(), 300);
}

TEST(InterpreterTest, StatusRequestsOverTheParallelPortGetNoReply) {
  PrinterRig rig;
  rig.Feed(Bytes({0x10, 0x04, 0x01}), Source::kParallel);
  EXPECT_TRUE(rig.replies.empty());
  EXPECT_NE(rig.Commands().at(0).note.find("no reply channel"), std::string::npos);
}

// Every command of the table, with its parameters all zero, reaches a handler that knows it.
TEST(CommandTableTest, EveryCommandHasItsHandler) {
  for (const CommandDef& def : CommandTable()) {
    std::vector<std::uint8_t> bytes(def.prefix.begin(), def.prefix.begin() + def.prefix_length);
    while (MatchCommand(bytes, false).kind != Match::kCommand && bytes.size() < 300) {
      bytes.push_back(0);
    }
    PrinterRig rig;
    rig.Feed(bytes);
    rig.printer.EndOfStream(Source::kSerial);  // a CR might have begun CR BEL CR
    const auto log = rig.Commands();
    ASSERT_FALSE(log.empty()) << def.name;
    EXPECT_EQ(log[0].command, std::string(def.name));
    EXPECT_EQ(log[0].note.find("no handler"), std::string::npos) << log[0].Format();
  }
}

}  // namespace
}  // namespace qw77::vprinter
