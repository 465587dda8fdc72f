#include "jobs/ParallelJobs.h"

#include <iostream>
#include <string>
#include <vector>

#include "form/FrmMenu.h"
#include "form/StartUp.h"
#include "jobs/JobState.h"
#include "jobs/SampleTicketJob.h"
#include "jobs/ShellAndWait.h"
#include "jobs/StatusView.h"
#include "transport/ShellRunner.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

// The one reaction to a refused access: tell the operator, close the window (its unload
// releases the port access) and make sure nothing touches the hardware afterwards.
void HardwareFailure(FrmMenu& frm, const Status& why) {
  frm.program_ending = true;
  // The operator gets the one fixed message; whoever reads the log learns the cause.
  const std::string& reason = why.message();
  if (!reason.empty()) std::cerr << "qw77: port access: " << reason << '\n';
  frm.Svc().window->MsgBoxDetailed("Hardware port error", reason, MessageIcon::kCritical,
                                   kHardwareErrorTitle);
  frm.Svc().window->CloseMainWindow();
}

}  // namespace

ParallelPort WindowParallelPort(FrmMenu& frm, int lpt) {
  return ParallelPort(
      frm.Svc().parallel, lpt, [&frm] { return frm.program_ending; },
      [&frm](const Status& why) { HardwareFailure(frm, why); });
}

JobReport CheckStatusParallel(FrmMenu& frm) {
  SetButtonsEnabled(frm, kAllJobButtons, false);
  ParallelPort port = WindowParallelPort(frm, SelectedParallelPort(frm));
  if (port.Ended()) return {JobEnd::kPortUnusable, 0};
  if (!port.Present()) {
    frm.Svc().window->MsgBox("ERROR on parallel PORT selection");
    EnableAfterStatus(frm, true);
    return {JobEnd::kPortUnusable, 0};
  }
  const ParallelStatusLines lines = port.ReadStatus();
  if (port.Ended()) return {JobEnd::kPortUnusable, 0};
  const PrinterStatus status{StatusAsked::kAnswered, DecodeParallelStatus(lines)};
  ShowStatus(frm, status);
  EnableAfterStatus(frm, status.flags.no_error);
  return {status.flags.no_error ? JobEnd::kDone : JobEnd::kPrinterCondition, 0, status};
}

bool SendFileParallel(FrmMenu& frm) {
  return SendSpoolParallel(frm).end == JobEnd::kDone;
}

JobReport SendSpoolParallel(FrmMenu& frm) {
  const int lpt = SelectedParallelPort(frm);
  if (lpt == 0) return {JobEnd::kNotStarted, 0};
  // The port is taken once: a port option changed during the transfer (the window takes
  // clicks between bytes) does not move the job to another port.
  ParallelPort port = WindowParallelPort(frm, lpt);
  if (!port.Present() || port.Ended()) return {JobEnd::kPortUnusable, 0};

  // The whole job is read before the first byte goes out, so a file that cannot be read
  // sends nothing rather than half a ticket.
  Result<std::vector<std::uint8_t>> job = ReadSpoolBytes(frm.spool_file);
  if (!job) {
    frm.Svc().window->MsgBox("Cannot read the spool file " + frm.spool_file + " (" +
                             job.status().message() + "). Nothing was sent.");
    return {JobEnd::kNotStarted, 0};
  }

  WindowServices& window = *frm.Svc().window;
  const ParallelSent sent = SendParallelBytes(port, *job, *frm.Svc().clock, kReplyLimit,
                                              [&window] { window.DoEvents(); });
  switch (sent.end) {
    case ParallelSendEnd::kSent:
      return {JobEnd::kDone, sent.strobed};
    case ParallelSendEnd::kTimedOut:
      window.MsgBox("Timeout ERROR on parallel port");
      return {JobEnd::kFailedMidway, sent.strobed};
    case ParallelSendEnd::kEnded:
      break;
  }
  return {JobEnd::kPortUnusable, sent.strobed};
}

JobReport PrintViaParallel(FrmMenu& frm) {
  WindowState& s = frm.State();
  SetButtonsEnabled(frm, kAllJobButtons, false);
  const JobReport asked = CheckStatusParallel(frm);
  if (frm.program_ending) return {JobEnd::kPortUnusable, 0};
  // A printer that reports an error gets no ticket. A port that could not be found goes on,
  // as the window always has: its transfer then finds no port and sends nothing.
  if (asked.status.ReportsError()) return asked;

  if (Status built = BuildSampleTicket(frm); !built.ok()) {
    frm.Svc().window->MsgBox(built.message());
    frm.JobBusy = 0;
    SetButtonsEnabled(frm, kNoTicketPrinted, true);
    return {JobEnd::kNotStarted, 0, asked.status};
  }

  JobReport sent = SendSpoolParallel(frm);
  sent.status = asked.status;
  if (frm.program_ending) return sent;
  s.SetEnabled(ControlId::kCmdSettings, sent.end == JobEnd::kDone);
  // Deleted whether or not the transfer completed. A runner that could not start has told
  // the operator; the buttons still come back.
  (void)ShellAndWait(frm, DeleteSpoolCommand(frm.spool_file), 0);
  frm.JobBusy = 0;
  SetButtonsEnabled(frm, kNoTicketPrinted, true);
  return sent;
}

}  // namespace qw77
