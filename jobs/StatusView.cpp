#include "jobs/StatusView.h"

#include "form/FrmMenu.h"
#include "jobs/JobState.h"

namespace qw77 {

void ShowStatusFlags(FrmMenu& frm, const StatusFlags& flags) {
  WindowState& s = frm.State();
  s.SetValue("ChkHead", flags.ChkHead);
  s.SetValue("ChkCutter", flags.ChkCutter);
  s.SetValue("ChkBM", flags.ChkBM);
  s.SetValue("ChkTemp", flags.ChkTemp);
  s.SetValue("ChkVp", flags.ChkVp);
  s.SetValue("ChkHard", flags.ChkHard);
  s.SetValue("ChkPNEnd", flags.ChkPNEnd);
}

void EnableAfterStatus(FrmMenu& frm, bool no_error) {
  SetButtonsEnabled(frm, kStatusAnswered, true);
  if (no_error) SetButtonsEnabled(frm, kPrinterReady, true);
}

}  // namespace qw77
