// The seven parameter bars: each change writes the bar's value into its text box.
#pragma once

#include <string_view>

#include "form/ControlId.h"

namespace qw77 {

class FrmMenu;

void HscrXscale_Change(FrmMenu& frm);
void HscrYscale_Change(FrmMenu& frm);
void HscrLinesp_Change(FrmMenu& frm);
void HscrCharsp_Change(FrmMenu& frm);
void HscrLeftMgn_Change(FrmMenu& frm);
void HscrDensity_Change(FrmMenu& frm);
void HscrLines_Change(FrmMenu& frm);

// Runs the value-changed handler of the named bar (nothing for another name).
void RunScrollHandler(FrmMenu& frm, std::string_view bar);
void RunScrollHandler(FrmMenu& frm, ControlId bar);

}  // namespace qw77
