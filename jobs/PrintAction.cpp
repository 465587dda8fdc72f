#include "jobs/PrintAction.h"

#include "jobs/JobState.h"
#include "jobs/ParallelJobs.h"
#include "jobs/SampleTicketJob.h"
#include "jobs/SerialJobs.h"
#include "jobs/WindowJobs.h"

namespace qw77 {

JobReport PrintJob(const JobInputs& in, JobRun& run) {
  // Held from before the ticket is composed until it is deleted (or left): another run in
  // the same folder cannot rewrite the file between the two.
  const Result<SpoolLock> spool = HoldSpoolFile(in, run);
  if (!spool) return {SpoolNotHeld(spool.status()), 0};
  if (in.serial_port != 0) {
    if (Status built = BuildSampleTicket(in.ticket, in.system, in.spool_file); !built.ok()) {
      // Nothing to send: the buttons as after a failed probe, the operator told why.
      run.Tell(built.message());
      run.Buttons(kNoTicketPrinted, true);
      run.Buttons({JobButton::kSettings}, false);
      return {JobEnd::kNotStarted, 0};
    }
    return PrintViaSerial(in, run);
  }
  if (in.parallel_port != 0) return PrintViaParallel(in, run);
  return {JobEnd::kNotStarted, 0};
}

JobReport RunPrint(FrmMenu& frm) {
  return RunWindowJob(frm, PrintJob);
}

void CmdPrint_Click(FrmMenu& frm) {
  (void)RunPrint(frm);
}

}  // namespace qw77
