#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "assets/MonoBitmap.h"
#include "base/Numbers.h"
#include "jobs/SampleTicketJob.h"
#include "protocol/LogoBlock.h"
#include "tests/TestPaths.h"
#include "tests/fakes/TestRig.h"
#include "transport/LogoFile.h"

namespace qw77 {
namespace {

using assets::EncodeMonoBmp;
using assets::MonoPicture;
using Bytes = std::vector<std::uint8_t>;

// A bitmap of the given size whose pixel bytes count 0, 1, 2, ... from offset 62, so that
// every printed byte shows which file byte it came from.
Bytes CountingBitmap(int width, int height) {
  Bytes bmp = EncodeMonoBmp(MonoPicture(width, height));
  for (std::size_t i = 62; i < bmp.size(); ++i) bmp[i] = static_cast<std::uint8_t>(i - 62);
  return bmp;
}

Bytes Block(const Bytes& file) {
  Bytes out;
  Status st = AppendLogoBlock(out, file);
  EXPECT_TRUE(st.ok()) << st.message();
  return out;
}

Bytes Slice(const Bytes& b, std::size_t from, std::size_t count) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
               b.begin() + static_cast<std::ptrdiff_t>(from + count));
}

TEST(LogoBlock, A64By2LogoSendsTheStoredRowsTopFirst) {
  const Bytes file = CountingBitmap(64, 2);
  Bytes expected = {0x1D, 0x76, 0x30, 0x00, 0x08, 0x00, 0x02, 0x00};
  const Bytes top = Slice(file, 70, 8), bottom = Slice(file, 62, 8);
  expected.insert(expected.end(), top.begin(), top.end());
  expected.insert(expected.end(), bottom.begin(), bottom.end());
  EXPECT_EQ(Block(file), expected);
}

TEST(LogoBlock, A384By100Logo) {
  const Bytes file = CountingBitmap(384, 100);
  const Bytes out = Block(file);
  ASSERT_EQ(out.size(), 8u + 4800u);
  EXPECT_EQ(Slice(out, 0, 8), (Bytes{0x1D, 0x76, 0x30, 0x00, 0x30, 0x00, 0x64, 0x00}));
  EXPECT_EQ(Slice(out, 8, 48), Slice(file, 4814, 48));
  EXPECT_EQ(Slice(out, 8 + 4800 - 48, 48), Slice(file, 62, 48));
}

TEST(LogoBlock, SizeFieldsSplitIntoLowAndHigh) {
  EXPECT_EQ(Slice(Block(CountingBitmap(576, 1)), 4, 2), (Bytes{0x48, 0x00}));
  EXPECT_EQ(Slice(Block(CountingBitmap(32, 256)), 6, 2), (Bytes{0x00, 0x01}));
}

// Rows of a width that is a multiple of 8 but not of 32 are padded in the file; each one
// must be read from its own start, not from where the previous unpadded row would end.
TEST(LogoBlock, RowsAreReadWithTheFilesPaddedStride) {
  for (int width : {40, 72, 12, 1}) {
    SCOPED_TRACE(width);
    MonoPicture picture(width, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) picture.Set(x, y, (x * 7 + y * 3) % 5 < 2);
    }
    const Bytes out = Block(EncodeMonoBmp(picture));
    const std::size_t row_bytes = (static_cast<std::size_t>(width) + 7) / 8;
    ASSERT_EQ(out.size(), 8 + 3 * row_bytes);
    EXPECT_EQ(out[4], row_bytes);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < static_cast<int>(row_bytes) * 8; ++x) {
        const std::uint8_t byte =
            out[8 + static_cast<std::size_t>(y) * row_bytes + static_cast<std::size_t>(x / 8)];
        EXPECT_EQ((byte >> (7 - x % 8)) & 1, picture.Get(x, y) ? 1 : 0) << x << "," << y;
      }
    }
  }
}

TEST(LogoBlock, PaddingBitsPastTheWidthPrintNothing) {
  Bytes file = EncodeMonoBmp(MonoPicture(12, 1));
  file[62] = 0xFF, file[63] = 0xFF;  // the file's padding bits set
  EXPECT_EQ(Slice(Block(file), 8, 2), (Bytes{0xFF, 0xF0}));
}

TEST(LogoBlock, PixelsAreReadFromTheStatedOffset) {
  Bytes file = CountingBitmap(32, 2);
  file.insert(file.begin() + 62, 10, 0xEE);  // a gap before the pixels
  file[10] = 72;
  EXPECT_EQ(Slice(Block(file), 8, 8), (Bytes{4, 5, 6, 7, 0, 1, 2, 3}));
}

struct BadBitmapCase {
  const char* name;
  std::function<void(Bytes&)> spoil;
  const char* message;
};

class LogoBlockBadFile : public ::testing::TestWithParam<BadBitmapCase> {};

void Put32(Bytes& b, std::size_t at, std::int64_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST_P(LogoBlockBadFile, IsRefusedWithAReason) {
  Bytes file = EncodeMonoBmp(MonoPicture(64, 8));
  GetParam().spoil(file);
  Bytes out = {0x01};
  Status st = AppendLogoBlock(out, file, "The logo file L");
  EXPECT_EQ(st.code(), ErrorCode::kFormat);
  EXPECT_EQ(st.message(), GetParam().message);
  EXPECT_EQ(out, Bytes{0x01});
}

INSTANTIATE_TEST_SUITE_P(
    Errors, LogoBlockBadFile,
    ::testing::Values(
        BadBitmapCase{"Empty", [](Bytes& b) { b.clear(); },
                      "The logo file L is too short (0 bytes) to be a bitmap: its headers alone "
                      "take 54 bytes."},
        BadBitmapCase{"HeaderCut", [](Bytes& b) { b.resize(53); },
                      "The logo file L is too short (53 bytes) to be a bitmap: its headers alone "
                      "take 54 bytes."},
        BadBitmapCase{
            "RowsCut", [](Bytes& b) { b.pop_back(); },
            "The logo file L is cut short: its 8 rows need 126 bytes, but the file holds 125."},
        BadBitmapCase{"NotABitmap", [](Bytes& b) { b[0] = 'P'; },
                      "The logo file L is not a bitmap file."},
        BadBitmapCase{
            "CoreHeader", [](Bytes& b) { Put32(b, 14, 12); },
            "The logo file L has a bitmap header of 12 bytes, which is not a layout we read."},
        BadBitmapCase{"TwoPlanes", [](Bytes& b) { b[26] = 2; },
                      "The logo file L has 2 colour planes; a bitmap has one."},
        BadBitmapCase{"EightBits", [](Bytes& b) { b[28] = 8; },
                      "The logo file L has 8 bits per pixel; a logo must be black and white, 1 bit "
                      "per pixel."},
        BadBitmapCase{"Compressed", [](Bytes& b) { b[30] = 1; },
                      "The logo file L is compressed; a logo must be stored uncompressed."},
        BadBitmapCase{"ZeroWidth", [](Bytes& b) { Put32(b, 18, 0); },
                      "The logo file L is 0 dots wide; a logo must be 1 to 1024 dots wide."},
        BadBitmapCase{"NegativeWidth", [](Bytes& b) { Put32(b, 18, -64); },
                      "The logo file L is -64 dots wide; a logo must be 1 to 1024 dots wide."},
        BadBitmapCase{
            "AbsurdWidth", [](Bytes& b) { Put32(b, 18, 0x7FFFFFFF); },
            "The logo file L is 2147483647 dots wide; a logo must be 1 to 1024 dots wide."},
        BadBitmapCase{"TopDown", [](Bytes& b) { Put32(b, 22, -8); },
                      "The logo file L stores its rows top row first (negative height); a logo "
                      "must be stored bottom row first."},
        BadBitmapCase{"ZeroHeight", [](Bytes& b) { Put32(b, 22, 0); },
                      "The logo file L is 0 rows high; a logo must be 1 to 4095 rows high."},
        BadBitmapCase{
            "AbsurdHeight", [](Bytes& b) { Put32(b, 22, 1 << 30); },
            "The logo file L is 1073741824 rows high; a logo must be 1 to 4095 rows high."},
        BadBitmapCase{"PixelsInsideHeader", [](Bytes& b) { Put32(b, 10, 20); },
                      "The logo file L says its pixels start at byte 20, inside its own header."},
        BadBitmapCase{"PixelsPastTheEnd", [](Bytes& b) { Put32(b, 10, 0xFFFFFFFF); },
                      "The logo file L is cut short: its 8 rows need 4294967359 bytes, but the "
                      "file holds 126."}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(LogoFile, ChoiceAndPath) {
  testing::TestRig rig;
  rig.system.program_directory = "/opt/qw77";
  EXPECT_EQ(SelectedLogoOption(rig.state()), 0);
  EXPECT_EQ(LogoPath(*rig.frm, 0), "/opt/qw77/SPACE.BMP");
  EXPECT_EQ(LogoPath(*rig.frm, 1), "/opt/qw77/ORVAL.BMP");
  EXPECT_EQ(LogoPath(*rig.frm, 2), "/opt/qw77/CUADROS.BMP");
  EXPECT_EQ(LogoFileName(-1), "CUADROS.BMP");
  rig.state().Select("Option1", 2);
  EXPECT_EQ(SelectedLogoOption(rig.state()), 2);
}

TEST(LogoFile, ReadErrors) {
  testing::ScopedTempDir dir;
  auto missing = ReadLogoFile("nothing.bmp");
  EXPECT_EQ(missing.status().code(), ErrorCode::kNotFound);
  EXPECT_EQ(missing.status().message(), "The logo file nothing.bmp was not found.");
  std::filesystem::create_directory("folder.bmp");
  EXPECT_EQ(ReadLogoFile("folder.bmp").status().code(), ErrorCode::kFormat);
  std::ofstream("huge.bmp").close();
  std::filesystem::resize_file("huge.bmp", kMaxLogoFileBytes + 1);
  EXPECT_EQ(ReadLogoFile("huge.bmp").status().code(), ErrorCode::kFormat);
}

// The logos drawn at build time lie in the build's bin folder, beside qw77 and this test.
TEST(LogoFile, TheShippedLogosFit60mmPaper) {
  const std::filesystem::path bin = test::BinDir();
  for (const char* name : {"SPACE.BMP", "ORVAL.BMP", "CUADROS.BMP"}) {
    SCOPED_TRACE(name);
    auto file = ReadLogoFile((bin / name).string());
    ASSERT_TRUE(file.ok()) << file.status().message();
    const std::uint32_t width = (*file)[18] | (*file)[19] << 8;
    EXPECT_EQ(width % 32, 0u);
    EXPECT_LE(width, 448u);
    EXPECT_EQ((*file)[10], 62);
    Bytes out;
    EXPECT_TRUE(AppendLogoBlock(out, *file).ok());
  }
}

TEST(SplitLowHigh, SplitsLikeTheLowAndHighBytes) {
  struct Case {
    std::int16_t value, low, high;
  };
  for (Case c : {Case{0, 0, 0},
                 {48, 48, 0},
                 {256, 0, 1},
                 {4095, 255, 15},
                 {32767, 255, 127},
                 {-1, -1, 0},
                 {-257, -1, -1}}) {
    std::int16_t low = 99, high = 99;
    SplitLowHigh(c.value, low, high);
    EXPECT_EQ(low, c.low) << c.value;
    EXPECT_EQ(high, c.high) << c.value;
  }
}

}  // namespace
}  // namespace qw77
