#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/About.h"
#include "form/StartUp.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using testing::TestRig;

struct VersionCase {
  std::uint32_t version;
  bool aliases;
};

class FormLoadVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(FormLoadVersion, AliasesAndPortNumbersFollowTheVersion) {
  TestRig rig;
  rig.system.version = GetParam().version;
  ASSERT_TRUE(Form_Load(*rig.frm));
  if (GetParam().aliases) {
    ASSERT_EQ(rig.system.aliases.size(), 3u);
    const char* targets[] = {"\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2"};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(rig.system.aliases[i].flags, 1u);
      EXPECT_EQ(rig.system.aliases[i].device, "COM" + std::to_string(5 + i));
      EXPECT_EQ(rig.system.aliases[i].target, targets[i]);
      EXPECT_EQ(rig.com(i + 1).CommPort(), 5 + i);
    }
  } else {
    EXPECT_TRUE(rig.system.aliases.empty());
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(rig.com(n).CommPort(), n);
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, FormLoadVersion,
                         ::testing::Values(VersionCase{0x00000105u, true},  // major 5, minor 1
                                           VersionCase{0x00000005u, true},
                                           VersionCase{0x00000006u, false},  // major 6
                                           VersionCase{0x00000004u, false},  // major 4
                                           VersionCase{0x80000005u, false},  // bit 31 set
                                           VersionCase{0x80000006u, false}));

TEST(FormLoad, ClosesOpenPortsAndSetsTheDefaults) {
  TestRig rig;
  ASSERT_TRUE(rig.com2.SetPortOpen(true).ok());
  EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), 20);
  rig.state().SetListIndex("Combo1", 2);

  ASSERT_TRUE(Form_Load(*rig.frm));
  EXPECT_EQ(rig.state().Picture("ImgLogo"), kLogoResource);
  for (int n = 1; n <= 3; ++n) EXPECT_FALSE(rig.com(n).PortOpen()) << n;
  EXPECT_EQ(rig.com2.closes, 1);
  EXPECT_EQ(rig.ports.initializations, 1);
  EXPECT_EQ(rig.state().ListIndex("Combo1"), 0);
  EXPECT_EQ(rig.state().Text("Combo1"), "EAN-13");
  EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), 12);
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_TRUE(rig.window.calls.empty());
}

TEST(FormLoad, PortAccessFailureShowsOneMessageAndCloses) {
  TestRig rig;
  rig.ports.initialize_ok = false;
  rig.system.version = 0x00000105u;
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
  EXPECT_EQ(rig.com1.CommPort(), 1);
  EXPECT_EQ(rig.state().MaxLength("TxtBarCode"), 20);
}

TEST(Shutdown, ExitEndsWithoutShutdownAndClosingShutsDownOnce) {
  TestRig exit_rig;
  ASSERT_TRUE(Form_Load(*exit_rig.frm));
  CmdExit_Click(*exit_rig.frm);
  EXPECT_TRUE(exit_rig.window.program_ended);
  EXPECT_EQ(exit_rig.ports.shutdowns, 0);

  TestRig close_rig;
  ASSERT_TRUE(Form_Load(*close_rig.frm));
  Form_Unload(*close_rig.frm);
  EXPECT_EQ(close_rig.ports.shutdowns, 1);
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
