// The printer tools from a shell: info, logo, counters, setup and test-print, each over one
// port that can answer, with the same exit codes and --json lines as the printer jobs.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliPlatform.h"
#include "jobs/PrinterTools.h"

namespace qw77::cli {

// What the command line asked of the tools.
struct ToolRequest {
  std::string job;  // "info", "logo store", ... ("" when no tool was named)
  std::string port;
  std::optional<std::string> baud, parity;
  bool json = false;
  bool yes = false;
  std::string key, file, preview;
  int width = 0;  // dots to scale a logo to; 0 as it is
  bool reset = false;
  SetupChange change;
  std::vector<std::string> switches;  // N=BITS as given
  std::vector<std::string> test;      // hexdump | status | pattern | codepage N
};

// The tools' subcommands, into `app`; their names are in kToolSubcommands.
void AddToolCommands(CLI::App& app, ToolRequest& r);
inline constexpr const char* kToolSubcommands[] = {"info", "logo", "counters", "setup",
                                                   "test-print"};

// Runs the tool the command line named (after parsing) and returns the exit code; nothing
// when no tool was named. `err_is_terminal` allows a progress line on `err`.
std::optional<int> RunToolCommand(ToolRequest& r, CliPlatform& platform, std::ostream& out,
                                  std::ostream& err, bool err_is_terminal);

}  // namespace qw77::cli
