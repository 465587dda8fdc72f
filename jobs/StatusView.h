// A decoded status shown in the window: the check boxes and the buttons it leaves.
#pragma once

#include "protocol/StatusDecode.h"

namespace qw77 {

class FrmMenu;

// Writes the seven check boxes.
void ShowStatusFlags(FrmMenu& frm, const StatusFlags& flags);

// The buttons after a status request that got an answer: CmdRestore and CmdCheck, and
// CmdPrint and CmdAutotest only for a printer that reports no error. CmdSettings stays off.
void EnableAfterStatus(FrmMenu& frm, bool no_error);

// How a serial status request ended, for a job that runs one before it prints.
enum class StatusOutcome {
  kProbeFailed,   // the probe before it failed (its message shown)
  kNoAnswer,      // a reply did not begin in time, or the link failed during the exchange
  kPrinterError,  // decoded, with an error flag
  kReady,         // decoded, no error (paper-near-end at most)
};

}  // namespace qw77
