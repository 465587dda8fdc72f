// Running a command line from a job, with the window's part in it.
#pragma once

#include <string_view>

#include "base/Status.h"
#include "jobs/JobState.h"

namespace qw77 {

class FrmMenu;

// Starts `command` through the interpreter named by Comspec (else /bin/sh), with "-c",
// in the current directory. With `hide_window` the main window is disabled for the wait.
// Returns when the command has ended or kShellLimit has passed (the command is then left
// running). The only failure is an interpreter that cannot be started: the Status then
// carries its code and the sentence for the operator; the window stays enabled.
Status ShellAndWait(System& system, Clock& clock, JobHost& host, std::string_view command,
                    bool hide_window);

// Deletes the spool file through the interpreter, as the print jobs end. An interpreter that
// cannot start is told to the operator; the job goes on.
void DeleteSpoolFile(const JobInputs& in, JobRun& run);

// The same run for the window: with window_style 0 the main window is disabled for the wait,
// and a failure is shown at once.
Status ShellAndWait(FrmMenu& frm, std::string_view command, int window_style);

}  // namespace qw77
