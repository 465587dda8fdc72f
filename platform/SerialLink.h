// One serial line as the printer jobs drive it: opened with a typed configuration, bytes out
// within a progress limit, what arrived read back, closed with a bounded drain.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Status.h"

namespace qw77 {

enum class Parity : std::uint8_t { kNone, kEven, kOdd, kMark, kSpace };
// XON/XOFF is never offered: the printer's data holds 11h and 13h as plain bytes.
enum class FlowControl : std::uint8_t { kNone, kRtsCts };

struct SerialConfig {
  int baud = 9600;
  Parity parity = Parity::kNone;
  int data_bits = 8;  // 5..8
  int stop_bits = 1;  // 1 or 2
  FlowControl flow = FlowControl::kNone;

  // Start bit, data bits, parity bit and stop bits: what one character takes on the line.
  int BitsPerCharacter() const {
    return 1 + data_bits + (parity == Parity::kNone ? 0 : 1) + stop_bits;
  }
  friend bool operator==(const SerialConfig&, const SerialConfig&) = default;
};

// The same configuration with another flow control.
inline SerialConfig WithFlow(SerialConfig config, FlowControl flow) {
  config.flow = flow;
  return config;
}

// kInvalidArgument, saying why, for a configuration no line can run: a baud rate outside
// the standard ones, data bits outside 5..8, stop bits other than 1 or 2.
Status CheckSerialConfig(const SerialConfig& config);

// How long Write waits for the line to take one more byte: the larger of `floor` and twice
// the time the line needs to send `buffer_bytes` at the settings in force (start bit, data
// bits, parity bit and stop bits per character). A line that moves at its baud never runs
// out of it; a line held for good ends within it (18.8 s at 4800 baud 8E1 for 4 KiB).
std::chrono::milliseconds SerialStallLimit(const SerialConfig& config, std::size_t buffer_bytes,
                                           std::chrono::milliseconds floor);

// What one call of Write achieved. `written` counts the bytes handed to the driver, in order
// from the first; it is meaningful on failure too.
struct WriteResult {
  std::size_t written = 0;
  Status status;
};

class SerialLink {
 public:
  virtual ~SerialLink() = default;

  // Opens the device with `config`, or applies `config` at once to an open line. Opening
  // fails with kNotFound when the device does not exist, kBusy when another program holds
  // it, kPermission when access is refused, kInvalidArgument for a configuration the line
  // cannot run; a failed opening leaves the link closed, a failed change leaves it as it was.
  virtual Status Open(const SerialConfig& config) = 0;
  virtual bool IsOpen() const = 0;

  // Hands bytes to the line in order, holding them back (never dropping them) while flow
  // control stops it. Returns when every byte is taken; when the line takes nothing for the
  // link's progress limit the call ends with kTimedOut and the count written so far.
  virtual WriteResult Write(std::span<const std::uint8_t> bytes) = 0;

  // Bytes that arrived and were not read yet (0 on a closed link).
  virtual std::size_t Available() = 0;
  // Everything that arrived and was not read yet.
  virtual std::vector<std::uint8_t> Read() = 0;

  // Gives queued output a bounded time to go out (kTimedOut, or kIo for a line that hung
  // up, when it could not), then discards unread input and releases the device. Closing a
  // closed link does nothing.
  virtual Status Close() = 0;

  // Why nothing can come back on this link, where the link knows (a printer interface
  // that is one-way); empty otherwise.
  virtual std::string NoReplyReason() const { return {}; }

  // Why the far end is gone, where the link knows: a network printer that closed or reset
  // the connection. Ok while the link stands (a serial line never says).
  virtual Status LinkLost() const { return Status::Ok(); }
};

}  // namespace qw77
