#include "cli/Runs.h"

#include <chrono>

#include "cli/HeadlessWindow.h"
#include "cli/OutputFile.h"
#include "form/FrmMenu.h"
#include "form/StartUp.h"
#include "jobs/Actions.h"
#include "jobs/PrintAction.h"
#include "jobs/SampleTicketJob.h"
#include "jobs/WindowJobs.h"

namespace qw77::cli {
namespace {

constexpr const char* kStatusUnanswered =
    "The printer answered the probe, then did not answer a status request within the reply "
    "limit.";

// The job of a subcommand; composing needs no port (RunCompose).
Job JobOf(JobKind job) {
  switch (job) {
    case JobKind::kStatus:
      return CheckStatusJob;
    case JobKind::kPrint:
      return PrintJob;
    case JobKind::kSaveSettings:
      return SaveSettingsJob;
    case JobKind::kAutotest:
      return AutotestJob;
    case JobKind::kCompose:
      break;
  }
  return nullptr;
}

// A run's host: the job's messages go to the shell's window services as they come (so a
// message is seen even if the run then hangs); there is nothing else to draw.
class ShellJobHost : public JobHost {
 public:
  explicit ShellJobHost(WindowServices& window) : window_(window) {}
  void Show(JobReport& so_far) override { ShowNewMessages(so_far, window_); }
  void TakeEvents() override {}
  void HoldWindow(bool) override {}
  bool Ending() const override { return false; }

 private:
  WindowServices& window_;
};

// The job's inputs: the port as the command line names it, the platform's services, and
// the line and ticket settings as the record holds them once the options are applied.
JobInputs RunInputs(CliPlatform& platform, PortAccess& port_access, const PortChoice& port,
                    const FrmMenu& record, const std::string& spool_file) {
  JobInputs in;
  in.serial_port = port.parallel ? 0 : port.number;
  in.parallel_port = port.parallel ? port.number : 0;
  in.line = ParseLineSettings(SerialSettingsString(record));
  in.ticket = ReadSampleTicketSettings(record.State());
  in.spool_file = spool_file;
  in.serial = {&platform.Serial(1), &platform.Serial(2), &platform.Serial(3)};
  in.port_access = &port_access;
  in.system = &platform.Sys();
  in.clock = &platform.Time();
  return in;
}

// Runs the job with the run's inputs; the messages it had left are shown as it ends.
JobReport RunOnHost(JobKind job, const JobInputs& in, WindowServices& window) {
  const Job run = JobOf(job);
  if (run == nullptr) return {JobEnd::kNotStarted, 0};
  ShellJobHost host(window);
  JobReport report = RunJob(run, in, host);
  host.Show(report);
  return report;
}

// The platform's services for one window record, with the window services of the run.
Services RunServices(CliPlatform& platform, PortAccess& port_access, WindowServices& window) {
  Services s;
  s.serial = {&platform.Serial(1), &platform.Serial(2), &platform.Serial(3)};
  s.port_access = &port_access;
  s.system = &platform.Sys();
  s.clock = &platform.Time();
  s.window = &window;
  return s;
}

// A message box as the jobs show them, with the application's title.
void Tell(WindowServices& window, const std::string& text) {
  window.MsgBox(text);
}

std::int64_t MillisecondsSince(Clock& clock, Clock::TimePoint started) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now() - started).count();
}

// Options the scratch check accepted are accepted again on the same start-up record; a
// refusal here would be a fault of ours, reported rather than run with half the settings.
bool Applied(FrmMenu& frm, const TicketOptions& options, WindowServices& window) {
  const Status applied = ApplyTicketOptions(frm, options);
  if (!applied.ok()) window.MsgBox(applied.message());
  return applied.ok();
}

}  // namespace

RunOutcome RunOnPort(CliPlatform& platform, JobKind job, const TicketOptions& options,
                     const PortChoice& port, std::ostream& err, const std::string& spool_file) {
  RunOutcome outcome;
  outcome.job = job;
  outcome.port = port.Name();
  outcome.endpoint =
      port.parallel ? platform.ParallelEndpoint(port.number) : platform.SerialEndpoint(port.number);
  Clock& clock = platform.Time();
  const Clock::TimePoint started = clock.Now();

  HeadlessWindowServices window(err, outcome.port,
                                !port.parallel && outcome.endpoint.starts_with("tcp:"));
  if (const Status bound = platform.BindingOf(port.parallel, port.number); !bound.ok()) {
    Tell(window, bound.message());
    outcome.endpoint.clear();  // the binding that would have said it was refused
    outcome.stop = RunStop::kConfiguration;
    outcome.messages = window.Messages();
    return outcome;
  }
  NoParallelPortAccess no_parallel;
  PortAccess& access = port.parallel ? platform.ParallelAccess() : no_parallel;
  FrmMenu frm(RunServices(platform, access, window));
  frm.spool_file = spool_file;
  const bool started_up = Form_Load(frm);
  if (started_up) SelectPort(frm, port);
  if (!started_up) {
    // Port access could not start: for a parallel port that is the port being unusable.
    outcome.end = JobEnd::kPortUnusable;
  } else if (!Applied(frm, options, window)) {
    outcome.end = JobEnd::kNotStarted;
  } else {
    TakeReport(outcome, RunOnHost(job, RunInputs(platform, access, port, frm, spool_file), window));
    // The window shows no box for a status request left unanswered after the probe (the
    // disabled Print button says it); the shell's report says it in words.
    if (outcome.end == JobEnd::kNoAnswer && window.Messages().empty()) {
      Tell(window, kStatusUnanswered);
    }
  }
  // As the window's closing does, whether or not start-up went through.
  Form_Unload(frm);
  outcome.messages = window.Messages();
  outcome.elapsed_ms = MillisecondsSince(clock, started);
  return outcome;
}

RunOutcome RunCompose(CliPlatform& platform, const TicketOptions& options,
                      const std::string& out_path, std::ostream& out, std::ostream& err) {
  RunOutcome outcome;
  outcome.job = JobKind::kCompose;
  outcome.endpoint = out_path;
  Clock& clock = platform.Time();
  const Clock::TimePoint started = clock.Now();

  HeadlessWindowServices window(err, "compose");
  NoParallelPortAccess no_parallel;
  FrmMenu frm(RunServices(platform, no_parallel, window));
  outcome.end = JobEnd::kNotStarted;
  if (Form_Load(frm) && Applied(frm, options, window)) {
    Result<std::vector<std::uint8_t>> ticket = ComposeWindowTicket(frm);
    if (!ticket) {
      Tell(window, ticket.status().message());
    } else if (out_path == "-") {
      // A stream may have taken part of the ticket before it failed.
      const Status written = WriteStream(out, *ticket);
      if (!written.ok()) Tell(window, written.message());
      outcome.end = written.ok() ? JobEnd::kDone : JobEnd::kFailedMidway;
    } else {
      const Status written = WriteFileWhole(out_path, *ticket);
      if (!written.ok()) Tell(window, written.message());
      outcome.end = written.ok() ? JobEnd::kDone : JobEnd::kNotStarted;
    }
    if (outcome.end == JobEnd::kDone) outcome.bytes_sent = ticket->size();
  }
  Form_Unload(frm);
  outcome.messages = window.Messages();
  outcome.elapsed_ms = MillisecondsSince(clock, started);
  return outcome;
}

}  // namespace qw77::cli
