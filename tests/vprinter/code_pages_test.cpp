// Every ESC t table against the system's own codec (iconv), as printed and logged, and a
// glyph with ink for every printable character of every table in both fonts.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/paper/CodePages.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;

struct PageCase {
  int page;
  const char* iconv_name;  // null: no codec of the system has the table
};

// The tables glibc's iconv has, by the names it knows them by.
constexpr PageCase kPages[] = {
    {0, "CP437"},       {1, nullptr},   {2, "CP850"},       {3, "CP860"},        {4, "CP863"},
    {5, "CP865"},       {11, "CP851"},  {12, nullptr},      {13, "CP857"},       {14, "CP737"},
    {15, "ISO-8859-7"}, {16, "CP1252"}, {17, "CP866"},      {18, "CP852"},       {19, "CP858"},
    {32, nullptr},      {33, "CP775"},  {34, "CP855"},      {35, "CP861"},       {36, "CP862"},
    {37, "CP864"},      {38, "CP869"},  {39, "ISO-8859-2"}, {40, "ISO-8859-15"}, {44, "CP1125"},
    {45, "CP1250"},     {46, "CP1251"}, {47, "CP1253"},     {48, "CP1254"},      {49, "CP1255"},
    {50, "CP1256"},     {51, "CP1257"}, {52, "CP1258"},     {53, "RK1048"},
};

// One byte through iconv; empty when the codec has no character for it (or only a control
// character, which prints nothing: the printer shows '?').
std::string Iconv(const char* codec, std::uint8_t byte) {
  iconv_t cd = iconv_open("UTF-8", codec);
  if (cd == reinterpret_cast<iconv_t>(-1)) return "no codec";
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* ip = in;
  char* op = out;
  std::size_t il = 1, ol = sizeof out;
  std::size_t r = iconv(cd, &ip, &il, &op, &ol);
  // Some codecs hold a letter back for a combining mark that may follow: let it go.
  if (r != static_cast<std::size_t>(-1)) r = iconv(cd, nullptr, nullptr, &op, &ol);
  iconv_close(cd);
  const std::string s(out, op);
  if (r == static_cast<std::size_t>(-1) || s.empty()) return "";
  const auto first = static_cast<unsigned char>(s[0]);
  if (first < 0x20 || (first == 0xC2 && static_cast<unsigned char>(s[1]) < 0xA0)) return "";
  return s;
}

class CodePageTest : public ::testing::TestWithParam<PageCase> {};

INSTANTIATE_TEST_SUITE_P(EachPage, CodePageTest, ::testing::ValuesIn(kPages),
                         [](const auto& p) { return "Page" + std::to_string(p.param.page); });

// Bytes 80h..FFh printed under ESC t n: the log shows them as the page reads them.
TEST_P(CodePageTest, LogsTheUpperHalfAsTheCodecReadsIt) {
  const PageCase& c = GetParam();
  ASSERT_NE(CodePageName(c.page), nullptr);
  StatusModel status;
  Printer printer(testing::TestFonts(), status, PrinterOptions{});
  std::vector<std::uint8_t> bytes = Bytes({0x1B, 't', c.page});
  for (int b = 0x80; b <= 0xFF; ++b) bytes.push_back(static_cast<std::uint8_t>(b));
  printer.Feed(Source::kFile, bytes, 0);
  printer.Shutdown();
  std::string logged;
  for (const LogEntry& e : printer.log()) {
    if (e.kind == LogEntry::kText) logged += e.params;
  }
  std::string want = "\"";
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string s = c.iconv_name
                              ? Iconv(c.iconv_name, static_cast<std::uint8_t>(b))
                              : Utf8(CodePageToUnicode(c.page, static_cast<std::uint8_t>(b)));
    ASSERT_NE(s, "no codec") << c.iconv_name;
    want += s.empty() ? "?" : s == "\"" || s == "\\" ? "\\" + s : s;
  }
  // The text is logged in runs; the first run's opening is enough to check the whole.
  EXPECT_EQ(logged.substr(0, want.size()), want) << CodePageName(c.page);
}

// Pages no codec of the system has, checked at bytes whose characters are well known.
TEST(CodePagesTest, PagesWithoutASystemCodec) {
  struct Spot {
    int page;
    std::uint8_t byte;
    char32_t want;
  };
  for (const Spot& s : {
           Spot{1, 0x80, U'\u2581'},                          // Katakana: the lowest block
           Spot{1, 0x95, U'\u2500'},                          // a line for table rules
           Spot{1, 0xB1, U'\uFF71'},                          // half-width A
           Spot{1, 0xF1, U'\u5186'},                          // yen, as a word
           Spot{12, 0xA6, U'\u011E'},                         // PC853: G with breve
           Spot{32, 0x98, U'\u0621'},                         // PC720: hamza
           Spot{32, 0x82, U'\u00E9'}, Spot{255, 0x80, U' '},  // user-defined, none defined yet
       }) {
    EXPECT_EQ(CodePageToUnicode(s.page, s.byte), s.want)
        << CodePageName(s.page) << " " << int{s.byte};
  }
  EXPECT_EQ(CodePageName(6), nullptr);
  EXPECT_EQ(CodePageName(254), nullptr);
  EXPECT_EQ(CodePageName(255), std::string("user-defined"));
}

// Characters that print nothing on purpose: spaces and the marks that only steer text.
bool Blank(char32_t cp) {
  return cp == U' ' || cp == U'\u00A0' || (cp >= U'\u200B' && cp <= U'\u200F');
}

TEST(CodePagesTest, EveryPrintableCharacterOfEveryPageIsInkedInBothFonts) {
  const std::shared_ptr<const Fonts> fonts = testing::TestFonts();
  int checked = 0;
  for (int page : CodePageNumbers()) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
      const char32_t cp = CodePageToUnicode(page, static_cast<std::uint8_t>(byte));
      if (Blank(cp) || cp == U'?') continue;
      for (const PsfFont* font : {&fonts->a, &fonts->b}) {
        ASSERT_TRUE(font->Has(cp)) << CodePageName(page) << " byte " << byte << " U+" << std::hex
                                   << std::uint32_t{cp} << " falls back to '?'";
        int ink = 0;
        for (int y = 0; y < font->height(); ++y) {
          for (int x = 0; x < font->width(); ++x) ink += font->Dot(cp, x, y);
        }
        EXPECT_GT(ink, 0) << CodePageName(page) << " byte " << byte << " U+" << std::hex
                          << std::uint32_t{cp};
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 2 * 34 * 100);
}

}  // namespace
}  // namespace qw77::vprinter
