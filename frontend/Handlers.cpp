#include "frontend/Handlers.h"

#include <string>
#include <unordered_map>

#include "form/About.h"
#include "form/BarcodeKeys.h"
#include "form/FrmMenu.h"
#include "form/Selection.h"
#include "form/StartUp.h"
#include "jobs/Actions.h"
#include "jobs/PrintAction.h"

namespace qw77::frontend {
namespace {

using Handler = void (*)(FrmMenu&);

const std::unordered_map<ControlId, Handler>& ClickHandlers() {
  static const std::unordered_map<ControlId, Handler> handlers = {
      {ControlId::kCmdExit, CmdExit_Click},           {ControlId::kCmdRestore, CmdRestore_Click},
      {ControlId::kCommandAbout, CommandAbout_Click}, {ControlId::kCmdPrint, CmdPrint_Click},
      {ControlId::kCmdSettings, CmdSettings_Click},   {ControlId::kCmdAutotest, CmdAutotest_Click},
      {ControlId::kCmdCheck, CmdCheck_Click},
  };
  return handlers;
}

}  // namespace

bool RunFormLoad(FrmMenu& frm) {
  return Form_Load(frm);
}

void RunFormUnload(FrmMenu& frm) {
  Form_Unload(frm);
}

void RunClick(FrmMenu& frm, std::string_view key) {
  const std::optional<ControlId> control = FindControlId(key);
  if (!control) return;
  const auto& handlers = ClickHandlers();
  auto it = handlers.find(*control);
  if (it != handlers.end()) it->second(frm);
}

void RunGotFocus(FrmMenu& frm, std::string_view key) {
  qw77::RunGotFocus(frm, key);
}

void RunLostFocus(FrmMenu& frm, std::string_view key) {
  if (FindControlId(key) == ControlId::kCombo1) Combo1_LostFocus(frm);
}

void RunKeyDown(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift) {
  Form_KeyDown(frm, key_code, shift);
}

void RunKeyPress(FrmMenu& frm, std::int16_t& key_ascii) {
  Form_KeyPress(frm, key_ascii);
}

void RunKeyUp(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift) {
  Form_KeyUp(frm, key_code, shift);
}

}  // namespace qw77::frontend
