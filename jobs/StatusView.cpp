#include "jobs/StatusView.h"

#include "form/FrmMenu.h"
#include "jobs/JobState.h"

namespace qw77 {

void ShowStatusFlags(FrmMenu& frm, const StatusFlags& flags) {
  WindowState& s = frm.State();
  s.SetValue(ControlId::kChkHead, flags.ChkHead);
  s.SetValue(ControlId::kChkCutter, flags.ChkCutter);
  s.SetValue(ControlId::kChkBM, flags.ChkBM);
  s.SetValue(ControlId::kChkTemp, flags.ChkTemp);
  s.SetValue(ControlId::kChkVp, flags.ChkVp);
  s.SetValue(ControlId::kChkHard, flags.ChkHard);
  s.SetValue(ControlId::kChkPNEnd, flags.ChkPNEnd);
}

void EnableAfterStatus(FrmMenu& frm, bool no_error) {
  SetButtonsEnabled(frm, kStatusAnswered, true);
  if (no_error) SetButtonsEnabled(frm, kPrinterReady, true);
}

}  // namespace qw77
