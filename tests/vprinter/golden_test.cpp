// The drawn ticket against a checked-in reference, and the barcodes read back by a
// scanner program. After an intended change of the drawing, regenerate the reference:
//   QW77_REGENERATE_GOLDEN=1 ./build/debug/bin/qw77_vprinter_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/TestPaths.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/paper/CodePages.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

// A 64 x 48 logo: a frame, a diagonal and a checkered block, so that any slip of a row or
// a column shows.
std::vector<std::uint8_t> Logo() {
  const int w = 64, h = 48;
  std::vector<std::uint8_t> v = Bytes({0x1D, 0x76, 0x30, 0x00, w / 8, 0, h, 0});
  for (int y = 0; y < h; ++y) {
    for (int xb = 0; xb < w / 8; ++xb) {
      std::uint8_t byte = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = xb * 8 + bit;
        const bool on = x < 2 || x >= w - 2 || y < 2 || y >= h - 2 || x == y ||
                        (x >= 40 && x < 56 && y >= 16 && y < 32 && ((x / 4 + y / 4) % 2 == 0));
        if (on) byte = static_cast<std::uint8_t>(byte | (0x80 >> bit));
      }
      v.push_back(byte);
    }
  }
  return v;
}

std::vector<std::uint8_t> GoldenTicket() {
  std::vector<std::uint8_t> t;
  Append(t, Bytes("\x1B!\x00\x1B\x33\x1E"));
  Append(t, Bytes("\x1D!\x11"
                  "Font A 2x2\n"));
  Append(t, Bytes("\x1D!\x00"
                  "Font A 1x1 abc XYZ 0123\n"));
  Append(t, Bytes("\x1BM\x01"
                  "Font B 1x1 abc XYZ 0123\n"));
  Append(t, Bytes("\x1D!\x21"
                  "B 3x2\n"));
  Append(t, Bytes("\x1D!\x00\x1BM\x00\x1B \x04\x1DL\x30\x00"
                  "Spaced, margin 48\n"));
  Append(t, Bytes("\x1B \x00\x1DL\x00\x00"));
  Append(t, Bytes("\x1D(K\x02\x00\x01\xF6"
                  "Density -10\n"));
  Append(t, Bytes("\x1D(K\x02\x00\x01\x0A"
                  "Density 10\n"));
  Append(t, Bytes("\x1D(K\x02\x00\x01\x00"));
  Append(t, Logo());
  Append(t, Bytes("\n\x1Dk\x43\x0C"
                  "590123412345"
                  "\n"));
  Append(t, Bytes("\x1Dk\x45\x05"
                  "AB 12"
                  "\n"));
  Append(t, Bytes("\x1Dk\x46\x08"
                  "12345678"
                  "\n"));
  Append(t, Bytes({0x1D, 0x6B, 0x49, 0x06, 0x7B, 0x43, 0x0C, 0x22, 0x38, 0x4E}));
  Append(t, Bytes("\x1BJ\xE1"));
  return t;
}

// A receipt as a point-of-sale program prints it, using every command of the common set
// the printer draws or answers: text effects, justification, positions and tabs, code
// pages, images in all three forms, nine barcodes in both forms, a QR code and a PDF417
// symbol, the drawer, status requests, and a cut that ends it. Printed on 80 mm paper.
std::vector<std::uint8_t> GoldenReceipt() {
  std::vector<std::uint8_t> t;
  auto add = [&t](const std::vector<std::uint8_t>& bytes) { Append(t, bytes); };
  auto text = [&t](const std::string& s) { t.insert(t.end(), s.begin(), s.end()); };
  add(Bytes("\x1B@\x1Bt\x10"));
  // Title: centred, double size, emphasized.
  add(Bytes("\x1B\x61\x01\x1D!\x11\x1B\x45\x01"));
  text("QW77 MARKET\n");
  add(Bytes("\x1B\x45\x00\x1D!\x00"));
  text("Centred line\n");
  add(Bytes("\x1B\x61\x02"));
  text("Right aligned\n");
  add(Bytes("\x1B\x61\x00\x1BG\x01"));
  text("Double strike\n");
  add(Bytes("\x1BG\x00\x1B-\x01"));
  text("Underline 1 ");
  add(Bytes("\x1B-\x02"));
  text("Underline 2\n");
  add(Bytes("\x1B-\x00\x1C-\x01"));
  text("Underline FS\n");
  add(Bytes("\x1C-\x00\x1D\x42\x01"));
  text(" REVERSE ");
  add(Bytes("\x1D\x42\x00"));
  text(" normal\n");
  add(Bytes("\x1B{\x01"));
  text("Upside down\n");
  add(Bytes("\x1B{\x00\x1BV\x01"));
  text("Rotated\n");
  add(Bytes("\x1BV\x00\x1B!\x38"));
  text("ESC ! mode\n");
  add(Bytes("\x1B!\x00\x1B \x06"));
  text("Spaced\n");
  add(Bytes("\x1B \x00"));
  text("A");
  add(Bytes("\x1B$\xC8\x00"));
  text("at 200");
  add(Bytes("\x1B\\\x28\x00"));
  text("+40\n");
  add(Bytes({0x1B, 'D', 12, 30, 0}));
  text("Item\t2\t9.99\n");
  add(Bytes("\x1B\x33\x3C"));
  text("Line spacing 60\n");
  add(Bytes("\x1B\x32"));
  text("Default spacing\n");
  add(Bytes("\x1B\x64\x01\x1BJ\x18"));
  // Code pages, each with characters only it has in those places.
  add(Bytes("\x1Bt\x00"));
  text("437: \xC9\xCD\xCB\xCD\xBB \xB0\xB1\xB2\xDB \xE1\xE3\n");
  add(Bytes("\x1Bt\x02"));
  text("850: \x80\x87\x9B\xD5 \xB5\xB6\n");
  add(Bytes("\x1Bt\x13"));
  text("858: \xD5 \x80\x87\n");
  add(Bytes("\x1Bt\x10"));
  text("1252: \x80 \xE9\xE8\xFC \xDF\n");
  // Images: a raster logo centred, two 24-dot stripes that must join, an 8-dot stripe, and
  // a graphic stored in the buffer and printed at double size.
  add(Bytes("\x1B\x61\x01"));
  add(Logo());
  add(Bytes("\x1B\x61\x00\x1B\x33\x18"));
  for (int stripe = 0; stripe < 2; ++stripe) {
    add(Bytes({0x1B, '*', 33, 48, 0}));
    for (int col = 0; col < 48; ++col) {
      for (int k = 0; k < 3; ++k) {
        const int row0 = stripe * 24 + k * 8;
        std::uint8_t byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
          const int row = row0 + bit;
          if (row == col || row + col == 47 || col < 2 || col > 45) {
            byte = static_cast<std::uint8_t>(byte | (0x80 >> bit));
          }
        }
        t.push_back(byte);
      }
    }
    text("\n");
  }
  add(Bytes({0x1B, '*', 0, 32, 0}));
  for (int col = 0; col < 32; ++col) t.push_back(col % 4 < 2 ? 0xFF : 0x81);
  text("\n");
  add(Bytes("\x1B\x32"));
  add(Bytes({0x1D, '(', 'L', 18, 0, 48, 112, 48, 2, 2, 49, 16, 0, 4, 0}));
  add(Bytes({0xFF, 0x0F, 0x81, 0xF0, 0x81, 0x0F, 0xFF, 0xF0}));
  add(Bytes({0x1D, '(', 'L', 2, 0, 48, 50}));
  // Barcodes: text below in font B, 60 dots tall, modules of 2; the older form for UPC-A
  // and EAN-13, the counted form for the rest. GS w 0 and GS h 0 take the defaults back
  // before the last one.
  add(Bytes("\x1DH\x02\x1D\x66\x01\x1Dh\x3C\x1Dw\x02"));
  add(Bytes({0x1D, 'k', 0}));
  text(std::string("01234567890") + '\0');
  add(Bytes({0x1D, 'k', 66, 8}));
  text("01234565");
  add(Bytes({0x1D, 'k', 2}));
  text(std::string("590123412345") + '\0');
  add(Bytes({0x1D, 'k', 68, 7}));
  text("9638507");
  add(Bytes({0x1D, 'k', 69, 7}));
  text("QW77-39");
  add(Bytes({0x1D, 'k', 70, 8}));
  text("12345678");
  add(Bytes({0x1D, 'k', 71, 7}));
  text("A40156B");
  add(Bytes({0x1D, 'k', 72, 6}));
  text("CODE93");
  add(Bytes("\x1Dw\x00\x1Dh\x00"));
  add(Bytes({0x1D, 'k', 73, 9, '{', 'B', 'Q', 'w', '7', '7', '{', 'C', 12}));
  // QR code: model 2, modules of 6 dots, correction level M, centred.
  const std::string url = "https://example.com/qw77/receipt?id=42";
  add(Bytes("\x1B\x61\x01"));
  add(Bytes({0x1D, '(', 'k', 4, 0, 49, 65, 50, 0}));
  add(Bytes({0x1D, '(', 'k', 3, 0, 49, 67, 6}));
  add(Bytes({0x1D, '(', 'k', 3, 0, 49, 69, 49}));
  add(Bytes({0x1D, '(', 'k', static_cast<int>(url.size() + 3), 0, 49, 80, 48}));
  text(url);
  add(Bytes({0x1D, '(', 'k', 3, 0, 49, 81, 48}));
  // PDF417: automatic columns and rows, modules of 2 dots, rows 3 modules tall, level 1.
  const std::string pdf = "QW77 PDF417 receipt 42";
  add(Bytes({0x1D, '(', 'k', 3, 0, 48, 65, 0}));
  add(Bytes({0x1D, '(', 'k', 3, 0, 48, 66, 0}));
  add(Bytes({0x1D, '(', 'k', 3, 0, 48, 67, 2}));
  add(Bytes({0x1D, '(', 'k', 3, 0, 48, 68, 3}));
  add(Bytes({0x1D, '(', 'k', 4, 0, 48, 69, 48, 49}));
  add(Bytes({0x1D, '(', 'k', static_cast<int>(pdf.size() + 3), 0, 48, 80, 48}));
  text(pdf);
  add(Bytes({0x1D, '(', 'k', 3, 0, 48, 81, 48}));
  add(Bytes("\x1B\x61\x00"));
  text("Thank you\n");
  // The drawer, the black mark sensor, status requests and the printer's identity:
  // answered or logged, nothing printed.
  add(Bytes({0x1B, 'p', 0, 50, 100}));
  add(Bytes({0x1C, '(', 'L', 2, 0, 65, 48}));
  add(Bytes({0x10, 0x04, 1, 0x10, 0x04, 2, 0x10, 0x04, 3, 0x10, 0x04, 4}));
  add(Bytes({0x1D, 'r', 1, 0x1D, 'r', 2, 0x1D, 'I', 67, 0x1D, 'a', 0xFF, 0x1D, 'a', 0}));
  // Feed to the cutter and cut partly: the ticket ends.
  add(Bytes({0x1D, 'V', 66, 40}));
  return t;
}

// Every code page, one after the other in font B: its number, then its characters 80h..BFh
// and C0h..FFh on two lines (128 characters do not fit one line of 72). The user-defined
// page shows two characters defined for it.
std::vector<std::uint8_t> CodePagesReceipt() {
  std::vector<std::uint8_t> t = Bytes({0x1B, '@', 0x1B, 'M', 1});
  for (int page : CodePageNumbers()) {
    if (page == kCodePageUserDefined) {
      // A diagonal and a frame, 8x16 for font B.
      Append(t, Bytes({0x1B, '&', 2, 0x80, 0x81, 8}));
      for (int x = 0; x < 8; ++x) Append(t, Bytes({0x80 >> x, 0}));
      Append(t, Bytes({8, 0xFF, 0xFF, 0x80, 0x01, 0x80, 0x01, 0x80, 0x01, 0x80, 0x01, 0x80, 0x01,
                       0x80, 0x01, 0xFF, 0xFF}));
      Append(t, Bytes({0x1B, '%', 1}));
    }
    Append(t, Bytes({0x1B, 't', page}));
    const std::string label = (page < 10 ? " " : "") + std::to_string(page) + " ";
    Append(t, std::vector<std::uint8_t>(label.begin(), label.end()));
    for (int b = 0x80; b < 0x100; ++b) {
      if (b == 0xC0) Append(t, Bytes({'\n', ' ', ' ', ' '}));
      t.push_back(static_cast<std::uint8_t>(b));
    }
    t.push_back('\n');
  }
  Append(t, Bytes({0x1B, '%', 0, 0x1B, 't', 16}));
  Append(t, Bytes({0x1D, 'V', 66, 40}));
  return t;
}

struct GoldenCase {
  const char* name;
  std::vector<std::uint8_t> (*bytes)();
  int paper_dots;
  std::set<std::string> scanned;  // what zbarimg reads back, each as "TYPE:data"
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
  *os << c.name;
}

std::string GoldenPath(const GoldenCase& c, const char* extension) {
  return test::SourcePath("tests/vprinter/golden/") + c.name + extension;
}

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {
 protected:
  void SetUp() override {
    out_dir_ = std::filesystem::temp_directory_path() /
               ("qw77-golden-" + std::to_string(::getpid()) + GetParam().name);
    std::filesystem::create_directories(out_dir_);
    PrinterOptions o;
    o.out_dir = out_dir_.string();
    o.paper.printable_dots = GetParam().paper_dots;
    printer_ = std::make_unique<Printer>(testing::TestFonts(), status_, o);
    printer_->Feed(Source::kFile, GetParam().bytes(), 0);
    printer_->Shutdown();
    ASSERT_EQ(printer_->ticket_files().size(), 1u);
    for (const LogEntry& e : printer_->log()) {
      ASSERT_NE(e.kind, LogEntry::kMalformed) << e.Format();
      ASSERT_NE(e.kind, LogEntry::kUnknown) << e.Format();
      ASSERT_EQ(e.note.find("not carried out"), std::string::npos) << e.Format();
    }
  }
  void TearDown() override { std::filesystem::remove_all(out_dir_); }

  std::filesystem::path out_dir_;
  StatusModel status_;
  std::unique_ptr<Printer> printer_;
};

INSTANTIATE_TEST_SUITE_P(
    Golden, GoldenTest,
    ::testing::Values(
        GoldenCase{"ticket",
                   GoldenTicket,
                   448,
                   // EAN-13 comes back with the check digit the printer added.
                   {"EAN-13:5901234123457", "CODE-39:AB 12", "I2/5:12345678", "CODE-128:12345678"}},
        GoldenCase{"receipt",
                   GoldenReceipt,
                   576,
                   // The scanner reports UPC-A and UPC-E as the EAN-13
                   // numbers they stand for.
                   {"EAN-13:0012345678905", "EAN-13:0012345000065", "EAN-13:5901234123457",
                    "EAN-8:96385074", "CODE-39:QW77-39", "I2/5:12345678", "Codabar:A40156B",
                    "CODE-93:CODE93", "CODE-128:Qw7712",
                    "QR-Code:https://example.com/qw77/receipt?id=42"}},
        GoldenCase{"code_pages", CodePagesReceipt, 576, {}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_P(GoldenTest, MatchesTheReferenceImage) {
  const std::string drawn = printer_->ticket_files()[0];
  const std::string png = GoldenPath(GetParam(), ".png");
  if (std::getenv("QW77_REGENERATE_GOLDEN")) {
    std::filesystem::copy_file(drawn, png, std::filesystem::copy_options::overwrite_existing);
    GTEST_SKIP() << "reference written to " << png;
  }
  Result<Canvas> want = Canvas::ReadPng(png);
  ASSERT_TRUE(want) << want.status().message();
  Result<Canvas> got = Canvas::ReadPng(drawn);
  ASSERT_TRUE(got) << got.status().message();
  ASSERT_EQ(got->width(), want->width());
  ASSERT_EQ(got->height(), want->height());
  int differing = 0;
  for (int y = 0; y < got->height(); ++y) {
    for (int x = 0; x < got->width(); ++x) differing += got->At(x, y) != want->At(x, y);
  }
  if (differing) {
    const std::string keep = (std::filesystem::temp_directory_path() /
                              (std::string("qw77-golden-actual-") + GetParam().name + ".png"))
                                 .string();
    std::filesystem::copy_file(drawn, keep, std::filesystem::copy_options::overwrite_existing);
    FAIL() << differing << " dots differ; the drawn ticket is kept in " << keep;
  }
}

// The bytes are also kept as a file: the benchmark renders it and the fuzzer starts from it.
TEST_P(GoldenTest, TheBytesFileIsInStep) {
  const std::string path = GoldenPath(GetParam(), ".bin");
  const std::vector<std::uint8_t> bytes = GetParam().bytes();
  if (std::getenv("QW77_REGENERATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    GTEST_SKIP() << "bytes written to " << path;
  }
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> stored((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(stored, bytes) << path << " is out of step; regenerate it";
}

TEST_P(GoldenTest, AScannerReadsEveryCodeWithTheDataSent) {
  if (!testing::HaveZbarimg()) GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
  const std::vector<std::string> read = testing::ScanBarcodes(printer_->ticket_files()[0]);
  EXPECT_EQ(std::set<std::string>(read.begin(), read.end()), GetParam().scanned);
  EXPECT_EQ(read.size(), GetParam().scanned.size()) << "a code was read twice";
}

}  // namespace
}  // namespace qw77::vprinter
