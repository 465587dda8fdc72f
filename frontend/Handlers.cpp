#include "frontend/Handlers.h"

#include <string>
#include <unordered_map>

#include "ui/About.h"
#include "ui/FrmMenu.h"
#include "ui/Selection.h"
#include "ui/StartUp.h"
#if __has_include("ticket/Barcode.h")
#include "ticket/Barcode.h"
#define QW77_HAVE_BARCODE 1
#endif
#if __has_include("maintenance/Actions.h")
#include "maintenance/Actions.h"
#include "ticket/PrintAction.h"
#define QW77_HAVE_JOBS 1
#endif

namespace qw77::frontend {
namespace {

using Handler = void (*)(FrmMenu&);

const std::unordered_map<std::string_view, Handler>& ClickHandlers() {
  static const std::unordered_map<std::string_view, Handler> handlers = {
      {"CmdExit", CmdExit_Click},           {"CmdRestore", CmdRestore_Click},
      {"CommandAbout", CommandAbout_Click},
#ifdef QW77_HAVE_JOBS
      {"CmdPrint", CmdPrint_Click},         {"CmdSettings", CmdSettings_Click},
      {"CmdAutotest", CmdAutotest_Click},   {"CmdCheck", CmdCheck_Click},
#endif
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

void RunLostFocus([[maybe_unused]] FrmMenu& frm, [[maybe_unused]] std::string_view key) {
#ifdef QW77_HAVE_BARCODE
  if (key == "Combo1") Combo1_LostFocus(frm);
#endif
}

void RunKeyDown([[maybe_unused]] FrmMenu& frm, [[maybe_unused]] std::int16_t& key_code,
                [[maybe_unused]] std::int16_t shift) {
#ifdef QW77_HAVE_BARCODE
  Form_KeyDown(frm, key_code, shift);
#endif
}

void RunKeyPress([[maybe_unused]] FrmMenu& frm, [[maybe_unused]] std::int16_t& key_ascii) {
#ifdef QW77_HAVE_BARCODE
  Form_KeyPress(frm, key_ascii);
#endif
}

void RunKeyUp([[maybe_unused]] FrmMenu& frm, [[maybe_unused]] std::int16_t& key_code,
              [[maybe_unused]] std::int16_t shift) {
#ifdef QW77_HAVE_BARCODE
  Form_KeyUp(frm, key_code, shift);
#endif
}

}  // namespace qw77::frontend
