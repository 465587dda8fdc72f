// The printer's conditions, as the status replies report them, and the two decoders that
// turn a serial or a parallel status into them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ParallelLink.h"

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

// One condition of StatusFlags: its flag, its key in JSON output and its words for people.
struct StatusCondition {
  bool StatusFlags::*flag;
  const char* key;    // "no_paper_or_head_up", ...
  const char* words;  // "no paper or head up", ...
};

// The seven conditions, in the order the window's check boxes show them.
std::span<const StatusCondition> StatusConditions();

// The words of the conditions reported, in that order (empty when none is).
std::vector<std::string> ConditionWords(const StatusFlags& flags);

// Whether a byte can be a printer's reply to a status request: whatever it reports, a status
// byte has bits 1 and 4 set and bits 0 and 7 clear. An echo of the request (10h) is not one.
constexpr bool IsStatusByte(std::uint8_t byte) {
  return (byte & 0x93) == 0x12;
}

// Replies to the status requests 2, 3 and 4 (the first byte of each).
StatusFlags DecodeSerialStatus(std::uint8_t reply2, std::uint8_t reply3, std::uint8_t reply4);

// The parallel port's status lines; the busy line carries no condition.
StatusFlags DecodeParallelStatus(const ParallelStatusLines& lines);

}  // namespace qw77
