#include "form/FrmMenu.h"

#include <stdexcept>

#include "form/ScrollBars.h"

namespace qw77 {

FrmMenu::FrmMenu(Services services) : services_(services) {
  AddFrmMenuControls(state_);
  state_.SetFocused("CmdExit");
  state_.OnScrollChange([this](const Control& bar) { RunScrollHandler(*this, bar.name); });
}

SerialLink& FrmMenu::MSComm(int number) {
  if (number < 1 || number > 3 || services_.serial[number - 1] == nullptr) {
    throw std::out_of_range("no serial control MSComm" + std::to_string(number));
  }
  return *services_.serial[number - 1];
}

const std::vector<std::string>& FrmMenu::TabOrder() {
  static const std::vector<std::string> order = {
      "CmdExit",      "OptMech60",    "OptMech80",  "OptCOM0",    "OptCOM1",    "OptCOM2",
      "OptLPT1",      "OptLPT2",      "Opt4800",    "Opt9600",    "Opt19200",   "Opt38400",
      "OptODD",       "OptEVEN",      "OptNONE",    "OptEight",   "OptOne",     "CmdRestore",
      "CmdCheck",     "ChkHead",      "ChkVp",      "ChkCutter",  "ChkBM",      "ChkTemp",
      "ChkHard",      "ChkPNEnd",     "TxtSample",  "TxtXScale",  "HscrXscale", "TxtYScale",
      "HscrYscale",   "CmdPrint",     "TxtLinesp",  "HscrLinesp", "TxtCharsp",  "HscrCharsp",
      "TxtLeftMgn",   "HscrLeftMgn",  "TxtLines",   "HscrLines",  "TxtDensity", "HscrDensity",
      "CmdSettings",  "Opt50mm",      "Opt80mm",    "Opt100mm",   "Opt150mm",   "CmdAutotest",
      "CommandAbout", "TxtBarCode",   "ChkBarCode", "Combo1",     "Option1(2)", "Option1(1)",
      "Option1(0)",   "CheckGraphic", "OptFontA",   "OptFontB",
  };
  return order;
}

}  // namespace qw77
