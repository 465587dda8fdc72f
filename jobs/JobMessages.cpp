#include "jobs/JobMessages.h"

#include "form/FrmMenu.h"
#include "jobs/JobState.h"

namespace qw77 {

JobMessages::JobMessages(FrmMenu& frm) : frm_(frm), window_(frm.Svc().window) {
  frm_.Svc().window = this;
}

JobMessages::~JobMessages() {
  frm_.Svc().window = window_;
}

void JobMessages::MsgBox(std::string_view text, MessageIcon icon, std::string_view title) {
  texts_.emplace_back(text);
  window_->MsgBox(text, icon, title);
}

void JobMessages::MsgBoxDetailed(std::string_view text, std::string_view detail, MessageIcon icon,
                                 std::string_view title) {
  texts_.emplace_back(text);
  window_->MsgBoxDetailed(text, detail, icon, title);
}

JobReport RunReported(FrmMenu& frm, JobReport (*job)(FrmMenu&)) {
  JobMessages shown(frm);
  JobReport report = job(frm);
  report.messages = shown.Take();
  return report;
}

}  // namespace qw77
