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

const std::unordered_map<std::string_view, Handler>& ClickHandlers() {
  static const std::unordered_map<std::string_view, Handler> handlers = {
      {"CmdExit", CmdExit_Click},           {"CmdRestore", CmdRestore_Click},
      {"CommandAbout", CommandAbout_Click}, {"CmdPrint", CmdPrint_Click},
      {"CmdSettings", CmdSettings_Click},   {"CmdAutotest", CmdAutotest_Click},
      {"CmdCheck", CmdCheck_Click},
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
  const auto& handlers = ClickHandlers();
  auto it = handlers.find(key);
  if (it != handlers.end()) it->second(frm);
}

void RunGotFocus(FrmMenu& frm, std::string_view key) {
  qw77::RunGotFocus(frm, key);
}

void RunLostFocus(FrmMenu& frm, std::string_view key) {
  if (key == "Combo1") Combo1_LostFocus(frm);
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
