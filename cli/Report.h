// How one run ended, as the shell sees it: an exit code, a sentence, a JSON object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/JobState.h"
#include "protocol/StatusDecode.h"

namespace qw77::cli {

enum class JobKind : std::uint8_t { kStatus, kPrint, kSaveSettings, kAutotest, kCompose };

// The subcommand's name ("status", "print", "save-settings", "autotest", "compose").
std::string_view JobName(JobKind job);

// Exit codes; the per-run codes rise with how far a run is from a clean one, so the worst
// of several runs is the highest.
inline constexpr int kExitDone = 0;
inline constexpr int kExitCondition = 1;
inline constexpr int kExitNoAnswer = 2;
inline constexpr int kExitPortUnusable = 3;
inline constexpr int kExitFailed = 4;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitInterrupted = 130;  // as a shell reports a run ended by SIGINT

// A run stopped by the shell front end itself, before or around its job.
enum class RunStop : std::uint8_t {
  kNone,           // the job ran (or was refused by its own rules): see `end`
  kConfiguration,  // the port's binding (environment, ports file) is refused: exit 3
  kUsage,          // the command line is refused: exit 64
  kInterrupted,    // a signal ended the run: exit 130
};

struct RunOutcome {
  JobKind job = JobKind::kStatus;
  std::string port;      // "COM1"; empty for compose
  std::string endpoint;  // the device path, the parallel access, or the output file
  JobEnd end = JobEnd::kDone;
  RunStop stop = RunStop::kNone;
  bool job_named = true;       // false for a command line refused before its subcommand was known
  std::size_t bytes_sent = 0;  // bytes of the ticket or command the port (or file) took
  // What the printer reported, when it answered a status request during the run.
  std::optional<StatusFlags> conditions;
  std::vector<std::string> messages;  // what the window would have shown in boxes
  std::int64_t elapsed_ms = 0;
};

// Puts what the job reported into the outcome: how it ended, the bytes sent and, when the
// printer answered a status request, its conditions. The messages stay those the run's window
// services kept, which include the ones shown before and after the job.
void TakeReport(RunOutcome& outcome, const JobReport& report);

// 0 done and no condition reported; 1 the printer answered with a condition (paper near
// end included: it is one of the seven, though it does not stop a ticket); 2 no answer;
// 3 the port could not be used (its binding refused, or the spool file held by another run
// too); 4 the job failed mid-way or could not start at all; 64 usage; 130 interrupted.
int ExitCode(const RunOutcome& outcome);

// One short sentence: "COM1 (/dev/ttyS0): status: the printer reports: cutter."
std::string HumanLine(const RunOutcome& outcome);
// One JSON object on one line, without the line end.
std::string JsonLine(const RunOutcome& outcome);

}  // namespace qw77::cli
