// qw77's own command-line options. They are read before Qt starts, so that --help and
// --version print without a display; everything else is Qt's (-platform, -display, ...).
#pragma once

#include <optional>
#include <string>

namespace qw77::app {

// Handles --help and --version, printing to standard output; the help names the
// environment variables and files the program reads, with `data_folder`, where an
// installed qw77 keeps its logos. Returns the exit code when
// the program is to end now (0 after printing; 2, with a message on standard error, for a
// misused option of ours); nullopt when the window is to open, with argv untouched for Qt.
std::optional<int> HandleOwnOptions(int argc, const char* const* argv,
                                    const std::string& data_folder);

// Once Qt has taken its own options out of argv: 2, after saying which argument is not
// understood, when any is left; nullopt when none is.
std::optional<int> RejectLeftOverArguments(int argc, const char* const* argv);

}  // namespace qw77::app
