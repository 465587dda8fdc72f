#include "form/ScrollBars.h"

#include <string>

#include "form/FrmMenu.h"

namespace qw77 {
namespace {

void CopyBarToText(FrmMenu& frm, ControlId bar, ControlId text_box) {
  frm.State().SetText(text_box, std::to_string(frm.State().ScrollValue(bar)));
}

struct BarPair {
  ControlId bar;
  void (*handler)(FrmMenu&);
};

constexpr BarPair kBars[] = {
    {ControlId::kHscrXscale, HscrXscale_Change},   {ControlId::kHscrYscale, HscrYscale_Change},
    {ControlId::kHscrLinesp, HscrLinesp_Change},   {ControlId::kHscrCharsp, HscrCharsp_Change},
    {ControlId::kHscrLeftMgn, HscrLeftMgn_Change}, {ControlId::kHscrDensity, HscrDensity_Change},
    {ControlId::kHscrLines, HscrLines_Change},
};

}  // namespace

void HscrXscale_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrXscale, ControlId::kTxtXScale);
}
void HscrYscale_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrYscale, ControlId::kTxtYScale);
}
void HscrLinesp_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrLinesp, ControlId::kTxtLinesp);
}
void HscrCharsp_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrCharsp, ControlId::kTxtCharsp);
}
void HscrLeftMgn_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrLeftMgn, ControlId::kTxtLeftMgn);
}
void HscrDensity_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrDensity, ControlId::kTxtDensity);
}
void HscrLines_Change(FrmMenu& frm) {
  CopyBarToText(frm, ControlId::kHscrLines, ControlId::kTxtLines);
}

void RunScrollHandler(FrmMenu& frm, std::string_view bar) {
  if (const std::optional<ControlId> control = FindControlId(bar)) RunScrollHandler(frm, *control);
}

void RunScrollHandler(FrmMenu& frm, ControlId bar) {
  for (const BarPair& pair : kBars) {
    if (pair.bar == bar) pair.handler(frm);
  }
}

}  // namespace qw77
