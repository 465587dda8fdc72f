#include "form/Selection.h"

#include "form/FrmMenu.h"

namespace qw77 {
namespace {

// The serial line options, in the order they are enabled and disabled.
constexpr ControlId kLineOptions[] = {
    ControlId::kOpt4800,  ControlId::kOpt9600,  ControlId::kOpt19200,
    ControlId::kOpt38400, ControlId::kOptEVEN,  ControlId::kOptODD,
    ControlId::kOptNONE,  ControlId::kOptEight, ControlId::kOptOne};

void EnableLineOptions(FrmMenu& frm, bool enabled) {
  for (ControlId key : kLineOptions) frm.State().SetEnabled(key, enabled);
}

void SetMarginRange(FrmMenu& frm, const char* caption, int maximum) {
  frm.State().SetCaption(ControlId::kLblLeftMargin, caption);
  frm.State().SetScrollMaximum(ControlId::kHscrLeftMgn, maximum);
}

struct FocusHandler {
  ControlId control;
  void (*handler)(FrmMenu&);
};

constexpr FocusHandler kFocusHandlers[] = {
    {ControlId::kOptMech60, OptMech60_GotFocus}, {ControlId::kOptMech80, OptMech80_GotFocus},
    {ControlId::kOptCOM0, OptCOM0_GotFocus},     {ControlId::kOptCOM1, OptCOM1_GotFocus},
    {ControlId::kOptCOM2, OptCOM2_GotFocus},     {ControlId::kOptLPT1, OptLPT1_GotFocus},
    {ControlId::kOptLPT2, OptLPT2_GotFocus},     {ControlId::kOpt4800, Opt4800_GotFocus},
    {ControlId::kOpt9600, Opt9600_GotFocus},     {ControlId::kOpt19200, Opt19200_GotFocus},
    {ControlId::kOpt38400, Opt38400_GotFocus},   {ControlId::kOptEVEN, OptEVEN_GotFocus},
    {ControlId::kOptODD, OptODD_GotFocus},       {ControlId::kOptNONE, OptNONE_GotFocus},
};

}  // namespace

void OptMech60_GotFocus(FrmMenu& frm) {
  SetMarginRange(frm, "Left Margin (1 to 448)", 448);
}
void OptMech80_GotFocus(FrmMenu& frm) {
  SetMarginRange(frm, "Left Margin (1 to 576)", 576);
}

void OptCOM0_GotFocus(FrmMenu& frm) {
  EnableLineOptions(frm, true);
}
void OptCOM1_GotFocus(FrmMenu& frm) {
  EnableLineOptions(frm, true);
}
void OptCOM2_GotFocus(FrmMenu& frm) {
  EnableLineOptions(frm, true);
}
void OptLPT1_GotFocus(FrmMenu& frm) {
  EnableLineOptions(frm, false);
}
void OptLPT2_GotFocus(FrmMenu& frm) {
  EnableLineOptions(frm, false);
}

void Opt4800_GotFocus(FrmMenu& frm) {
  frm.SerialBaud = "4800";
}
void Opt9600_GotFocus(FrmMenu& frm) {
  frm.SerialBaud = "9600";
}
void Opt19200_GotFocus(FrmMenu& frm) {
  frm.SerialBaud = "19200";
}
void Opt38400_GotFocus(FrmMenu& frm) {
  frm.SerialBaud = "38400";
}
void OptEVEN_GotFocus(FrmMenu& frm) {
  frm.SerialParity = "E";
}
void OptODD_GotFocus(FrmMenu& frm) {
  frm.SerialParity = "O";
}
void OptNONE_GotFocus(FrmMenu& frm) {
  frm.SerialParity = "N";
}

void CmdRestore_Click(FrmMenu& frm) {
  WindowState& state = frm.State();
  state.Select(ControlId::kOptMech60);
  state.Select(ControlId::kOpt150mm);
  state.Select(ControlId::kOptCOM0);
  state.Select(ControlId::kOpt9600);
  state.Select(ControlId::kOptNONE);
  EnableLineOptions(frm, true);
}

void RunGotFocus(FrmMenu& frm, std::string_view key) {
  if (const std::optional<ControlId> control = FindControlId(key)) RunGotFocus(frm, *control);
}

void RunGotFocus(FrmMenu& frm, ControlId control) {
  for (const FocusHandler& entry : kFocusHandlers) {
    if (entry.control == control) {
      entry.handler(frm);
      return;
    }
  }
}

}  // namespace qw77
