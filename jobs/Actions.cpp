#include "jobs/Actions.h"

#include <cstdint>
#include <span>
#include <string>

#include "jobs/JobState.h"
#include "jobs/ParallelJobs.h"
#include "jobs/SerialJobs.h"
#include "jobs/WindowJobs.h"
#include "protocol/Commands.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

// Writes the command into the spool file and strobes it out. A file that could not be
// written is told to the operator.
JobReport SendParallelCommand(const JobInputs& in, JobRun& run,
                              std::span<const std::uint8_t> spool) {
  const Result<SpoolLock> held = HoldSpoolFile(in, run);
  if (!held) return {SpoolNotHeld(held.status()), 0};
  if (Status written = WriteSpoolFile(in.spool_file, spool); !written.ok()) {
    run.Tell(written.message() + " Nothing was sent.");
    return {JobEnd::kNotStarted, 0};
  }
  return SendSpoolParallel(in, run);
}

}  // namespace

JobReport SaveSettingsJob(const JobInputs& in, JobRun& run) {
  run.Buttons({JobButton::kSettings}, false);
  run.ShowNow();
  if (const JobEnd probed = OpenSerialPort(in, run); probed != JobEnd::kDone) return {probed, 0};

  JobReport report{JobEnd::kNotStarted, 0};
  if (in.serial_port != 0) {
    report = SendSerialCommand(in, run, kStoreSettings, "the save command");
  }
  if (in.parallel_port != 0) {
    report = SendParallelCommand(in, run, kStoreSettingsSpool);
    if (ParallelEnded(run)) return report;
    run.Buttons({JobButton::kSettings}, false);
  }
  return report;
}

JobReport AutotestJob(const JobInputs& in, JobRun& run) {
  run.Buttons(kAllJobButtons, false);
  run.ShowNow();
  if (const JobEnd probed = OpenSerialPort(in, run); probed != JobEnd::kDone) {
    run.Buttons(kNoTicketPrinted, true);
    return {probed, 0};
  }
  JobReport report{JobEnd::kNotStarted, 0};
  if (in.serial_port != 0) {
    report = SendSerialCommand(in, run, kSelfTest, "the self-test command");
  }
  if (in.parallel_port != 0) {
    report = SendParallelCommand(in, run, kSelfTestSpool);
    if (ParallelEnded(run)) return report;
    if (report.end != JobEnd::kDone) run.Tell("ERROR on parallel PORT selection");
  }
  run.Buttons(kNoTicketPrinted, true);
  return report;
}

JobReport CheckStatusJob(const JobInputs& in, JobRun& run) {
  if (const JobEnd probed = OpenSerialPort(in, run); probed != JobEnd::kDone) {
    return ProbeReport(probed);
  }
  // Options are exclusive, so exactly one exchange runs; the serial one probes again.
  if (in.serial_port != 0) return RunStatusSerial(in, run);
  if (in.parallel_port != 0) return CheckStatusParallel(in, run);
  return {JobEnd::kNotStarted, 0};
}

JobReport RunSaveSettings(FrmMenu& frm) {
  return RunWindowJob(frm, SaveSettingsJob);
}

JobReport RunAutotest(FrmMenu& frm) {
  return RunWindowJob(frm, AutotestJob);
}

JobReport RunCheckStatus(FrmMenu& frm) {
  return RunWindowJob(frm, CheckStatusJob);
}

void CmdSettings_Click(FrmMenu& frm) {
  (void)RunSaveSettings(frm);
}

void CmdAutotest_Click(FrmMenu& frm) {
  (void)RunAutotest(frm);
}

void CmdCheck_Click(FrmMenu& frm) {
  (void)RunCheckStatus(frm);
}

}  // namespace qw77
