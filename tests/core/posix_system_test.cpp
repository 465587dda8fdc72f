#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "form/StartUp.h"
#include "jobs/ShellAndWait.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SteadyClock.h"
#include "tests/fakes/TestRig.h"
#include "transport/ShellRunner.h"

namespace qw77 {
namespace {

using namespace std::chrono_literals;

TEST(PosixSystem, FamilyAndAliases) {
  PosixSystem sys;
  EXPECT_EQ(sys.Family(), OsFamily::kPosix);
  EXPECT_FALSE(sys.DefineDeviceAlias({"COM5", "\\Device\\Serial0"}).ok());
  EXPECT_FALSE(sys.ProgramDirectory().empty());
  EXPECT_NE(sys.ProgramDirectory().back(), '/');
}

TEST(ResolveExecutable, FindsOrExplains) {
  struct Case {
    const char* program;
    const char* path;
    ErrorCode code;
    const char* resolved;
  };
  const Case cases[] = {
      {"/bin/sh", "", ErrorCode::kNone, "/bin/sh"},
      {"sh", "/nonexistent:/bin", ErrorCode::kNone, "/bin/sh"},
      {"/nonexistent", "/bin", ErrorCode::kNotFound, nullptr},
      {"qw77-no-such-program", "/bin:/usr/bin", ErrorCode::kNotFound, nullptr},
      {"/etc/passwd", "", ErrorCode::kPermission, nullptr},  // not executable
      {"/", "", ErrorCode::kNotFound, nullptr},              // a folder
      {"", "/bin", ErrorCode::kNotFound, nullptr},
  };
  for (const Case& c : cases) {
    Result<std::string> r = ResolveExecutable(c.program, c.path);
    if (c.resolved != nullptr) {
      ASSERT_TRUE(r.ok()) << c.program << ": " << r.status().message();
      EXPECT_EQ(*r, c.resolved);
    } else {
      ASSERT_FALSE(r.ok()) << c.program;
      EXPECT_EQ(r.status().code(), c.code) << c.program;
    }
  }
}

// Waits on the process itself (not on a limit) until it is no longer running.
ProcessPoll WaitForExit(PosixSystem& sys, ProcessId pid) {
  for (int i = 0; i < 1000; ++i) {
    const ProcessPoll poll = sys.PollProcess(pid);
    if (poll.state != ProcessState::kRunning) return poll;
    std::this_thread::sleep_for(5ms);
  }
  return {ProcessState::kRunning, 0};
}

TEST(PosixSystem, ExitCodesAreRememberedOnceReaped) {
  PosixSystem sys;
  for (auto [script, code] : {std::pair{"exit 0", 0}, {"exit 3", 3}, {"kill -9 $$", 137}}) {
    Result<ProcessId> pid = sys.StartProcess({"/bin/sh", "-c", script});
    ASSERT_TRUE(pid.ok()) << pid.status().message();
    const ProcessPoll exited{ProcessState::kExited, code};
    EXPECT_EQ(WaitForExit(sys, *pid), exited) << script;
    EXPECT_EQ(sys.PollProcess(*pid), exited) << script;  // asked again after reaping
    sys.ReleaseProcess(*pid);
    EXPECT_EQ(sys.PollProcess(*pid).state, ProcessState::kUnknowable);
  }
}

TEST(PosixSystem, AReleasedRunningProcessIsReapedOnceItEnds) {
  PosixSystem sys;
  Result<ProcessId> pid = sys.StartProcess({"/bin/sleep", "30"});
  ASSERT_TRUE(pid.ok());
  EXPECT_EQ(sys.PollProcess(*pid).state, ProcessState::kRunning);
  sys.ReleaseProcess(*pid);
  const auto child = static_cast<pid_t>(*pid);
  EXPECT_EQ(kill(child, 0), 0);  // still running
  ASSERT_EQ(kill(child, SIGTERM), 0);
  bool gone = false;
  for (int i = 0; i < 400 && !gone; ++i) {
    std::this_thread::sleep_for(5ms);
    (void)sys.PollProcess(-1);   // any later call reaps what was released
    gone = kill(child, 0) != 0;  // a zombie would still answer
  }
  EXPECT_TRUE(gone);
}

TEST(PosixSystem, AMissingInterpreterFailsToStart) {
  PosixSystem sys;
  Result<ProcessId> pid = sys.StartProcess({"/nonexistent", "-c", "true"});
  ASSERT_FALSE(pid.ok());
  EXPECT_EQ(pid.status().code(), ErrorCode::kNotFound);
  EXPECT_NE(pid.status().message().find("/nonexistent"), std::string::npos);

  // Executable but not a program: the start itself must fail, not a child exiting 127.
  testing::ScopedTempDir tmp;
  std::ofstream("broken") << "\x7f"
                             "ELF not really";
  ASSERT_EQ(chmod("broken", 0755), 0);
  Result<ProcessId> broken = sys.StartProcess({(tmp.path() / "broken").string()});
  EXPECT_FALSE(broken.ok());
}

// A main window whose system and clock are the real ones.
struct RealShellRig : testing::TestRig {
  PosixSystem real_system;
  SteadyClock real_clock;
  std::unique_ptr<FrmMenu> real;
  RealShellRig() {
    Services s = frm->Svc();
    s.system = &real_system;
    s.clock = &real_clock;
    real = std::make_unique<FrmMenu>(s);
  }
};

class ScopedUnsetEnv {
 public:
  explicit ScopedUnsetEnv(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) saved_ = v;
    unsetenv(name);
  }
  ~ScopedUnsetEnv() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(ShellAndWaitReal, DeletesTheSpoolFileAndReturnsWhenTheCommandEnds) {
  testing::ScopedTempDir tmp;
  ScopedUnsetEnv comspec("Comspec");
  RealShellRig rig;
  for (bool file_exists : {true, false}) {
    if (file_exists) std::ofstream("tempo.txt") << "ticket";
    rig.window.calls.clear();
    const auto start = std::chrono::steady_clock::now();
    Status s = ShellAndWait(*rig.real, kDeleteSpoolCommand, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(s.ok()) << s.message();
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / "tempo.txt"));
    EXPECT_LT(took, 10s);  // the command's own time, far from the shell limit
    EXPECT_EQ(rig.window.calls.front(), "DisableWindow");
    EXPECT_EQ(rig.window.calls.back(), "EnableWindow");
    EXPECT_TRUE(rig.window.window_enabled);
    EXPECT_TRUE(rig.window.messages.empty());
  }
}

TEST(ShellAndWaitReal, AMissingInterpreterIsReported) {
  testing::ScopedTempDir tmp;
  ScopedUnsetEnv comspec("Comspec");
  setenv("Comspec", "/nonexistent", 1);
  std::ofstream("tempo.txt") << "ticket";
  RealShellRig rig;
  Status s = ShellAndWait(*rig.real, kDeleteSpoolCommand, 0);
  EXPECT_EQ(s.code(), ErrorCode::kNotFound);
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_NE(rig.window.messages[0].text.find("/nonexistent"), std::string::npos);
  EXPECT_TRUE(rig.window.window_enabled);
  EXPECT_TRUE(std::filesystem::exists(tmp.path() / "tempo.txt"));  // nothing ran
}

}  // namespace
}  // namespace qw77
