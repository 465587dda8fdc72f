#include "vprinter/printer/StatusModel.h"

#include <algorithm>

namespace qw77::vprinter {

std::optional<std::uint8_t> StatusModel::AnswerRequest(int n) {
  if (!MayAnswer()) return std::nullopt;
  return SerialReply(n);
}

bool StatusModel::MayAnswer() {
  ++requests_seen_;
  if (faults_.silent) return false;
  if (faults_.answer_limit >= 0 && requests_answered_ >= faults_.answer_limit) return false;
  ++requests_answered_;
  return true;
}

std::size_t StatusModel::ReadAllowance(long received, std::size_t want) const {
  for (long limit : {faults_.stall_after_bytes, faults_.hang_up_after_bytes}) {
    if (limit >= 0)
      want = std::min<std::size_t>(want, static_cast<std::size_t>(std::max(0L, limit - received)));
  }
  return want;
}

}  // namespace qw77::vprinter
