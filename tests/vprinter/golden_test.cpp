// The drawn ticket against a checked-in reference, and the barcodes read back by a
// scanner program. After an intended change of the drawing, regenerate the reference:
//   QW77_REGENERATE_GOLDEN=1 ./build/debug/bin/qw77_vprinter_tests --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "tests/vprinter/VPrinterTestUtil.h"

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

std::string GoldenPath() {
  return std::string(QW77_GOLDEN_DIR) + "/ticket.png";
}

class GoldenTicketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    out_dir_ =
        std::filesystem::temp_directory_path() / ("qw77-golden-" + std::to_string(::getpid()));
    std::filesystem::create_directories(out_dir_);
    PrinterOptions o;
    o.out_dir = out_dir_.string();
    printer_ = std::make_unique<Printer>(testing::TestFonts(), status_, o);
    printer_->Feed(Source::kFile, GoldenTicket(), 0);
    printer_->Shutdown();
    ASSERT_EQ(printer_->ticket_files().size(), 1u);
    for (const LogEntry& e : printer_->log()) {
      ASSERT_NE(e.kind, LogEntry::kMalformed) << e.Format();
    }
  }
  void TearDown() override { std::filesystem::remove_all(out_dir_); }

  std::filesystem::path out_dir_;
  StatusModel status_;
  std::unique_ptr<Printer> printer_;
};

TEST_F(GoldenTicketTest, MatchesTheReferenceImage) {
  const std::string drawn = printer_->ticket_files()[0];
  if (std::getenv("QW77_REGENERATE_GOLDEN")) {
    std::filesystem::copy_file(drawn, GoldenPath(),
                               std::filesystem::copy_options::overwrite_existing);
    GTEST_SKIP() << "reference written to " << GoldenPath();
  }
  Result<Canvas> want = Canvas::ReadPng(GoldenPath());
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
    const std::string keep = std::filesystem::temp_directory_path() / "qw77-golden-actual.png";
    std::filesystem::copy_file(drawn, keep, std::filesystem::copy_options::overwrite_existing);
    FAIL() << differing << " dots differ; the drawn ticket is kept in " << keep;
  }
}

TEST_F(GoldenTicketTest, AScannerReadsEveryBarcodeWithTheDataSent) {
  if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
  }
  const std::string command = "zbarimg -q " + printer_->ticket_files()[0] + " 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> read;
  std::array<char, 256> line{};
  while (std::fgets(line.data(), line.size(), pipe)) {
    std::string s(line.data());
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    read.insert(s);
  }
  pclose(pipe);
  // EAN-13 comes back with the check digit the printer added.
  EXPECT_EQ(read, (std::set<std::string>{"EAN-13:5901234123457", "CODE-39:AB 12", "I2/5:12345678",
                                         "CODE-128:12345678"}));
}

}  // namespace
}  // namespace qw77::vprinter
