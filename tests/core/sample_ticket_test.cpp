#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "assets/MonoBitmap.h"
#include "base/CodePage.h"
#include "base/Numbers.h"
#include "jobs/SampleTicketJob.h"
#include "protocol/Ticket.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ScopedTempDir;
using testing::TestRig;

Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes Compose(const SampleTicketSettings& s, const Bytes& logo = {}) {
  auto out = ComposeSampleTicket(s, logo);
  EXPECT_TRUE(out.ok()) << out.status().message();
  return out.ok() ? *out : Bytes{};
}

// The settings of the worked example: X=2, Y=1, two lines of "AB", everything else at rest.
SampleTicketSettings Example() {
  SampleTicketSettings s;
  s.x_scale = "2";
  s.lines = "2";
  s.sample_text = "AB";
  return s;
}

const Bytes kExampleTicket = {0x1B, 0x21, 0x00, 0x1D, 0x21, 0x10, 0x1B, 0x33, 0x01, 0x1B,
                              0x20, 0x01, 0x1B, 0x4D, 0x00, 0x1D, 0x4C, 0x00, 0x00, 0x1D,
                              0x28, 0x4B, 0x02, 0x00, 0x01, 0x00, 0x1D, 0x45, 0x00, 0x41,
                              0x42, 0x0A, 0x41, 0x42, 0x0A, 0x1B, 0x4A, 0xE1};

TEST(SampleTicketStream, TheWorkedExampleIsExactly38Bytes) {
  EXPECT_EQ(Compose(Example()), kExampleTicket);
}

TEST(SampleTicketStream, TheWindowAtRestGivesTheSameStreamAsTheRecord) {
  TestRig rig;
  WindowState& w = rig.state();
  w.SetText("TxtXScale", "2");
  w.SetText("TxtLines", "2");
  w.SetText("TxtSample", "AB");
  EXPECT_EQ(Compose(ReadSampleTicketSettings(w)), kExampleTicket);
}

// One parameter changed from the worked example, and the bytes it must produce at a fixed
// offset of the stream.
struct ParameterCase {
  const char* name;
  std::function<void(SampleTicketSettings&)> change;
  std::size_t offset;
  Bytes expected;
};

class SampleTicketParameter : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(SampleTicketParameter, WritesItsBytes) {
  SampleTicketSettings s = Example();
  GetParam().change(s);
  const Bytes out = Compose(s);
  ASSERT_GE(out.size(), GetParam().offset + GetParam().expected.size());
  EXPECT_EQ(Bytes(out.begin() + static_cast<std::ptrdiff_t>(GetParam().offset),
                  out.begin() +
                      static_cast<std::ptrdiff_t>(GetParam().offset + GetParam().expected.size())),
            GetParam().expected);
}

// Offsets: GS ! at 3, ESC 3 at 6, ESC SP at 9, ESC M at 12, GS L at 15, GS ( K at 19,
// GS E at 26, text at 29.
INSTANTIATE_TEST_SUITE_P(
    Bytes, SampleTicketParameter,
    ::testing::Values(
        ParameterCase{
            "Scale8x8", [](auto& s) { s.x_scale = "8", s.y_scale = "8"; }, 3, {0x1D, 0x21, 0x77}},
        ParameterCase{
            "Scale1x2", [](auto& s) { s.x_scale = "1", s.y_scale = "2"; }, 3, {0x1D, 0x21, 0x01}},
        ParameterCase{"ScaleHalvesRoundToEven",
                      [](auto& s) { s.x_scale = "1", s.y_scale = "1.5"; },
                      3,
                      {0x1D, 0x21, 0x00}},
        ParameterCase{
            "LineSpacing", [](auto& s) { s.line_spacing = "255"; }, 6, {0x1B, 0x33, 0xFF}},
        ParameterCase{
            "LineSpacingHalfDown", [](auto& s) { s.line_spacing = "2.5"; }, 6, {0x1B, 0x33, 0x02}},
        ParameterCase{
            "LineSpacingHalfUp", [](auto& s) { s.line_spacing = " 3.5 "; }, 6, {0x1B, 0x33, 0x04}},
        ParameterCase{"CharSpacing", [](auto& s) { s.char_spacing = "7"; }, 9, {0x1B, 0x20, 0x07}},
        ParameterCase{"FontB", [](auto& s) { s.font = TicketFont::kB; }, 12, {0x1B, 0x4D, 0x01}},
        ParameterCase{
            "Margin448", [](auto& s) { s.left_margin = "448"; }, 15, {0x1D, 0x4C, 0xC0, 0x01}},
        ParameterCase{
            "Margin832", [](auto& s) { s.left_margin = "832"; }, 15, {0x1D, 0x4C, 0x40, 0x03}},
        ParameterCase{"DensityMinus1",
                      [](auto& s) { s.density = "-1"; },
                      19,
                      {0x1D, 0x28, 0x4B, 0x02, 0x00, 0x01, 0xFF}},
        ParameterCase{"DensityMinus10", [](auto& s) { s.density = "-10"; }, 25, {0xF6}},
        ParameterCase{"Density5", [](auto& s) { s.density = "5"; }, 25, {0x05}},
        ParameterCase{"Density10", [](auto& s) { s.density = "10"; }, 25, {0x0A}},
        ParameterCase{"DensityLeadingNumber", [](auto& s) { s.density = " 7 dots"; }, 25, {0x07}},
        ParameterCase{"DensityNoNumberIsZero", [](auto& s) { s.density = "abc"; }, 25, {0x00}},
        ParameterCase{
            "Speed50", [](auto& s) { s.speed = PrintSpeed::k50mm; }, 26, {0x1D, 0x45, 0x30}},
        ParameterCase{
            "Speed80", [](auto& s) { s.speed = PrintSpeed::k80mm; }, 26, {0x1D, 0x45, 0x20}},
        ParameterCase{
            "Speed100", [](auto& s) { s.speed = PrintSpeed::k100mm; }, 26, {0x1D, 0x45, 0x10}},
        ParameterCase{"ThreeLines",
                      [](auto& s) { s.lines = "3"; },
                      29,
                      {0x41, 0x42, 0x0A, 0x41, 0x42, 0x0A, 0x41, 0x42, 0x0A, 0x1B, 0x4A, 0xE1}},
        ParameterCase{"NoLinesBelowOne", [](auto& s) { s.lines = "0"; }, 29, {0x1B, 0x4A, 0xE1}},
        ParameterCase{"EmptyTextGivesBareLineFeeds",
                      [](auto& s) { s.sample_text = ""; },
                      29,
                      {0x0A, 0x0A, 0x1B, 0x4A, 0xE1}},
        ParameterCase{"Latin1AndCp1252Characters",
                      [](auto& s) { s.lines = "1", s.sample_text = "\xC3\xB1\xE2\x82\xAC"; },
                      29,
                      {0xF1, 0x80, 0x0A}},
        ParameterCase{"UnmappableCharacterBecomesQuestionMark",
                      [](auto& s) { s.lines = "1", s.sample_text = "\xE4\xB8\xAD!"; },
                      29,
                      {'?', '!', 0x0A}}),
    [](const auto& p) { return std::string(p.param.name); });

// The window's option groups and check boxes reach the record.
TEST(SampleTicketSettingsFromWindow, ReadsSelectionsAndChecks) {
  TestRig rig;
  WindowState& w = rig.state();
  SampleTicketSettings s = ReadSampleTicketSettings(w);
  EXPECT_EQ(s.speed, PrintSpeed::k150mm);
  EXPECT_EQ(s.font, TicketFont::kA);
  EXPECT_FALSE(s.logo_wanted);
  EXPECT_FALSE(s.barcode_wanted);
  w.Select("Opt80mm");
  w.Select("OptFontB");
  w.Select("Option1", 1);
  w.SetValue("CheckGraphic", 1);
  w.SetValue("ChkBarCode", 1);
  w.SetListIndex("Combo1", 3);
  s = ReadSampleTicketSettings(w);
  EXPECT_EQ(s.speed, PrintSpeed::k80mm);
  EXPECT_EQ(s.font, TicketFont::kB);
  EXPECT_EQ(s.logo_choice, 1);
  EXPECT_TRUE(s.logo_wanted);
  EXPECT_TRUE(s.barcode_wanted);
  EXPECT_EQ(s.barcode_type, 3);
}

TEST(SampleTicketStream, LogoThenBarcodeThenTheFeed) {
  qw77::assets::MonoPicture picture(32, 1);
  picture.Set(0, 0);
  SampleTicketSettings s = Example();
  s.logo_wanted = true;
  s.barcode_wanted = true;
  s.barcode_type = 2;
  s.barcode_data = "12";
  const Bytes out = Compose(s, qw77::assets::EncodeMonoBmp(picture));
  const Bytes tail = {0x41, 0x42, 0x0A,                                       // last text line
                      0x1D, 0x76, 0x30, 0x00, 0x04, 0x00, 0x01, 0x00,         // logo header
                      0x80, 0x00, 0x00, 0x00,                                 // its one row
                      0x1D, 0x6B, 0x46, 0x02, 0x31, 0x32, 0x1B, 0x4A, 0xE1};  // barcode, feed
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(Bytes(out.end() - static_cast<std::ptrdiff_t>(tail.size()), out.end()), tail);
}

struct ConversionCase {
  double value;
  double rounded;
};

TEST(SampleTicketConversions, RoundHalfEven) {
  for (ConversionCase c : {ConversionCase{0.5, 0},
                           {1.5, 2},
                           {2.5, 2},
                           {3.5, 4},
                           {-0.5, 0},
                           {-1.5, -2},
                           {-2.5, -2},
                           {2.4999, 2},
                           {2.5001, 3},
                           {7, 7}}) {
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
  }
}

TEST(SampleTicketConversions, NumbersInText) {
  double v = -1;
  EXPECT_TRUE(ParseDecimal(" 12 ", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(ParseDecimal("+1.25e1", v));
  EXPECT_EQ(v, 12.5);
  for (const char* bad :
       {"", " ", "12abc", "abc", ".", "-", "inf", "nan", "1e999", "0x10", "1 2"}) {
    EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
  }
  EXPECT_EQ(LeadingNumber("12abc"), 12);
  EXPECT_EQ(LeadingNumber("  2.5x"), 2.5);
  EXPECT_EQ(LeadingNumber("-3"), -3);
  EXPECT_EQ(LeadingNumber("2e"), 2);
  EXPECT_EQ(LeadingNumber("x12"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
}

TEST(SampleTicketConversions, Cp1252CoversLatin1AndTheTypographicRow) {
  EXPECT_EQ(EncodeCp1252("Az \xC3\xA9\xC3\xBF\xC2\xA0"), std::string("Az \xE9\xFF\xA0"));
  EXPECT_EQ(EncodeCp1252("\xE2\x80\x9C\xE2\x80\x94\xC5\xB8"), std::string("\x93\x97\x9F"));
  // C1 controls, characters beyond the code page, and malformed bytes: one '?' each.
  EXPECT_EQ(EncodeCp1252("\xC2\x81\xF0\x9F\x98\x80"), "??");
  EXPECT_EQ(EncodeCp1252("a\xFF"
                         "b\xC3"),
            "a?b?");
  EXPECT_EQ(EncodeCp1252("\xC0\x80\xED\xA0\x80"), "?????");  // overlong NUL, surrogate
}

struct BadFieldCase {
  const char* name;
  std::function<void(SampleTicketSettings&)> change;
  const char* message;
};

class SampleTicketBadField : public ::testing::TestWithParam<BadFieldCase> {};

TEST_P(SampleTicketBadField, IsRefusedByName) {
  SampleTicketSettings s = Example();
  GetParam().change(s);
  auto out = ComposeSampleTicket(s, {});
  ASSERT_FALSE(out.ok());
  EXPECT_EQ(out.status().code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(out.status().message(), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, SampleTicketBadField,
    ::testing::Values(
        BadFieldCase{"EmptyLineSpacing", [](auto& s) { s.line_spacing = ""; },
                     "Line Spacing holds \"\", which is not a number."},
        BadFieldCase{"WordInCharSpacing", [](auto& s) { s.char_spacing = "wide"; },
                     "Char Spacing holds \"wide\", which is not a number."},
        BadFieldCase{"LineSpacingTooBig", [](auto& s) { s.line_spacing = "256"; },
                     "Line Spacing holds \"256\", outside 0 to 255."},
        BadFieldCase{"LineSpacingRoundsOut", [](auto& s) { s.line_spacing = "255.6"; },
                     "Line Spacing holds \"255.6\", outside 0 to 255."},
        BadFieldCase{"NegativeCharSpacing", [](auto& s) { s.char_spacing = "-1"; },
                     "Char Spacing holds \"-1\", outside 0 to 255."},
        BadFieldCase{"NegativeMargin", [](auto& s) { s.left_margin = "-8"; },
                     "Left Margin holds \"-8\", outside 0 to 65535."},
        BadFieldCase{"XScaleNotANumber", [](auto& s) { s.x_scale = "x"; },
                     "X-Scale holds \"x\", which is not a number."},
        BadFieldCase{
            "ScaleBelowOne", [](auto& s) { s.x_scale = "0"; },
            "X-Scale \"0\" and Y-Scale \"1\" do not give a character size the printer takes."},
        BadFieldCase{"DensityTooHigh", [](auto& s) { s.density = "300"; },
                     "Print Density holds \"300\", outside 0 to 255."},
        BadFieldCase{"DensityMinusZero", [](auto& s) { s.density = "-0"; },
                     "Print Density holds \"-0\", outside 0 to 255."},
        BadFieldCase{"LinesNotANumber", [](auto& s) { s.lines = "many"; },
                     "Num of lines holds \"many\", which is not a number."},
        BadFieldCase{"LinesPast16Bits", [](auto& s) { s.lines = "40000"; },
                     "Num of lines holds \"40000\", outside -32768 to 32767."}),
    [](const auto& p) { return std::string(p.param.name); });

// --- the spool file ---------------------------------------------------------------------

TEST(SampleTicketFile, BuildWritesExactlyTheStreamToTempoTxt) {
  ScopedTempDir dir;
  TestRig rig;
  WriteAll("tempo.txt", Bytes(500, 0xAA));  // left over from an earlier job
  rig.state().SetText("TxtXScale", "2");
  rig.state().SetText("TxtLines", "2");
  rig.state().SetText("TxtSample", "AB");
  ASSERT_TRUE(BuildSampleTicket(*rig.frm).ok());
  EXPECT_EQ(ReadAll("tempo.txt"), kExampleTicket);
  // Nothing but the spool file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST(SampleTicketFile, TheChosenLogoIsReadFromTheProgramDirectory) {
  ScopedTempDir dir;
  TestRig rig;
  std::filesystem::create_directory("prog");
  rig.system.program_directory = (dir.path() / "prog").string();
  qw77::assets::MonoPicture picture(32, 2);
  picture.Set(31, 0);
  WriteAll("prog/ORVAL.BMP", qw77::assets::EncodeMonoBmp(picture));
  rig.state().SetValue("CheckGraphic", 1);
  rig.state().Select("Option1", 1);
  ASSERT_TRUE(BuildSampleTicket(*rig.frm).ok());
  const Bytes out = ReadAll("tempo.txt");
  const Bytes block = {0x1D, 0x76, 0x30, 0x00, 0x04, 0x00, 0x02, 0x00,
                       0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
  ASSERT_GT(out.size(), block.size() + 3);
  EXPECT_EQ(Bytes(out.end() - 19, out.end() - 3), block);
}

TEST(SampleTicketFile, FailuresLeaveTheEarlierSpoolFileAndSayWhy) {
  struct Case {
    const char* name;
    std::function<void(TestRig&)> arrange;
    ErrorCode code;
    const char* says;
  };
  const Case cases[] = {
      {"bad number", [](TestRig& r) { r.state().SetText("TxtLinesp", "abc"); },
       ErrorCode::kInvalidArgument, "Line Spacing holds \"abc\""},
      {"missing logo",
       [](TestRig& r) {
         r.system.program_directory = "/nonexistent-qw77";
         r.state().SetValue("CheckGraphic", 1);
       },
       ErrorCode::kNotFound, "The logo file /nonexistent-qw77/SPACE.BMP was not found."},
      {"truncated logo",
       [](TestRig& r) {
         r.system.program_directory = ".";
         Bytes bmp = qw77::assets::EncodeMonoBmp(qw77::assets::MonoPicture(64, 8));
         bmp.pop_back();  // one byte short of its last row
         WriteAll("CUADROS.BMP", bmp);
         r.state().SetValue("CheckGraphic", 1);
         r.state().Select("Option1", 2);
       },
       ErrorCode::kFormat, "The logo file ./CUADROS.BMP is cut short"},
      {"no barcode type",
       [](TestRig& r) { r.state().SetValue("ChkBarCode", 1); },  // the list still at -1
       ErrorCode::kInvalidArgument, "No barcode type is chosen"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    TestRig rig;
    WriteAll("tempo.txt", {1, 2, 3});
    c.arrange(rig);
    Status st = BuildSampleTicket(*rig.frm);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.code(), c.code);
    EXPECT_EQ(st.message().rfind("The sample ticket cannot be printed. ", 0), 0u) << st.message();
    EXPECT_NE(st.message().find(c.says), std::string::npos) << st.message();
    EXPECT_EQ(ReadAll("tempo.txt"), (Bytes{1, 2, 3}));
  }
}

// The tests run as root, which ignores permission bits, so a spool file that cannot be
// created is made by putting a directory where tempo.txt belongs: the rename into place fails.
TEST(SampleTicketFile, ASpoolFileThatCannotBeCreatedIsReported) {
  ScopedTempDir dir;
  TestRig rig;
  std::filesystem::create_directory("tempo.txt");
  Status st = BuildSampleTicket(*rig.frm);
  ASSERT_FALSE(st.ok());
  EXPECT_EQ(st.code(), ErrorCode::kIo);
  EXPECT_NE(
      st.message().find("The spool file tempo.txt could not be written in " + dir.path().string()),
      std::string::npos)
      << st.message();
  EXPECT_TRUE(std::filesystem::is_directory("tempo.txt"));
  // The temporary file it wrote first is gone again.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

}  // namespace
}  // namespace qw77
