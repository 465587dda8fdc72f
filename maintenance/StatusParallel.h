// The status read over a parallel port: one read of the status register, decoded into the
// check boxes; the buttons set by the outcome.
#pragma once

#include "maintenance/StatusFlags.h"

namespace qw77 {

class FrmMenu;

// Reads the selected LPT port's status register once; nothing is sent to the printer.
// A selection without a port shows "ERROR on parallel PORT selection" and leaves the
// buttons as for a printer without error.
void CheckStatusParallel(FrmMenu& frm);

}  // namespace qw77
