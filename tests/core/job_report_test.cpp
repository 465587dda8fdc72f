// What the jobs report, run on typed inputs over the fakes with no window at all: how they
// ended, the bytes the port took, the printer's status as asked (or not), the messages in
// order (and which had to be shown while the job ran), and the buttons they leave.
#include <gtest/gtest.h>

#include "jobs/Actions.h"
#include "jobs/PrintAction.h"
#include "jobs/WindowJobs.h"
#include "tests/core/job_test_support.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

// Draws nothing: keeps the texts of the messages it was asked to show while the job ran.
struct RecordingHost : JobHost {
  std::vector<std::string> shown;
  int events = 0;
  void Show(JobReport& so_far) override {
    for (JobMessage& m : so_far.messages) {
      if (!m.shown) shown.push_back(m.text);
      m.shown = true;
    }
  }
  void TakeEvents() override { ++events; }
  void HoldWindow(bool) override {}
  bool Ending() const override { return false; }
};

// A letter per button (Restore, Settings, Print, Autotest, Check) when the job leaves it
// on, '-' off, '.' untouched.
std::string ButtonsLeft(const ButtonStates& b) {
  std::string out;
  for (std::size_t i = 0; i < kJobButtonCount; ++i) {
    const std::optional<bool> on = b.Of(static_cast<JobButton>(i));
    out += !on ? '.' : (*on ? "RSPAC"[i] : '-');
  }
  return out;
}

enum class Setup { kNone, kNoLineSettings, kBadTicket, kRefusedAccess, kNoBaseAddress };

struct ReportCase {
  const char* name;
  Job job;
  int serial_port;      // 0: LPT1 (with a base address unless kNoBaseAddress)
  int answers;          // status replies the printer gives (0: silent)
  std::uint8_t reply2;  // 16h: paper out beside the fixed bits
  Setup setup;
  JobEnd end;
  StatusAsked asked;
  bool paper_out;
  std::size_t bytes_sent;
  std::vector<std::string> messages;  // prefixes, in order
  std::size_t shown_while_running;    // the first n of them
  const char* buttons;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
  *os << c.name;
}

class JobReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(JobReports, SayWhatTheJobDid) {
  const ReportCase& c = GetParam();
  ScopedTempDir dir;
  FakeSerialControl com[3] = {FakeSerialControl{1}, FakeSerialControl{2}, FakeSerialControl{3}};
  FakePortAccess ports;
  FakeSystem system;
  FakeClock clock;
  JobInputs in;
  in.serial = {&com[0], &com[1], &com[2]};
  in.port_access = &ports;
  in.system = &system;
  in.clock = &clock;
  in.serial_port = c.serial_port;
  in.parallel_port = c.serial_port == 0 ? 1 : 0;
  in.line = ParseLineSettings(c.setup == Setup::kNoLineSettings ? ",,8,1" : "9600,N,8,1");
  if (c.setup == Setup::kBadTicket) in.ticket.x_scale = "x";
  if (c.setup == Setup::kRefusedAccess) ports.refuse_after = 0;
  if (c.setup != Setup::kNoBaseAddress) ports.bios_words[0x408] = 0x378;
  ports.registers[0x379] = 0xDF;  // a ready printer's status register
  StatusResponder printer;
  printer.answers_left = c.answers;
  printer.reply[2] = {c.reply2};
  if (c.serial_port != 0 && c.answers > 0) com[c.serial_port - 1].peer = printer;

  RecordingHost host;
  const JobReport report = RunJob(c.job, in, host);
  EXPECT_EQ(report.end, c.end);
  EXPECT_EQ(report.status.asked, c.asked);
  EXPECT_EQ(report.status.flags.paper_out_or_head_up, c.paper_out);
  EXPECT_EQ(report.bytes_sent, c.bytes_sent);
  EXPECT_EQ(ButtonsLeft(report.buttons), c.buttons);
  EXPECT_EQ(report.access_refused, c.setup == Setup::kRefusedAccess);
  const std::vector<std::string> texts = report.MessageTexts();
  ASSERT_EQ(texts.size(), c.messages.size()) << ::testing::PrintToString(texts);
  for (std::size_t i = 0; i < c.messages.size(); ++i) {
    EXPECT_EQ(texts[i].rfind(c.messages[i], 0), 0u) << texts[i];
  }
  EXPECT_EQ(host.shown,
            std::vector<std::string>(texts.begin(), texts.begin() + c.shown_while_running));
}

constexpr std::uint8_t kReady = 0x12, kPaperOut = 0x16;
constexpr int kAlways = 1 << 30;
constexpr StatusAsked kNotAsked = StatusAsked::kNotAsked, kNoAnswer = StatusAsked::kNoAnswer,
                      kAnswered = StatusAsked::kAnswered;
const char* const kSilent = "ERROR on serial PORT configuration";

INSTANTIATE_TEST_SUITE_P(
    Jobs, JobReports,
    ::testing::Values(
        ReportCase{"StatusAnswered",
                   CheckStatusJob,
                   1,
                   kAlways,
                   kReady,
                   Setup::kNone,
                   JobEnd::kDone,
                   kAnswered,
                   false,
                   0,
                   {},
                   0,
                   "R-PAC"},
        ReportCase{"StatusPaperOut",
                   CheckStatusJob,
                   1,
                   kAlways,
                   kPaperOut,
                   Setup::kNone,
                   JobEnd::kPrinterCondition,
                   kAnswered,
                   true,
                   0,
                   {},
                   0,
                   "R---C"},
        // The first probe is silent: the box is up before the port is closed, and the
        // buttons stay as they were.
        ReportCase{"StatusSilent",
                   CheckStatusJob,
                   2,
                   0,
                   kReady,
                   Setup::kNone,
                   JobEnd::kNoAnswer,
                   kNoAnswer,
                   false,
                   0,
                   {kSilent},
                   1,
                   "....."},
        // The probe's answer, then silence: the second probe goes unanswered.
        ReportCase{"StatusSilentAfterProbe",
                   CheckStatusJob,
                   1,
                   1,
                   kReady,
                   Setup::kNone,
                   JobEnd::kNoAnswer,
                   kNoAnswer,
                   false,
                   0,
                   {kSilent},
                   1,
                   "R-PAC"},
        ReportCase{"NoLineSettings",
                   CheckStatusJob,
                   3,
                   kAlways,
                   kReady,
                   Setup::kNoLineSettings,
                   JobEnd::kPortUnusable,
                   kNotAsked,
                   false,
                   0,
                   {"Error on serial PORT selection"},
                   0,
                   "....."},
        ReportCase{"AutotestNotAsked",
                   AutotestJob,
                   1,
                   kAlways,
                   kReady,
                   Setup::kNone,
                   JobEnd::kDone,
                   kNotAsked,
                   false,
                   1,
                   {},
                   0,
                   "R-PAC"},
        ReportCase{"SaveOverCom2",
                   SaveSettingsJob,
                   2,
                   kAlways,
                   kReady,
                   Setup::kNone,
                   JobEnd::kDone,
                   kNotAsked,
                   false,
                   3,
                   {},
                   0,
                   ".-..."},
        // COM1 asks before the ticket: the print's report keeps what the printer said.
        ReportCase{"PrintPaperOut",
                   PrintJob,
                   1,
                   kAlways,
                   kPaperOut,
                   Setup::kNone,
                   JobEnd::kPrinterCondition,
                   kAnswered,
                   true,
                   0,
                   {},
                   0,
                   "R---C"},
        ReportCase{"PrintSilent",
                   PrintJob,
                   1,
                   0,
                   kReady,
                   Setup::kNone,
                   JobEnd::kNoAnswer,
                   kNotAsked,
                   false,
                   0,
                   {kSilent},
                   1,
                   "R-PAC"},
        ReportCase{"PrintUncomposable",
                   PrintJob,
                   2,
                   kAlways,
                   kReady,
                   Setup::kBadTicket,
                   JobEnd::kNotStarted,
                   kNotAsked,
                   false,
                   0,
                   {"The sample ticket cannot be printed."},
                   0,
                   "R-PAC"},
        ReportCase{"LptStatusReady",
                   CheckStatusJob,
                   0,
                   0,
                   kReady,
                   Setup::kNone,
                   JobEnd::kDone,
                   kAnswered,
                   false,
                   0,
                   {},
                   0,
                   "R-PAC"},
        // A print goes on after this box, so it is shown at once.
        ReportCase{"LptWithoutAddress",
                   CheckStatusJob,
                   0,
                   0,
                   kReady,
                   Setup::kNoBaseAddress,
                   JobEnd::kPortUnusable,
                   kNotAsked,
                   false,
                   0,
                   {"ERROR on parallel PORT selection"},
                   1,
                   "R-PAC"},
        // The window closes after the box; the buttons stay off.
        ReportCase{"LptAccessRefused",
                   PrintJob,
                   0,
                   0,
                   kReady,
                   Setup::kRefusedAccess,
                   JobEnd::kPortUnusable,
                   kNotAsked,
                   false,
                   0,
                   {"Hardware port error"},
                   0,
                   "-----"}),
    [](const ::testing::TestParamInfo<ReportCase>& p) { return std::string(p.param.name); });

// The window draws a report: the boxes of an answered status, the messages it has not shown
// yet, the buttons the job turned on or off (the others as they were), and a refused access
// ends the program.
TEST(WindowDrawsAReport, IntoItsControlsOnce) {
  TestRig rig;
  SetButtonsEnabled(*rig.frm, kAllJobButtons, true);
  JobReport report{JobEnd::kPrinterCondition, 0, {StatusAsked::kAnswered, {}}};
  report.status.flags.cutter = true;
  report.status.flags.paper_near_end = true;
  report.messages = {{"shown", "", MessageIcon::kNone, "", true},
                     {"new", "why", MessageIcon::kCritical, "Title", false}};
  report.buttons.Set({JobButton::kPrint, JobButton::kAutotest}, false);
  report.buttons.Set({JobButton::kAutotest}, true);
  report.access_refused = true;

  DrawReport(*rig.frm, report);
  DrawReport(*rig.frm, report);
  EXPECT_EQ(CheckBoxes(rig), "0010001");
  EXPECT_EQ(Buttons(rig), "RS-AC");
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_EQ(rig.window.messages[0].text, "new");
  EXPECT_EQ(rig.window.messages[0].detail, "why");
  EXPECT_EQ(rig.window.messages[0].title, "Title");
  EXPECT_TRUE(rig.frm->program_ending);

  // A status not answered leaves the boxes as they were.
  JobReport silent{JobEnd::kNoAnswer, 0, {StatusAsked::kNoAnswer, {}}};
  DrawReport(*rig.frm, silent);
  EXPECT_EQ(CheckBoxes(rig), "0010001");
}

}  // namespace
}  // namespace qw77
