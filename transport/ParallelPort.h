// Register-level access to a parallel port through the port-access seam: the base address
// from the BIOS data area, single register reads and writes, the strobe of one byte and a
// whole transfer paced by the printer's busy line.
//
// A refused access is fatal to the program: the first one calls `on_refused` (which tells
// the operator and ends the program), and from then on, as whenever `ended` answers true,
// every call here returns at once without touching the hardware.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "base/Progress.h"
#include "platform/Clock.h"
#include "platform/PortAccess.h"
#include "transport/Limits.h"

namespace qw77 {

// The three registers of one port: data at its base, status and control above it.
struct LptRegisters {
  std::uint16_t data = 0;
  std::uint16_t status = 1;
  std::uint16_t control = 2;
};

class ParallelPort {
 public:
  ParallelPort(PortAccess& access, std::function<bool()> ended, std::function<void()> on_refused);

  // True once an access was refused or the program is ending.
  bool Ended() const { return ended_(); }

  // The registers of LPT`lpt` (1 or 2) from the BIOS words at 408h and 40Ah; nullopt when
  // the port has no base address. Any other port number reads nothing and has none.
  std::optional<LptRegisters> Locate(int lpt);

  // The byte on an I/O port; 0 after a refused access.
  std::uint8_t Read(std::uint16_t port);
  void Write(std::uint16_t port, std::uint8_t value);
  // The 32-bit little-endian word at a physical address; 0 after a refused access.
  std::uint32_t PhysRead(std::uint32_t address);

  // The byte to the data register, then the strobe asserted (CDh) and released (CCh) on
  // the control register, back to back; the printer latches the byte on the strobe.
  void Strobe(const LptRegisters& lpt, std::uint8_t byte);
  // Hands on what the access buffers of the strobed bytes (a printer-class device takes them
  // in transfers); false when the printer did not take them.
  bool Flush();

 private:
  void Refused();

  PortAccess& access_;
  std::function<bool()> ended_;
  std::function<void()> on_refused_;
};

enum class ParallelSendEnd { kSent, kTimedOut, kEnded };
struct ParallelSent {
  ParallelSendEnd end = ParallelSendEnd::kSent;
  std::size_t strobed = 0;  // bytes the printer latched
};

// Strobes out every byte, waiting before each for the not-busy line (status bit 7) at most
// `per_byte_limit`. `between_polls` runs once per pass of the wait (the window processes
// its events there); the transfer stops when the port has Ended(). A byte that was not
// taken in time ends the transfer: nothing after it is sent. `progress` is told the bytes
// strobed every kProgressStepBytes and after the last.
ParallelSent SendParallelBytes(ParallelPort& port, const LptRegisters& lpt,
                               std::span<const std::uint8_t> bytes, Clock& clock,
                               Clock::Duration per_byte_limit,
                               const std::function<void()>& between_polls,
                               const Progress& progress = {});

}  // namespace qw77
