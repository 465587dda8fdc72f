// Operating-system services: version, device aliases, environment, processes, paths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace qw77 {

using ProcessId = long;

// The exit code a process reports while it is still running.
inline constexpr std::uint32_t kStillActive = 259;

class System {
 public:
  virtual ~System() = default;

  // Bit 31 set: not the NT family (always so on POSIX); low byte: major version.
  virtual std::uint32_t GetVersion() = 0;
  // Defines a device alias; a no-op that answers false where there are no such names.
  virtual bool DefineDosDeviceA(std::uint32_t flags, std::string_view device,
                                std::string_view target) = 0;
  virtual std::optional<std::string> GetEnv(std::string_view name) = 0;

  // Starts argv[0] with its arguments in the current directory. window_style 0 = hidden.
  virtual Result<ProcessId> StartProcess(const std::vector<std::string>& argv,
                                         int window_style) = 0;
  // The exit code, kStillActive while running; nullopt when the process cannot be queried.
  virtual std::optional<std::uint32_t> QueryExitCode(ProcessId pid) = 0;
  // Releases what the system keeps of the process; a process still running goes on.
  virtual void ReleaseProcess(ProcessId pid) = 0;

  // The folder that holds the running executable, without a trailing separator.
  virtual std::string ProgramDirectory() = 0;
  // The folder an installed qw77 keeps its read-only data in (the logos), without a
  // trailing separator; empty where there is none.
  virtual std::string DataDirectory() { return {}; }
};

}  // namespace qw77
