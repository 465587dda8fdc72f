#include "jobs/SerialJobs.h"

#include <array>
#include <string>
#include <vector>

#include "jobs/FailureCause.h"
#include "jobs/JobState.h"
#include "jobs/ShellAndWait.h"
#include "transport/LineSettings.h"
#include "transport/SerialTransfer.h"
#include "transport/ShellRunner.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

std::string NotAStatusReason(const std::vector<std::uint8_t>& reply) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string bytes;
  for (std::size_t i = 0; i < reply.size() && i < 8; ++i) {
    bytes += (i ? " " : "");
    bytes += kHex[reply[i] >> 4];
    bytes += kHex[reply[i] & 0xF];
  }
  if (reply.size() > 8) bytes += " ...";
  return "Something answered with bytes that are not a printer's status (" + bytes +
         "): an echo or a loopback plug? A printer's status byte has bits 1 and 4 set and "
         "bits 0 and 7 clear.";
}

}  // namespace

JobEnd OpenSerialPort(const JobInputs& in, JobRun& run) {
  if (in.serial_port == 0) return in.parallel_port != 0 ? JobEnd::kDone : JobEnd::kNotStarted;

  SerialLink& comm = in.Link();
  const Result<SerialConfig>& config = in.line;
  const ProbeResult probe = config ? ProbeSerial(comm, *in.clock, *config)
                                   : ProbeResult{ProbeEnd::kLayerFailure, config.status(), {}};
  switch (probe.end) {
    case ProbeEnd::kReply:
      return JobEnd::kDone;
    case ProbeEnd::kSilent: {
      // A printer that closed the connection is not silent: its port cannot be used.
      const Status lost = comm.LinkLost();
      run.Tell("ERROR on serial PORT configuration",
               lost.ok() ? comm.NoReplyReason() : DescribeCause(lost, *in.system));
      run.ShowNow();  // the box is up before the port is closed
      (void)comm.Close();
      return lost.ok() ? JobEnd::kNoAnswer : JobEnd::kPortUnusable;
    }
    case ProbeEnd::kNotAStatus:
      // What a silent printer gets, with what did come back.
      run.Tell("ERROR on serial PORT configuration", NotAStatusReason(probe.reply));
      run.ShowNow();
      (void)comm.Close();
      return JobEnd::kNoAnswer;
    case ProbeEnd::kLayerFailure:
      break;
  }
  run.Tell("Error on serial PORT selection", DescribeCause(probe.failure, *in.system));
  return JobEnd::kPortUnusable;
}

JobReport ProbeReport(JobEnd probed) {
  if (probed == JobEnd::kNoAnswer) return {probed, 0, {StatusAsked::kNoAnswer, {}}};
  return {probed, 0};
}

JobReport RunStatusSerial(const JobInputs& in, JobRun& run) {
  if (in.serial_port == 0) return {JobEnd::kNotStarted, 0};
  run.Buttons(kAllJobButtons, false);
  run.ShowNow();
  if (const JobEnd probed = OpenSerialPort(in, run); probed != JobEnd::kDone) {
    run.Buttons(kNoTicketPrinted, true);
    return ProbeReport(probed);
  }

  SerialLink& comm = in.Link();
  std::array<std::uint8_t, 4> replies{};
  Status failure = in.line ? comm.Open(WithFlow(*in.line, FlowControl::kNone)) : in.line.status();
  const Exchange exchange =
      failure.ok() ? AskStatusReplies(comm, *in.clock, replies, failure) : Exchange::kLinkFailed;
  const Status lost = exchange == Exchange::kTimedOut ? comm.LinkLost() : Status::Ok();
  (void)comm.Close();
  if (!lost.ok()) {
    ReportSerialFailure(in, run, "the status request was not answered", lost);
    run.Buttons(kStatusAnswered, true);
    return {JobEnd::kPortUnusable, 0};
  }

  if (exchange != Exchange::kAnswered) {
    // A silent printer gets no message of its own: the disabled Print button says it and
    // Check Status asks again. A port that failed under us is worth saying, though.
    if (exchange == Exchange::kLinkFailed) {
      ReportSerialFailure(in, run, "the status request could not be completed", failure);
    }
    run.Buttons(kStatusAnswered, true);
    if (exchange == Exchange::kLinkFailed) return {JobEnd::kFailedMidway, 0};
    return {JobEnd::kNoAnswer, 0, {StatusAsked::kNoAnswer, {}}};
  }

  // Reply 1 only confirms that the printer is there; 2 to 4 carry the flags.
  const PrinterStatus status{StatusAsked::kAnswered,
                             DecodeSerialStatus(replies[1], replies[2], replies[3])};
  run.Report().status = status;
  EnableAfterStatus(run, status.flags.no_error);
  return {status.flags.no_error ? JobEnd::kDone : JobEnd::kPrinterCondition, 0, status};
}

JobReport SendSerialCommand(const JobInputs& in, JobRun& run, std::span<const std::uint8_t> command,
                            std::string_view what) {
  SerialLink& comm = in.Link();
  Status status = in.line ? OpenForTransfer(comm, *in.line) : in.line.status();
  std::size_t sent = 0;
  if (status.ok()) status = SendBytes(comm, command, sent);
  Status closed = comm.Close();
  if (status.ok()) status = closed;
  if (!status.ok()) {
    ReportSerialFailure(in, run, std::string(what) + " did not reach the printer", status);
    return {JobEnd::kFailedMidway, sent};
  }
  return {JobEnd::kDone, sent};
}

void ReportSerialFailure(const JobInputs& in, JobRun& run, std::string_view what,
                         const Status& why) {
  std::string text = "Serial port error: ";
  text += what;
  if (!why.message().empty()) text += " (" + why.message() + ")";
  text += ".";
  run.Tell(text, DescribeCause(why, *in.system));
}

namespace {

// Sends the ticket on the probed port: opened again with the probe's settings, written and
// closed. A failure is told to the operator; the report says how far the ticket got.
JobReport SendTicketSerial(const JobInputs& in, JobRun& run, std::span<const std::uint8_t> job) {
  SerialLink& comm = in.Link();
  // The probe has just opened this link with these settings; if it fails now the device
  // went away in between.
  const Status ready = in.line ? OpenForTransfer(comm, *in.line) : in.line.status();
  if (!ready.ok()) {
    (void)comm.Close();
    ReportSerialFailure(
        in, run, "the port could not be opened again for the ticket; nothing was sent", ready);
    return {JobEnd::kPortUnusable, 0};
  }

  std::size_t sent = 0;
  Status wrote = SendBytes(comm, job, sent);
  if (!wrote.ok()) {
    (void)comm.Close();
    ReportSerialFailure(in, run,
                        "the port accepted " + std::to_string(sent) + " of " +
                            std::to_string(job.size()) +
                            " bytes of the ticket; the ticket was not printed completely",
                        wrote);
    return {JobEnd::kFailedMidway, sent};
  }
  // Closing lets the queued bytes drain; if they cannot, the ticket did not get out whole.
  if (Status closed = comm.Close(); !closed.ok()) {
    ReportSerialFailure(in, run,
                        "the port accepted all " + std::to_string(sent) +
                            " bytes of the ticket, but the last of them may not have reached "
                            "the printer; the ticket was not printed completely",
                        closed);
    return {JobEnd::kFailedMidway, sent};
  }
  return {JobEnd::kDone, sent};
}

}  // namespace

JobReport PrintViaSerial(const JobInputs& in, JobRun& run) {
  if (in.serial_port == 0) return {JobEnd::kNotStarted, 0};
  run.Buttons(kAllJobButtons, false);
  run.ShowNow();
  JobReport asked;  // the status request's, when the port asks one; the ticket's report keeps it
  // Every way out short of a completed transfer leaves the buttons as a failed probe does:
  // the operator can try again, but Save Settings waits for a ticket that really printed.
  auto end_unprinted = [&](JobEnd end, std::size_t sent = 0) {
    run.Buttons(kNoTicketPrinted, true);
    return JobReport{end, sent, asked.status};
  };

  if (const JobEnd probed = OpenSerialPort(in, run); probed != JobEnd::kDone) {
    return end_unprinted(probed);
  }

  if (in.serial_port == 1) {
    // Only a printer that answered and reports no error gets the ticket. A probe that fails
    // inside the status request leaves CmdPrint enabled, but the printer has just not
    // answered: sending the ticket now would only report a print that never happened, so
    // the job ends as after its own failed probe.
    asked = RunStatusSerial(in, run);
    if (asked.end != JobEnd::kDone) return asked;
    run.ShowNow();  // the status is drawn before the ticket goes out
  }

  Result<std::vector<std::uint8_t>> job = ReadSpoolBytes(in.spool_file);
  if (!job) {
    run.Tell("Cannot read the spool file " + in.spool_file + " (" + job.status().message() +
             "). Nothing was sent.");
    return end_unprinted(JobEnd::kNotStarted);
  }

  const JobReport sent = SendTicketSerial(in, run, *job);
  if (sent.end != JobEnd::kDone) return end_unprinted(sent.end, sent.bytes_sent);

  // A failure to start the interpreter is told; the ticket is out all the same.
  DeleteSpoolFile(in, run);
  run.Buttons(kAllJobButtons, true);
  return {JobEnd::kDone, sent.bytes_sent, asked.status};
}

}  // namespace qw77
