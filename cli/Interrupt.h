// What a run says when a signal ends it. A signal handler may only write what is ready, so
// the line is prepared before each run starts and withdrawn once the run has reported.
#pragma once

#include <string_view>

namespace qw77::cli {

// The line (with its line end) to write on standard output if a signal ends the run now;
// empty: nothing to say.
void PrepareInterruptLine(std::string_view line);

// The line prepared now, for the system's handler (safe to call from a signal handler).
std::string_view PreparedInterruptLine();

// Whether a progress line stands open on standard error, drawn and not yet ended.
void NoteProgressLineOpen(bool open);
// What the handler writes on standard error before anything else: a line end while a
// progress line is open, so that what a signal says starts a line of its own.
std::string_view InterruptLead();

// SIGINT, SIGTERM and SIGHUP then write the prepared line and end the process with 130.
void InstallInterruptReport();

}  // namespace qw77::cli
