#include "link/ShellRunner.h"

#include <string>
#include <vector>

#include "ui/FrmMenu.h"

namespace qw77 {

Status ShellAndWait(FrmMenu& frm, std::string_view command, int window_style) {
  Services& svc = frm.Svc();
  std::string interpreter = svc.system->GetEnv("Comspec").value_or("");
  if (interpreter.empty()) interpreter = "/bin/sh";
  std::vector<std::string> argv = {interpreter, "-c", std::string(command)};

  Result<ProcessId> started = svc.system->StartProcess(argv, window_style);
  if (!started) {
    std::string message = "Cannot start the command interpreter ";
    message.append(interpreter).append(" to run \"").append(command).append("\": ");
    message.append(started.status().message());
    svc.window->MsgBox(message);
    return started.status();
  }
  const ProcessId pid = *started;

  const bool hidden = window_style == 0;
  if (hidden) svc.window->SetMainWindowEnabled(false);

  const Clock::TimePoint start = svc.clock->Now();
  std::uint32_t exit_code = 0;
  while (true) {
    if (std::optional<std::uint32_t> code = svc.system->QueryExitCode(pid)) exit_code = *code;
    svc.window->DoEvents();
    if (svc.clock->Now() - start > kShellLimit) break;
    if (exit_code != kStillActive) break;
    svc.clock->SleepFor(kPollStep);
  }
  svc.system->ReleaseProcess(pid);

  if (hidden) svc.window->SetMainWindowEnabled(true);
  return Status::Ok();
}

}  // namespace qw77
