#include "tests/fakes/FakeSerialControl.h"

namespace qw77::testing {

Status FakeSerialControl::Open(const SerialConfig& config) {
  // A link that stays open and only changes its flow control is not given new settings.
  const bool new_settings = !open_ || LineSettingsText(config) != Settings();
  if (new_settings && !settings_error.ok()) return settings_error;
  if (Status checked = CheckSerialConfig(config); !checked.ok()) return checked;
  if (!open_ && !open_error.ok()) return open_error;
  config_ = config;
  const int handshaking = HandshakingNumber(config.flow);
  log.push_back({LineEvent::kSettings, 0, handshaking, Settings()});
  if (!open_) {
    open_ = true;
    ++opens;
    log.push_back({LineEvent::kOpen, 0, handshaking, Settings()});
  }
  log.push_back({LineEvent::kHandshaking, handshaking, handshaking, Settings()});
  return Status::Ok();
}

Status FakeSerialControl::Close() {
  if (!open_) return Status::Ok();
  open_ = false;
  ++closes;
  rx_.clear();
  log.push_back({LineEvent::kClose, 0, Handshaking(), Settings()});
  return close_error;
}

WriteResult FakeSerialControl::Write(std::span<const std::uint8_t> bytes) {
  WriteResult result;
  if (!open_) {
    result.status = {ErrorCode::kNotOpen, "port not open"};
    return result;
  }
  for (std::uint8_t b : bytes) {
    // Counted only when asked for: a ticket with a logo is thousands of bytes.
    if (fail_after && Sent().size() >= *fail_after) {
      result.status = write_error;
      return result;
    }
    log.push_back({LineEvent::kByte, b, Handshaking(), Settings()});
    ++result.written;
    if (peer) peer(*this, b);
  }
  return result;
}

std::vector<std::uint8_t> FakeSerialControl::Read() {
  std::vector<std::uint8_t> out(rx_.begin(), rx_.end());
  rx_.clear();
  return out;
}

void FakeSerialControl::Receive(const std::vector<std::uint8_t>& bytes) {
  if (!open_) return;  // nobody listens on a closed port
  rx_.insert(rx_.end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> FakeSerialControl::Sent() const {
  std::vector<std::uint8_t> out;
  for (const LineEvent& e : log) {
    if (e.kind == LineEvent::kByte) out.push_back(static_cast<std::uint8_t>(e.value));
  }
  return out;
}

void StatusResponder::operator()(FakeSerialControl& port, std::uint8_t byte) {
  if (state_ == 2) {
    state_ = 0;
    if (byte >= 1 && byte <= 4 && answers_left > 0) {
      --answers_left;
      port.Receive(reply[byte]);
    }
    return;
  }
  if (state_ == 1) {
    state_ = byte == 0x04 ? 2 : (byte == 0x10 ? 1 : 0);
    return;
  }
  state_ = byte == 0x10 ? 1 : 0;
}

}  // namespace qw77::testing
