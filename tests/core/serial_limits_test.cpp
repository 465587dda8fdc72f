// The serial jobs at their edges: a reply on either side of the reply limit, a port that
// takes fewer bytes than given without saying so, a device that cannot be opened.
#include <gtest/gtest.h>

#include <chrono>

#include "jobs/SerialJobs.h"
#include "tests/core/job_test_support.h"
#include "transport/Limits.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

// COM2 selected, with the line settings the focus handlers leave.
void SelectCom2(TestRig& rig) {
  rig.frm->SerialBaud = "9600";
  rig.frm->SerialParity = "N";
  rig.state().Select("OptCOM1");
}

// A reply that came in the pass after the limit still counts (the data test comes before
// the time test); one pass later it is too late. The clock moves in poll steps.
TEST(SerialLimits, AProbeReplyCountsUpToThePassAfterTheLimit) {
  struct Case {
    Clock::Duration arrives;
    JobEnd end;
  } cases[] = {
      {kReplyLimit - kPollStep, JobEnd::kDone},
      {kReplyLimit, JobEnd::kDone},
      {kReplyLimit + kPollStep, JobEnd::kDone},
      {kReplyLimit + 2 * kPollStep, JobEnd::kNoAnswer},
  };
  for (const Case& c : cases) {
    TestRig fresh;
    SelectCom2(fresh);
    bool arrived = false;
    fresh.clock.on_sleep = [&] {
      if (!arrived && fresh.clock.Elapsed() >= c.arrives) {
        fresh.com2.Receive({0x12});
        arrived = true;
      }
    };
    EXPECT_EQ(ProbeInWindow(*fresh.frm), c.end)
        << std::chrono::duration_cast<std::chrono::milliseconds>(c.arrives).count() << " ms";
  }
}

// A port that takes fewer bytes than it was given, and says nothing is wrong, has not sent
// the ticket.
TEST(SerialLimits, AShortWriteWithoutAnErrorIsAFailure) {
  ScopedTempDir dir;
  TestRig rig;
  SelectCom2(rig);
  rig.com2.peer = StatusResponder{};
  rig.com2.fail_after = kProbe.size() + 3;
  rig.com2.write_error = Status::Ok();
  WriteSpool({1, 2, 3, 4, 5});
  const JobReport report = RunInWindow(*rig.frm, PrintViaSerial);
  EXPECT_EQ(report.end, JobEnd::kFailedMidway);
  EXPECT_EQ(report.bytes_sent, 3u);
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_EQ(rig.window.messages[0].text.rfind(
                "Serial port error: the port accepted 3 of 5 bytes of the ticket", 0),
            0u)
      << rig.window.messages[0].text;
  EXPECT_TRUE(SpoolExists());
}

// A device that cannot be opened: the box's details give the system's reason and the
// advice for that cause.
TEST(SerialLimits, AnOpenFailureNamesItsCauseAndAdvice) {
  struct Case {
    Status why;
    const char* advice;
  } cases[] = {
      {{ErrorCode::kBusy, "cannot open serial device /dev/ttyS1: Device or resource busy"},
       "Another program holds the device"},
      {{ErrorCode::kPermission, "cannot open serial device /dev/ttyS1: Permission denied"},
       "dialout group"},
      {{ErrorCode::kUnreachable, "cannot connect to the printer at 10.0.0.9:9100: no answer"},
       "Check the printer's address and port"},
  };
  for (const Case& c : cases) {
    TestRig fresh;
    SelectCom2(fresh);
    fresh.com2.open_error = c.why;
    EXPECT_EQ(ProbeInWindow(*fresh.frm), JobEnd::kPortUnusable);
    ASSERT_EQ(fresh.window.messages.size(), 1u);
    EXPECT_EQ(fresh.window.messages[0].text, "Error on serial PORT selection");
    const std::string& detail = fresh.window.messages[0].detail;
    EXPECT_EQ(detail.find(c.why.message().substr(1)), 1u) << detail;  // capitalised
    EXPECT_NE(detail.find(c.advice), std::string::npos) << detail;
  }
}

}  // namespace
}  // namespace qw77
