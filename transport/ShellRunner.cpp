#include "transport/ShellRunner.h"

#include <vector>

#include "base/Wait.h"
#include "transport/SystemNames.h"

namespace qw77 {

std::string DeleteSpoolCommand(const std::string& path) {
  return RemoveFileCommand(path);
}

std::string CommandInterpreter(System& system) {
  std::string interpreter = system.GetEnv("Comspec").value_or("");
  if (interpreter.empty()) interpreter = DefaultCommandInterpreter();
  return interpreter;
}

Result<ProcessId> StartCommand(System& system, std::string_view interpreter,
                               std::string_view command) {
  std::vector<std::string> argv = {std::string(interpreter), std::string(RunOneCommandSwitch()),
                                   std::string(command)};
  return system.StartProcess(argv);
}

void AwaitCommand(System& system, Clock& clock, ProcessId pid, Clock::Duration limit,
                  const std::function<void()>& between_polls) {
  // A process that cannot be queried (any more) counts as ended: waiting on it could only
  // run to the limit with the window disabled.
  ProcessState state = ProcessState::kRunning;
  (void)PollUntil(
      clock, limit, kPollStep,
      [&] {
        state = system.PollProcess(pid).state;
        between_polls();
        return Poll::kNotYet;
      },
      [&] { return state != ProcessState::kRunning ? Poll::kReady : Poll::kNotYet; });
  system.ReleaseProcess(pid);
}

}  // namespace qw77
