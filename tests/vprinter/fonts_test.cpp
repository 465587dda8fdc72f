// The fallback font's lookup and scaling, and user-defined characters.
#include <gtest/gtest.h>

#include <optional>

#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/paper/HexFont.h"
#include "vprinter/printer/UserCharacters.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;

// Three characters: 0041 with its top row full, 00E9 one dot in its bottom left, and 4EBA
// a wide one with only its rightmost column set.
const char* const kHex =
    "0041:FF000000000000000000000000000000\n"
    "00E9:00000000000000000000000000000080\n"
    "4EBA:"
    "0001000100010001000100010001000100010001000100010001000100010001\n";

struct FindCase {
  const char* name;
  char32_t cp;
  int width;  // 0: not found
};

class HexFindTest : public ::testing::TestWithParam<FindCase> {};

INSTANTIATE_TEST_SUITE_P(
    Lookups, HexFindTest,
    ::testing::Values(FindCase{"First", U'A', 8}, FindCase{"Middle", U'\u00E9', 8},
                      FindCase{"LastAndWide", U'\u4EBA', 16}, FindCase{"BelowFirst", U'@', 0},
                      FindCase{"Between", U'B', 0}, FindCase{"AboveLast", U'\u4EBB', 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_P(HexFindTest, FindsExactlyTheLinesThere) {
  const HexFont font{std::string(kHex)};
  const std::optional<HexGlyph> g = font.Find(GetParam().cp);
  ASSERT_EQ(g.has_value(), GetParam().width != 0);
  if (g) {
    EXPECT_EQ(g->width, GetParam().width);
  }
}

TEST(HexFontTest, GlyphDotsAndBrokenLines) {
  const HexFont font{std::string(kHex)};
  const HexGlyph a = *font.Find(U'A');
  EXPECT_TRUE(a.Dot(0, 0) && a.Dot(7, 0));
  EXPECT_FALSE(a.Dot(0, 1) || a.Dot(8, 0) || a.Dot(-1, 0));
  EXPECT_TRUE(font.Find(U'\u00E9')->Dot(0, 15));
  EXPECT_TRUE(font.Find(U'\u4EBA')->Dot(15, 7));
  // A line of the wrong length, a bad digit, and a file that is not in the format at all.
  EXPECT_FALSE(HexFont(std::string("0041:FF\n")).Find(U'A'));
  EXPECT_FALSE(HexFont(std::string("0041:FG000000000000000000000000000000\n")).Find(U'A'));
  EXPECT_FALSE(HexFont(std::string("not a font\n")).Find(U'A'));
  EXPECT_TRUE(HexFont(std::string("0041:FF000000000000000000000000000000\r\n")).Find(U'A'));
  EXPECT_EQ(HexFont::Load("/nonexistent/unifont.hex").status().code(), ErrorCode::kNotFound);
}

// A PSF2 font of one blank glyph (for U+0000) of the given cell.
PsfFont BlankFont(int width, int height) {
  const int row = (width + 7) / 8;
  std::vector<std::uint8_t> d =
      Bytes({0x72, 0xB5, 0x4A, 0x86,         0, 0, 0, 0,      32, 0, 0, 0,     0, 0, 0, 0, 1,
             0,    0,    0,    row * height, 0, 0, 0, height, 0,  0, 0, width, 0, 0, 0});
  d.resize(d.size() + static_cast<std::size_t>(row * height), 0);
  return *PsfFont::Parse(d);
}

// The Unicode table of a one-glyph PSF2 font: what each entry maps, and entries that are not
// well-formed UTF-8 refuse the font.
TEST(PsfFontTest, TheUnicodeTableIsUtf8) {
  struct Case {
    std::string entry;               // before the FFh that ends the glyph's entry
    std::optional<char32_t> mapped;  // nullopt: the font is refused
  };
  const Case cases[] = {
      {"A", U'A'},
      {"\xC3\xA9", U'\u00E9'},
      {"\xF0\x9F\x98\x80", U'\U0001F600'},
      {"B\xFE\x41\xCC\x81", U'B'},     // a combining sequence after FEh maps nothing
      {"\xC3", std::nullopt},          // cut short by the end marker
      {"\xC0\x80", std::nullopt},      // overlong
      {"\xED\xA0\x80", std::nullopt},  // a surrogate
      {"\x80", std::nullopt},          // a stray continuation byte
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> d =
        Bytes({0x72, 0xB5, 0x4A, 0x86, 0, 0, 0, 0, 32, 0, 0, 0, 1, 0, 0, 0,
               1,    0,    0,    0,    8, 0, 0, 0, 8,  0, 0, 0, 8, 0, 0, 0});
    d.resize(d.size() + 8, 0xFF);
    d.insert(d.end(), c.entry.begin(), c.entry.end());
    d.push_back(0xFF);
    Result<PsfFont> font = PsfFont::Parse(d);
    ASSERT_EQ(font.ok(), c.mapped.has_value()) << c.entry;
    if (c.mapped) {
      EXPECT_TRUE(font->Has(*c.mapped)) << c.entry;
      EXPECT_FALSE(font->Has(U'\u0301')) << c.entry;
    }
  }
}

int Ink(const PsfFont& f, char32_t cp) {
  int n = 0;
  for (int y = 0; y < f.height(); ++y) {
    for (int x = 0; x < f.width(); ++x) n += f.Dot(cp, x, y);
  }
  return n;
}

TEST(HexFontTest, ScaledToTheCellKeepingEveryStroke) {
  const HexFont hex{std::string(kHex)};
  PsfFont a = BlankFont(12, 24);
  AddScaledGlyph(a, U'A', *hex.Find(U'A'));  // 8x16 to 12x24: the top row, in two rows
  EXPECT_EQ(Ink(a, U'A'), 2 * 12);
  EXPECT_TRUE(a.Dot(U'A', 11, 0));
  AddScaledGlyph(a, U'\u00E9', *hex.Find(U'\u00E9'));
  EXPECT_TRUE(a.Dot(U'\u00E9', 0, 23));
  EXPECT_FALSE(a.Dot(U'\u00E9', 2, 23));
  // 16 wide into 8: the single column still shows, at the right edge.
  PsfFont b = BlankFont(8, 16);
  AddScaledGlyph(b, U'\u4EBA', *hex.Find(U'\u4EBA'));
  EXPECT_EQ(Ink(b, U'\u4EBA'), 16);
  EXPECT_TRUE(b.Dot(U'\u4EBA', 7, 0));
}

// Font A is 12x24 (y = 3), font B 8x16 (y = 2).
struct DefineCase {
  const char* name;
  std::vector<std::uint8_t> params;
  bool ok;
  int font;  // where the first code is defined
  std::uint8_t code;
};

std::vector<std::uint8_t> Define(int y, int c1, int c2, int x) {
  std::vector<std::uint8_t> p = Bytes({y, c1, c2});
  for (int c = c1; c <= c2; ++c) {
    p.push_back(static_cast<std::uint8_t>(x));
    p.insert(p.end(), static_cast<std::size_t>(x * y), 0xFF);
  }
  return p;
}

class DefineTest : public ::testing::TestWithParam<DefineCase> {};

INSTANTIATE_TEST_SUITE_P(
    Limits, DefineTest,
    ::testing::Values(DefineCase{"FontA", Define(3, 'A', 'B', 12), true, 0, 'A'},
                      DefineCase{"FontB", Define(2, 'A', 'A', 8), true, 1, 'A'},
                      DefineCase{"TooWideForA", Define(3, 'A', 'A', 13), false, 0, 'A'},
                      DefineCase{"TooWideForB", Define(2, 'A', 'A', 9), false, 1, 'A'},
                      DefineCase{"NoFontOfY1", Define(1, 'A', 'A', 4), false, 0, 'A'},
                      DefineCase{"NoFontOfY4", Define(4, 'A', 'A', 4), false, 0, 'A'},
                      DefineCase{"LowestCode", Define(3, 0x20, 0x20, 1), true, 0, 0x20},
                      DefineCase{"BelowTheCodes", Define(3, 0x1F, 0x20, 1), false, 0, 0x20},
                      DefineCase{"HighestAsciiCode", Define(3, 0x7E, 0x7E, 1), true, 0, 0x7E},
                      DefineCase{"Delete", Define(3, 0x7F, 0x7F, 1), false, 0, 0x7F},
                      DefineCase{"UserPage", Define(3, 0x80, 0xFF, 1), true, 0, 0xFF},
                      DefineCase{"AcrossTheGap", Define(3, 0x7E, 0x80, 1), false, 0, 0x7E},
                      DefineCase{"Backwards", Define(3, 'B', 'A', 1), false, 0, 'A'},
                      DefineCase{"DataShort",
                                 [] {
                                   auto p = Define(3, 'A', 'B', 2);
                                   p.pop_back();
                                   return p;
                                 }(),
                                 false, 0, 'A'}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_P(DefineTest, DefinesAllOrNothing) {
  UserCharacters chars;
  const Result<std::string> r = chars.Define(GetParam().params, *testing::TestFonts());
  EXPECT_EQ(r.ok(), GetParam().ok) << (r ? *r : r.status().message());
  EXPECT_EQ(chars.Find(GetParam().font, GetParam().code) != nullptr, GetParam().ok);
  EXPECT_EQ(chars.Find(1 - GetParam().font, GetParam().code), nullptr) << "the other font's";
}

TEST(UserCharactersTest, ShapeCancelAndClear) {
  UserCharacters chars;
  // Two columns for 'A': the first with its top dot only, the second blank; and 'B' of no
  // columns at all, a blank as wide as the font.
  ASSERT_TRUE(chars.Define(Bytes({3, 'A', 'B', 2, 0x80, 0, 0, 0, 0, 0, 0}), *testing::TestFonts()));
  const auto a = chars.Find(0, 'A');
  ASSERT_TRUE(a);
  EXPECT_EQ(a->width, 2);
  EXPECT_EQ(a->height, 24);
  EXPECT_TRUE(a->At(0, 0));
  EXPECT_FALSE(a->At(0, 1) || a->At(1, 0));
  EXPECT_EQ(chars.Find(0, 'B')->width, 12);
  chars.Cancel('A');
  EXPECT_EQ(chars.Find(0, 'A'), nullptr);
  EXPECT_NE(chars.Find(0, 'B'), nullptr);
  chars.Select(true);
  chars.Clear();
  EXPECT_EQ(chars.Find(0, 'B'), nullptr);
  EXPECT_FALSE(chars.selected());
}

}  // namespace
}  // namespace qw77::vprinter
