#include "form/Selection.h"

#include "form/FrmMenu.h"

namespace qw77 {
namespace {

// The serial line options, in the order they are enabled and disabled.
constexpr std::string_view kLineOptions[] = {"Opt4800",  "Opt9600",  "Opt19200",
                                             "Opt38400", "OptEVEN",  "OptODD",
                                             "OptNONE",  "OptEight", "OptOne"};

void EnableLineOptions(FrmMenu& frm, bool enabled) {
  for (std::string_view key : kLineOptions) frm.State().SetEnabled(key, enabled);
}

void SetMarginRange(FrmMenu& frm, const char* caption, int maximum) {
  frm.State().SetCaption("LblLeftMargin", caption);
  frm.State().SetScrollMaximum("HscrLeftMgn", maximum);
}

struct FocusHandler {
  std::string_view key;
  void (*handler)(FrmMenu&);
};

constexpr FocusHandler kFocusHandlers[] = {
    {"OptMech60", OptMech60_GotFocus}, {"OptMech80", OptMech80_GotFocus},
    {"OptCOM0", OptCOM0_GotFocus},     {"OptCOM1", OptCOM1_GotFocus},
    {"OptCOM2", OptCOM2_GotFocus},     {"OptLPT1", OptLPT1_GotFocus},
    {"OptLPT2", OptLPT2_GotFocus},     {"Opt4800", Opt4800_GotFocus},
    {"Opt9600", Opt9600_GotFocus},     {"Opt19200", Opt19200_GotFocus},
    {"Opt38400", Opt38400_GotFocus},   {"OptEVEN", OptEVEN_GotFocus},
    {"OptODD", OptODD_GotFocus},       {"OptNONE", OptNONE_GotFocus},
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
  state.Select("OptMech60");
  state.Select("Opt150mm");
  state.Select("OptCOM0");
  state.Select("Opt9600");
  state.Select("OptNONE");
  EnableLineOptions(frm, true);
}

void RunGotFocus(FrmMenu& frm, std::string_view key) {
  for (const FocusHandler& entry : kFocusHandlers) {
    if (entry.key == key) {
      entry.handler(frm);
      return;
    }
  }
}

}  // namespace qw77
