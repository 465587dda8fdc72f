// The serial line settings text "baud,parity,data,stop" and its parsed form.
#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"

namespace qw77 {

struct SerialSettings {
  int baud = 9600;
  char parity = 'N';  // 'N', 'E', 'O' (also 'M' mark and 'S' space)
  int data_bits = 8;  // 5..8
  int stop_bits = 1;  // 1 or 2

  std::string ToString() const;
  // Start bit, data bits, parity bit and stop bits: what one character takes on the line.
  int BitsPerCharacter() const { return 1 + data_bits + (parity == 'N' ? 0 : 1) + stop_bits; }
  friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

// Refuses an empty field, a baud rate the line cannot run at, an unknown parity letter,
// or data and stop bits outside their ranges (kInvalidArgument, with the reason).
Result<SerialSettings> ParseSerialSettings(std::string_view text);

}  // namespace qw77
