// The printer's conditions, as the status replies report them, and the two decoders that
// turn a serial or a parallel status into them.
#pragma once

#include <cstdint>

namespace qw77 {

struct StatusFlags {
  bool paper_out_or_head_up = false;
  bool head_voltage = false;
  bool cutter = false;
  bool black_mark = false;
  bool temperature = false;
  bool hardware = false;
  bool paper_near_end = false;  // a warning only: the printer still prints
  // False when any condition but paper-near-end is reported: the printer can't print.
  bool no_error = true;

  friend bool operator==(const StatusFlags&, const StatusFlags&) = default;
};

// Replies to the status requests 2, 3 and 4 (the first byte of each).
StatusFlags DecodeSerialStatus(std::uint8_t reply2, std::uint8_t reply3, std::uint8_t reply4);

// The parallel port's status register; only bits 3 to 6 carry the printer's lines.
StatusFlags DecodeParallelStatus(std::uint8_t status);

}  // namespace qw77
