#include "jobs/ToolSession.h"

#include <algorithm>

#include "base/LineTiming.h"
#include "base/Wait.h"
#include "transport/Limits.h"

namespace qw77 {
namespace {

// Bytes handed to the link at a time, so that progress is seen and a stop is prompt.
constexpr std::size_t kChunk = 256;

}  // namespace

ToolSession::ToolSession(const ToolPort& port, ToolReport& report) : port_(port), report_(report) {
  if (!port.link || !port.clock) {
    Fail(JobEnd::kPortUnusable, std::string(kNeedsAnsweringPort) + "; " +
                                    (port.name.empty() ? "this port" : port.name) +
                                    " has no way back from the printer.");
    return;
  }
  if (const Status opened = port.link->Open(port.config); !opened.ok()) {
    Fail(JobEnd::kPortUnusable, opened.message());
    return;
  }
  if (const std::string why = port.link->NoReplyReason(); !why.empty()) {
    Fail(JobEnd::kPortUnusable, std::string(kNeedsAnsweringPort) + "; " + why);
  }
}

ToolSession::~ToolSession() {
  if (!port_.link || !port_.link->IsOpen()) return;
  const Status closed = port_.link->Close();
  if (!closed.ok() && !failed()) Fail(JobEnd::kFailedMidway, closed.message());
}

void ToolSession::Fail(JobEnd end, const std::string& message) {
  if (failed()) return;
  report_.end = end;
  report_.messages.push_back(message);
}

bool ToolSession::Lost() {
  const Status lost = port_.link->LinkLost();
  if (lost.ok()) return false;
  Fail(JobEnd::kPortUnusable, lost.message());
  return true;
}

bool ToolSession::Send(std::span<const std::uint8_t> bytes, const std::string& what,
                       const Progress& progress) {
  if (failed()) return false;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t n = std::min(kChunk, bytes.size() - at);
    const WriteResult w = port_.link->Write(bytes.subspan(at, n));
    at += w.written;
    report_.bytes_sent += w.written;
    if (progress) progress(at, bytes.size());
    if (!w.status.ok()) {
      if (!Lost()) {
        Fail(JobEnd::kFailedMidway, what + " was cut short after " + std::to_string(at) + " of " +
                                        std::to_string(bytes.size()) +
                                        " bytes: " + w.status.message());
      }
      return false;
    }
  }
  last_sent_ = bytes.size();
  return true;
}

Clock::Duration ToolSession::LineTime(std::size_t bytes) const {
  return WireTime(bytes, port_.config.BitsPerCharacter(), port_.config.baud);
}

void ToolSession::Collect() {
  if (port_.link->Available() == 0) return;
  const Bytes more = port_.link->Read();
  pending_.insert(pending_.end(), more.begin(), more.end());
}

// Whatever came before a question is no answer to it.
void ToolSession::Ask(std::span<const std::uint8_t> command, const std::string& what) {
  if (!failed()) Collect();
  pending_.clear();
  (void)Send(command, what);
}

bool ToolSession::Await(const std::string& what, Clock::Duration extra,
                        const std::function<Poll()>& look) {
  if (failed()) return false;
  const Clock::Duration limit = kReplyLimit + extra + LineTime(last_sent_);
  const WaitEnd end = PollUntil(
      clock(), limit, kPollStep,
      [&] {
        Collect();
        const Poll found = look();
        return found != Poll::kNotYet || !Lost() ? found : Poll::kAbort;
      },
      NothingToPoll);
  if (end == WaitEnd::kTimedOut) {
    Fail(JobEnd::kNoAnswer, pending_.empty() ? "the printer did not answer " + what + "."
                                             : "the reply to " + what + " stopped short after " +
                                                   std::to_string(pending_.size()) + " byte(s).");
  }
  return end == WaitEnd::kReady;
}

std::optional<Bytes> ToolSession::AskFrame(std::span<const std::uint8_t> command,
                                           std::uint8_t header, const std::string& what,
                                           Clock::Duration extra) {
  Ask(command, what);
  std::optional<Bytes> body;
  Await(what, extra, [&] {
    Frame frame = ScanFrame(pending_, header);
    if (frame.state == Frame::kBad) {
      Fail(JobEnd::kNoAnswer, "the reply to " + what + " is malformed: " + frame.error);
      return Poll::kAbort;
    }
    if (frame.state == Frame::kNeedMore) return Poll::kNotYet;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(frame.used));
    body = std::move(frame.body);
    return Poll::kReady;
  });
  return body;
}

std::optional<std::uint8_t> ToolSession::AskByte(std::span<const std::uint8_t> command,
                                                 const std::string& what) {
  Ask(command, what);
  std::optional<std::uint8_t> byte;
  Await(what, {}, [&] {
    if (pending_.empty()) return Poll::kNotYet;
    byte = pending_.front();
    pending_.erase(pending_.begin());
    return Poll::kReady;
  });
  return byte;
}

}  // namespace qw77
