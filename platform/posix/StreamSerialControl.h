// What a COM port is when it reaches a printer through a plain byte stream (a network
// socket, a printer-class device) rather than a serial line: the line settings are still
// checked, so a job behaves the same whatever the port reaches, but have no effect;
// handshaking is the stream's own; replies wait in a queue until the job reads them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "platform/SerialControl.h"

namespace qw77 {

class StreamSerialControl : public SerialControl {
 public:
  explicit StreamSerialControl(int port) : comm_port_(port) {}

  void SetCommPort(int port) override { comm_port_ = port; }
  int CommPort() const override { return comm_port_; }
  Status SetSettings(std::string_view settings) override;
  std::string Settings() const override { return settings_; }
  Status SetHandshaking(int mode) override;
  int Handshaking() const override { return handshaking_; }
  void SetInputLen(int length) override { input_len_ = length; }
  std::size_t InBufferCount() override;
  std::vector<std::uint8_t> Input() override;

 protected:
  // Moves what the stream has brought into rx_.
  virtual void Receive() = 0;

  std::deque<std::uint8_t> rx_;

 private:
  int comm_port_;
  std::string settings_ = "9600,N,8,1";
  int handshaking_ = kHandshakeNone;
  int input_len_ = 0;
};

}  // namespace qw77
