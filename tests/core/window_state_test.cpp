#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/TestPaths.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using testing::TestRig;

struct Change {
  std::string key;
  Field field;
};

TEST(WindowState, InitialStateOfTheInventory) {
  TestRig rig;
  WindowState& s = rig.state();
  EXPECT_FALSE(s.Enabled("CmdSettings"));
  EXPECT_TRUE(s.Enabled("CmdPrint"));
  EXPECT_EQ(s.Text("TxtSample"), "ZN740 sample ticket");
  EXPECT_EQ(s.MaxLength("TxtSample"), 25);
  EXPECT_EQ(s.MaxLength("TxtBarCode"), 20);
  EXPECT_EQ(s.Text("TxtLeftMgn"), "0");
  EXPECT_EQ(s.ScrollValue("HscrLeftMgn"), 1);
  EXPECT_EQ(s.ScrollMaximum("HscrLeftMgn"), 448);
  EXPECT_EQ(s.ScrollMinimum("HscrDensity"), -10);
  EXPECT_EQ(s.Caption("LblLeftMargin"), "Left Margin (0 to 448)");
  EXPECT_EQ(s.Text("Combo1"), "EAN-13");
  EXPECT_TRUE(s.Selected("Option1", 0));
  EXPECT_EQ(s.Caption("Option1", 2), "Squares");
  EXPECT_EQ(s.Caption("FrmError", 0), "Error Status");
  EXPECT_EQ(s.Focused(), "CmdExit");
  EXPECT_EQ(rig.frm->SerialBaud, "");
  EXPECT_EQ(rig.frm->JobBusy, 0);
  EXPECT_EQ(FrmMenu::TabOrder().front(), "CmdExit");
  for (const std::string& key : FrmMenu::TabOrder()) {
    EXPECT_TRUE(s.Has(key.substr(0, key.find('(')),
                      key.find('(') == std::string::npos ? -1 : key[key.find('(') + 1] - '0'))
        << key;
  }
}

TEST(WindowState, EveryOptionGroupHoldsExactlyOneSelection) {
  TestRig rig;
  WindowState& s = rig.state();
  for (const char* group : {"FrmFont", "FrmGrafico", "FrmPort", "FrmMechanism", "FrmBaud", "FrmPar",
                            "FrmBits", "FrmStop", "FrmSpeed"}) {
    int selected = 0;
    for (const std::string& key : s.GroupMembers(group)) {
      for (const Control& c : s.Controls()) selected += (c.Key() == key && c.selected) ? 1 : 0;
    }
    EXPECT_EQ(selected, 1) << group;
  }
  s.Select("OptLPT2");
  EXPECT_TRUE(s.Selected("OptLPT2"));
  EXPECT_FALSE(s.Selected("OptCOM0"));
  s.Select("Option1", 2);
  EXPECT_FALSE(s.Selected("Option1", 0));
  EXPECT_TRUE(s.Selected("OptCOM0") == false && s.Selected("OptFontA"));
}

TEST(WindowState, ObserversSeeRealChangesOnly) {
  TestRig rig;
  WindowState& s = rig.state();
  std::vector<Change> seen;
  s.Observe([&](const Control& c, Field f) { seen.push_back({c.Key(), f}); });
  s.SetEnabled("CmdPrint", true);  // already enabled
  s.SetText("TxtSample", "ZN740 sample ticket");
  EXPECT_TRUE(seen.empty());
  s.SetEnabled("CmdPrint", false);
  s.Select("OptFontB");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].key, "CmdPrint");
  EXPECT_EQ(seen[1].key, "OptFontA");  // the old selection clears first
  EXPECT_EQ(seen[2].key, "OptFontB");
}

TEST(WindowState, TextBoxesNeverHoldMoreThanTheirMaximum) {
  TestRig rig;
  WindowState& s = rig.state();
  s.SetText("TxtSample", std::string(40, 'x'));
  EXPECT_EQ(s.Text("TxtSample").size(), 25u);
  s.SetText("TxtSample", "\xC3\xB1" + std::string(30, 'n'));  // n-tilde counts as one
  EXPECT_EQ(s.Text("TxtSample"), "\xC3\xB1" + std::string(24, 'n'));
  s.SetText("TxtBarCode", "123");
  s.SetMaxLength("TxtBarCode", 7);
  EXPECT_EQ(s.Text("TxtBarCode"), "123");
}

// A name the window does not have does not compile; its text is not found at run time, nor
// is an element beyond a control array's.
TEST(WindowState, UnknownControlIsAnError) {
  TestRig rig;
  EXPECT_EQ(FindControlId("CmdNothing"), std::nullopt);
  EXPECT_EQ(FindControlId("CmdPrint"), ControlId::kCmdPrint);
  EXPECT_EQ(rig.state().Find("CmdNothing"), nullptr);
  EXPECT_EQ(rig.state().Find("Option1(2)")->caption, "Squares");
  EXPECT_THROW((void)rig.state().Enabled("Option1", 3), std::out_of_range);
  EXPECT_THROW((void)rig.state().Enabled("CmdPrint", 0), std::out_of_range);
  for (const Control& c : rig.state().Controls()) EXPECT_EQ(ControlName(c.id), c.name);
  EXPECT_THROW(rig.state().Select("CmdPrint"), std::logic_error);
}

struct BarCase {
  const char* bar;
  const char* text_box;
  int target;
  const char* expected;
};

class ScrollBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(ScrollBarTest, ChangeWritesTheValueIntoItsTextBox) {
  TestRig rig;
  const BarCase& c = GetParam();
  rig.state().SetScrollValue(c.bar, c.target);
  EXPECT_EQ(rig.state().Text(c.text_box), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Bars, ScrollBarTest,
                         ::testing::Values(BarCase{"HscrDensity", "TxtDensity", -10, "-10"},
                                           BarCase{"HscrDensity", "TxtDensity", 11,
                                                   "10"},  // held in range
                                           BarCase{"HscrLeftMgn", "TxtLeftMgn", 0, "0"},
                                           BarCase{"HscrLeftMgn", "TxtLeftMgn", 2, "2"},
                                           BarCase{"HscrLines", "TxtLines", 50, "50"},
                                           BarCase{"HscrXscale", "TxtXScale", 8, "8"},
                                           BarCase{"HscrYscale", "TxtYScale", 3, "3"},
                                           BarCase{"HscrLinesp", "TxtLinesp", 255, "255"},
                                           BarCase{"HscrCharsp", "TxtCharsp", 17, "17"}));

TEST(ScrollBars, SettingTheSameValueRaisesNoEvent) {
  TestRig rig;
  WindowState& s = rig.state();
  int changes = 0;
  s.OnScrollChange([&](const Control&) { ++changes; });
  s.SetScrollValue("HscrLeftMgn", 1);  // its value at start
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(s.Text("TxtLeftMgn"), "0");  // the text keeps its own initial value
  s.SetScrollValue("HscrLeftMgn", 2);
  EXPECT_EQ(changes, 1);
}

TEST(ScrollBars, LoweringTheMaximumPullsTheValueIntoRange) {
  TestRig rig;
  WindowState& s = rig.state();
  s.SetScrollMaximum("HscrLeftMgn", 576);
  s.SetScrollValue("HscrLeftMgn", 500);
  s.SetScrollMaximum("HscrLeftMgn", 448);
  EXPECT_EQ(s.ScrollValue("HscrLeftMgn"), 448);
  EXPECT_EQ(s.Text("TxtLeftMgn"), "448");
}

}  // namespace
}  // namespace qw77

namespace qw77 {
namespace {

// Code names controls by id: a control's name as text ("CmdPrint", "Option1(2)") appears
// only in the inventory of names and in the front end's widget table (and in tests).
TEST(ControlNames, AreSpeltAsTextOnlyInTheInventoryAndTheWidgetTable) {
  namespace fs = std::filesystem;
  const fs::path root = test::SourcePath("");
  const fs::path allowed[] = {root / "form/ControlId.h", root / "frontend/MainWindowLayout.cpp"};
  int files = 0;
  for (const char* room : {"app", "base", "bench", "cli", "form", "frontend", "jobs", "platform",
                           "protocol", "transport"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / room)) {
      const fs::path& path = entry.path();
      if (path.extension() != ".cpp" && path.extension() != ".h") continue;
      if (std::find(std::begin(allowed), std::end(allowed), path) != std::end(allowed)) continue;
      ++files;
      std::ifstream in(path);
      const std::string text((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
      for (std::string_view name : kControlNames) {
        const std::string quoted = "\"" + std::string(name);
        for (std::size_t at = text.find(quoted); at != std::string::npos;
             at = text.find(quoted, at + 1)) {
          const char next = text[at + quoted.size()];
          EXPECT_TRUE(next != '"' && next != '(') << path << ": " << name;
        }
      }
    }
  }
  EXPECT_GT(files, 50);
}

}  // namespace
}  // namespace qw77
