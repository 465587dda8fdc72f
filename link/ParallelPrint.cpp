#include "link/ParallelPrint.h"

#include <string>
#include <vector>

#include "link/JobState.h"
#include "link/ParallelPort.h"
#include "link/SerialLink.h"
#include "link/ShellRunner.h"
#include "link/SpoolReader.h"
#include "maintenance/StatusParallel.h"
#include "ticket/SampleTicket.h"
#include "ticket/SpoolFile.h"
#include "ui/FrmMenu.h"

namespace qw77 {

bool SendFileParallel(FrmMenu& frm) {
  const int port = SelectedParallelPort(frm);
  if (port == 0) return false;
  // The addresses are taken once: a port option changed during the transfer (the window
  // takes clicks between bytes) does not move the job to another port.
  std::string data, status, control;
  if (!LptBaseAddress(frm, port, data, status, control)) return false;
  if (frm.program_ending) return false;

  // The whole job is read before the first byte goes out, so a file that cannot be read
  // sends nothing rather than half a ticket.
  Result<std::vector<std::uint8_t>> job = ReadSpoolBytes();
  if (!job) {
    frm.Svc().window->MsgBox("Cannot read the spool file " + std::string(kSpoolFileName) + " (" +
                             job.status().message() + "). Nothing was sent.");
    return false;
  }

  Clock& clock = *frm.Svc().clock;
  WindowServices& window = *frm.Svc().window;
  for (std::uint8_t byte : *job) {
    const Clock::TimePoint start = clock.Now();
    while (true) {
      const std::uint32_t value = PortRead(frm, status);
      if (frm.program_ending) return false;
      // The time test comes before the ready test: a printer that turns ready in the pass
      // in which the limit runs out still times out.
      if (clock.Now() - start > kReplyLimit) {
        window.MsgBox("Timeout ERROR on parallel port");
        return false;
      }
      window.DoEvents();
      if (frm.program_ending) return false;
      if ((value & 0x80) != 0) break;
      clock.SleepFor(kPollStep);
    }
    StrobeByte(frm, data, control, byte);
    if (frm.program_ending) return false;
  }
  return true;
}

void PrintViaParallel(FrmMenu& frm) {
  WindowState& s = frm.State();
  SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdSettings", "CmdAutotest", "CmdCheck"},
                    false);
  CheckStatusParallel(frm);
  if (frm.program_ending) return;
  // The status request enables CmdPrint only for a printer that reports no error.
  if (!s.Enabled("CmdPrint")) return;

  if (Status built = BuildSampleTicket(frm); !built.ok()) {
    frm.Svc().window->MsgBox(built.message());
    frm.JobBusy = 0;
    SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdAutotest", "CmdCheck"}, true);
    return;
  }

  const bool sent = SendFileParallel(frm);
  if (frm.program_ending) return;
  s.SetEnabled("CmdSettings", sent);
  // Deleted whether or not the transfer completed. A runner that could not start has told
  // the operator; the buttons still come back.
  (void)ShellAndWait(frm, kDeleteSpoolCommand, 0);
  frm.JobBusy = 0;
  SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdAutotest", "CmdCheck"}, true);
}

}  // namespace qw77
