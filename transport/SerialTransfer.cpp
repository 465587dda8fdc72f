#include "transport/SerialTransfer.h"

#include <string>
#include <utility>
#include <vector>

#include "base/Wait.h"
#include "protocol/Commands.h"

namespace qw77 {
namespace {

// A byte waiting at the limit still counts: the data test comes before the time test.
WaitEnd AwaitAnyByte(SerialLink& link, Clock& clock) {
  return PollUntil(
      clock, kReplyLimit, kPollStep,
      [&] { return link.Available() != 0 ? Poll::kReady : Poll::kNotYet; }, NothingToPoll);
}

}  // namespace

ProbeResult ProbeSerial(SerialLink& link, Clock& clock, const SerialConfig& config) {
  auto failed = [](Status why) { return ProbeResult{ProbeEnd::kLayerFailure, std::move(why)}; };
  if (Status st = link.Open(WithFlow(config, FlowControl::kNone)); !st.ok()) return failed(st);
  std::size_t sent = 0;
  if (Status st = SendBytes(link, kProbe, sent); !st.ok()) return failed(st);

  if (AwaitAnyByte(link, clock) != WaitEnd::kReady) return {ProbeEnd::kSilent, {}};
  if (Status st = link.Open(WithFlow(config, FlowControl::kRtsCts)); !st.ok()) return failed(st);
  if (Status st = link.Close(); !st.ok()) return failed(st);
  return {ProbeEnd::kReply, {}};
}

Status OpenForTransfer(SerialLink& link, const SerialConfig& config) {
  return link.Open(WithFlow(config, FlowControl::kRtsCts));
}

Status SendBytes(SerialLink& link, std::span<const std::uint8_t> bytes, std::size_t& sent) {
  sent = 0;
  if (bytes.empty()) return Status::Ok();
  WriteResult result = link.Write(bytes);
  sent = result.written;
  if (!result.status.ok()) return result.status;
  if (sent != bytes.size()) {
    return {ErrorCode::kIo, "the port accepted " + std::to_string(sent) + " of " +
                                std::to_string(bytes.size()) + " bytes"};
  }
  return Status::Ok();
}

Exchange AskStatusReplies(SerialLink& link, Clock& clock, std::array<std::uint8_t, 4>& first,
                          Status& failure) {
  for (std::size_t n = 0; n < kStatusRequests.size(); ++n) {
    std::size_t sent = 0;
    failure = SendBytes(link, kStatusRequests[n], sent);
    if (!failure.ok()) return Exchange::kLinkFailed;
    if (AwaitAnyByte(link, clock) != WaitEnd::kReady) return Exchange::kTimedOut;
    // One read empties the buffer; only the first byte of a reply counts.
    std::vector<std::uint8_t> reply = link.Read();
    first[n] = reply.empty() ? 0 : reply.front();
  }
  return Exchange::kAnswered;
}

}  // namespace qw77
