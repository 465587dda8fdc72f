// Running a command line from a job, with the window's part in it.
#pragma once

#include <string_view>

#include "base/Status.h"

namespace qw77 {

class FrmMenu;

// Starts `command` through the interpreter named by Comspec (else /bin/sh), with "-c",
// in the current directory. With window_style 0 the main window is disabled for the
// wait. Returns when the command has ended or kShellLimit has passed (the command is
// then left running). The only failure reported is an interpreter that cannot be
// started: the operator is told and the Status says why; the window stays enabled.
Status ShellAndWait(FrmMenu& frm, std::string_view command, int window_style);

}  // namespace qw77
