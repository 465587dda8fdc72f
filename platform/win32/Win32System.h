// The operating system as a Windows process sees it: processes through CreateProcess, the
// COM ports from the registry, the program's own folder.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/System.h"

namespace qw77 {

// The command line CreateProcess takes for `argv`: each argument quoted where it needs it,
// backslashes before quotes doubled, as the C runtime splits it again; for the command
// interpreter's "/c COMMAND", the command as it is.
std::wstring Win32CommandLine(const std::vector<std::string>& argv);

// The COM ports the registry lists (HARDWARE\DEVICEMAP\SERIALCOMM), sorted by number.
std::vector<DeviceInfo> RegistryComPorts();

class Win32System : public System {
 public:
  Win32System() = default;
  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  OsFamily Family() override { return OsFamily::kWindowsOther; }
  // COM port names are bound through the port map, not by aliases of the program's own.
  Status DefineDeviceAlias(const DeviceAlias& alias) override {
    return {ErrorCode::kNotFound, "no device aliases here (" + alias.name + ")"};
  }
  std::optional<std::string> GetEnv(std::string_view name) override;
  std::vector<DeviceInfo> Devices() override { return RegistryComPorts(); }
  Result<ProcessId> StartProcess(const std::vector<std::string>& argv) override;
  ProcessPoll PollProcess(ProcessId pid) override;
  void ReleaseProcess(ProcessId pid) override;
  std::string ProgramDirectory() override;

 private:
  std::map<ProcessId, HANDLE> children_;
};

}  // namespace qw77
