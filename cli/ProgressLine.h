// A transfer's progress on a terminal: one line on standard error, redrawn in place a few
// times a second at most, and ended before anything else is written there.
#pragma once

#include <chrono>
#include <ostream>
#include <string>

#include "base/Progress.h"
#include "platform/Clock.h"

namespace qw77::cli {

// The shortest time between two drawings of the same line.
inline constexpr std::chrono::milliseconds kProgressRedraw{250};

class ProgressLine {
 public:
  // Draws on `err` only when `show` (standard error is a terminal and the output is not
  // JSON); `label` heads the line ("logo store", "COM1: print").
  ProgressLine(std::ostream& err, Clock& clock, bool show, std::string label);
  ~ProgressLine() { End(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // The callback a job reports to; empty when nothing is shown, so the job goes unwatched.
  Progress Watch();
  // Ends the line drawn so far, if one is open: a transfer cut short leaves it open, and
  // what is said next belongs on a line of its own.
  void End();

 private:
  void Update(std::size_t done, std::size_t total);

  std::ostream& err_;
  Clock& clock_;
  bool show_;
  std::string label_;
  bool open_ = false;            // a line is drawn and not ended yet
  Clock::TimePoint drawn_at_{};  // when it was drawn last
};

}  // namespace qw77::cli
