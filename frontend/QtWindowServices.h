// The window services the handlers call, over Qt: message boxes, yielding to the event
// loop, disabling the window, the About window, closing and ending.
#pragma once

#include <QPointer>

#include "frontend/MainWindow.h"
#include "platform/WindowServices.h"

namespace qw77::frontend {

class QtWindowServices : public WindowServices {
 public:
  // The main window owns the message boxes and the About window; until it is attached
  // they have no owner.
  void Attach(MainWindow* window) { window_ = window; }

  void MsgBox(std::string_view text, MessageIcon icon, std::string_view title) override;
  void MsgBoxDetailed(std::string_view text, std::string_view detail, MessageIcon icon,
                      std::string_view title) override;
  void DoEvents() override;
  void SetMainWindowEnabled(bool enabled) override;
  void ShowAboutModal() override;
  void CloseMainWindow() override;
  void EndProgram() override;

 private:
  QPointer<MainWindow> window_;
};

}  // namespace qw77::frontend
