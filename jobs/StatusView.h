// A printer's status drawn into the window: the check boxes and the buttons it leaves.
#pragma once

#include "jobs/JobState.h"
#include "protocol/StatusDecode.h"

namespace qw77 {

class FrmMenu;

// Writes the seven check boxes.
void ShowStatusFlags(FrmMenu& frm, const StatusFlags& flags);
// The check boxes of an answered status; a status not asked or not answered leaves them.
void ShowStatus(FrmMenu& frm, const PrinterStatus& status);

// The buttons after a status request that got an answer: CmdRestore and CmdCheck, and
// CmdPrint and CmdAutotest only for a printer that reports no error. CmdSettings stays off.
void EnableAfterStatus(FrmMenu& frm, bool no_error);

}  // namespace qw77
