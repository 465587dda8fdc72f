// The maintenance buttons: Save Settings, Autotest and Check Status, over either link.
#pragma once

#include "jobs/JobState.h"

namespace qw77 {

class FrmMenu;

// The three jobs, saying how they ended (the Cmd*_Click handlers below run them for the
// window; the shell front end reads the outcome).
JobReport RunSaveSettings(FrmMenu& frm);
JobReport RunAutotest(FrmMenu& frm);
JobReport RunCheckStatus(FrmMenu& frm);

// Stores the printer's current text settings in its memory (CR BEL CR). Serial: the three
// bytes after the probe; parallel: tempo.txt holding them and a line end, strobed out.
void CmdSettings_Click(FrmMenu& frm);

// Starts the printer's self test (BS). Serial: the one byte after the probe; parallel:
// tempo.txt holding CR BS CR and a line end, strobed out.
void CmdAutotest_Click(FrmMenu& frm);

// Asks the printer's status over the selected link into the check boxes and buttons.
void CmdCheck_Click(FrmMenu& frm);

}  // namespace qw77
