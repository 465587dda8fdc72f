#include "jobs/StatusView.h"

#include <utility>

#include "form/FrmMenu.h"
#include "jobs/JobState.h"

namespace qw77 {

void ShowStatusFlags(FrmMenu& frm, const StatusFlags& flags) {
  // Each condition's check box, in the order the boxes have always been written.
  static constexpr std::pair<ControlId, bool StatusFlags::*> kBoxes[] = {
      {ControlId::kChkHead, &StatusFlags::paper_out_or_head_up},
      {ControlId::kChkCutter, &StatusFlags::cutter},
      {ControlId::kChkBM, &StatusFlags::black_mark},
      {ControlId::kChkTemp, &StatusFlags::temperature},
      {ControlId::kChkVp, &StatusFlags::head_voltage},
      {ControlId::kChkHard, &StatusFlags::hardware},
      {ControlId::kChkPNEnd, &StatusFlags::paper_near_end},
  };
  for (const auto& [box, flag] : kBoxes) frm.State().SetValue(box, flags.*flag ? 1 : 0);
}

void ShowStatus(FrmMenu& frm, const PrinterStatus& status) {
  if (status.asked == StatusAsked::kAnswered) ShowStatusFlags(frm, status.flags);
}

void EnableAfterStatus(FrmMenu& frm, bool no_error) {
  SetButtonsEnabled(frm, kStatusAnswered, true);
  if (no_error) SetButtonsEnabled(frm, kPrinterReady, true);
}

}  // namespace qw77
