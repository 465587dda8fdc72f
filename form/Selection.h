// The configuration column: options that act when they receive the focus, and Restore
// Default.
#pragma once

#include <string_view>

#include "form/ControlId.h"

namespace qw77 {

class FrmMenu;

void OptMech60_GotFocus(FrmMenu& frm);
void OptMech80_GotFocus(FrmMenu& frm);
void OptCOM0_GotFocus(FrmMenu& frm);
void OptCOM1_GotFocus(FrmMenu& frm);
void OptCOM2_GotFocus(FrmMenu& frm);
void OptLPT1_GotFocus(FrmMenu& frm);
void OptLPT2_GotFocus(FrmMenu& frm);
void Opt4800_GotFocus(FrmMenu& frm);
void Opt9600_GotFocus(FrmMenu& frm);
void Opt19200_GotFocus(FrmMenu& frm);
void Opt38400_GotFocus(FrmMenu& frm);
void OptEVEN_GotFocus(FrmMenu& frm);
void OptODD_GotFocus(FrmMenu& frm);
void OptNONE_GotFocus(FrmMenu& frm);

// Puts the configuration options back to their defaults. These are the program's own
// selections: no focus handler runs, so the margin range and the serial values stay.
void CmdRestore_Click(FrmMenu& frm);

// Runs the focus handler of the control with this key; nothing for a control without one.
void RunGotFocus(FrmMenu& frm, std::string_view key);
void RunGotFocus(FrmMenu& frm, ControlId control);

}  // namespace qw77
