#include "form/FrmMenu.h"

#include <stdexcept>
#include <utility>

#include "form/ScrollBars.h"

namespace qw77 {

FrmMenu::FrmMenu(Services services) : services_(services) {
  AddFrmMenuControls(state_);
  state_.SetFocused(ControlKey(ControlName(ControlId::kCmdExit)));
  state_.OnScrollChange([this](const Control& bar) { RunScrollHandler(*this, bar.id); });
}

SerialLink& FrmMenu::MSComm(int number) {
  if (number < 1 || number > 3 || services_.serial[number - 1] == nullptr) {
    throw std::out_of_range("no serial control MSComm" + std::to_string(number));
  }
  return *services_.serial[number - 1];
}

const std::vector<std::string>& FrmMenu::TabOrder() {
  static const std::vector<std::string> order = [] {
    using enum ControlId;
    const std::pair<ControlId, int> controls[] = {
        {kCmdExit, -1},      {kOptMech60, -1},   {kOptMech80, -1},   {kOptCOM0, -1},
        {kOptCOM1, -1},      {kOptCOM2, -1},     {kOptLPT1, -1},     {kOptLPT2, -1},
        {kOpt4800, -1},      {kOpt9600, -1},     {kOpt19200, -1},    {kOpt38400, -1},
        {kOptODD, -1},       {kOptEVEN, -1},     {kOptNONE, -1},     {kOptEight, -1},
        {kOptOne, -1},       {kCmdRestore, -1},  {kCmdCheck, -1},    {kChkHead, -1},
        {kChkVp, -1},        {kChkCutter, -1},   {kChkBM, -1},       {kChkTemp, -1},
        {kChkHard, -1},      {kChkPNEnd, -1},    {kTxtSample, -1},   {kTxtXScale, -1},
        {kHscrXscale, -1},   {kTxtYScale, -1},   {kHscrYscale, -1},  {kCmdPrint, -1},
        {kTxtLinesp, -1},    {kHscrLinesp, -1},  {kTxtCharsp, -1},   {kHscrCharsp, -1},
        {kTxtLeftMgn, -1},   {kHscrLeftMgn, -1}, {kTxtLines, -1},    {kHscrLines, -1},
        {kTxtDensity, -1},   {kHscrDensity, -1}, {kCmdSettings, -1}, {kOpt50mm, -1},
        {kOpt80mm, -1},      {kOpt100mm, -1},    {kOpt150mm, -1},    {kCmdAutotest, -1},
        {kCommandAbout, -1}, {kTxtBarCode, -1},  {kChkBarCode, -1},  {kCombo1, -1},
        {kOption1, 2},       {kOption1, 1},      {kOption1, 0},      {kCheckGraphic, -1},
        {kOptFontA, -1},     {kOptFontB, -1},
    };
    std::vector<std::string> keys;
    for (const auto& [id, index] : controls) keys.push_back(ControlKey(ControlName(id), index));
    return keys;
  }();
  return order;
}

}  // namespace qw77
