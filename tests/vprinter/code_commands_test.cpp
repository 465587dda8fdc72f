// Barcodes and two-dimensional codes: what the log makes of each command, what is drawn,
// and what a scanner program reads back from the saved ticket.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/vprinter/VPrinterTestUtil.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::ExpectOneLogLine;
using testing::Join;
using testing::PrinterRig;

// GS k in the counted form.
std::vector<std::uint8_t> Barcode(int m, const std::string& data) {
  return Join({Bytes({0x1D, 'k', m, static_cast<int>(data.size())}),
               std::vector<std::uint8_t>(data.begin(), data.end())});
}

// GS ( k pL pH cn fn args...
std::vector<std::uint8_t> Symbol(int cn, int fn, const std::vector<std::uint8_t>& args) {
  const std::size_t n = args.size() + 2;
  return Join(
      {Bytes({0x1D, '(', 'k', static_cast<int>(n % 256), static_cast<int>(n / 256), cn, fn}),
       args});
}

std::vector<std::uint8_t> Store(int cn, const std::string& data) {
  std::vector<std::uint8_t> args{48};
  args.insert(args.end(), data.begin(), data.end());
  return Symbol(cn, 80, args);
}

struct LogCase {
  std::string name;
  std::vector<std::uint8_t> bytes;
  LogEntry::Kind kind;
  std::string params;  // "" leaves them unchecked
  std::string note_part;
};

class CodeLogTest : public ::testing::TestWithParam<LogCase> {};

INSTANTIATE_TEST_SUITE_P(
    Commands, CodeLogTest,
    ::testing::Values(
        LogCase{"HeightZeroIsTheDefault", Bytes({0x1D, 'h', 0}), LogEntry::kCommand, "n=0",
                "barcode height 0 is outside 1..255; 162 (the default) used"},
        LogCase{"WidthZeroIsTheDefault", Bytes({0x1D, 'w', 0}), LogEntry::kCommand, "n=0",
                "module width 0 is outside 2..6; 3 used"},
        LogCase{"WidthNineClamped", Bytes({0x1D, 'w', 9}), LogEntry::kCommand, "n=9",
                "module width 9 is outside 2..6; 6 used"},
        LogCase{"TextPositionAscii", Bytes({0x1D, 'H', 50}), LogEntry::kCommand, "n=50",
                "HRI text below the bars"},
        LogCase{"TextPositionUnknown", Bytes({0x1D, 'H', 4}), LogEntry::kMalformed, "n=4",
                "no such HRI text position"},
        LogCase{"FontB", Bytes({0x1D, 'f', 49}), LogEntry::kCommand, "n=49", "font B"},
        LogCase{"FontUnknownIsA", Bytes({0x1D, 'f', 2}), LogEntry::kCommand, "n=2",
                "HRI font 2 does not exist; font A used"},
        LogCase{"UpcA11", Barcode(65, "01234567890"), LogEntry::kCommand, "",
                "UPC-A \"012345678905\""},
        LogCase{"UpcAWrongCheckDigit", Barcode(65, "012345678901"), LogEntry::kCommand, "",
                "check digit 1 sent, 5 printed"},
        LogCase{"UpcE6", Barcode(66, "123456"), LogEntry::kCommand, "", "UPC-E \"01234565\""},
        LogCase{"UpcEFromUpcA", Barcode(66, "01200000345"), LogEntry::kCommand, "",
                "UPC-E \"01234505\""},
        LogCase{"UpcENoShortForm", Barcode(66, "01234567890"), LogEntry::kMalformed, "",
                "has no UPC-E form"},
        LogCase{"UpcENineDigits", Barcode(66, "123456789"), LogEntry::kMalformed, "",
                "needs 6, 7, 8, 11 or 12 digits, got 9"},
        LogCase{"Ean8NulForm",
                Bytes("\x1Dk\x03"
                      "9638507\x00"),
                LogEntry::kCommand, "m=3 \"9638507\"", "EAN-8 \"96385074\""},
        LogCase{"CodabarLowerCaseStartStop", Barcode(71, "a40156b"), LogEntry::kCommand, "",
                "CODABAR \"A40156B\""},
        LogCase{"CodabarWithoutStartStop", Barcode(71, "40156"), LogEntry::kMalformed, "",
                "start/stop character A..D"},
        LogCase{"Code128Brace", Barcode(73, "{Ba{{b"), LogEntry::kCommand, "", "CODE-128 \"a{b\""},
        LogCase{"Code128SetsMixed", Barcode(73, std::string("{BNo{C") + '\x0C' + '\x22'),
                LogEntry::kCommand, "", "CODE-128 \"No1234\""},
        LogCase{"Code128Fnc1", Barcode(73, "{B{1ab"), LogEntry::kMalformed, "",
                "{1 (FNC1) not supported"},
        LogCase{"QrModel1", Symbol(49, 65, Bytes({49, 0})), LogEntry::kCommand,
                "pL=4 pH=0 cn=49 fn=65 n1=49 n2=0", "model 1 asked; QR code model 2 drawn"},
        LogCase{"QrModuleZero", Symbol(49, 67, Bytes({0})), LogEntry::kCommand, "",
                "QR code module size 0 is outside 1..16; 1 used"},
        LogCase{"QrLevelQ", Symbol(49, 69, Bytes({50})), LogEntry::kCommand, "",
                "QR code error correction Q"},
        LogCase{"QrLevelUnknown", Symbol(49, 69, Bytes({52})), LogEntry::kMalformed, "",
                "no such error correction level"},
        LogCase{"QrPrintNothingStored", Symbol(49, 81, Bytes({48})), LogEntry::kCommand,
                "pL=3 pH=0 cn=49 fn=81 m=48", "no QR code data stored; nothing printed"},
        LogCase{"QrStore", Store(49, "hello"), LogEntry::kCommand,
                "pL=8 pH=0 cn=49 fn=80 m=48 \"hello\"", "QR code data stored, 5 bytes"},
        LogCase{"QrStoreTooLong", Store(49, std::string(3000, '\xA5')), LogEntry::kMalformed, "",
                "QR code cannot hold this data: "},
        LogCase{"QrWrongLength", Symbol(49, 67, Bytes({3, 4})), LogEntry::kMalformed, "",
                "takes 1 parameter byte, got 2"},
        LogCase{"QrUnknownFunction", Symbol(49, 66, Bytes({1, 2})), LogEntry::kMalformed,
                "pL=4 pH=0 cn=49 fn=66 01 02", "no such QR code function"},
        LogCase{"Pdf417Columns31", Symbol(48, 65, Bytes({31})), LogEntry::kMalformed, "",
                "PDF417 columns 31 is out of range"},
        LogCase{"Pdf417Ratio", Symbol(48, 69, Bytes({49, 5})), LogEntry::kCommand,
                "pL=4 pH=0 cn=48 fn=69 m=49 n=5", "50% of the data asked"},
        LogCase{"Pdf417Truncated", Symbol(48, 70, Bytes({1})), LogEntry::kCommand, "",
                "PDF417 truncated"},
        LogCase{"AztecPassedOver", Symbol(53, 65, Bytes({0})), LogEntry::kCommand, "",
                "Aztec code not supported by this printer; passed over"}),
    [](const ::testing::TestParamInfo<LogCase>& p) { return p.param.name; });

TEST_P(CodeLogTest, LogsWhatThePrinterMadeOfIt) {
  const LogCase& c = GetParam();
  PrinterRig rig;
  rig.Feed(c.bytes);
  rig.printer.Shutdown();
  ExpectOneLogLine(
      rig.Commands(),
      {c.kind, std::nullopt, c.params.empty() ? std::nullopt : std::optional<std::string>(c.params),
       c.note_part});
}

// The box round every burnt dot of a ticket.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

Box InkBox(const Canvas& canvas) {
  Box b;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) == 255) continue;
      b.left = std::min(b.left, x), b.right = std::max(b.right, x);
      b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
    }
  }
  return b;
}

Box DrawnBox(const std::vector<std::uint8_t>& bytes) {
  PrinterRig rig;
  rig.Feed(bytes);
  rig.printer.Shutdown();
  for (const LogEntry& e : rig.Commands()) EXPECT_EQ(e.kind, LogEntry::kCommand) << e.Format();
  EXPECT_EQ(rig.printer.tickets().size(), 1u);
  return rig.printer.tickets().empty() ? Box{} : InkBox(rig.printer.tickets()[0]);
}

TEST(CodeDrawingTest, ClampedSettingsAreTheOnesDrawn) {
  // CODE-39 "A": start, A, stop: 3 characters of 13 modules and 2 gaps of 1, minus the
  // trailing space of the stop character.
  const Box defaults = DrawnBox(Join({Bytes({0x1D, 'h', 0, 0x1D, 'w', 0}), Barcode(69, "A")}));
  EXPECT_EQ(defaults.Height(), 162);
  const Box narrow = DrawnBox(Join({Bytes({0x1D, 'w', 1}), Barcode(69, "A")}));
  EXPECT_EQ(defaults.Width() * 2, narrow.Width() * 3);
  EXPECT_EQ(narrow.left, 16 + 10 * 2);  // paper side, then a quiet zone of ten modules
}

TEST(CodeDrawingTest, BarcodesAndCodesFollowTheJustification) {
  // Centred on the 480-dot roll, right-justified against the printable width's end
  // (less the quiet zone: ten modules for a barcode, four for a QR code).
  const Box centred = DrawnBox(Join({Bytes({0x1B, 'a', 1}), Barcode(69, "A")}));
  EXPECT_NEAR((centred.left + centred.right + 1) / 2.0, 240, 1.5);
  const Box right =
      DrawnBox(Join({Bytes({0x1B, 'a', 2}), Store(49, "qw77"), Symbol(49, 81, Bytes({48}))}));
  EXPECT_EQ(right.right + 1, 16 + 448 - 4 * 3);
}

TEST(CodeDrawingTest, TextIsDrawnInTheChosenFont) {
  // Text above the bars takes the font's height and 4 dots; the first bar of CODE-39
  // starts after the paper's side and a quiet zone of ten modules.
  for (const auto& [font, bars_top] : {std::pair{0, 24 + 4}, std::pair{1, 16 + 4}}) {
    PrinterRig rig;
    rig.Feed(Join({Bytes({0x1D, 'H', 1, 0x1D, 'f', font}), Barcode(69, "A")}));
    rig.printer.Shutdown();
    ASSERT_EQ(rig.printer.tickets().size(), 1u);
    const Canvas& ticket = rig.printer.tickets()[0];
    const int bar_x = 16 + 10 * 3;
    EXPECT_EQ(ticket.At(bar_x, bars_top - 1), 255) << "font " << font;
    EXPECT_NE(ticket.At(bar_x, bars_top), 255) << "font " << font;
    EXPECT_LT(InkBox(ticket).top, bars_top - 4) << "font " << font;  // the text is there
  }
}

TEST(CodeDrawingTest, QrCodeKeepsItsQuietZoneAndModuleSize) {
  const Box box =
      DrawnBox(Join({Symbol(49, 67, Bytes({5})), Store(49, "qw77"), Symbol(49, 81, Bytes({48}))}));
  // Version 1: 21 modules with the finder patterns in three corners, after four blank
  // modules.
  EXPECT_EQ(box.left, 16 + 4 * 5);
  EXPECT_EQ(box.top, 4 * 5);
  EXPECT_EQ(box.Width(), 21 * 5);
  EXPECT_EQ(box.Height(), 21 * 5);
}

TEST(CodeDrawingTest, Pdf417HasTheColumnsRowsAndSizesSet) {
  // 2 data columns: 69 + 2 x 17 = 103 modules across, 10 rows of 3 x 4 dots, one blank
  // row above.
  const Box box = DrawnBox(
      Join({Symbol(48, 65, Bytes({2})), Symbol(48, 66, Bytes({10})), Symbol(48, 67, Bytes({3})),
            Symbol(48, 68, Bytes({4})), Store(48, "qw77 PDF417"), Symbol(48, 81, Bytes({48}))}));
  EXPECT_EQ(box.left, 16 + 2 * 3);
  EXPECT_EQ(box.top, 12);
  EXPECT_EQ(box.Width(), 103 * 3);
  EXPECT_EQ(box.Height(), 10 * 12);
}

TEST(CodeDrawingTest, ResetForgetsTheStoredSymbolAndTooWideIsRefused) {
  PrinterRig rig;
  rig.Feed(Join({Store(49, "kept"), Bytes({0x1B, '@'}), Symbol(49, 81, Bytes({48})),
                 Symbol(49, 67, Bytes({16})), Store(49, std::string(200, 'x')),
                 Symbol(49, 81, Bytes({48}))}));
  const auto log = rig.Commands();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_NE(log[2].note.find("nothing printed"), std::string::npos) << log[2].Format();
  EXPECT_EQ(log[5].kind, LogEntry::kMalformed);
  EXPECT_NE(log[5].note.find("too wide for the 448 dots of paper"), std::string::npos)
      << log[5].Format();
}

// Every symbology through the printer onto a saved ticket, read back by a scanner program.
TEST(CodeScanTest, AScannerReadsEverySymbolBack) {
  if (!testing::HaveZbarimg()) GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::string read;  // what the scanner reads
  };
  const std::vector<Case> cases = {
      // UPC-A, and UPC-E expanded to its UPC-A number, are read as EAN-13.
      {Barcode(65, "01234567890"), "0012345678905"},
      {Bytes("\x1Dk\x01"
             "123456\x00"),
       "0012345000065"},
      {Barcode(67, "590123412345"), "5901234123457"},
      {Barcode(68, "9638507"), "96385074"},
      {Barcode(69, "CODE 39"), "CODE 39"},
      {Barcode(70, "12345678"), "12345678"},
      {Barcode(71, "A40156B"), "A40156B"},
      {Barcode(72, "Code 93"), "Code 93"},
      {Barcode(73, std::string("{Bqw{{77{C") + '\x0C' + '\x22'), "qw{771234"},
      {Join({Symbol(49, 69, Bytes({49})), Store(49, "https://example.org/qw77"),
             Symbol(49, 81, Bytes({48}))}),
       "https://example.org/qw77"},
  };
  testing::TempDir dir;
  StatusModel status;
  PrinterOptions o;
  o.out_dir = dir.path();
  Printer printer(testing::TestFonts(), status, o);
  Millis now = 0;
  for (const Case& c : cases) {
    printer.Feed(Source::kFile, Join({Bytes({0x1B, '@', 0x1D, 'H', 2}), c.bytes}), now);
    now += 10 * o.idle_ms;
    printer.Tick(now);
  }
  for (const LogEntry& e : printer.log()) EXPECT_NE(e.kind, LogEntry::kMalformed) << e.Format();
  ASSERT_EQ(printer.ticket_files().size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(testing::ScanBarcodes(printer.ticket_files()[i], true),
              std::vector<std::string>{cases[i].read})
        << printer.ticket_files()[i];
  }
}

}  // namespace
}  // namespace qw77::vprinter
