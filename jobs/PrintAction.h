// The Print button: compose the sample ticket and send it over the selected link.
#pragma once

#include "jobs/JobState.h"

namespace qw77 {

class FrmMenu;

// The print job, saying how it ended.
JobReport RunPrint(FrmMenu& frm);

// Over COM1..COM3 the ticket is composed first and then sent by the serial job; over LPT1
// or LPT2 the parallel job checks the printer's status before it composes anything.
// JobBusy is 1 while it runs; a click that arrives meanwhile is declined.
void CmdPrint_Click(FrmMenu& frm);

}  // namespace qw77
