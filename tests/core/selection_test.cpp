#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/Selection.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using testing::TestRig;

const std::vector<std::string> kLineOptions = {"Opt4800",  "Opt9600",  "Opt19200",
                                               "Opt38400", "OptEVEN",  "OptODD",
                                               "OptNONE",  "OptEight", "OptOne"};

std::vector<bool> LineOptionsEnabled(TestRig& rig) {
  std::vector<bool> enabled;
  for (const std::string& key : kLineOptions) enabled.push_back(rig.state().Enabled(key));
  return enabled;
}

struct MarginCase {
  std::vector<const char*> focus;  // keys that receive the focus, in order
  int bar_value_before;            // set between the last two focus changes (-1: none)
  const char* caption;
  int maximum;
  int bar_value_after;
};

class MarginRange : public ::testing::TestWithParam<MarginCase> {};

TEST_P(MarginRange, PaperWidthSetsCaptionThenMaximum) {
  TestRig rig;
  const MarginCase& c = GetParam();
  std::vector<Field> order;
  rig.state().Observe([&](const Control& ctl, Field f) {
    if (ctl.name == "LblLeftMargin" || ctl.name == "HscrLeftMgn") order.push_back(f);
  });
  for (std::size_t i = 0; i < c.focus.size(); ++i) {
    if (i + 1 == c.focus.size() && c.bar_value_before >= 0) {
      rig.state().SetScrollValue("HscrLeftMgn", c.bar_value_before);
      order.clear();
    }
    RunGotFocus(*rig.frm, c.focus[i]);
  }
  EXPECT_EQ(rig.state().Caption("LblLeftMargin"), c.caption);
  EXPECT_EQ(rig.state().ScrollMaximum("HscrLeftMgn"), c.maximum);
  EXPECT_EQ(rig.state().ScrollMinimum("HscrLeftMgn"), 0);
  EXPECT_EQ(rig.state().ScrollValue("HscrLeftMgn"), c.bar_value_after);
  EXPECT_EQ(rig.state().Text("TxtLeftMgn"), std::to_string(c.bar_value_after));
  if (!order.empty()) {
    EXPECT_EQ(order.front(), Field::kCaption);  // the caption changes first
  }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, MarginRange,
    ::testing::Values(
        MarginCase{{"OptMech80", "OptMech80"}, 576, "Left Margin (1 to 576)", 576, 576},
        MarginCase{{"OptMech80", "OptMech60"}, 100, "Left Margin (1 to 448)", 448, 100},
        // A margin beyond the narrower paper is pulled back into range.
        MarginCase{{"OptMech80", "OptMech60"}, 570, "Left Margin (1 to 448)", 448, 448},
        MarginCase{{"OptMech60"}, 0, "Left Margin (1 to 448)", 448, 0}));

TEST(PortFocus, ParallelDisablesAndSerialEnablesTheLineOptionsKeepingSelections) {
  TestRig rig;
  rig.state().Select("OptODD");
  rig.state().Select("Opt19200");
  rig.frm->SerialBaud = "19200";
  for (const char* lpt : {"OptLPT1", "OptLPT2"}) {
    RunGotFocus(*rig.frm, "OptCOM0");
    RunGotFocus(*rig.frm, lpt);
    EXPECT_EQ(LineOptionsEnabled(rig), std::vector<bool>(9, false)) << lpt;
  }
  for (const char* com : {"OptCOM0", "OptCOM1", "OptCOM2"}) {
    RunGotFocus(*rig.frm, "OptLPT2");
    RunGotFocus(*rig.frm, com);
    EXPECT_EQ(LineOptionsEnabled(rig), std::vector<bool>(9, true)) << com;
  }
  EXPECT_TRUE(rig.state().Selected("OptODD"));
  EXPECT_TRUE(rig.state().Selected("Opt19200"));
  EXPECT_EQ(rig.frm->SerialBaud, "19200");
  EXPECT_EQ(rig.frm->SerialParity, "");
}

TEST(LineFocus, BaudAndParityFollowTheFocus) {
  struct Case {
    const char* key;
    const char* baud;
    const char* parity;
  };
  const Case cases[] = {
      {"Opt4800", "4800", ""},   {"Opt9600", "9600", ""}, {"Opt19200", "19200", ""},
      {"Opt38400", "38400", ""}, {"OptEVEN", "", "E"},    {"OptODD", "", "O"},
      {"OptNONE", "", "N"},      {"OptEight", "", ""},    {"CmdPrint", "", ""}};
  for (const Case& c : cases) {
    TestRig rig;
    RunGotFocus(*rig.frm, c.key);
    EXPECT_EQ(rig.frm->SerialBaud, c.baud) << c.key;
    EXPECT_EQ(rig.frm->SerialParity, c.parity) << c.key;
  }
}

TEST(RestoreDefault, SelectsTheDefaultsWithoutRunningFocusHandlers) {
  TestRig rig;
  RunGotFocus(*rig.frm, "OptMech80");
  RunGotFocus(*rig.frm, "Opt19200");
  RunGotFocus(*rig.frm, "OptEVEN");
  RunGotFocus(*rig.frm, "OptLPT1");
  for (const char* key : {"OptMech80", "Opt50mm", "OptLPT1", "Opt19200", "OptEVEN"}) {
    rig.state().Select(key);
  }
  rig.state().SetFocused("CmdRestore");

  CmdRestore_Click(*rig.frm);
  for (const char* key : {"OptMech60", "Opt150mm", "OptCOM0", "Opt9600", "OptNONE"}) {
    EXPECT_TRUE(rig.state().Selected(key)) << key;
  }
  EXPECT_EQ(LineOptionsEnabled(rig), std::vector<bool>(9, true));
  // What only the focus handlers change stays as they left it.
  EXPECT_EQ(rig.frm->SerialBaud, "19200");
  EXPECT_EQ(rig.frm->SerialParity, "E");
  EXPECT_EQ(rig.state().Caption("LblLeftMargin"), "Left Margin (1 to 576)");
  EXPECT_EQ(rig.state().ScrollMaximum("HscrLeftMgn"), 576);
  EXPECT_EQ(rig.state().Focused(), "CmdRestore");
}

TEST(RestoreDefault, RightAfterStartChangesNothingVisible) {
  TestRig rig;
  std::vector<std::string> changed;
  rig.state().Observe([&](const Control& c, Field) { changed.push_back(c.Key()); });
  CmdRestore_Click(*rig.frm);
  EXPECT_TRUE(changed.empty());
  EXPECT_EQ(rig.frm->SerialBaud, "");
  EXPECT_EQ(rig.frm->SerialParity, "");
  EXPECT_EQ(rig.state().Caption("LblLeftMargin"), "Left Margin (0 to 448)");
}

}  // namespace
}  // namespace qw77
