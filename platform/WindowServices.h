// What the handlers need of the window system, in words the handlers use.
#pragma once

#include <string_view>

namespace qw77 {

enum class MessageIcon { kNone, kCritical };

// The application's title, shown on every message box that names no title of its own.
inline constexpr std::string_view kAppTitle = "QW77";

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  // Modal box with an OK button; returns when the operator has confirmed it.
  // An empty title means the application's title.
  virtual void MsgBox(std::string_view text, MessageIcon icon = MessageIcon::kNone,
                      std::string_view title = {}) = 0;
  // The same box with the cause behind it (the device, the system's error and what to do)
  // as its detailed text, out of the way until asked for. A window system without such a
  // place shows the box alone.
  virtual void MsgBoxDetailed(std::string_view text, std::string_view detail,
                              MessageIcon icon = MessageIcon::kNone, std::string_view title = {}) {
    (void)detail;
    MsgBox(text, icon, title);
  }
  // Lets the window process its pending events once.
  virtual void DoEvents() = 0;
  // A disabled main window takes no input but still repaints.
  virtual void SetMainWindowEnabled(bool enabled) = 0;
  // Shows the About window modally; returns when it has closed.
  virtual void ShowAboutModal() = 0;
  // Closes the main window; closing runs Form_Unload.
  virtual void CloseMainWindow() = 0;
  // Ends the program at once, without Form_Unload.
  virtual void EndProgram() = 0;
};

}  // namespace qw77
