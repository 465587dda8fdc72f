#include "jobs/PrintAction.h"

#include "form/FrmMenu.h"
#include "jobs/JobMessages.h"
#include "jobs/JobState.h"
#include "jobs/ParallelJobs.h"
#include "jobs/SampleTicketJob.h"
#include "jobs/SerialJobs.h"

namespace qw77 {
namespace {

JobReport PrintJob(FrmMenu& frm) {
  if (JobRefused(frm)) return {JobEnd::kNotStarted, 0};
  JobBusyMark busy(frm);
  if (const int port = SelectedSerialPort(frm); port != 0) {
    if (Status built = BuildSampleTicket(frm); !built.ok()) {
      // Nothing to send: the buttons as after a failed probe, the operator told why.
      frm.Svc().window->MsgBox(built.message());
      SetButtonsEnabled(frm, kNoTicketPrinted, true);
      frm.State().SetEnabled(ControlId::kCmdSettings, false);
      return {JobEnd::kNotStarted, 0};
    }
    return PrintViaSerial(frm, port);
  }
  if (SelectedParallelPort(frm) != 0) return PrintViaParallel(frm);
  return {JobEnd::kNotStarted, 0};
}

}  // namespace

JobReport RunPrint(FrmMenu& frm) {
  return RunReported(frm, PrintJob);
}

void CmdPrint_Click(FrmMenu& frm) {
  (void)RunPrint(frm);
}

}  // namespace qw77
