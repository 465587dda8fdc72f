#include "jobs/Actions.h"

#include <cstdint>
#include <span>
#include <string>

#include "form/FrmMenu.h"
#include "jobs/JobMessages.h"
#include "jobs/JobState.h"
#include "jobs/ParallelJobs.h"
#include "jobs/SerialJobs.h"
#include "protocol/Commands.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

// Writes the command into tempo.txt and strobes it out. A file that could not be written is
// said to the operator.
JobReport SendParallelCommand(FrmMenu& frm, std::span<const std::uint8_t> spool) {
  if (Status written = WriteSpoolFile(spool); !written.ok()) {
    frm.Svc().window->MsgBox(written.message() + " Nothing was sent.");
    return {JobEnd::kNotStarted, 0};
  }
  return SendSpoolParallel(frm);
}

JobReport SaveSettingsJob(FrmMenu& frm) {
  if (JobRefused(frm)) return {JobEnd::kNotStarted, 0};
  WindowState& s = frm.State();
  s.SetEnabled(ControlId::kCmdSettings, false);
  if (const JobEnd probed = OpenSerialPort(frm); probed != JobEnd::kDone) return {probed, 0};

  JobReport report{JobEnd::kNotStarted, 0};
  if (const int port = SelectedSerialPort(frm); port != 0) {
    report = SendSerialCommand(frm, port, kStoreSettings, "the save command");
  }
  if (SelectedParallelPort(frm) != 0) {
    // The transfer lets the window take clicks between bytes; marking the job busy keeps
    // Print, Autotest and Check Status from rewriting tempo.txt or the port under it.
    JobBusyMark busy(frm);
    report = SendParallelCommand(frm, kStoreSettingsSpool);
    if (frm.program_ending) return report;
    s.SetEnabled(ControlId::kCmdSettings, false);
  }
  return report;
}

JobReport AutotestJob(FrmMenu& frm) {
  if (JobRefused(frm)) return {JobEnd::kNotStarted, 0};
  SetButtonsEnabled(frm, kAllJobButtons, false);
  if (const JobEnd probed = OpenSerialPort(frm); probed != JobEnd::kDone) {
    SetButtonsEnabled(frm, kNoTicketPrinted, true);
    return {probed, 0};
  }
  JobReport report{JobEnd::kNotStarted, 0};
  {
    JobBusyMark busy(frm);
    if (const int port = SelectedSerialPort(frm); port != 0) {
      report = SendSerialCommand(frm, port, kSelfTest, "the self-test command");
    }
    if (SelectedParallelPort(frm) != 0) {
      report = SendParallelCommand(frm, kSelfTestSpool);
      if (frm.program_ending) return report;
      if (report.end != JobEnd::kDone) {
        frm.Svc().window->MsgBox("ERROR on parallel PORT selection");
      }
    }
  }
  SetButtonsEnabled(frm, kNoTicketPrinted, true);
  return report;
}

JobReport CheckStatusJob(FrmMenu& frm) {
  if (JobRefused(frm)) return {JobEnd::kNotStarted, 0};
  if (const JobEnd probed = OpenSerialPort(frm); probed != JobEnd::kDone) {
    return ProbeReport(probed);
  }
  // Options are exclusive, so exactly one exchange runs; the serial one probes again.
  if (const int port = SelectedSerialPort(frm); port != 0) return RunStatusSerial(frm, port);
  if (SelectedParallelPort(frm) != 0) return CheckStatusParallel(frm);
  return {JobEnd::kNotStarted, 0};
}

}  // namespace

JobReport RunSaveSettings(FrmMenu& frm) {
  return RunReported(frm, SaveSettingsJob);
}

JobReport RunAutotest(FrmMenu& frm) {
  return RunReported(frm, AutotestJob);
}

JobReport RunCheckStatus(FrmMenu& frm) {
  return RunReported(frm, CheckStatusJob);
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
