#include "vprinter/Interpreter.h"

namespace qw77::vprinter {

void Interpreter::Feed(std::span<const std::uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  Drain(false);
}

void Interpreter::Finish() {
  Drain(true);
}

void Interpreter::Drain(bool at_end) {
  while (start_ < pending_.size()) {
    const std::span<const std::uint8_t> head(pending_.data() + start_, pending_.size() - start_);
    const Match m = MatchCommand(head, at_end);
    if (m.kind == Match::kNeedMore) break;
    const auto bytes = head.first(m.length);
    switch (m.kind) {
      case Match::kCommand:
        sink_.OnCommand(*m.def, offset_, bytes);
        break;
      case Match::kText:
        sink_.OnText(offset_, bytes[0]);
        break;
      case Match::kUnknown:
        sink_.OnUnknown(offset_, bytes);
        break;
      case Match::kTruncated:
        sink_.OnTruncated(m.def, offset_, bytes, m.needed);
        break;
      case Match::kNeedMore:
        break;
    }
    start_ += m.length;
    offset_ += m.length;
  }
  // Keep the buffer from growing with the stream: drop what has been handed on.
  if (start_ == pending_.size()) {
    pending_.clear();
    start_ = 0;
  } else if (start_ > 4096 && start_ * 2 > pending_.size()) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
}

}  // namespace qw77::vprinter
