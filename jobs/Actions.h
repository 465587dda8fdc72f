// The maintenance buttons: Save Settings, Autotest and Check Status, over either link.
#pragma once

#include "jobs/JobState.h"

namespace qw77 {

class FrmMenu;

// Stores the printer's current text settings in its memory (CR BEL CR). Serial: the three
// bytes after the probe; parallel: the spool file holding them and a line end, strobed out.
JobReport SaveSettingsJob(const JobInputs& in, JobRun& run);
// Starts the printer's self test (BS). Serial: the one byte after the probe; parallel: the
// spool file holding CR BS CR and a line end, strobed out.
JobReport AutotestJob(const JobInputs& in, JobRun& run);
// Asks the printer's status over the selected link.
JobReport CheckStatusJob(const JobInputs& in, JobRun& run);

// The three jobs run for the window (declined while another runs), their reports drawn into
// its controls and returned.
JobReport RunSaveSettings(FrmMenu& frm);
JobReport RunAutotest(FrmMenu& frm);
JobReport RunCheckStatus(FrmMenu& frm);

void CmdSettings_Click(FrmMenu& frm);
void CmdAutotest_Click(FrmMenu& frm);
void CmdCheck_Click(FrmMenu& frm);

}  // namespace qw77
