#include "jobs/Actions.h"

#include <cstdint>
#include <span>
#include <string>

#include "form/FrmMenu.h"
#include "jobs/JobState.h"
#include "jobs/ParallelJobs.h"
#include "jobs/SerialJobs.h"
#include "protocol/Commands.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

// Writes the command into tempo.txt and strobes it out. False when the file could not be
// written (said to the operator) or the transfer failed.
bool SendParallelCommand(FrmMenu& frm, std::span<const std::uint8_t> spool) {
  if (Status written = WriteSpoolFile(spool); !written.ok()) {
    frm.Svc().window->MsgBox(written.message() + " Nothing was sent.");
    return false;
  }
  return SendFileParallel(frm);
}

}  // namespace

void CmdSettings_Click(FrmMenu& frm) {
  if (JobRefused(frm)) return;
  WindowState& s = frm.State();
  s.SetEnabled("CmdSettings", false);
  if (!OpenSerialPort(frm)) return;

  if (const int port = SelectedSerialPort(frm); port != 0) {
    SendSerialCommand(frm, port, kStoreSettings, "the save command");
  }
  if (SelectedParallelPort(frm) != 0) {
    // The transfer lets the window take clicks between bytes; marking the job busy keeps
    // Print, Autotest and Check Status from rewriting tempo.txt or the port under it.
    JobBusyMark busy(frm);
    (void)SendParallelCommand(frm, kStoreSettingsSpool);
    if (frm.program_ending) return;
    s.SetEnabled("CmdSettings", false);
  }
}

void CmdAutotest_Click(FrmMenu& frm) {
  if (JobRefused(frm)) return;
  SetButtonsEnabled(frm, kAllJobButtons, false);
  if (!OpenSerialPort(frm)) {
    SetButtonsEnabled(frm, kNoTicketPrinted, true);
    return;
  }
  {
    JobBusyMark busy(frm);
    if (const int port = SelectedSerialPort(frm); port != 0) {
      SendSerialCommand(frm, port, kSelfTest, "the self-test command");
    }
    if (SelectedParallelPort(frm) != 0) {
      const bool sent = SendParallelCommand(frm, kSelfTestSpool);
      if (frm.program_ending) return;
      if (!sent) frm.Svc().window->MsgBox("ERROR on parallel PORT selection");
    }
  }
  SetButtonsEnabled(frm, kNoTicketPrinted, true);
}

void CmdCheck_Click(FrmMenu& frm) {
  if (JobRefused(frm)) return;
  if (!OpenSerialPort(frm)) return;
  // Options are exclusive, so exactly one exchange runs; the serial one probes again.
  if (const int port = SelectedSerialPort(frm); port != 0) CheckStatusSerial(frm, port);
  if (SelectedParallelPort(frm) != 0) CheckStatusParallel(frm);
}

}  // namespace qw77
