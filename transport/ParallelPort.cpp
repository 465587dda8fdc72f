#include "transport/ParallelPort.h"

#include <utility>

#include "base/Wait.h"

namespace qw77 {

std::optional<std::size_t> LptLinkIndex(int lpt) {
  if (lpt < 1 || lpt > 2) return std::nullopt;
  return static_cast<std::size_t>(lpt - 1);
}

ParallelPort::ParallelPort(const std::array<ParallelLink*, 2>& links, int lpt,
                           std::function<bool()> ended,
                           std::function<void(const Status&)> on_refused)
    : ended_(std::move(ended)), on_refused_(std::move(on_refused)) {
  if (const std::optional<std::size_t> index = LptLinkIndex(lpt)) link_ = links[*index];
}

bool ParallelPort::Accepted(const Status& done) {
  if (done.ok()) return true;
  on_refused_(done);
  return false;
}

ParallelStatusLines ParallelPort::ReadStatus() {
  if (Ended() || !Present()) return {};
  Result<ParallelStatusLines> lines = link_->ReadStatus();
  if (!Accepted(lines.status())) return {};
  return *lines;
}

void ParallelPort::Strobe(std::uint8_t byte) {
  if (Ended() || !Present()) return;
  ParallelControlLines strobe = kStrobeIdle;
  strobe.strobe = true;
  if (!Accepted(link_->WriteData(byte))) return;
  if (Ended() || !Accepted(link_->SetControl(strobe))) return;
  if (Ended()) return;
  (void)Accepted(link_->SetControl(kStrobeIdle));
}

bool ParallelPort::Flush() {
  return Ended() || !Present() || link_->Flush().ok();
}

ParallelSent SendParallelBytes(ParallelPort& port, std::span<const std::uint8_t> bytes,
                               Clock& clock, Clock::Duration per_byte_limit,
                               const std::function<void()>& between_polls,
                               const Progress& progress) {
  ParallelSent sent;
  for (std::uint8_t byte : bytes) {
    bool busy = true;
    // The time test comes before the ready test: a printer that turns ready in the pass in
    // which the limit runs out still times out.
    const WaitEnd waited = PollUntil(
        clock, per_byte_limit, kPollStep,
        [&] {
          busy = port.ReadStatus().busy;
          return port.Ended() ? Poll::kAbort : Poll::kNotYet;
        },
        [&] {
          between_polls();
          if (port.Ended()) return Poll::kAbort;
          return busy ? Poll::kNotYet : Poll::kReady;
        });
    if (waited == WaitEnd::kAborted) return {ParallelSendEnd::kEnded, sent.strobed};
    if (waited == WaitEnd::kTimedOut) return {ParallelSendEnd::kTimedOut, sent.strobed};
    port.Strobe(byte);
    if (port.Ended()) return {ParallelSendEnd::kEnded, sent.strobed};
    ++sent.strobed;
    if (progress && (sent.strobed % kProgressStepBytes == 0 || sent.strobed == bytes.size())) {
      progress(sent.strobed, bytes.size());
    }
  }
  // What a buffering link still holds is part of the transfer.
  if (!port.Flush()) return {ParallelSendEnd::kTimedOut, sent.strobed};
  return sent;
}

}  // namespace qw77
