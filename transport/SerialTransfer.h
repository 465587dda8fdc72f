// Byte-level work on one serial link: the probe that opens every serial job, a transfer
// with RTS/CTS, and the four-request status exchange. Nothing here knows the window: the
// jobs decide what an outcome means for the operator.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Progress.h"
#include "base/Status.h"
#include "platform/Clock.h"
#include "platform/SerialLink.h"
#include "transport/Limits.h"

namespace qw77 {

enum class ProbeEnd {
  kReply,         // a byte came back; the link is closed again with RTS/CTS selected
  kSilent,        // nothing within kReplyLimit; the link is left open
  kNotAStatus,    // bytes came back that no printer sends as status; the link is left open
  kLayerFailure,  // the configuration was refused or the device could not be opened or written
};

struct ProbeResult {
  ProbeEnd end = ProbeEnd::kReply;
  Status failure;                   // why, for kLayerFailure
  std::vector<std::uint8_t> reply;  // what came back, for kNotAStatus
};

// Opens the link (or applies `config` to it) with no flow control, sends the probe and waits
// up to kReplyLimit for any byte. The reply counts when its first byte is a status byte
// (IsStatusByte). The waits do not yield.
ProbeResult ProbeSerial(SerialLink& link, Clock& clock, const SerialConfig& config);

// Opens the link for a transfer (or applies to it) `config` with RTS/CTS flow control.
Status OpenForTransfer(SerialLink& link, const SerialConfig& config);

// Hands `bytes` to the link in order. On failure `sent` says how many the link accepted.
// A watched transfer goes in pieces of kProgressStepBytes, `progress` told after each piece
// the link took; an unwatched one goes in one write.
Status SendBytes(SerialLink& link, std::span<const std::uint8_t> bytes, std::size_t& sent,
                 const Progress& progress = {});

enum class Exchange { kAnswered, kTimedOut, kLinkFailed, kNotAStatus };

// Sends the four status requests on an open link, each after the reply to the one before
// has begun to arrive (up to kReplyLimit each), and keeps the first byte of every reply.
// A reply whose first byte is no status byte ends the exchange with kNotAStatus.
// kLinkFailed leaves the cause in `failure`. The waits do not yield.
Exchange AskStatusReplies(SerialLink& link, Clock& clock, std::array<std::uint8_t, 4>& first,
                          Status& failure);

}  // namespace qw77
