// The parallel jobs: the status read, the transfer of the spool file and the print job,
// with what the operator is told.
#pragma once

#include "jobs/JobState.h"
#include "transport/ParallelPort.h"

namespace qw77 {

class FrmMenu;

// The window's parallel port LPT`lpt`. A refused access is fatal: the operator sees
// "Hardware port error" with the cause in its details, the main window is closed (which
// closes the links) and frm.program_ending is set; from then on no access touches the
// hardware and the jobs stop.
ParallelPort WindowParallelPort(FrmMenu& frm, int lpt);

// Reads the selected LPT port's status lines once; nothing is sent to the printer.
// A selection without a port shows "ERROR on parallel PORT selection" and leaves the
// buttons as for a printer without error. The report holds the status read.
JobReport CheckStatusParallel(FrmMenu& frm);

// Strobes every byte of tempo.txt out to the selected LPT port, waiting for the printer's
// busy line to drop before each byte, at most kReplyLimit per byte. The wait
// lets the window process its events once per pass. True when every byte went out; false
// without a message when no parallel port is selected or it does not exist, false
// with "Timeout ERROR on parallel port" when a byte was not taken in time (nothing after
// it is sent). Does not delete the file.
bool SendFileParallel(FrmMenu& frm);
// The same transfer, saying how it ended and how many bytes went out.
JobReport SendSpoolParallel(FrmMenu& frm);

// The print job over LPT1 or LPT2: status first, then the ticket is composed, sent and
// deleted. Clears JobBusy before it gives the buttons back.
JobReport PrintViaParallel(FrmMenu& frm);

}  // namespace qw77
