#include <gtest/gtest.h>

#include "jobs/ShellAndWait.h"
#include "tests/fakes/TestRig.h"
#include "transport/ShellRunner.h"

namespace qw77 {
namespace {

using testing::TestRig;

TEST(ShellAndWait, RunsThroughTheInterpreterAndDisablesTheWindowMeanwhile) {
  TestRig rig;
  rig.system.next_process.runs_for_queries = 3;
  bool disabled_while_running = false;
  rig.window.on_do_events = [&] { disabled_while_running = !rig.window.window_enabled; };
  ASSERT_TRUE(ShellAndWait(*rig.frm, kDeleteSpoolCommand, 0).ok());
  ASSERT_EQ(rig.system.processes.size(), 1u);
  const auto& p = rig.system.processes[0];
  EXPECT_EQ(p.argv, (std::vector<std::string>{"/bin/sh", "-c", "rm -f tempo.txt"}));
  EXPECT_EQ(p.queries, 4);  // three still-running answers, then the exit
  EXPECT_TRUE(p.released);
  EXPECT_TRUE(disabled_while_running);
  EXPECT_TRUE(rig.window.window_enabled);
  EXPECT_EQ(rig.window.calls.front(), "DisableWindow");
  EXPECT_EQ(rig.window.calls.back(), "EnableWindow");
}

TEST(ShellAndWait, ComspecNamesTheInterpreter) {
  TestRig rig;
  rig.system.env["Comspec"] = "/bin/bash";
  ASSERT_TRUE(ShellAndWait(*rig.frm, "true", 0).ok());
  EXPECT_EQ(rig.system.processes[0].argv[0], "/bin/bash");
}

TEST(ShellAndWait, AHangingCommandIsAbandonedAtTheLimit) {
  TestRig rig;
  rig.system.next_process.never_ends = true;
  ASSERT_TRUE(ShellAndWait(*rig.frm, "sleep 1000", 0).ok());
  EXPECT_GT(rig.clock.Elapsed(), kShellLimit);
  EXPECT_LT(rig.clock.Elapsed(), kShellLimit + std::chrono::milliseconds(100));
  EXPECT_TRUE(rig.window.window_enabled);
  EXPECT_TRUE(rig.system.processes[0].released);
}

TEST(ShellAndWait, AProcessThatCannotBeQueriedEndsTheWait) {
  // From the first query, or after it was seen running: either way the wait ends at once
  // instead of running to the limit with the window disabled.
  for (int runs : {0, 2}) {
    TestRig rig;
    rig.system.next_process.unqueryable = true;
    rig.system.next_process.runs_for_queries = runs;
    ASSERT_TRUE(ShellAndWait(*rig.frm, "true", 0).ok());
    EXPECT_EQ(rig.system.processes[0].queries, runs + 1);
    EXPECT_EQ(rig.clock.sleeps, runs);
    EXPECT_TRUE(rig.system.processes[0].released);
  }
}

TEST(ShellAndWait, AVisibleCommandLeavesTheWindowEnabled) {
  TestRig rig;
  rig.system.next_process.runs_for_queries = 2;
  ASSERT_TRUE(ShellAndWait(*rig.frm, "true", 1).ok());
  for (const std::string& call : rig.window.calls) EXPECT_NE(call, "DisableWindow");
}

TEST(ShellAndWait, AnInterpreterThatCannotStartIsReported) {
  TestRig rig;
  rig.system.start_error = Status(ErrorCode::kNotFound, "no such file");
  Status s = ShellAndWait(*rig.frm, kDeleteSpoolCommand, 0);
  EXPECT_EQ(s.code(), ErrorCode::kNotFound);
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_NE(rig.window.messages[0].text.find("/bin/sh"), std::string::npos);
  EXPECT_TRUE(rig.window.window_enabled);
}

}  // namespace
}  // namespace qw77
