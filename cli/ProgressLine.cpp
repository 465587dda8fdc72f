#include "cli/ProgressLine.h"

#include <utility>

#include "cli/Interrupt.h"

namespace qw77::cli {

ProgressLine::ProgressLine(std::ostream& err, Clock& clock, bool show, std::string label)
    : err_(err), clock_(clock), show_(show), label_(std::move(label)) {}

Progress ProgressLine::Watch() {
  if (!show_) return {};
  return [this](std::size_t done, std::size_t total) { Update(done, total); };
}

// The first figures and the last are always drawn; those between only once the line has
// stood for kProgressRedraw, so that a fast link is not slowed by its terminal.
void ProgressLine::Update(std::size_t done, std::size_t total) {
  const bool last = done >= total;
  const Clock::TimePoint now = clock_.Now();
  if (open_ && !last && now - drawn_at_ < kProgressRedraw) return;
  drawn_at_ = now;
  open_ = true;
  NoteProgressLineOpen(true);
  err_ << "\r" << label_ << ": " << done << " of " << total << " bytes ("
       << (total ? done * 100 / total : 100) << "%)" << std::flush;
  if (last) End();
}

void ProgressLine::End() {
  if (!open_) return;
  err_ << "\n" << std::flush;
  open_ = false;
  NoteProgressLineOpen(false);
}

}  // namespace qw77::cli
