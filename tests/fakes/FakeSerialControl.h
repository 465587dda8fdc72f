// A serial port in memory: records every step on the line with the flow control in force,
// and lets a scripted peer answer the bytes it receives.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialControl.h"

namespace qw77::testing {

struct LineEvent {
  enum Kind { kSettings, kOpen, kClose, kHandshaking, kByte } kind;
  int value = 0;         // byte value, handshaking mode
  int handshaking = 0;   // in force when a byte went out
  std::string settings;  // in force when a byte went out, or the text set
};

class FakeSerialControl : public SerialControl {
 public:
  explicit FakeSerialControl(int port = 1) : comm_port_(port) {}

  void SetCommPort(int port) override { comm_port_ = port; }
  int CommPort() const override { return comm_port_; }
  Status SetSettings(std::string_view settings) override;
  std::string Settings() const override { return settings_; }
  bool PortOpen() const override { return open_; }
  Status SetPortOpen(bool open) override;
  Status SetHandshaking(int mode) override;
  int Handshaking() const override { return handshaking_; }
  WriteResult Output(std::span<const std::uint8_t> bytes) override;
  void SetInputLen(int length) override { input_len_ = length; }
  std::size_t InBufferCount() override { return open_ ? rx_.size() : 0; }
  std::vector<std::uint8_t> Input() override;

  // The peer's side: bytes that arrive in the receive buffer.
  void Receive(const std::vector<std::uint8_t>& bytes);

  // Bytes that went out, in order.
  std::vector<std::uint8_t> Sent() const;
  void ClearLog() { log.clear(); }

  std::vector<LineEvent> log;
  // Called for every byte that goes out; may call Receive().
  std::function<void(FakeSerialControl&, std::uint8_t)> peer;
  // Failures to inject.
  Status open_error;                      // returned by the next opening
  Status settings_error;                  // returned by the next settings, if set
  Status close_error;                     // returned by a closing (the port closes anyway)
  std::optional<std::size_t> fail_after;  // bytes accepted before writes fail
  Status write_error{ErrorCode::kIo, "write failed"};
  int opens = 0;
  int closes = 0;

 private:
  int comm_port_;
  std::string settings_ = "9600,N,8,1";
  bool open_ = false;
  int handshaking_ = 0;
  int input_len_ = 0;
  std::deque<std::uint8_t> rx_;
};

// A printer on the far end that answers DLE EOT n with reply[n] (n = 1..4), up to a
// number of answers, then stays silent.
struct StatusResponder {
  std::vector<std::uint8_t> reply[5] = {{}, {0x16}, {0x12}, {0x12}, {0x12}};
  int answers_left = 1 << 30;

  void operator()(FakeSerialControl& port, std::uint8_t byte);

 private:
  int state_ = 0;  // 0 idle, 1 after DLE, 2 after DLE EOT
};

}  // namespace qw77::testing
