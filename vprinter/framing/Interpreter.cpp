#include "vprinter/framing/Interpreter.h"

#include <algorithm>

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
    if (skip_left_ > 0) {
      const std::size_t n = std::min(skip_left_, pending_.size() - start_);
      start_ += n;
      offset_ += n;
      skip_left_ -= n;
      continue;
    }
    const std::span<const std::uint8_t> head(pending_.data() + start_, pending_.size() - start_);
    const Match m = MatchCommand(head, at_end);
    // Checked whether or not the whole command is here yet, so that how the stream was cut
    // into pieces makes no difference.
    const std::size_t length = m.kind == Match::kCommand    ? m.length
                               : m.kind == Match::kNeedMore ? m.needed
                                                            : 0;
    if (m.def && length > kMaxCommandBytes) {
      sink_.OnOverlong(*m.def, offset_, head, length);
      skip_def_ = m.def;
      skip_offset_ = offset_;
      skip_length_ = length;
      skip_left_ = length;
      continue;
    }
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
        sink_.OnTruncated(m.def, offset_, bytes, bytes.size(), m.needed);
        break;
      case Match::kNeedMore:
        break;
    }
    start_ += m.length;
    offset_ += m.length;
  }
  if (at_end && skip_left_ > 0) {
    sink_.OnTruncated(skip_def_, skip_offset_, {}, skip_length_ - skip_left_, skip_length_);
    skip_left_ = 0;
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
