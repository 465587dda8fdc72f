// The printer's error flags, one per status check box, and the two decoders that turn a
// serial or a parallel status into them.
#pragma once

#include <cstdint>

namespace qw77 {

struct StatusFlags {
  int ChkHead = 0;
  int ChkVp = 0;
  int ChkCutter = 0;
  int ChkBM = 0;
  int ChkTemp = 0;
  int ChkHard = 0;
  int ChkPNEnd = 0;
  // False when any condition but paper-near-end is reported: the printer can't print.
  bool no_error = true;

  friend bool operator==(const StatusFlags&, const StatusFlags&) = default;
};

// Whether a byte can be a printer's reply to a status request: whatever it reports, a status
// byte has bits 1 and 4 set and bits 0 and 7 clear. An echo of the request (10h) is not one.
constexpr bool IsStatusByte(std::uint8_t byte) {
  return (byte & 0x93) == 0x12;
}

// Replies to the status requests 2, 3 and 4 (the first byte of each).
StatusFlags DecodeSerialStatus(std::uint8_t reply2, std::uint8_t reply3, std::uint8_t reply4);

// The parallel port's status register; only bits 3 to 6 carry the printer's lines.
StatusFlags DecodeParallelStatus(std::uint8_t status);

}  // namespace qw77
