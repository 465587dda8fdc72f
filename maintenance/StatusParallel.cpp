#include "maintenance/StatusParallel.h"

#include <string>

#include "link/JobState.h"
#include "link/ParallelPort.h"
#include "link/SerialLink.h"
#include "ui/FrmMenu.h"

namespace qw77 {

void CheckStatusParallel(FrmMenu& frm) {
  SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdSettings", "CmdAutotest", "CmdCheck"},
                    false);
  const int port = SelectedParallelPort(frm);
  std::string data, status, control;
  const bool found = port != 0 && LptBaseAddress(frm, port, data, status, control);
  if (frm.program_ending) return;
  if (!found) {
    frm.Svc().window->MsgBox("ERROR on parallel PORT selection");
    EnableAfterStatus(frm, true);
    return;
  }
  const std::uint32_t value = PortRead(frm, status);
  if (frm.program_ending) return;
  const StatusFlags flags = DecodeParallelStatus(static_cast<std::uint8_t>(value & 0xFF));
  ShowStatusFlags(frm, flags);
  EnableAfterStatus(frm, flags.no_error);
}

}  // namespace qw77
