// What the program asks of the system it runs on; each system's own file (picked by the
// build) answers.
#pragma once

#include <string>

namespace qw77::vprinter {

// Calls `handler` on the signals that ask the program to stop (interrupt, termination and,
// where there is one, hang-up); with `restart`, a read under way goes on to its end. A
// broken connection raises no signal.
void OnStopSignals(void (*handler)(int), bool restart);
// The signal's name in words.
std::string SignalName(int sig);
// Why no file can be made in the folder `dir` (permissions, a read-only file system), ""
// when one can.
std::string CannotWriteTo(const std::string& dir);

}  // namespace qw77::vprinter
