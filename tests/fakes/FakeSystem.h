// An operating system whose family, environment and processes a test sets.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/System.h"

namespace qw77::testing {

class FakeSystem : public System {
 public:
  struct Process {
    std::vector<std::string> argv;
    int queries = 0;
    int runs_for_queries = 0;  // answers kRunning this many times, then exit_code
    bool never_ends = false;
    bool unqueryable = false;  // after runs_for_queries, queries answer nothing (gone)
    int exit_code = 0;
    bool released = false;
  };

  OsFamily Family() override { return family; }
  Status DefineDeviceAlias(const DeviceAlias& alias) override {
    aliases.push_back(alias);
    return Status::Ok();
  }
  std::optional<std::string> GetEnv(std::string_view name) override {
    auto it = env.find(std::string(name));
    if (it == env.end()) return std::nullopt;
    return it->second;
  }
  std::vector<DeviceInfo> Devices() override { return devices; }
  Result<ProcessId> StartProcess(const std::vector<std::string>& argv) override {
    if (!start_error.ok()) return start_error;
    Process p = next_process;
    p.argv = argv;
    processes.push_back(p);
    if (on_start) on_start(processes.back());
    return static_cast<ProcessId>(processes.size());
  }
  ProcessPoll PollProcess(ProcessId pid) override {
    Process& p = processes.at(static_cast<std::size_t>(pid - 1));
    ++p.queries;
    if (p.unqueryable && p.queries > p.runs_for_queries) return {};
    if (p.never_ends || p.queries <= p.runs_for_queries) return {ProcessState::kRunning, 0};
    return {ProcessState::kExited, p.exit_code};
  }
  void ReleaseProcess(ProcessId pid) override {
    processes.at(static_cast<std::size_t>(pid - 1)).released = true;
  }
  std::string ProgramDirectory() override { return program_directory; }
  std::string DataDirectory() override { return data_directory; }

  OsFamily family = OsFamily::kPosix;
  std::map<std::string, std::string> env;
  std::vector<DeviceAlias> aliases;
  std::vector<DeviceInfo> devices;  // what the machine has, as a test stages it
  Status start_error;
  Process next_process;  // template for the next started process
  std::vector<Process> processes;
  std::function<void(Process&)> on_start;
  std::string program_directory = ".";
  std::string data_directory;  // none, unless a test sets one
};

}  // namespace qw77::testing
