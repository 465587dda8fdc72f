#include "transport/SerialTransfer.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/Wait.h"
#include "protocol/Commands.h"
#include "protocol/StatusDecode.h"

namespace qw77 {
namespace {

// A byte waiting at the limit still counts: the data test comes before the time test. A
// printer that closed the connection sends nothing more: the wait ends there.
WaitEnd AwaitAnyByte(SerialLink& link, Clock& clock) {
  return PollUntil(
      clock, kReplyLimit, kPollStep,
      [&] {
        if (link.Available() != 0) return Poll::kReady;
        return link.LinkLost().ok() ? Poll::kNotYet : Poll::kAbort;
      },
      NothingToPoll);
}

}  // namespace

ProbeResult ProbeSerial(SerialLink& link, Clock& clock, const SerialConfig& config) {
  auto failed = [](Status why) { return ProbeResult{ProbeEnd::kLayerFailure, std::move(why), {}}; };
  if (Status st = link.Open(WithFlow(config, FlowControl::kNone)); !st.ok()) return failed(st);
  std::size_t sent = 0;
  if (Status st = SendBytes(link, kProbe, sent); !st.ok()) return failed(st);

  if (AwaitAnyByte(link, clock) != WaitEnd::kReady) return {ProbeEnd::kSilent, {}, {}};
  // A line that echoes (a loopback plug, a modem) answers with the request itself.
  std::vector<std::uint8_t> reply = link.Read();
  if (!reply.empty() && !IsStatusByte(reply.front())) {
    return {ProbeEnd::kNotAStatus, {}, std::move(reply)};
  }
  if (Status st = link.Open(WithFlow(config, FlowControl::kRtsCts)); !st.ok()) return failed(st);
  if (Status st = link.Close(); !st.ok()) return failed(st);
  return {ProbeEnd::kReply, {}, {}};
}

Status OpenForTransfer(SerialLink& link, const SerialConfig& config) {
  return link.Open(WithFlow(config, FlowControl::kRtsCts));
}

Status SendBytes(SerialLink& link, std::span<const std::uint8_t> bytes, std::size_t& sent,
                 const Progress& progress) {
  sent = 0;
  const std::size_t piece = progress ? kProgressStepBytes : bytes.size();
  while (sent < bytes.size()) {
    const std::size_t n = std::min(piece, bytes.size() - sent);
    const WriteResult result = link.Write(bytes.subspan(sent, n));
    sent += result.written;
    if (progress && result.written != 0) progress(sent, bytes.size());
    if (!result.status.ok()) return result.status;
    // A link that takes less than it was given without a reason has not sent the rest.
    if (result.written != n) {
      return {ErrorCode::kIo, "the port accepted " + std::to_string(sent) + " of " +
                                  std::to_string(bytes.size()) + " bytes"};
    }
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
    if (!reply.empty() && !IsStatusByte(reply.front())) return Exchange::kNotAStatus;
    first[n] = reply.empty() ? 0 : reply.front();
  }
  return Exchange::kAnswered;
}

}  // namespace qw77
