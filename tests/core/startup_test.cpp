#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/About.h"
#include "form/ComPorts.h"
#include "form/StartUp.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using testing::TestRig;

TEST(FormLoad, DefinesTheSerialAliasesOfTheFamilyThatNeedsThem) {
  for (OsFamily family : {OsFamily::kPosix, OsFamily::kWindowsNt5, OsFamily::kWindowsOther}) {
    TestRig rig;
    rig.system.family = family;
    ASSERT_TRUE(Form_Load(*rig.frm));
    EXPECT_EQ(rig.system.aliases, NumberComPorts(family).aliases);
    EXPECT_EQ(rig.system.aliases.empty(), family != OsFamily::kWindowsNt5);
  }
}

TEST(FormLoad, ClosesOpenPortsAndSetsTheDefaults) {
  TestRig rig;
  ASSERT_TRUE(rig.com2.Open({}).ok());
  EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), 20);
  rig.state().SetListIndex("Combo1", 2);

  ASSERT_TRUE(Form_Load(*rig.frm));
  EXPECT_EQ(rig.state().Picture("ImgLogo"), kLogoResource);
  for (int n = 1; n <= 3; ++n) EXPECT_FALSE(rig.com(n).IsOpen()) << n;
  EXPECT_EQ(rig.com2.closes, 1);
  EXPECT_EQ(rig.lpt1.opens, 1);
  EXPECT_EQ(rig.lpt2.opens, 1);
  EXPECT_EQ(rig.state().ListIndex("Combo1"), 0);
  EXPECT_EQ(rig.state().Text("Combo1"), "EAN-13");
  EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), 12);
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_TRUE(rig.window.calls.empty());
}

class ParallelLinkFailure : public ::testing::TestWithParam<int> {};

TEST_P(ParallelLinkFailure, ShowsOneMessageAndCloses) {
  const int failing = GetParam();
  TestRig rig;
  rig.lpt(failing).open_result = Status(ErrorCode::kBusy, "cannot claim /dev/parport0");
  rig.system.family = OsFamily::kWindowsNt5;
  int unloads = 0;
  bool ending_before_close = false;  // the unload below would mark it anyway
  rig.window.on_close = [&] {
    ++unloads;
    ending_before_close = rig.frm->program_ending;
    Form_Unload(*rig.frm);
  };

  EXPECT_FALSE(Form_Load(*rig.frm));
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_EQ(rig.window.messages[0].text, "Problemas de acceso al hardware");
  EXPECT_EQ(rig.window.messages[0].title, "ZOZozoDozi32");
  EXPECT_EQ(rig.window.messages[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"MsgBox:Problemas de acceso al hardware",
                                                        "CloseMainWindow"}));
  EXPECT_EQ(unloads, 1);
  EXPECT_TRUE(ending_before_close);
  // Nothing after the failure: no aliases, no defaults.
  EXPECT_TRUE(rig.system.aliases.empty());
  EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), 20);
  // LPT2 is not tried after LPT1 failed; both are closed by the unload.
  EXPECT_EQ(rig.lpt2.opens, failing == 2 ? 1 : 0);
  EXPECT_EQ(rig.lpt1.closes + rig.lpt2.closes, 2);
}

INSTANTIATE_TEST_SUITE_P(Lpt, ParallelLinkFailure, ::testing::Values(1, 2));

TEST(Shutdown, ExitEndsWithoutShutdownAndClosingShutsDownOnce) {
  TestRig exit_rig;
  ASSERT_TRUE(Form_Load(*exit_rig.frm));
  CmdExit_Click(*exit_rig.frm);
  EXPECT_TRUE(exit_rig.window.program_ended);
  EXPECT_EQ(exit_rig.lpt1.closes + exit_rig.lpt2.closes, 0);

  TestRig close_rig;
  ASSERT_TRUE(Form_Load(*close_rig.frm));
  Form_Unload(*close_rig.frm);
  EXPECT_EQ(close_rig.lpt1.closes, 1);
  EXPECT_EQ(close_rig.lpt2.closes, 1);
  EXPECT_FALSE(close_rig.window.program_ended);
}

// The fixed labels are the record's initial values; the window test checks they are shown.
TEST(About, LoadFillsVersionAndTitleAndShowsModally) {
  FrmAbout about;
  for (int opening = 0; opening < 2; ++opening) {  // the same both times
    Form_Load(about);
    EXPECT_EQ(about.lblVersion, "Versi\xC3\xB3n 2.0.0");
    EXPECT_EQ(about.lblTitle, "QW77");
  }

  TestRig rig;
  CommandAbout_Click(*rig.frm);
  EXPECT_EQ(rig.window.calls, (std::vector<std::string>{"ShowAboutModal"}));
}

}  // namespace
}  // namespace qw77
