#include "transport/ShellRunner.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "base/Wait.h"

namespace qw77 {

std::string CommandInterpreter(System& system) {
  std::string interpreter = system.GetEnv("Comspec").value_or("");
  if (interpreter.empty()) interpreter = "/bin/sh";
  return interpreter;
}

Result<ProcessId> StartCommand(System& system, std::string_view interpreter,
                               std::string_view command, int window_style) {
  std::vector<std::string> argv = {std::string(interpreter), "-c", std::string(command)};
  return system.StartProcess(argv, window_style);
}

void AwaitCommand(System& system, Clock& clock, ProcessId pid, Clock::Duration limit,
                  const std::function<void()>& between_polls) {
  // A process that cannot be queried counts as ended (its code stays 0).
  std::uint32_t exit_code = 0;
  (void)PollUntil(
      clock, limit, kPollStep,
      [&] {
        if (std::optional<std::uint32_t> code = system.QueryExitCode(pid)) exit_code = *code;
        between_polls();
        return Poll::kNotYet;
      },
      [&] { return exit_code != kStillActive ? Poll::kReady : Poll::kNotYet; });
  system.ReleaseProcess(pid);
}

}  // namespace qw77
