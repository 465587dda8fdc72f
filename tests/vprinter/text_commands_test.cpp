// The character and line commands: what the log makes of them and what they draw.
#include <gtest/gtest.h>

#include <functional>

#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/app/Options.h"
#include "vprinter/framing/CommandTable.h"
#include "vprinter/paper/CodePages.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::Join;
using testing::PrinterRig;

constexpr int ESC = 0x1B, GS = 0x1D, FS = 0x1C;
// 60 mm paper: 448 printable dots start 16 dots from the edge.
constexpr int kLeft = 16;

struct NoteCase {
  const char* name;
  std::vector<std::uint8_t> bytes;  // the command looked at comes last
  const char* command;
  const char* note;  // part of the note
  bool malformed;
};

void PrintTo(const NoteCase& c, std::ostream* os) {
  *os << c.name;
}

class TextNoteTest : public ::testing::TestWithParam<NoteCase> {};

INSTANTIATE_TEST_SUITE_P(
    Commands, TextNoteTest,
    ::testing::Values(
        NoteCase{"Centre", Bytes({ESC, 'a', '1'}), "ESC a", "centred", false},
        NoteCase{"NoSuchJustification", Bytes({ESC, 'a', 3}), "ESC a", "no such", true},
        NoteCase{"DoubleStrike", Bytes({ESC, 'G', 1}), "ESC G", "drawn bold", false},
        NoteCase{"UnderlineTwo", Bytes({ESC, '-', 2}), "ESC -", "2 dots thick", false},
        NoteCase{"KanjiUnderline", Bytes({FS, '-', '1'}), "FS -", "1 dot thick", false},
        NoteCase{"NoSuchUnderline", Bytes({ESC, '-', 3}), "ESC -", "no such underline", true},
        NoteCase{"Reverse", Bytes({GS, 'B', 1}), "GS B", "white on black) on", false},
        NoteCase{"UpsideDown", Bytes({ESC, '{', 1}), "ESC {", "upside-down printing on", false},
        NoteCase{"RotationTwo", Bytes({ESC, 'V', 2}), "ESC V", "2 is taken as 1", false},
        NoteCase{"NoSuchRotation", Bytes({ESC, 'V', 3}), "ESC V", "no such rotation", true},
        NoteCase{"AbsoluteBeyond", Bytes({ESC, '$', 0xC0, 0x01}), "ESC $", "outside", true},
        NoteCase{"RelativeBack", Bytes({'A', 'B', ESC, '\\', 0xF4, 0xFF}), "ESC \\",
                 "moved by -12 dots, to 12", false},
        NoteCase{"RelativeBeforeStart", Bytes({ESC, '\\', 0xF4, 0xFF}), "ESC \\", "outside", true},
        NoteCase{"TabStopsNotAscending", Bytes({ESC, 'D', 4, 8, 3, 0}), "ESC D",
                 "2 tab stops in columns of 12 dots, the first at 48, the last at 96; 3 is not",
                 false},
        NoteCase{"NoFurtherTab", Bytes({ESC, 'D', 0, '\t'}), "HT", "no tab stop further", false},
        NoteCase{"CodePage858", Bytes({ESC, 't', 19}), "ESC t", "code page PC858", false},
        NoteCase{"NoSuchCodePage", Bytes({ESC, 't', 7}), "ESC t", "WPC1252 kept", true},
        NoteCase{"InternationalUsa", Bytes({ESC, 'R', 0}), "ESC R", "set USA", false},
        NoteCase{"InternationalOther", Bytes({ESC, 'R', 2}), "ESC R", "not supported, USA kept",
                 false},
        NoteCase{"PrintWidthZero", Bytes({GS, 'W', 0, 0}), "GS W", "widened to 12", false},
        NoteCase{"ShortFeed", Bytes({'X', ESC, 'J', 24}), "ESC J", "print and feed 24 dots", false},
        NoteCase{"ClosingFeed", Bytes({'X', ESC, 'J', 160}), "ESC J", "past the tear bar", false},
        NoteCase{"FeedLines", Bytes({ESC, 'd', 2}), "ESC d", "2 lines of 30 dots", false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_P(TextNoteTest, LogsWhatWasMadeOfIt) {
  PrinterRig rig;
  rig.Feed(GetParam().bytes);
  const LogEntry e = rig.Commands().back();
  EXPECT_EQ(e.command, GetParam().command);
  EXPECT_NE(e.note.find(GetParam().note), std::string::npos) << e.Format();
  EXPECT_EQ(e.kind == LogEntry::kMalformed, GetParam().malformed) << e.Format();
}

// The ticket the bytes print, ended by the printer stopping.
Canvas Draw(const std::vector<std::uint8_t>& bytes) {
  PrinterRig rig;
  rig.Feed(bytes);
  rig.printer.Shutdown();
  EXPECT_EQ(rig.printer.tickets().size(), 1u);
  return rig.printer.tickets().empty() ? Canvas(0) : rig.printer.tickets()[0];
}

// Burnt dots within [x0, x1) x [y0, y1).
int Ink(const Canvas& c, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) n += c.At(x, y) < 255;
  }
  return n;
}

// The row of the first line (24 rows tall) with the most ink.
int WidestRow(const Canvas& c) {
  int best = 0;
  for (int y = 1; y < 24; ++y) {
    if (Ink(c, 0, y, c.width(), y + 1) > Ink(c, 0, best, c.width(), best + 1)) best = y;
  }
  return best;
}

// Rows and columns of [x0, x1) x [y0, y1) with ink in them.
std::pair<int, int> InkedRowsAndColumns(const Canvas& c, int x0, int y0, int x1, int y1) {
  int rows = 0, columns = 0;
  for (int y = y0; y < y1; ++y) rows += Ink(c, x0, y, x1, y + 1) > 0;
  for (int x = x0; x < x1; ++x) columns += Ink(c, x, y0, x + 1, y1) > 0;
  return {rows, columns};
}

struct ProbeCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  std::function<bool(const Canvas&)> holds;
};

void PrintTo(const ProbeCase& c, std::ostream* os) {
  *os << c.name;
}

class TextProbeTest : public ::testing::TestWithParam<ProbeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Drawings, TextProbeTest,
    ::testing::Values(
        // 448 - 12 dots to share: 218 left of the X.
        ProbeCase{"CentredX", Bytes({ESC, 'a', 1, 'X', '\n'}),
                  [](const Canvas& c) {
                    return Ink(c, 0, 0, 230, 24) == 0 && Ink(c, 234, 0, 246, 24) > 0;
                  }},
        // The line is laid out as it is printed: the setting given before its LF counts.
        ProbeCase{"CentredWhenPrinted", Bytes({'X', ESC, 'a', 1, '\n'}),
                  [](const Canvas& c) { return Ink(c, 0, 0, 230, 24) == 0; }},
        ProbeCase{"RightX", Bytes({ESC, 'a', 2, 'X', '\n'}),
                  [](const Canvas& c) {
                    return Ink(c, 0, 0, 450, 24) == 0 && Ink(c, 452, 0, 464, 24) > 0;
                  }},
        ProbeCase{"ReverseSpaceIsABlackCell", Bytes({GS, 'B', 1, ' ', '\n'}),
                  [](const Canvas& c) {
                    return c.At(kLeft, 0) < 255 && c.At(kLeft + 11, 23) < 255 &&
                           Ink(c, kLeft + 12, 0, 480, 30) == 0;
                  }},
        ProbeCase{"UnderlineTwoDots", Bytes({ESC, '-', 2, ' ', '\n'}),
                  [](const Canvas& c) {
                    return Ink(c, kLeft, 22, kLeft + 12, 24) == 24 && Ink(c, 0, 0, 480, 22) == 0;
                  }},
        ProbeCase{"UnderlineOneDotFromPrintMode", Bytes({ESC, '!', 0x80, ' ', '\n'}),
                  [](const Canvas& c) {
                    return Ink(c, kLeft, 23, kLeft + 12, 24) == 12 && Ink(c, 0, 0, 480, 23) == 0;
                  }},
        // The T's bar is at its top; upside down it is at the bottom, and the line, at the
        // left, is mirrored to the right end of the print area.
        ProbeCase{"UprightT", Bytes({'T', '\n'}),
                  [](const Canvas& c) { return WidestRow(c) < 12; }},
        ProbeCase{"UpsideDownT", Bytes({ESC, '{', 1, 'T', '\n'}),
                  [](const Canvas& c) { return WidestRow(c) >= 12 && Ink(c, 0, 0, 452, 24) == 0; }},
        // Turned, the minus is a vertical stroke in a cell 24 wide and 12 tall.
        ProbeCase{"RotatedMinus", Bytes({ESC, 'V', 1, '-', 'X', '\n'}),
                  [](const Canvas& c) {
                    const auto [rows, columns] = InkedRowsAndColumns(c, kLeft, 0, kLeft + 24, 12);
                    return rows >= 6 && columns <= 2 && Ink(c, kLeft + 24, 0, kLeft + 48, 12) > 0;
                  }},
        ProbeCase{"Pc437BoxLine", Bytes({ESC, 't', 0, 0xC4, '\n'}),
                  [](const Canvas& c) {
                    const auto [rows, columns] = InkedRowsAndColumns(c, kLeft, 0, kLeft + 12, 24);
                    return columns == 12 && rows <= 2;
                  }},
        // The double corner's vertical arm is two lines, where the fonts have one.
        ProbeCase{"Pc437DoubleCorner", Bytes({ESC, 't', 0, 0xC9, '\n'}),
                  [](const Canvas& c) {
                    return InkedRowsAndColumns(c, kLeft, 20, kLeft + 12, 24).second == 2;
                  }},
        // The upper half block, which the console fonts lack, fills the cell's top half.
        ProbeCase{"Pc437UpperHalfBlock", Bytes({ESC, 't', 0, 0xDF, '\n'}),
                  [](const Canvas& c) {
                    return Ink(c, kLeft, 0, kLeft + 12, 12) == 144 &&
                           Ink(c, kLeft, 12, kLeft + 12, 24) == 0;
                  }},
        ProbeCase{"TabToDefaultStop", Bytes({'\t', 'X', '\n'}),
                  [](const Canvas& c) {
                    return Ink(c, 0, 0, kLeft + 96, 24) == 0 &&
                           Ink(c, kLeft + 96, 0, kLeft + 108, 24) > 0;
                  }}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_P(TextProbeTest, DrawsIt) {
  EXPECT_TRUE(GetParam().holds(Draw(GetParam().bytes)));
}

struct SameCase {
  const char* name;
  std::vector<std::uint8_t> a, b;
  bool same;
};

// ESC & defining `code` of font A as a full 12x24 block, and the same block as a 24-dot
// bit image, which stands on the line as a character does.
std::vector<std::uint8_t> UserBlock(int code) {
  std::vector<std::uint8_t> b = Bytes({ESC, '&', 3, code, code, 12});
  b.insert(b.end(), 36, 0xFF);
  return b;
}
std::vector<std::uint8_t> BlockImage() {
  std::vector<std::uint8_t> b = Bytes({ESC, '*', 33, 12, 0});
  b.insert(b.end(), 36, 0xFF);
  return b;
}

void PrintTo(const SameCase& c, std::ostream* os) {
  *os << c.name;
}

class TextSameTest : public ::testing::TestWithParam<SameCase> {};

INSTANTIATE_TEST_SUITE_P(
    Pairs, TextSameTest,
    ::testing::Values(
        SameCase{"EuroIn858And1252", Bytes({ESC, 't', 19, 0xD5, '\n'}), Bytes({0x80, '\n'}), true},
        SameCase{"D5In858And850", Bytes({ESC, 't', 19, 0xD5, '\n'}),
                 Bytes({ESC, 't', 2, 0xD5, '\n'}), false},
        SameCase{"UnknownPageKeepsThePage", Bytes({ESC, 't', 0, ESC, 't', 7, 0xC4, '\n'}),
                 Bytes({ESC, 't', 0, 0xC4, '\n'}), true},
        SameCase{"DoubleStrikeAsEmphasis", Bytes({ESC, 'G', 1, 'I', '\n'}),
                 Bytes({ESC, 'E', 1, 'I', '\n'}), true},
        SameCase{"DoubleStrikeIsBold", Bytes({ESC, 'G', 1, 'I', '\n'}), Bytes({'I', '\n'}), false},
        SameCase{"InitializeResetsModes",
                 Bytes({ESC, 'a', 1, GS,  'B', 1, ESC, '{', 1, ESC, 'V', 1,    ESC,  'G', 1,
                        ESC, '-', 2, ESC, 't', 0, ESC, 'D', 0, ESC, '@', '\t', 0xC4, '\n'}),
                 Bytes({ESC, '$', 96, 0, 0xC4, '\n'}), true},
        SameCase{"FeedOneLineIsLineFeed", Bytes({'A', ESC, 'd', 1, 'B', '\n'}),
                 Bytes({'A', '\n', 'B', '\n'}), true},
        SameCase{"RelativeLikeAbsolute", Bytes({'A', ESC, '\\', 24, 0, 'X', '\n'}),
                 Bytes({'A', ESC, '$', 36, 0, 'X', '\n'}), true},
        SameCase{"TabStopsInColumns", Bytes({ESC, 'D', 2, 0, '\t', 'X', '\n'}),
                 Bytes({ESC, '$', 24, 0, 'X', '\n'}), true},
        // Columns as wide as at ESC D (12 + 4 dots), not as at the HT.
        SameCase{"TabColumnsFixedAtSetting",
                 Bytes({ESC, ' ', 4, ESC, 'D', 2, 0, ESC, ' ', 0, '\t', 'X', '\n'}),
                 Bytes({ESC, '$', 32, 0, 'X', '\n'}), true},
        SameCase{"PrintWidthWraps", Bytes({GS, 'W', 24, 0, 'A', 'B', 'C', '\n'}),
                 Bytes({'A', 'B', '\n', 'C', '\n'}), true},
        SameCase{"ItalicLeans", Bytes({ESC, '4', 'I', '\n'}), Bytes({'I', '\n'}), false},
        SameCase{"ItalicOff", Bytes({ESC, '4', ESC, '5', 'I', '\n'}), Bytes({'I', '\n'}), true},
        SameCase{"ItalicByN", Bytes({ESC, '4', 1, 'I', '\n'}), Bytes({ESC, '4', 'I', '\n'}), true},
        SameCase{"ItalicN0", Bytes({ESC, '4', 0, 'I', '\n'}), Bytes({'I', '\n'}), true},
        SameCase{"ControlBytesPrintNothing", Bytes({'A', 0x00, 0x12, 0x07, 0x1F, 'B', '\n'}),
                 Bytes({'A', 'B', '\n'}), true},
        // Deselected, the text and ESC E are passed over; selected again, printing goes on.
        SameCase{"DeselectedPassesOver",
                 Bytes({'A', ESC, '=', 0, 'X', ESC, 'E', 1, ESC, '=', 1, 'B', '\n'}),
                 Bytes({'A', 'B', '\n'}), true},
        SameCase{"UserCharacterInPlace", Join({UserBlock('A'), Bytes({ESC, '%', 1, 'A', '\n'})}),
                 Join({BlockImage(), Bytes({'\n'})}), true},
        SameCase{"UserCharacterNotSelected", Join({UserBlock('A'), Bytes({'A', '\n'})}),
                 Bytes({'A', '\n'}), true},
        SameCase{"InitializeClearsUserCharacters",
                 Join({UserBlock('A'), Bytes({ESC, '%', 1, ESC, '@', 'A', '\n'})}),
                 Bytes({'A', '\n'}), true},
        SameCase{"UserPage",
                 Join({Bytes({ESC, 't', 255}), UserBlock(0x80), Bytes({ESC, '%', 1, 0x80, '\n'})}),
                 Join({BlockImage(), Bytes({'\n'})}), true},
        SameCase{"UserPageBlankUntilDefined", Bytes({ESC, 't', 255, 'A', 0x80, 'B', '\n'}),
                 Bytes({'A', ' ', 'B', '\n'}), true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_P(TextSameTest, DrawsAsTheOther) {
  const Canvas a = Draw(GetParam().a), b = Draw(GetParam().b);
  bool same = a.width() == b.width() && a.height() == b.height();
  for (int y = 0; same && y < a.height(); ++y) {
    for (int x = 0; same && x < a.width(); ++x) same = a.At(x, y) == b.At(x, y);
  }
  EXPECT_EQ(same, GetParam().same);
}

// Images and barcodes start where the justification puts a block of their width, within
// the left margin and the print width.
TEST(TextCommandsTest, BlocksAreJustified) {
  struct Case {
    int justification, margin, width, left;
  };
  for (const Case& k : {Case{CharacterModes::kLeft, 0, 65535, kLeft},
                        Case{CharacterModes::kCentre, 0, 65535, kLeft + 200},
                        Case{CharacterModes::kRight, 40, 65535, kLeft + 400},
                        Case{CharacterModes::kCentre, 40, 148, kLeft + 90},
                        Case{CharacterModes::kRight, 0, 20, kLeft}}) {
    Renderer r(testing::TestFonts(), Paper{});
    r.modes().justification = k.justification;
    r.modes().print_width = k.width;
    r.text().left_margin = k.margin;
    EXPECT_EQ(r.BlockLeft(48), k.left) << k.justification << " " << k.margin << " " << k.width;
  }
}

// Only a feed that takes the last line past the tear bar ends the ticket; ESC d never does.
TEST(TextCommandsTest, OnlyALongFeedEndsTheTicket) {
  for (const auto& [n, ends] :
       {std::pair{24, false}, std::pair{159, false}, std::pair{160, true}, std::pair{225, true}}) {
    PrinterRig rig;
    rig.Feed(Bytes({'X', ESC, 'J', n}));
    EXPECT_EQ(rig.printer.tickets().size(), ends ? 1u : 0u) << n;
  }
  PrinterRig rig;
  rig.Feed(Bytes({'X', ESC, 'd', 255}));
  EXPECT_TRUE(rig.printer.tickets().empty());
}

// Overprinting without end (a character, then back to the line's start) fills the line
// buffer: it prints the line and goes on, rather than holding every character.
TEST(TextCommandsTest, EndlessOverprintingPrintsWhenTheLineBufferIsFull) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 3000; ++i) {
    for (std::uint8_t b : Bytes({'X', ESC, '$', 0, 0})) bytes.push_back(b);
  }
  bytes.push_back('\n');
  EXPECT_EQ(Draw(bytes).height(), 3 * 30);
}

TEST(TextCommandsTest, CodePageFromTheCommandLineComesBackWithInitialize) {
  Result<CommandLine> cl = ParseCommandLine({"--tcp", "0", "--code-page", "0"});
  ASSERT_TRUE(cl) << cl.status().message();
  for (const char* bad : {"6", "254", "256", "x"}) {
    Result<CommandLine> refused = ParseCommandLine({"--tcp", "0", "--code-page", bad});
    ASSERT_FALSE(refused) << bad;
    EXPECT_NE(refused.status().message().find("--code-page takes the ESC t number"),
              std::string::npos);
  }
  StatusModel status({}, {});
  PrinterOptions o;
  o.code_page = cl->code_page;
  Printer printer(testing::TestFonts(), status, o);
  printer.Feed(Source::kSerial, Bytes({ESC, 't', 16, ESC, '@', 0xC4, '\n'}), 0);
  printer.Shutdown();
  ASSERT_EQ(printer.tickets().size(), 1u);
  const auto [rows, columns] = InkedRowsAndColumns(printer.tickets()[0], kLeft, 0, kLeft + 12, 24);
  EXPECT_EQ(columns, 12);
  EXPECT_LE(rows, 2);
}

// Every character of the four code pages has a glyph of its own in both fonts (a missing
// one would print as a question mark).
TEST(CodePagesTest, EveryCharacterHasAGlyph) {
  const std::shared_ptr<const Fonts> fonts = testing::TestFonts();
  for (int page : {kCodePagePc437, kCodePagePc850, kCodePageWpc1252, kCodePagePc858}) {
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
      const char32_t cp = CodePageToUnicode(page, static_cast<std::uint8_t>(byte));
      if (cp == U'?' || byte == 0x7F) continue;  // undefined in the table, or DEL
      EXPECT_TRUE(fonts->a.Has(cp) && fonts->b.Has(cp))
          << CodePageName(page) << " 0x" << std::hex << byte << " U+" << std::uint32_t{cp};
    }
  }
}

}  // namespace
}  // namespace qw77::vprinter
