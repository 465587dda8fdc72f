#include "jobs/ShellAndWait.h"

#include <string>

#include "form/FrmMenu.h"
#include "transport/ShellRunner.h"

namespace qw77 {

Status ShellAndWait(FrmMenu& frm, std::string_view command, int window_style) {
  Services& svc = frm.Svc();
  const std::string interpreter = CommandInterpreter(*svc.system);
  Result<ProcessId> started = StartCommand(*svc.system, interpreter, command);
  if (!started) {
    std::string message = "Cannot start the command interpreter ";
    message.append(interpreter).append(" to run \"").append(command).append("\": ");
    message.append(started.status().message());
    svc.window->MsgBox(message);
    return started.status();
  }

  const bool hidden = window_style == 0;
  if (hidden) svc.window->SetMainWindowEnabled(false);
  AwaitCommand(*svc.system, *svc.clock, *started, kShellLimit, [&] { svc.window->DoEvents(); });
  if (hidden) svc.window->SetMainWindowEnabled(true);
  return Status::Ok();
}

}  // namespace qw77
