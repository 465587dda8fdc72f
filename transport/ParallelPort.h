// One of the window's parallel ports over its link: the status lines, the strobe of one byte
// and a whole transfer paced by the printer's busy line.
//
// A refused access is fatal to the program: the first one calls `on_refused` with the cause
// (which tells the operator and ends the program), and from then on, as whenever `ended`
// answers true, every call here returns at once without touching the link.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "base/Progress.h"
#include "platform/Clock.h"
#include "platform/ParallelLink.h"
#include "transport/Limits.h"

namespace qw77 {

// The place in the window's pair of links (LPT1, LPT2) of its parallel port number `lpt`
// (1 or 2); nullopt for any other number, which names no parallel port.
std::optional<std::size_t> LptLinkIndex(int lpt);

// The control lines between two bytes: the printer selected, nothing else asserted.
inline constexpr ParallelControlLines kStrobeIdle{.select_in = true};

class ParallelPort {
 public:
  // The port LPT`lpt` of `links`; a number that names no port, or a null link, has no port.
  ParallelPort(const std::array<ParallelLink*, 2>& links, int lpt, std::function<bool()> ended,
               std::function<void(const Status&)> on_refused);

  // True once an access was refused or the program is ending.
  bool Ended() const { return ended_(); }
  // Whether the port exists: its link is open with a port behind it.
  bool Present() const { return link_ != nullptr && link_->Present(); }

  // The printer's status lines; all clear after a refused access.
  ParallelStatusLines ReadStatus();
  // The byte on the data lines, then the strobe asserted and released, back to back; the
  // printer takes the byte on the strobe.
  void Strobe(std::uint8_t byte);
  // Hands on what the link buffers of the strobed bytes (a printer-class device takes them
  // in transfers); false when the printer did not take them.
  bool Flush();

 private:
  // Whether `done` went through; a refusal ends the port.
  bool Accepted(const Status& done);

  ParallelLink* link_ = nullptr;
  std::function<bool()> ended_;
  std::function<void(const Status&)> on_refused_;
};

enum class ParallelSendEnd { kSent, kTimedOut, kEnded };
struct ParallelSent {
  ParallelSendEnd end = ParallelSendEnd::kSent;
  std::size_t strobed = 0;  // bytes the printer latched
};

// Strobes out every byte, waiting before each for the busy line to drop, at most
// `per_byte_limit`. `between_polls` runs once per pass of the wait (the window processes
// its events there); the transfer stops when the port has Ended(). A byte that was not
// taken in time ends the transfer: nothing after it is sent. `progress` is told the bytes
// strobed every kProgressStepBytes and after the last.
ParallelSent SendParallelBytes(ParallelPort& port, std::span<const std::uint8_t> bytes,
                               Clock& clock, Clock::Duration per_byte_limit,
                               const std::function<void()>& between_polls,
                               const Progress& progress = {});

}  // namespace qw77
