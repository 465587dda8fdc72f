#include "link/JobState.h"

#include "ui/FrmMenu.h"

namespace qw77 {

void SetButtonsEnabled(FrmMenu& frm, std::initializer_list<std::string_view> names, bool enabled) {
  for (std::string_view name : names) frm.State().SetEnabled(name, enabled);
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

}  // namespace qw77
