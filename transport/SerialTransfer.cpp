#include "transport/SerialTransfer.h"

#include <string>
#include <vector>

#include "base/Wait.h"
#include "protocol/Commands.h"

namespace qw77 {
namespace {

// A byte waiting at the limit still counts: the data test comes before the time test.
WaitEnd AwaitAnyByte(SerialControl& comm, Clock& clock) {
  return PollUntil(
      clock, kReplyLimit, kPollStep,
      [&] { return comm.InBufferCount() != 0 ? Poll::kReady : Poll::kNotYet; }, NothingToPoll);
}

}  // namespace

ProbeEnd ProbeSerial(SerialControl& comm, Clock& clock, std::string_view settings) {
  if (!comm.SetSettings(settings).ok()) return ProbeEnd::kLayerFailure;
  if (!comm.PortOpen() && !comm.SetPortOpen(true).ok()) return ProbeEnd::kLayerFailure;
  if (!comm.SetHandshaking(kHandshakeNone).ok()) return ProbeEnd::kLayerFailure;
  std::size_t sent = 0;
  if (!SendBytes(comm, kProbe, sent).ok()) return ProbeEnd::kLayerFailure;
  comm.SetInputLen(0);

  if (AwaitAnyByte(comm, clock) != WaitEnd::kReady) return ProbeEnd::kSilent;
  if (!comm.SetHandshaking(kHandshakeRtsCts).ok()) return ProbeEnd::kLayerFailure;
  if (!comm.SetPortOpen(false).ok()) return ProbeEnd::kLayerFailure;
  return ProbeEnd::kReply;
}

Status OpenForTransfer(SerialControl& comm) {
  if (!comm.PortOpen()) {
    if (Status opened = comm.SetPortOpen(true); !opened.ok()) return opened;
  }
  return comm.SetHandshaking(kHandshakeRtsCts);
}

Status SendBytes(SerialControl& comm, std::span<const std::uint8_t> bytes, std::size_t& sent) {
  sent = 0;
  if (bytes.empty()) return Status::Ok();
  WriteResult result = comm.Output(bytes);
  sent = result.written;
  if (!result.status.ok()) return result.status;
  if (sent != bytes.size()) {
    return {ErrorCode::kIo, "the port accepted " + std::to_string(sent) + " of " +
                                std::to_string(bytes.size()) + " bytes"};
  }
  return Status::Ok();
}

Exchange AskStatusReplies(SerialControl& comm, Clock& clock, std::array<std::uint8_t, 4>& first,
                          Status& failure) {
  for (std::size_t n = 0; n < kStatusRequests.size(); ++n) {
    std::size_t sent = 0;
    failure = SendBytes(comm, kStatusRequests[n], sent);
    if (!failure.ok()) return Exchange::kLinkFailed;
    comm.SetInputLen(0);
    if (AwaitAnyByte(comm, clock) != WaitEnd::kReady) return Exchange::kTimedOut;
    // One read empties the buffer; only the first byte of a reply counts.
    std::vector<std::uint8_t> reply = comm.Input();
    first[n] = reply.empty() ? 0 : reply.front();
  }
  return Exchange::kAnswered;
}

}  // namespace qw77
