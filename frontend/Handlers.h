// Which handler of the core each gesture on the main window runs. The window calls these
// and nothing else; every rule lives in the handlers.
#pragma once

#include <cstdint>
#include <string_view>

namespace qw77 {
class FrmMenu;
}  // namespace qw77

namespace qw77::frontend {

bool RunFormLoad(FrmMenu& frm);
void RunFormUnload(FrmMenu& frm);

// A click on the command button with this key; nothing for a control without a handler.
void RunClick(FrmMenu& frm, std::string_view key);
// The control with this key received the focus from the operator (click, Tab, arrow).
void RunGotFocus(FrmMenu& frm, std::string_view key);
// The control with this key lost the focus to another control of the window.
void RunLostFocus(FrmMenu& frm, std::string_view key);

void RunKeyDown(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift);
void RunKeyPress(FrmMenu& frm, std::int16_t& key_ascii);
void RunKeyUp(FrmMenu& frm, std::int16_t& key_code, std::int16_t shift);

}  // namespace qw77::frontend
