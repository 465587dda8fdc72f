// Sending the spool file over a parallel port, and the parallel print job.
#pragma once

namespace qw77 {

class FrmMenu;

// Strobes every byte of tempo.txt out to the selected LPT port, waiting for the printer's
// not-busy line (status bit 7) before each byte, at most kReplyLimit per byte. The wait
// lets the window process its events once per pass. True when every byte went out; false
// without a message when no parallel port is selected or it has no base address, false
// with "Timeout ERROR on parallel port" when a byte was not taken in time (nothing after
// it is sent). Does not delete the file.
bool SendFileParallel(FrmMenu& frm);

// The print job over LPT1 or LPT2: status first, then the ticket is composed, sent and
// deleted. Clears JobBusy before it gives the buttons back.
void PrintViaParallel(FrmMenu& frm);

}  // namespace qw77
