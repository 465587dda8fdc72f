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

}  // namespace qw77
