#include "maintenance/StatusSerial.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "link/JobState.h"
#include "link/SerialLink.h"
#include "ui/FrmMenu.h"

namespace qw77 {
namespace {

// DLE EOT n asks for status n; the first carries a leading CR like the probe.
constexpr std::array<std::uint8_t, 5> kRequest1 = {0x0D, 0x10, 0x04, 0x01, 0x0D};
constexpr std::array<std::uint8_t, 4> kRequest2 = {0x10, 0x04, 0x02, 0x0D};
constexpr std::array<std::uint8_t, 4> kRequest3 = {0x10, 0x04, 0x03, 0x0D};
constexpr std::array<std::uint8_t, 4> kRequest4 = {0x10, 0x04, 0x04, 0x0D};
constexpr std::array<std::span<const std::uint8_t>, 4> kRequests = {kRequest1, kRequest2, kRequest3,
                                                                    kRequest4};

enum class Exchange { kAnswered, kTimedOut, kLinkFailed };

// Sends the four requests, each after the reply to the one before has begun to arrive,
// and keeps the first byte of every reply. The waits do not yield to the window.
Exchange AskFourReplies(FrmMenu& frm, SerialControl& comm, std::array<std::uint8_t, 4>& first,
                        Status& failure) {
  Clock& clock = *frm.Svc().clock;
  for (std::size_t n = 0; n < kRequests.size(); ++n) {
    std::size_t sent = 0;
    failure = SendBytes(comm, kRequests[n], sent);
    if (!failure.ok()) return Exchange::kLinkFailed;
    comm.SetInputLen(0);
    const Clock::TimePoint start = clock.Now();
    while (comm.InBufferCount() == 0) {
      if (clock.Now() - start > kReplyLimit) return Exchange::kTimedOut;
      clock.SleepFor(kPollStep);
    }
    // One read empties the buffer; only the first byte of a reply counts.
    std::vector<std::uint8_t> reply = comm.Input();
    first[n] = reply.empty() ? 0 : reply.front();
  }
  return Exchange::kAnswered;
}

}  // namespace

StatusOutcome RunStatusSerial(FrmMenu& frm, int port) {
  SetButtonsEnabled(frm, {"CmdPrint", "CmdSettings", "CmdAutotest", "CmdRestore", "CmdCheck"},
                    false);
  if (!OpenSerialPort(frm)) {
    SetButtonsEnabled(frm, {"CmdPrint", "CmdAutotest", "CmdRestore", "CmdCheck"}, true);
    return StatusOutcome::kProbeFailed;
  }

  SerialControl& comm = frm.MSComm(port);
  std::array<std::uint8_t, 4> replies{};
  Status failure = comm.SetSettings(SerialSettingsString(frm));
  if (failure.ok() && !comm.PortOpen()) failure = comm.SetPortOpen(true);
  if (failure.ok()) failure = comm.SetHandshaking(kHandshakeNone);
  Exchange exchange =
      failure.ok() ? AskFourReplies(frm, comm, replies, failure) : Exchange::kLinkFailed;
  (void)comm.SetPortOpen(false);

  if (exchange != Exchange::kAnswered) {
    // A silent printer gets no message of its own: the disabled Print button says it and
    // Check Status asks again. A port that failed under us is worth saying, though.
    if (exchange == Exchange::kLinkFailed) {
      ReportSerialFailure(frm, "the status request could not be completed", failure);
    }
    SetButtonsEnabled(frm, {"CmdRestore", "CmdCheck"}, true);
    return StatusOutcome::kNoAnswer;
  }

  // Reply 1 only confirms that the printer is there; 2 to 4 carry the flags.
  const StatusFlags flags = DecodeSerialStatus(replies[1], replies[2], replies[3]);
  ShowStatusFlags(frm, flags);
  EnableAfterStatus(frm, flags.no_error);
  return flags.no_error ? StatusOutcome::kReady : StatusOutcome::kPrinterError;
}

void CheckStatusSerial(FrmMenu& frm, int port) {
  (void)RunStatusSerial(frm, port);
}

}  // namespace qw77
