// A network printer's raw byte stream behind a COM port, over Winsock: the Windows side of
// TcpSerialControl, with the same limits and the same messages (the causes in Windows'
// words). Each opening is one connection.
#pragma once

#include <winsock2.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/posix/StreamSerialControl.h"
#include "platform/posix/TcpSerialControl.h"

namespace qw77 {

class WinsockTcpLink : public StreamSerialControl {
 public:
  WinsockTcpLink(std::string host, std::uint16_t tcp_port, TcpLimits limits = {});
  ~WinsockTcpLink() override;
  WinsockTcpLink(const WinsockTcpLink&) = delete;
  WinsockTcpLink& operator=(const WinsockTcpLink&) = delete;

  bool IsOpen() const override { return socket_ != INVALID_SOCKET; }
  WriteResult Write(std::span<const std::uint8_t> bytes) override;
  Status Close() override;
  Status LinkLost() const override;

  std::string Address() const;

 private:
  Status OpenStream() override;
  void Receive() override;
  // Waits at most `wait_ms` for the socket to become readable (`events` POLLIN) or writable.
  void WaitFor(short events, int wait_ms) const;

  std::string host_;
  std::uint16_t tcp_port_;
  TcpLimits limits_;
  SOCKET socket_ = INVALID_SOCKET;
  bool peer_closed_ = false;
  bool peer_reset_ = false;
  int reset_error_ = 0;
};

}  // namespace qw77
