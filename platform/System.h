// Operating-system services: the family, device aliases, environment, processes, folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "platform/Devices.h"

namespace qw77 {

using ProcessId = long;

// The systems the program knows apart where the serial ports are concerned: on the NT 5
// family the serial controls reach their devices through aliases of their own.
enum class OsFamily : std::uint8_t { kPosix, kWindowsNt5, kWindowsOther };

// Another name for a device: `name` ("COM5") leads to `target`, a raw device path.
struct DeviceAlias {
  std::string name;
  std::string target;
  friend bool operator==(const DeviceAlias&, const DeviceAlias&) = default;
};

// What a look at a started process found.
enum class ProcessState : std::uint8_t {
  kRunning,
  kExited,     // exit_code holds its code
  kUnknowable  // it cannot be asked (any more): released, never ours, or gone from view
};
struct ProcessPoll {
  ProcessState state = ProcessState::kUnknowable;
  int exit_code = 0;
  friend bool operator==(const ProcessPoll&, const ProcessPoll&) = default;
};

class System {
 public:
  virtual ~System() = default;

  virtual OsFamily Family() = 0;
  // Defines a device alias; kNotFound where the system has no such names.
  virtual Status DefineDeviceAlias(const DeviceAlias& alias) = 0;
  virtual std::optional<std::string> GetEnv(std::string_view name) = 0;
  // The serial, printer-class and parallel devices the machine has, for a message that
  // tells the operator what is there; none where the system cannot say.
  virtual std::vector<DeviceInfo> Devices() { return {}; }

  // Starts argv[0] with its arguments in the current directory.
  virtual Result<ProcessId> StartProcess(const std::vector<std::string>& argv) = 0;
  virtual ProcessPoll PollProcess(ProcessId pid) = 0;
  // Releases what the system keeps of the process; a process still running goes on.
  virtual void ReleaseProcess(ProcessId pid) = 0;

  // The folder that holds the running executable, without a trailing separator.
  virtual std::string ProgramDirectory() = 0;
  // The folder an installed qw77 keeps its read-only data in (the logos), without a
  // trailing separator; empty where there is none.
  virtual std::string DataDirectory() { return {}; }
};

}  // namespace qw77
