// Runs one command line through the command interpreter and waits, within a limit, until
// it has ended.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/Status.h"
#include "platform/Clock.h"
#include "platform/System.h"
#include "transport/Limits.h"

namespace qw77 {

// The command that removes the spool file after a completed job.
inline constexpr std::string_view kDeleteSpoolCommand = "rm -f tempo.txt";
// The command that removes the spool file at `path`: kDeleteSpoolCommand for tempo.txt,
// otherwise the path quoted for the interpreter.
std::string DeleteSpoolCommand(const std::string& path);

// The interpreter named by Comspec, else the system's own (/bin/sh, cmd.exe).
std::string CommandInterpreter(System& system);

// Starts `interpreter -c command` (cmd.exe: /c) in the current directory.
Result<ProcessId> StartCommand(System& system, std::string_view interpreter,
                               std::string_view command);

// Waits until the process has ended or more than `limit` has passed (it is then left
// running), running `between_polls` once per pass, and releases it.
void AwaitCommand(System& system, Clock& clock, ProcessId pid, Clock::Duration limit,
                  const std::function<void()>& between_polls);

}  // namespace qw77
