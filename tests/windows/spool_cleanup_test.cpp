// The spool clean-up on Windows: del through cmd.exe, the one Comspec names or, when it names
// none, the system's own.
#include <gtest/gtest.h>

#include "jobs/ShellAndWait.h"
#include "tests/fakes/TestRig.h"
#include "transport/ShellRunner.h"

namespace qw77 {
namespace {

TEST(WindowsSpoolCleanUp, RunsDelThroughComspecElseCmd) {
  for (const char* comspec : {"", "C:\\Windows\\system32\\cmd.exe"}) {
    SCOPED_TRACE(comspec);
    testing::TestRig rig;
    if (*comspec != '\0') rig.system.env["Comspec"] = comspec;
    ASSERT_TRUE(ShellAndWait(*rig.frm, DeleteSpoolCommand("tempo.txt"), 0).ok());
    ASSERT_EQ(rig.system.processes.size(), 1u);
    EXPECT_EQ(rig.system.processes[0].argv,
              (std::vector<std::string>{*comspec != '\0' ? comspec : "cmd.exe", "/c",
                                        "del /f /q \"tempo.txt\""}));
  }
}

}  // namespace
}  // namespace qw77
