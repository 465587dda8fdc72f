#include "jobs/JobState.h"

namespace qw77 {

void ButtonStates::Set(JobButtons buttons, bool enabled) {
  for (std::size_t i = 0; i < kJobButtonCount; ++i) {
    if (buttons.Has(static_cast<JobButton>(i))) states_[i] = enabled;
  }
}

std::vector<std::string> JobReport::MessageTexts() const {
  std::vector<std::string> texts;
  for (const JobMessage& m : messages) texts.push_back(m.text);
  return texts;
}

void JobRun::Tell(std::string_view text, std::string_view detail, MessageIcon icon,
                  std::string_view title) {
  report_.messages.push_back(
      {std::string(text), std::string(detail), icon, std::string(title), false});
}

JobReport JobRun::Finish(const JobReport& outcome) {
  report_.end = outcome.end;
  report_.bytes_sent = outcome.bytes_sent;
  report_.status = outcome.status;
  return report_;
}

void ShowNewMessages(JobReport& report, WindowServices& window) {
  for (JobMessage& m : report.messages) {
    if (m.shown) continue;
    m.shown = true;
    if (m.detail.empty()) {
      window.MsgBox(m.text, m.icon, m.title);
    } else {
      window.MsgBoxDetailed(m.text, m.detail, m.icon, m.title);
    }
  }
}

JobReport RunJob(Job job, const JobInputs& in, JobHost& host) {
  JobRun run(host);
  return run.Finish(job(in, run));
}

void EnableAfterStatus(JobRun& run, bool no_error) {
  run.Buttons(kStatusAnswered, true);
  if (no_error) run.Buttons(kPrinterReady, true);
}

Result<SpoolLock> HoldSpoolFile(const JobInputs& in, JobRun& run) {
  Result<SpoolLock> lock = in.clock == nullptr
                               ? TryLockSpoolFile(in.spool_file)
                               : LockSpoolFile(in.spool_file, *in.clock, kSpoolWaitLimit,
                                               [&run] { run.Host().TakeEvents(); });
  if (!lock) run.Tell(lock.status().message() + " Nothing was sent.");
  return lock;
}

JobEnd SpoolNotHeld(const Status& why) {
  return why.code() == ErrorCode::kBusy ? JobEnd::kSpoolInUse : JobEnd::kNotStarted;
}

}  // namespace qw77
