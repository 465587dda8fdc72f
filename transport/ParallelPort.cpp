#include "transport/ParallelPort.h"

#include <utility>

#include "base/Wait.h"

namespace qw77 {

ParallelPort::ParallelPort(PortAccess& access, std::function<bool()> ended,
                           std::function<void()> on_refused)
    : access_(access), ended_(std::move(ended)), on_refused_(std::move(on_refused)) {}

void ParallelPort::Refused() {
  on_refused_();
}

std::optional<LptRegisters> ParallelPort::Locate(int lpt) {
  std::uint32_t word = 0;
  if (lpt == 1) word = PhysRead(0x408);
  if (lpt == 2) word = PhysRead(0x40A);
  // The BIOS keeps 16-bit entries two bytes apart; the upper half of the word is the next.
  const std::uint16_t base = static_cast<std::uint16_t>(word & 0xFFFF);
  if (base == 0) return std::nullopt;
  return LptRegisters{base, static_cast<std::uint16_t>(base + 1),
                      static_cast<std::uint16_t>(base + 2)};
}

std::uint8_t ParallelPort::Read(std::uint16_t port) {
  if (Ended()) return 0;
  std::uint32_t value = 0;
  if (!access_.GetPortVal(port, value, 1)) {
    Refused();
    return 0;
  }
  return static_cast<std::uint8_t>(value & 0xFF);
}

void ParallelPort::Write(std::uint16_t port, std::uint8_t value) {
  if (Ended()) return;
  if (!access_.SetPortVal(port, value, 1)) Refused();
}

std::uint32_t ParallelPort::PhysRead(std::uint32_t address) {
  if (Ended()) return 0;
  std::uint32_t value = 0;
  if (!access_.GetPhysLong(address, value)) {
    Refused();
    return 0;
  }
  return value;
}

void ParallelPort::Strobe(const LptRegisters& lpt, std::uint8_t byte) {
  Write(lpt.data, byte);
  Write(lpt.control, 0xCD);
  Write(lpt.control, 0xCC);
}

bool ParallelPort::Flush() {
  return Ended() || access_.Flush();
}

ParallelSent SendParallelBytes(ParallelPort& port, const LptRegisters& lpt,
                               std::span<const std::uint8_t> bytes, Clock& clock,
                               Clock::Duration per_byte_limit,
                               const std::function<void()>& between_polls,
                               const Progress& progress) {
  ParallelSent sent;
  for (std::uint8_t byte : bytes) {
    std::uint8_t status = 0;
    // The time test comes before the ready test: a printer that turns ready in the pass in
    // which the limit runs out still times out.
    const WaitEnd waited = PollUntil(
        clock, per_byte_limit, kPollStep,
        [&] {
          status = port.Read(lpt.status);
          return port.Ended() ? Poll::kAbort : Poll::kNotYet;
        },
        [&] {
          between_polls();
          if (port.Ended()) return Poll::kAbort;
          return (status & 0x80) != 0 ? Poll::kReady : Poll::kNotYet;
        });
    if (waited == WaitEnd::kAborted) return {ParallelSendEnd::kEnded, sent.strobed};
    if (waited == WaitEnd::kTimedOut) return {ParallelSendEnd::kTimedOut, sent.strobed};
    port.Strobe(lpt, byte);
    if (port.Ended()) return {ParallelSendEnd::kEnded, sent.strobed};
    ++sent.strobed;
    if (progress && (sent.strobed % kProgressStepBytes == 0 || sent.strobed == bytes.size())) {
      progress(sent.strobed, bytes.size());
    }
  }
  // What a buffering access still holds is part of the transfer.
  if (!port.Flush()) return {ParallelSendEnd::kTimedOut, sent.strobed};
  return sent;
}

}  // namespace qw77
