#include "tests/fakes/FakeParallelLink.h"

namespace qw77::testing {

Status FakeParallelLink::Open() {
  ++opens;
  return open_result;
}

Status FakeParallelLink::Refusal() {
  ++accesses_;
  if (refuse_all || (refuse_after >= 0 && accesses_ > refuse_after)) {
    return {ErrorCode::kIo, "the port refused the access"};
  }
  return Status::Ok();
}

Status FakeParallelLink::WriteData(std::uint8_t byte) {
  if (Status refused = Refusal(); !refused.ok()) return refused;
  log.push_back({ParallelEvent::kData, byte, {}});
  return Status::Ok();
}

Status FakeParallelLink::SetControl(const ParallelControlLines& lines) {
  if (Status refused = Refusal(); !refused.ok()) return refused;
  log.push_back({ParallelEvent::kControl, 0, lines});
  if (on_control) on_control(lines);
  return Status::Ok();
}

Result<ParallelStatusLines> FakeParallelLink::ReadStatus() {
  if (Status refused = Refusal(); !refused.ok()) return refused;
  log.push_back({ParallelEvent::kStatus, 0, {}});
  return on_status ? on_status() : status;
}

}  // namespace qw77::testing
