#include "jobs/ParallelJobs.h"

#include <iostream>
#include <string>
#include <vector>

#include "form/StartUp.h"
#include "jobs/JobState.h"
#include "jobs/SampleTicketJob.h"
#include "jobs/ShellAndWait.h"
#include "transport/SpoolFile.h"

namespace qw77 {

ParallelPort JobParallelPort(const JobInputs& in, JobRun& run) {
  return ParallelPort(
      *in.port_access, [&run] { return ParallelEnded(run); },
      [&in, &run] {
        // The one reaction to a refused access: the operator gets the one fixed message,
        // whoever reads the log learns the cause.
        run.Report().access_refused = true;
        const std::string reason = in.port_access->FailureReason();
        if (!reason.empty()) std::cerr << "qw77: port access: " << reason << '\n';
        run.Tell("Hardware port error", reason, MessageIcon::kCritical, kHardwareErrorTitle);
      });
}

bool ParallelEnded(JobRun& run) {
  return run.Report().access_refused || run.Host().Ending();
}

JobReport CheckStatusParallel(const JobInputs& in, JobRun& run) {
  run.Buttons(kAllJobButtons, false);
  run.ShowNow();
  ParallelPort port = JobParallelPort(in, run);
  const std::optional<LptRegisters> found =
      in.parallel_port != 0 ? port.Locate(in.parallel_port) : std::nullopt;
  if (port.Ended()) return {JobEnd::kPortUnusable, 0};
  if (!found) {
    run.Tell("ERROR on parallel PORT selection");
    run.ShowNow();
    EnableAfterStatus(run, true);
    return {JobEnd::kPortUnusable, 0};
  }
  const std::uint8_t value = port.Read(found->status);
  if (port.Ended()) return {JobEnd::kPortUnusable, 0};
  const PrinterStatus status{StatusAsked::kAnswered, DecodeParallelStatus(value)};
  run.Report().status = status;
  EnableAfterStatus(run, status.flags.no_error);
  return {status.flags.no_error ? JobEnd::kDone : JobEnd::kPrinterCondition, 0, status};
}

JobReport SendSpoolParallel(const JobInputs& in, JobRun& run) {
  if (in.parallel_port == 0) return {JobEnd::kNotStarted, 0};
  // The addresses are taken once: a port option changed during the transfer (the window
  // takes clicks between bytes) does not move the job to another port.
  ParallelPort port = JobParallelPort(in, run);
  const std::optional<LptRegisters> registers = port.Locate(in.parallel_port);
  if (!registers || port.Ended()) return {JobEnd::kPortUnusable, 0};

  // The whole job is read before the first byte goes out, so a file that cannot be read
  // sends nothing rather than half a ticket.
  Result<std::vector<std::uint8_t>> job = ReadSpoolBytes(in.spool_file);
  if (!job) {
    run.Tell("Cannot read the spool file " + in.spool_file + " (" + job.status().message() +
             "). Nothing was sent.");
    return {JobEnd::kNotStarted, 0};
  }

  run.ShowNow();  // the window is drawn as it stands before it takes events between bytes
  const ParallelSent sent = SendParallelBytes(port, *registers, *job, *in.clock, kReplyLimit,
                                              [&run] { run.Host().TakeEvents(); });
  switch (sent.end) {
    case ParallelSendEnd::kSent:
      return {JobEnd::kDone, sent.strobed};
    case ParallelSendEnd::kTimedOut:
      run.Tell("Timeout ERROR on parallel port");
      return {JobEnd::kFailedMidway, sent.strobed};
    case ParallelSendEnd::kEnded:
      break;
  }
  return {JobEnd::kPortUnusable, sent.strobed};
}

JobReport PrintViaParallel(const JobInputs& in, JobRun& run) {
  run.Buttons(kAllJobButtons, false);
  run.ShowNow();
  const JobReport asked = CheckStatusParallel(in, run);
  if (ParallelEnded(run)) return {JobEnd::kPortUnusable, 0};
  // A printer that reports an error gets no ticket. A port that could not be found goes on,
  // as the window always has: its transfer then finds no port and sends nothing.
  if (asked.status.ReportsError()) return asked;
  run.ShowNow();  // the status is drawn before the ticket is composed

  if (Status built = BuildSampleTicket(in.ticket, in.system, in.spool_file); !built.ok()) {
    run.Tell(built.message());
    run.Buttons(kNoTicketPrinted, true);
    return {JobEnd::kNotStarted, 0, asked.status};
  }

  JobReport sent = SendSpoolParallel(in, run);
  sent.status = asked.status;
  if (ParallelEnded(run)) return sent;
  run.Buttons({JobButton::kSettings}, sent.end == JobEnd::kDone);
  // Deleted whether or not the transfer completed. An interpreter that could not start is
  // told; the buttons still come back.
  DeleteSpoolFile(in, run);
  run.Buttons(kNoTicketPrinted, true);
  return sent;
}

}  // namespace qw77
