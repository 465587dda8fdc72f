// A network printer's raw byte stream (usually port 9100) behind a COM port. Each opening is
// one TCP connection: the probe, the status exchange and the ticket each connect anew, as a
// serial job opens and closes its port. A line configuration has no meaning on a socket and
// is accepted as it is; flow control is the socket's own.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

#include "platform/posix/StreamSerialControl.h"

namespace qw77 {

// Connecting gives up after this long (a host that does not answer at all).
inline constexpr std::chrono::milliseconds kTcpConnectLimit{3000};
// Write gives up when the printer takes no byte for this long.
inline constexpr std::chrono::milliseconds kTcpWriteLimit{5000};
// Closing waits at most this long for the printer to take what is still queued.
inline constexpr std::chrono::milliseconds kTcpDrainLimit{5000};
// After its last byte, closing says it has no more to send and waits at most this long for
// the printer to close in turn; a printer that drops the connection meanwhile, with bytes
// of ours unread, did not take the whole ticket.
inline constexpr std::chrono::milliseconds kTcpCloseWait{1000};

struct TcpLimits {
  std::chrono::milliseconds connect = kTcpConnectLimit;
  std::chrono::milliseconds write = kTcpWriteLimit;
  std::chrono::milliseconds drain = kTcpDrainLimit;
  std::chrono::milliseconds close_wait = kTcpCloseWait;
};

class TcpSerialControl : public StreamSerialControl {
 public:
  TcpSerialControl(std::string host, std::uint16_t tcp_port, TcpLimits limits = {});
  ~TcpSerialControl() override;
  TcpSerialControl(const TcpSerialControl&) = delete;
  TcpSerialControl& operator=(const TcpSerialControl&) = delete;

  bool IsOpen() const override { return fd_ >= 0; }
  WriteResult Write(std::span<const std::uint8_t> bytes) override;
  Status Close() override;

  // "host:port", as messages name the printer.
  std::string Address() const;

 private:
  // Connects, within the connect limit.
  Status OpenStream() override;
  // Moves what has arrived into rx_; notes a peer that closed its end.
  void Receive() override;

  std::string host_;
  std::uint16_t tcp_port_;
  TcpLimits limits_;
  int fd_ = -1;
  bool peer_closed_ = false;  // the printer ended its side: orderly or not
  bool peer_reset_ = false;   // ... dropping what it had not read
};

}  // namespace qw77
