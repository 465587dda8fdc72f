// The messages a job shows the operator, kept for its report as they are shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowServices.h"

namespace qw77 {

class FrmMenu;

// For its lifetime, stands in front of the window's services: every message box still
// opens as before, and its text is kept, in order. Everything else passes straight on.
// One per job: the job's own steps run inside it.
class JobMessages : public WindowServices {
 public:
  explicit JobMessages(FrmMenu& frm);
  ~JobMessages() override;
  JobMessages(const JobMessages&) = delete;
  JobMessages& operator=(const JobMessages&) = delete;

  // The texts shown so far; the list is emptied.
  std::vector<std::string> Take() { return std::move(texts_); }

  void MsgBox(std::string_view text, MessageIcon icon, std::string_view title) override;
  void MsgBoxDetailed(std::string_view text, std::string_view detail, MessageIcon icon,
                      std::string_view title) override;
  void DoEvents() override { window_->DoEvents(); }
  void SetMainWindowEnabled(bool enabled) override { window_->SetMainWindowEnabled(enabled); }
  void ShowAboutModal() override { window_->ShowAboutModal(); }
  void CloseMainWindow() override { window_->CloseMainWindow(); }
  void EndProgram() override { window_->EndProgram(); }

 private:
  FrmMenu& frm_;
  WindowServices* window_;
  std::vector<std::string> texts_;
};

struct JobReport;

// Runs the job inside a JobMessages and puts the messages it showed into its report.
JobReport RunReported(FrmMenu& frm, JobReport (*job)(FrmMenu&));

}  // namespace qw77
