// qw77-cli's command line: the subcommands, their options, the runs and what they print.
#pragma once

#include <ostream>

#include "cli/CliPlatform.h"

namespace qw77::cli {

// Parses the command line, checks every value before anything runs, runs the job on each
// port in turn and prints one line per run (JSON with --json) to `out`; message boxes and
// usage errors go to `err`. Returns the exit code (see --help).
int RunCli(int argc, const char* const* argv, CliPlatform& platform, std::ostream& out,
           std::ostream& err);

}  // namespace qw77::cli
