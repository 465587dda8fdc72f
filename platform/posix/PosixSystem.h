// The operating system as a POSIX process sees it.
#pragma once

#include <map>

#include "platform/System.h"

namespace qw77 {

// The interpreter path that StartProcess would run for argv[0]: a name with a slash as it
// is, a bare name looked up along `path_variable` (colon separated). Fails with kNotFound
// or kPermission, naming the program, when nothing executable is there.
Result<std::string> ResolveExecutable(std::string_view program, std::string_view path_variable);

class PosixSystem : public System {
 public:
  PosixSystem() = default;
  PosixSystem(const PosixSystem&) = delete;
  PosixSystem& operator=(const PosixSystem&) = delete;

  OsFamily Family() override { return OsFamily::kPosix; }
  // Device files have no aliases of this kind.
  Status DefineDeviceAlias(const DeviceAlias& alias) override {
    return {ErrorCode::kNotFound, "no device aliases here (" + alias.name + ")"};
  }
  std::optional<std::string> GetEnv(std::string_view name) override;
  // The child shares our terminal.
  Result<ProcessId> StartProcess(const std::vector<std::string>& argv) override;
  // A process killed by a signal exits with 128 plus the signal's number, as shells say.
  ProcessPoll PollProcess(ProcessId pid) override;
  // A process that has ended is reaped now; one still running is reaped by a later call
  // of this object once it has ended, so it never lingers as a zombie while we run.
  void ReleaseProcess(ProcessId pid) override;
  std::string ProgramDirectory() override;
  // <datadir>/qw77 of the install prefix the program was built for (QW77_DATA_DIR).
  std::string DataDirectory() override;

 private:
  struct Child {
    bool ended = false;
    int exit_code = 0;
    bool released = false;
  };
  // Reaps `pid` if it has ended; false when it cannot be waited for.
  bool Poll(ProcessId pid, Child& child);
  void ReapReleased();

  std::map<ProcessId, Child> children_;
};

}  // namespace qw77
