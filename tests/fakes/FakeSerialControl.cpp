#include "tests/fakes/FakeSerialControl.h"

#include "platform/SerialSettings.h"

namespace qw77::testing {

Status FakeSerialControl::SetSettings(std::string_view settings) {
  if (!settings_error.ok()) return settings_error;
  Result<SerialSettings> parsed = ParseSerialSettings(settings);
  if (!parsed) return parsed.status();
  settings_ = std::string(settings);
  log.push_back({LineEvent::kSettings, 0, handshaking_, settings_});
  return Status::Ok();
}

Status FakeSerialControl::SetPortOpen(bool open) {
  if (open == open_) return Status::Ok();
  if (open) {
    if (!open_error.ok()) return open_error;
    open_ = true;
    ++opens;
    log.push_back({LineEvent::kOpen, 0, handshaking_, settings_});
  } else {
    open_ = false;
    ++closes;
    rx_.clear();
    log.push_back({LineEvent::kClose, 0, handshaking_, settings_});
    return close_error;
  }
  return Status::Ok();
}

Status FakeSerialControl::SetHandshaking(int mode) {
  if (mode != kHandshakeNone && mode != kHandshakeRtsCts) {
    return {ErrorCode::kInvalidArgument, "unknown handshaking mode"};
  }
  handshaking_ = mode;
  log.push_back({LineEvent::kHandshaking, mode, handshaking_, settings_});
  return Status::Ok();
}

WriteResult FakeSerialControl::Output(std::span<const std::uint8_t> bytes) {
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
    log.push_back({LineEvent::kByte, b, handshaking_, settings_});
    ++result.written;
    if (peer) peer(*this, b);
  }
  return result;
}

std::vector<std::uint8_t> FakeSerialControl::Input() {
  std::vector<std::uint8_t> out;
  std::size_t n = input_len_ > 0 ? static_cast<std::size_t>(input_len_) : rx_.size();
  while (n-- > 0 && !rx_.empty()) {
    out.push_back(rx_.front());
    rx_.pop_front();
  }
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
