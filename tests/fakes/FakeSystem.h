// An operating system whose version, environment and processes a test sets.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/System.h"

namespace qw77::testing {

class FakeSystem : public System {
 public:
  struct Alias {
    std::uint32_t flags;
    std::string device;
    std::string target;
  };
  struct Process {
    std::vector<std::string> argv;
    int window_style = 0;
    int queries = 0;
    int runs_for_queries = 0;  // answers kStillActive this many times, then exit_code
    bool never_ends = false;
    bool unqueryable = false;  // after runs_for_queries, queries answer nothing (gone)
    std::uint32_t exit_code = 0;
    bool released = false;
  };

  std::uint32_t GetVersion() override { return version; }
  bool DefineDosDeviceA(std::uint32_t flags, std::string_view device,
                        std::string_view target) override {
    aliases.push_back({flags, std::string(device), std::string(target)});
    return true;
  }
  std::optional<std::string> GetEnv(std::string_view name) override {
    auto it = env.find(std::string(name));
    if (it == env.end()) return std::nullopt;
    return it->second;
  }
  Result<ProcessId> StartProcess(const std::vector<std::string>& argv, int style) override {
    if (!start_error.ok()) return start_error;
    Process p = next_process;
    p.argv = argv;
    p.window_style = style;
    processes.push_back(p);
    if (on_start) on_start(processes.back());
    return static_cast<ProcessId>(processes.size());
  }
  std::optional<std::uint32_t> QueryExitCode(ProcessId pid) override {
    Process& p = processes.at(static_cast<std::size_t>(pid - 1));
    ++p.queries;
    if (p.unqueryable && p.queries > p.runs_for_queries) return std::nullopt;
    if (p.never_ends || p.queries <= p.runs_for_queries) return kStillActive;
    return p.exit_code;
  }
  void ReleaseProcess(ProcessId pid) override {
    processes.at(static_cast<std::size_t>(pid - 1)).released = true;
  }
  std::string ProgramDirectory() override { return program_directory; }
  std::string DataDirectory() override { return data_directory; }

  std::uint32_t version = 0x80000000u;  // POSIX: bit 31 set
  std::map<std::string, std::string> env;
  std::vector<Alias> aliases;
  Status start_error;
  Process next_process;  // template for the next started process
  std::vector<Process> processes;
  std::function<void(Process&)> on_start;
  std::string program_directory = ".";
  std::string data_directory;  // none, unless a test sets one
};

}  // namespace qw77::testing
