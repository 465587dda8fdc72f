#include "form/ScrollBars.h"

#include <string>

#include "form/FrmMenu.h"

namespace qw77 {
namespace {

void CopyBarToText(FrmMenu& frm, std::string_view bar, std::string_view text_box) {
  frm.State().SetText(text_box, std::to_string(frm.State().ScrollValue(bar)));
}

struct BarPair {
  std::string_view bar;
  void (*handler)(FrmMenu&);
};

constexpr BarPair kBars[] = {
    {"HscrXscale", HscrXscale_Change},   {"HscrYscale", HscrYscale_Change},
    {"HscrLinesp", HscrLinesp_Change},   {"HscrCharsp", HscrCharsp_Change},
    {"HscrLeftMgn", HscrLeftMgn_Change}, {"HscrDensity", HscrDensity_Change},
    {"HscrLines", HscrLines_Change},
};

}  // namespace

void HscrXscale_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrXscale", "TxtXScale");
}
void HscrYscale_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrYscale", "TxtYScale");
}
void HscrLinesp_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrLinesp", "TxtLinesp");
}
void HscrCharsp_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrCharsp", "TxtCharsp");
}
void HscrLeftMgn_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrLeftMgn", "TxtLeftMgn");
}
void HscrDensity_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrDensity", "TxtDensity");
}
void HscrLines_Change(FrmMenu& frm) {
  CopyBarToText(frm, "HscrLines", "TxtLines");
}

void RunScrollHandler(FrmMenu& frm, std::string_view bar) {
  for (const BarPair& pair : kBars) {
    if (pair.bar == bar) pair.handler(frm);
  }
}

}  // namespace qw77
