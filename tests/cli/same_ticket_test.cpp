// qw77-cli compose and the window's Print write the same spool file for the same settings:
// the window side is driven by the operator's gestures (clicks with their focus handlers,
// bar moves, typing, the barcode field's keys), the shell side by its options.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "form/BarcodeKeys.h"
#include "form/Selection.h"
#include "form/StartUp.h"
#include "jobs/PrintAction.h"
#include "tests/TestPaths.h"
#include "tests/cli/CliRig.h"
#include "tests/core/job_test_support.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::CliRig;
using testing::ScopedTempDir;
using testing::StatusResponder;
using testing::TestRig;

Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The operator at the window, through the handlers the front end calls.
class Operator {
 public:
  explicit Operator(TestRig& rig) : rig_(rig) {}

  Operator& Click(const std::string& option, int index = -1) {
    rig_.state().Select(option, index);
    rig_.state().SetFocused(ControlKey(option, index));
    RunGotFocus(*rig_.frm, ControlKey(option, index));
    return *this;
  }
  Operator& Bar(const std::string& bar, int value) {
    rig_.state().SetScrollValue(bar, value);
    return *this;
  }
  Operator& Check(const std::string& box) {
    rig_.state().SetValue(box, 1);
    return *this;
  }
  Operator& Type(const std::string& text) {
    rig_.state().SetText("TxtSample", text);
    return *this;
  }
  // Chooses the barcode type in the list, leaves it, and types into the field: each key as
  // (key code, character), through the window's key filter.
  Operator& Barcode(int type, const std::vector<std::pair<std::int16_t, std::int16_t>>& keys) {
    rig_.state().SetValue("ChkBarCode", 1);
    rig_.state().SetListIndex("Combo1", type);
    Combo1_LostFocus(*rig_.frm);
    rig_.state().SetFocused("TxtBarCode");
    for (auto [code, ascii] : keys) {
      std::int16_t down = code, press = ascii, up = code;
      Form_KeyDown(*rig_.frm, down, 0);
      Form_KeyPress(*rig_.frm, press);
      Form_KeyUp(*rig_.frm, up, 0);
    }
    return *this;
  }

 private:
  TestRig& rig_;
};

// Digits typed on the main row: the key code is the character.
std::vector<std::pair<std::int16_t, std::int16_t>> Digits(const std::string& digits) {
  std::vector<std::pair<std::int16_t, std::int16_t>> keys;
  for (char c : digits) keys.emplace_back(c, c);
  return keys;
}

struct SameTicketCase {
  const char* name;
  std::vector<std::string> options;
  std::function<void(Operator&)> gestures;
};

class SameTicket : public ::testing::TestWithParam<SameTicketCase> {};

TEST_P(SameTicket, ComposeWritesWhatTheWindowsPrintSpools) {
  ScopedTempDir dir;

  // The window: started up, the line chosen, the settings made, Print clicked; the spool
  // file is caught as the job's clean-up command removes it.
  TestRig rig;
  rig.system.program_directory = test::BinDir();
  rig.com1.peer = StatusResponder{};
  Bytes spooled;
  rig.system.on_start = [&spooled](testing::FakeSystem::Process& p) {
    if (testing::DeletesSpool(p)) {
      spooled = ReadAll("tempo.txt");
      std::filesystem::remove("tempo.txt");
    }
  };
  ASSERT_TRUE(Form_Load(*rig.frm));
  Operator op(rig);
  op.Click("Opt9600").Click("OptNONE");
  GetParam().gestures(op);
  CmdPrint_Click(*rig.frm);
  ASSERT_TRUE(rig.window.messages.empty()) << rig.window.messages[0].text;
  ASSERT_FALSE(spooled.empty());

  // The shell, with the same settings as options.
  CliRig cli;
  cli.system.program_directory = test::BinDir();
  std::vector<std::string> args = {"compose", "--out", "cli-ticket.bin"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  ASSERT_EQ(cli.Run(args), 0) << cli.err;
  EXPECT_EQ(ReadAll("cli-ticket.bin"), spooled);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SameTicket,
    ::testing::Values(
        SameTicketCase{"AtStartUp", {}, [](Operator&) {}},
        SameTicketCase{"WidePaperWideMargin",
                       {"--paper", "80", "--left-margin", "576"},
                       [](Operator& op) { op.Click("OptMech80").Bar("HscrLeftMgn", 576); }},
        // The margin's bar starts at 1 while its box shows 0: the operator moves it away
        // and back to get 1, the option gets 1 at once.
        SameTicketCase{"MarginOneWhereTheBarStands",
                       {"--left-margin", "1"},
                       [](Operator& op) { op.Bar("HscrLeftMgn", 2).Bar("HscrLeftMgn", 1); }},
        SameTicketCase{
            "ScalesAndSpacings",
            {"--xscale", "3", "--yscale", "8", "--line-spacing", "255", "--char-spacing", "7"},
            [](Operator& op) {
              op.Bar("HscrXscale", 3)
                  .Bar("HscrYscale", 8)
                  .Bar("HscrLinesp", 255)
                  .Bar("HscrCharsp", 7);
            }},
        SameTicketCase{
            "FontBSlowLightest",
            {"--font", "B", "--speed", "50", "--density", "-10"},
            [](Operator& op) { op.Click("OptFontB").Click("Opt50mm").Bar("HscrDensity", -10); }},
        SameTicketCase{"FiftyLinesOfOwnText",
                       {"--lines", "50", "--text", "Größe 5 € ½"},
                       [](Operator& op) { op.Bar("HscrLines", 50).Type("Größe 5 € ½"); }},
        SameTicketCase{
            "OrvalLogo",
            {"--logo", "orval", "--lines", "2"},
            [](Operator& op) { op.Check("CheckGraphic").Click("Option1", 1).Bar("HscrLines", 2); }},
        SameTicketCase{
            "EmptyEan13Field", {"--barcode", "ean13:"}, [](Operator& op) { op.Barcode(0, {}); }},
        SameTicketCase{"EmptyText", {"--text="}, [](Operator& op) { op.Type(""); }},
        SameTicketCase{"Ean13",
                       {"--barcode", "ean13:590123412345"},
                       [](Operator& op) { op.Barcode(0, Digits("590123412345")); }},
        // Letters typed in either case land as capitals; '-' comes from its own key.
        SameTicketCase{"Code39LowerCaseAndSymbol",
                       {"--barcode", "code39:ab-1", "--density", "10"},
                       [](Operator& op) {
                         op.Barcode(1, {{'A', 'a'}, {'B', 'b'}, {189, '-'}, {'1', '1'}})
                             .Bar("HscrDensity", 10);
                       }},
        SameTicketCase{"Code128OddDigitsSquaresFastLine",
                       {"--barcode", "code128:12345", "--logo", "squares", "--speed", "80",
                        "--baud", "38400", "--parity", "E"},
                       [](Operator& op) {
                         op.Click("Opt38400").Click("OptEVEN").Click("Opt80mm");
                         op.Check("CheckGraphic").Click("Option1", 2);
                         op.Barcode(3, Digits("12345"));
                       }},
        SameTicketCase{"ItfWithSpaceLogo",
                       {"--barcode", "itf:1234", "--logo", "space", "--speed", "100"},
                       [](Operator& op) {
                         op.Check("CheckGraphic").Click("Option1", 0).Click("Opt100mm");
                         op.Barcode(2, Digits("1234"));
                       }}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace qw77
