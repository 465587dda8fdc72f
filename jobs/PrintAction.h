// The Print button: compose the sample ticket and send it over the selected link.
#pragma once

#include "jobs/JobState.h"

namespace qw77 {

class FrmMenu;

// Over COM1..COM3 the ticket is composed first and then sent by the serial job; over LPT1
// or LPT2 the parallel job checks the printer's status before it composes anything. The
// spool file is held for the whole job.
JobReport PrintJob(const JobInputs& in, JobRun& run);

// The print job run for the window (declined while another runs), its report drawn.
JobReport RunPrint(FrmMenu& frm);
void CmdPrint_Click(FrmMenu& frm);

}  // namespace qw77
