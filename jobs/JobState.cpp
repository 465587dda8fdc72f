#include "jobs/JobState.h"

#include "form/FrmMenu.h"

namespace qw77 {

ControlId ButtonControl(JobButton button) {
  switch (button) {
    case JobButton::kRestore:
      return ControlId::kCmdRestore;
    case JobButton::kSettings:
      return ControlId::kCmdSettings;
    case JobButton::kPrint:
      return ControlId::kCmdPrint;
    case JobButton::kAutotest:
      return ControlId::kCmdAutotest;
    case JobButton::kCheck:
      return ControlId::kCmdCheck;
  }
  return ControlId::kCmdPrint;
}

void SetButtonsEnabled(FrmMenu& frm, JobButtons buttons, bool enabled) {
  for (JobButton b : {JobButton::kRestore, JobButton::kSettings, JobButton::kPrint,
                      JobButton::kAutotest, JobButton::kCheck}) {
    if (buttons.Has(b)) frm.State().SetEnabled(ButtonControl(b), enabled);
  }
}

bool JobRefused(const FrmMenu& frm) {
  return frm.JobBusy != 0 || frm.program_ending;
}

JobBusyMark::JobBusyMark(FrmMenu& frm) : frm_(frm) {
  frm_.JobBusy = 1;
}
JobBusyMark::~JobBusyMark() {
  frm_.JobBusy = 0;
}

int SelectedSerialPort(const FrmMenu& frm) {
  const WindowState& s = frm.State();
  if (s.Selected(ControlId::kOptCOM0)) return 1;
  if (s.Selected(ControlId::kOptCOM1)) return 2;
  if (s.Selected(ControlId::kOptCOM2)) return 3;
  return 0;
}

int SelectedParallelPort(const FrmMenu& frm) {
  const WindowState& s = frm.State();
  if (s.Selected(ControlId::kOptLPT1)) return 1;
  if (s.Selected(ControlId::kOptLPT2)) return 2;
  return 0;
}

std::string SerialSettingsString(const FrmMenu& frm) {
  return frm.SerialBaud + "," + frm.SerialParity + ",8,1";
}

}  // namespace qw77
