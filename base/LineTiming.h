// How long a serial line takes to send characters.
#pragma once

#include <chrono>
#include <cstddef>

namespace qw77 {

// The line's time for `bytes` characters of `bits_per_character` bits (start, data, parity
// and stop bits together) at `baud`; zero for a line without a rate.
constexpr std::chrono::microseconds WireTime(std::size_t bytes, int bits_per_character, int baud) {
  if (baud <= 0) return std::chrono::microseconds(0);
  return std::chrono::microseconds(static_cast<long long>(bytes) * bits_per_character * 1000000LL /
                                   baud);
}

}  // namespace qw77
