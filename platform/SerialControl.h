// One serial port as the printer jobs drive it: a port number, a line setting text,
// open/close, flow control, byte output and a receive buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace qw77 {

// Handshaking values as the jobs pass them.
inline constexpr int kHandshakeNone = 0;    // no flow control at all (XON/XOFF off too)
inline constexpr int kHandshakeRtsCts = 2;  // RTS/CTS hardware flow control

// What one call of Output achieved. `written` counts the bytes handed to the driver,
// in order from the first; it is meaningful on failure too.
struct WriteResult {
  std::size_t written = 0;
  Status status;
};

class SerialControl {
 public:
  virtual ~SerialControl() = default;

  // Port number 1..n; chooses the device that the next opening uses. No effect on an open port.
  virtual void SetCommPort(int port) = 0;
  virtual int CommPort() const = 0;

  // Line settings "baud,parity,data,stop", for example "9600,N,8,1". A malformed text
  // (an empty field, an unknown baud rate or parity letter) is refused with kInvalidArgument
  // and the previous settings stay. On an open port the new settings apply at once.
  virtual Status SetSettings(std::string_view settings) = 0;
  virtual std::string Settings() const = 0;

  // true opens the device: kNotFound when it does not exist, kBusy when another program
  // holds it, kPermission when access is refused. false closes it: queued output is given
  // a bounded time to go out, then unread input is discarded and the device released.
  // Opening an open port or closing a closed one does nothing.
  virtual bool PortOpen() const = 0;
  virtual Status SetPortOpen(bool open) = 0;

  // kHandshakeNone or kHandshakeRtsCts; kept while closed and applied on opening.
  virtual Status SetHandshaking(int mode) = 0;
  virtual int Handshaking() const = 0;

  // Queues bytes for transmission in order, holding them back (never dropping them) while
  // flow control stops the line. Returns when every byte is queued; when the line makes no
  // progress for the write limit the call ends with kTimedOut and the count written so far.
  virtual WriteResult Output(std::span<const std::uint8_t> bytes) = 0;

  // 0: one Input() returns everything received; n > 0: at most n bytes.
  virtual void SetInputLen(int length) = 0;
  // Bytes received and not yet read (0 on a closed port).
  virtual std::size_t InBufferCount() = 0;
  // Takes bytes out of the receive buffer, as InputLen says.
  virtual std::vector<std::uint8_t> Input() = 0;

  // Why nothing can come back on this port, where the port knows (a printer interface
  // that is one-way); empty otherwise.
  virtual std::string NoReplyReason() const { return {}; }

  // Why the far end is gone, where the port knows: a network printer that closed or reset
  // the connection. Ok while the link stands (a serial line never says).
  virtual Status LinkLost() const { return Status::Ok(); }
};

}  // namespace qw77
