// What the jobs report: how they ended, the bytes the port took, the printer's status as
// asked (or not), and the messages shown, in order; over the serial fakes.
#include <gtest/gtest.h>

#include "jobs/Actions.h"
#include "jobs/PrintAction.h"
#include "tests/core/job_test_support.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

struct ReportCase {
  const char* name;
  JobReport (*job)(FrmMenu&);
  int answers;          // status replies the printer on COM1 gives (0: silent)
  std::uint8_t reply2;  // 04h: paper out
  JobEnd end;
  StatusAsked asked;
  bool paper_out;
  std::size_t bytes_sent;
  std::vector<std::string> messages;  // prefixes, in order
};

void PrintTo(const ReportCase& c, std::ostream* os) {
  *os << c.name;
}

class JobReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(JobReports, SayWhatTheJobDid) {
  const ReportCase& c = GetParam();
  ScopedTempDir dir;
  TestRig rig;
  rig.frm->SerialBaud = "9600";
  rig.frm->SerialParity = "N";
  StatusResponder printer;
  printer.answers_left = c.answers;
  printer.reply[2] = {c.reply2};
  if (c.answers > 0) rig.com1.peer = printer;

  const JobReport report = c.job(*rig.frm);
  EXPECT_EQ(report.end, c.end);
  EXPECT_EQ(report.status.asked, c.asked);
  EXPECT_EQ(report.status.flags.paper_out_or_head_up, c.paper_out);
  EXPECT_EQ(report.bytes_sent, c.bytes_sent);
  ASSERT_EQ(report.messages.size(), c.messages.size()) << ::testing::PrintToString(report.messages);
  for (std::size_t i = 0; i < c.messages.size(); ++i) {
    EXPECT_EQ(report.messages[i].rfind(c.messages[i], 0), 0u) << report.messages[i];
  }
  // The messages are those the operator saw.
  EXPECT_EQ(report.messages, rig.window.MessageTexts());
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, JobReports,
    ::testing::Values(
        ReportCase{"StatusAnswered",
                   RunCheckStatus,
                   1 << 30,
                   0x12,
                   JobEnd::kDone,
                   StatusAsked::kAnswered,
                   false,
                   0,
                   {}},
        ReportCase{"StatusPaperOut",
                   RunCheckStatus,
                   1 << 30,
                   0x04,
                   JobEnd::kPrinterCondition,
                   StatusAsked::kAnswered,
                   true,
                   0,
                   {}},
        // The probe's answer, then silence: the second probe or the request goes unanswered.
        ReportCase{"StatusSilentAfterProbe",
                   RunCheckStatus,
                   1,
                   0x12,
                   JobEnd::kNoAnswer,
                   StatusAsked::kNoAnswer,
                   false,
                   0,
                   {"ERROR on serial PORT configuration"}},
        ReportCase{"StatusSilent",
                   RunCheckStatus,
                   0,
                   0x12,
                   JobEnd::kNoAnswer,
                   StatusAsked::kNoAnswer,
                   false,
                   0,
                   {"ERROR on serial PORT configuration"}},
        ReportCase{"AutotestNotAsked",
                   RunAutotest,
                   1 << 30,
                   0x12,
                   JobEnd::kDone,
                   StatusAsked::kNotAsked,
                   false,
                   1,
                   {}},
        // COM1 asks before the ticket: the print's report keeps what the printer said.
        ReportCase{"PrintPaperOut",
                   RunPrint,
                   1 << 30,
                   0x04,
                   JobEnd::kPrinterCondition,
                   StatusAsked::kAnswered,
                   true,
                   0,
                   {}},
        ReportCase{"PrintSilent",
                   RunPrint,
                   0,
                   0x12,
                   JobEnd::kNoAnswer,
                   StatusAsked::kNotAsked,
                   false,
                   0,
                   {"ERROR on serial PORT configuration"}}),
    [](const ::testing::TestParamInfo<ReportCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace qw77
