#include "jobs/ShellAndWait.h"

#include <string>

#include "form/FrmMenu.h"
#include "jobs/WindowJobs.h"
#include "transport/ShellRunner.h"

namespace qw77 {

Status ShellAndWait(System& system, Clock& clock, JobHost& host, std::string_view command,
                    bool hide_window) {
  const std::string interpreter = CommandInterpreter(system);
  Result<ProcessId> started = StartCommand(system, interpreter, command);
  if (!started) {
    std::string message = "Cannot start the command interpreter ";
    message.append(interpreter).append(" to run \"").append(command).append("\": ");
    message.append(started.status().message());
    return Status(started.status().code(), message);
  }

  if (hide_window) host.HoldWindow(false);
  AwaitCommand(system, clock, *started, kShellLimit, [&host] { host.TakeEvents(); });
  if (hide_window) host.HoldWindow(true);
  return Status::Ok();
}

void DeleteSpoolFile(const JobInputs& in, JobRun& run) {
  run.ShowNow();  // the window is drawn as it stands before it takes events
  const Status ran =
      ShellAndWait(*in.system, *in.clock, run.Host(), DeleteSpoolCommand(in.spool_file), true);
  if (!ran.ok()) run.Tell(ran.message());
}

Status ShellAndWait(FrmMenu& frm, std::string_view command, int window_style) {
  WindowJobHost host(frm);
  const Status ran =
      ShellAndWait(*frm.Svc().system, *frm.Svc().clock, host, command, window_style == 0);
  if (!ran.ok()) frm.Svc().window->MsgBox(ran.message());
  return ran;
}

}  // namespace qw77
