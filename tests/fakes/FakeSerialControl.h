// A serial link in memory: records every step on the line with the configuration in force
// (in the window's terms: the settings text and the handshaking number), and lets a
// scripted peer answer the bytes it receives.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialLink.h"
#include "transport/LineSettings.h"

namespace qw77::testing {

struct LineEvent {
  enum Kind { kSettings, kOpen, kClose, kHandshaking, kByte } kind;
  int value = 0;         // byte value, handshaking number
  int handshaking = 0;   // in force when a byte went out
  std::string settings;  // in force when a byte went out, or the text set
};

class FakeSerialControl : public SerialLink {
 public:
  // `mscomm`: which of MSComm1..MSComm3 this stands for, as a test names it.
  explicit FakeSerialControl(int mscomm = 1) : number(mscomm) {}

  Status Open(const SerialConfig& config) override;
  bool IsOpen() const override { return open_; }
  WriteResult Write(std::span<const std::uint8_t> bytes) override;
  std::size_t Available() override { return open_ ? rx_.size() : 0; }
  std::vector<std::uint8_t> Read() override;
  Status Close() override;

  // The configuration last applied, as the window writes it.
  std::string Settings() const { return LineSettingsText(config_); }
  int Handshaking() const { return HandshakingNumber(config_.flow); }

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
  Status settings_error;                  // returned by the next opening or change of settings
  Status close_error;                     // returned by a closing (the link closes anyway)
  std::optional<std::size_t> fail_after;  // bytes accepted before writes fail
  Status write_error{ErrorCode::kIo, "write failed"};
  int opens = 0;
  int closes = 0;
  int number;

 private:
  SerialConfig config_;
  bool open_ = false;
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
