// Records every window-system call in order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/WindowServices.h"

namespace qw77::testing {

struct ShownMessage {
  std::string text;
  MessageIcon icon;
  std::string title;  // as shown: the application's title when the call named none
  std::string detail;
};

class FakeWindowServices : public WindowServices {
 public:
  void MsgBox(std::string_view text, MessageIcon icon, std::string_view title) override {
    std::string shown_title(title.empty() ? kAppTitle : title);
    messages.push_back({std::string(text), icon, shown_title, {}});
    calls.push_back("MsgBox:" + std::string(text));
  }
  void MsgBoxDetailed(std::string_view text, std::string_view detail, MessageIcon icon,
                      std::string_view title) override {
    MsgBox(text, icon, title);
    messages.back().detail = std::string(detail);
  }
  void DoEvents() override {
    ++do_events;
    if (on_do_events) on_do_events();
  }
  void SetMainWindowEnabled(bool enabled) override {
    window_enabled = enabled;
    calls.push_back(enabled ? "EnableWindow" : "DisableWindow");
  }
  void ShowAboutModal() override {
    calls.push_back("ShowAboutModal");
    if (on_show_about) on_show_about();
  }
  void CloseMainWindow() override {
    calls.push_back("CloseMainWindow");
    if (on_close) on_close();
  }
  void EndProgram() override {
    calls.push_back("EndProgram");
    program_ended = true;
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
  }

  std::vector<ShownMessage> messages;
  std::vector<std::string> calls;
  int do_events = 0;
  bool window_enabled = true;
  bool program_ended = false;
  std::function<void()> on_do_events;
  std::function<void()> on_show_about;
  std::function<void()> on_close;
};

}  // namespace qw77::testing
