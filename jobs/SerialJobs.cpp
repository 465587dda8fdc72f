#include "jobs/SerialJobs.h"

#include <array>
#include <string>
#include <vector>

#include "form/FrmMenu.h"
#include "jobs/FailureCause.h"
#include "jobs/JobState.h"
#include "jobs/ShellAndWait.h"
#include "jobs/StatusView.h"
#include "transport/LineSettings.h"
#include "transport/SerialTransfer.h"
#include "transport/ShellRunner.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

// The line configuration the window's members give ("Error on serial PORT selection" when
// the operator has not picked a baud rate or a parity yet).
Result<SerialConfig> WindowLineConfig(const FrmMenu& frm) {
  return ParseLineSettings(SerialSettingsString(frm));
}

}  // namespace

JobEnd OpenSerialPort(FrmMenu& frm) {
  const int port = SelectedSerialPort(frm);
  if (port == 0) return SelectedParallelPort(frm) != 0 ? JobEnd::kDone : JobEnd::kNotStarted;

  SerialLink& comm = frm.MSComm(port);
  const Result<SerialConfig> config = WindowLineConfig(frm);
  const ProbeResult probe = config ? ProbeSerial(comm, *frm.Svc().clock, *config)
                                   : ProbeResult{ProbeEnd::kLayerFailure, config.status()};
  switch (probe.end) {
    case ProbeEnd::kReply:
      return JobEnd::kDone;
    case ProbeEnd::kSilent:
      frm.Svc().window->MsgBoxDetailed("ERROR on serial PORT configuration", comm.NoReplyReason());
      (void)comm.Close();
      return JobEnd::kNoAnswer;
    case ProbeEnd::kLayerFailure:
      break;
  }
  frm.Svc().window->MsgBoxDetailed("Error on serial PORT selection",
                                   DescribeCause(probe.failure, *frm.Svc().system));
  return JobEnd::kPortUnusable;
}

JobReport ProbeReport(JobEnd probed) {
  if (probed == JobEnd::kNoAnswer) return {probed, 0, {StatusAsked::kNoAnswer, {}}};
  return {probed, 0};
}

JobReport RunStatusSerial(FrmMenu& frm, int port) {
  SetButtonsEnabled(frm, kAllJobButtons, false);
  if (const JobEnd probed = OpenSerialPort(frm); probed != JobEnd::kDone) {
    SetButtonsEnabled(frm, kNoTicketPrinted, true);
    return ProbeReport(probed);
  }

  SerialLink& comm = frm.MSComm(port);
  std::array<std::uint8_t, 4> replies{};
  const Result<SerialConfig> config = WindowLineConfig(frm);
  Status failure = config ? comm.Open(WithFlow(*config, FlowControl::kNone)) : config.status();
  const Exchange exchange = failure.ok()
                                ? AskStatusReplies(comm, *frm.Svc().clock, replies, failure)
                                : Exchange::kLinkFailed;
  (void)comm.Close();

  if (exchange != Exchange::kAnswered) {
    // A silent printer gets no message of its own: the disabled Print button says it and
    // Check Status asks again. A port that failed under us is worth saying, though.
    if (exchange == Exchange::kLinkFailed) {
      ReportSerialFailure(frm, "the status request could not be completed", failure);
    }
    SetButtonsEnabled(frm, kStatusAnswered, true);
    if (exchange == Exchange::kLinkFailed) return {JobEnd::kFailedMidway, 0};
    return {JobEnd::kNoAnswer, 0, {StatusAsked::kNoAnswer, {}}};
  }

  // Reply 1 only confirms that the printer is there; 2 to 4 carry the flags.
  const PrinterStatus status{StatusAsked::kAnswered,
                             DecodeSerialStatus(replies[1], replies[2], replies[3])};
  ShowStatus(frm, status);
  EnableAfterStatus(frm, status.flags.no_error);
  return {status.flags.no_error ? JobEnd::kDone : JobEnd::kPrinterCondition, 0, status};
}

void CheckStatusSerial(FrmMenu& frm, int port) {
  (void)RunStatusSerial(frm, port);
}

JobReport SendSerialCommand(FrmMenu& frm, int port, std::span<const std::uint8_t> command,
                            std::string_view what) {
  SerialLink& comm = frm.MSComm(port);
  const Result<SerialConfig> config = WindowLineConfig(frm);
  Status status = config ? OpenForTransfer(comm, *config) : config.status();
  std::size_t sent = 0;
  if (status.ok()) status = SendBytes(comm, command, sent);
  Status closed = comm.Close();
  if (status.ok()) status = closed;
  if (!status.ok()) {
    ReportSerialFailure(frm, std::string(what) + " did not reach the printer", status);
    return {JobEnd::kFailedMidway, sent};
  }
  return {JobEnd::kDone, sent};
}

void ReportSerialFailure(FrmMenu& frm, std::string_view what, const Status& why) {
  std::string text = "Serial port error: ";
  text += what;
  if (!why.message().empty()) text += " (" + why.message() + ")";
  text += ".";
  frm.Svc().window->MsgBoxDetailed(text, DescribeCause(why, *frm.Svc().system));
}

namespace {

// Sends the ticket on the probed port: opened again with the probe's settings, written and
// closed. A failure is told to the operator; the report says how far the ticket got.
JobReport SendTicketSerial(FrmMenu& frm, SerialLink& comm, std::span<const std::uint8_t> job) {
  // The probe has just opened this control with these settings; if it fails now the device
  // went away in between.
  const Result<SerialConfig> config = WindowLineConfig(frm);
  const Status ready = config ? OpenForTransfer(comm, *config) : config.status();
  if (!ready.ok()) {
    (void)comm.Close();
    ReportSerialFailure(frm, "the port could not be opened again for the ticket; nothing was sent",
                        ready);
    return {JobEnd::kPortUnusable, 0};
  }

  std::size_t sent = 0;
  Status wrote = SendBytes(comm, job, sent);
  if (!wrote.ok()) {
    (void)comm.Close();
    ReportSerialFailure(frm,
                        "the port accepted " + std::to_string(sent) + " of " +
                            std::to_string(job.size()) +
                            " bytes of the ticket; the ticket was not printed completely",
                        wrote);
    return {JobEnd::kFailedMidway, sent};
  }
  // Closing lets the queued bytes drain; if they cannot, the ticket did not get out whole.
  if (Status closed = comm.Close(); !closed.ok()) {
    ReportSerialFailure(frm,
                        "the port accepted all " + std::to_string(sent) +
                            " bytes of the ticket, but the last of them may not have reached "
                            "the printer; the ticket was not printed completely",
                        closed);
    return {JobEnd::kFailedMidway, sent};
  }
  return {JobEnd::kDone, sent};
}

}  // namespace

JobReport PrintViaSerial(FrmMenu& frm, int port) {
  SetButtonsEnabled(frm, kAllJobButtons, false);
  JobReport asked;  // the status request's, when the port asks one; the ticket's report keeps it
  // Every way out short of a completed transfer leaves the buttons as a failed probe does:
  // the operator can try again, but Save Settings waits for a ticket that really printed.
  auto end_unprinted = [&](JobEnd end, std::size_t sent = 0) {
    SetButtonsEnabled(frm, kNoTicketPrinted, true);
    return JobReport{end, sent, asked.status};
  };

  if (const JobEnd probed = OpenSerialPort(frm); probed != JobEnd::kDone) {
    return end_unprinted(probed);
  }

  if (port == 1) {
    // Only a printer that answered and reports no error gets the ticket. A probe that fails
    // inside the status request leaves CmdPrint enabled, but the printer has just not
    // answered: sending the ticket now would only report a print that never happened, so
    // the job ends as after its own failed probe.
    asked = RunStatusSerial(frm, 1);
    if (asked.end != JobEnd::kDone) return asked;
  }

  Result<std::vector<std::uint8_t>> job = ReadSpoolBytes();
  if (!job) {
    frm.Svc().window->MsgBox("Cannot read the spool file " + std::string(kSpoolFileName) + " (" +
                             job.status().message() + "). Nothing was sent.");
    return end_unprinted(JobEnd::kNotStarted);
  }

  const JobReport sent = SendTicketSerial(frm, frm.MSComm(port), *job);
  if (sent.end != JobEnd::kDone) return end_unprinted(sent.end, sent.bytes_sent);

  // A failure to start the interpreter has been reported by the runner; the ticket is out.
  (void)ShellAndWait(frm, kDeleteSpoolCommand, 0);
  SetButtonsEnabled(frm, kAllJobButtons, true);
  return {JobEnd::kDone, sent.bytes_sent, asked.status};
}

}  // namespace qw77
