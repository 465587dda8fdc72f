// One job on one port (or one composed ticket), run the way the window runs it: a fresh
// window record started up, the settings put in through its controls, the job's own
// function, and the outcome read back from the job and the record.
#pragma once

#include <ostream>
#include <string>

#include "cli/CliPlatform.h"
#include "cli/Report.h"
#include "cli/TicketOptions.h"

namespace qw77::cli {

// Runs status, print, save-settings or autotest on `port`. Message boxes go to `err` as
// they come. The options must have passed ApplyTicketOptions on a scratch record.
// The jobs that spool go through `spool_file`. With `show_progress` (standard error is a
// terminal, the report is not JSON) a print's transfer is drawn as a line on `err`.
RunOutcome RunOnPort(CliPlatform& platform, JobKind job, const TicketOptions& options,
                     const PortChoice& port, std::ostream& err,
                     const std::string& spool_file = "tempo.txt", bool show_progress = false);

// Composes the ticket Print would send for the options and writes it to `out_path`
// (replaced whole) or, for "-", to `out`.
RunOutcome RunCompose(CliPlatform& platform, const TicketOptions& options,
                      const std::string& out_path, std::ostream& out, std::ostream& err);

}  // namespace qw77::cli
