// Byte-level work on one serial control: the probe that opens every serial job, a transfer
// with RTS/CTS, and the four-request status exchange. Nothing here knows the window: the
// jobs decide what an outcome means for the operator.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/Status.h"
#include "platform/Clock.h"
#include "transport/Limits.h"
#include "platform/SerialControl.h"

namespace qw77 {

enum class ProbeEnd {
  kReply,         // a byte came back; the port is closed again with RTS/CTS selected
  kSilent,        // nothing within kReplyLimit; the port is left open
  kLayerFailure,  // a setting was refused or the device could not be opened or written
};

struct ProbeResult {
  ProbeEnd end = ProbeEnd::kReply;
  Status failure;  // why, for kLayerFailure
};

// Applies `settings` (as SerialControl::SetSettings takes them), opens the port if needed,
// sends the probe with no flow control and waits up to kReplyLimit for any byte. The reply
// is never read. The waits do not yield.
ProbeResult ProbeSerial(SerialControl& comm, Clock& clock, std::string_view settings);

// Opens the control for a transfer if it is closed and selects RTS/CTS flow control.
Status OpenForTransfer(SerialControl& comm);

// Hands `bytes` to the control in order. On failure `sent` says how many the port accepted.
Status SendBytes(SerialControl& comm, std::span<const std::uint8_t> bytes, std::size_t& sent);

enum class Exchange { kAnswered, kTimedOut, kLinkFailed };

// Sends the four status requests on an open port, each after the reply to the one before
// has begun to arrive (up to kReplyLimit each), and keeps the first byte of every reply.
// kLinkFailed leaves the cause in `failure`. The waits do not yield.
Exchange AskStatusReplies(SerialControl& comm, Clock& clock, std::array<std::uint8_t, 4>& first,
                          Status& failure);

}  // namespace qw77
