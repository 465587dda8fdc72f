// The parallel jobs: the status read, the transfer of the spool file and the print job,
// with what the operator is told.
#pragma once

#include "jobs/JobState.h"
#include "transport/ParallelPort.h"

namespace qw77 {

class FrmMenu;

// The job's parallel port access. A refused access is fatal: the report then carries
// "Hardware port error" and says the access was refused (the window closes and the program
// ends); from then on, as once the host is ending, no access touches the hardware.
ParallelPort JobParallelPort(const JobInputs& in, JobRun& run);
// True once the job's port access was refused or the host is ending.
bool ParallelEnded(JobRun& run);

// The same access for the window outside a job: a refusal is shown at once, the main window
// closed and frm.program_ending set.
ParallelPort WindowParallelPort(FrmMenu& frm);

// Reads the selected LPT port's status register once; nothing is sent to the printer.
// A selection without a port tells "ERROR on parallel PORT selection" (at once: a print
// goes on after it) and leaves the buttons as for a printer without error. The report
// holds the status read.
JobReport CheckStatusParallel(const JobInputs& in, JobRun& run);

// Strobes every byte of the spool file out to the selected LPT port, waiting for the
// printer's not-busy line (status bit 7) before each byte, at most kReplyLimit per byte.
// The wait lets the window take its events once per pass. kNotStarted without a message
// when no parallel port is selected, kPortUnusable when it has no base address;
// "Timeout ERROR on parallel port" when a byte was not taken in time (nothing after it is
// sent). Does not delete the file.
JobReport SendSpoolParallel(const JobInputs& in, JobRun& run);

// The print job over LPT1 or LPT2: status first, then the ticket is composed, sent and
// deleted.
JobReport PrintViaParallel(const JobInputs& in, JobRun& run);

}  // namespace qw77
