#include "platform/posix/StreamSerialControl.h"

#include <algorithm>

#include "platform/SerialSettings.h"

namespace qw77 {

Status StreamSerialControl::SetSettings(std::string_view settings) {
  Result<SerialSettings> parsed = ParseSerialSettings(settings);
  if (!parsed) return parsed.status();
  settings_ = std::string(settings);
  return Status::Ok();
}

Status StreamSerialControl::SetHandshaking(int mode) {
  if (mode != kHandshakeNone && mode != kHandshakeRtsCts) {
    return {ErrorCode::kInvalidArgument, "unknown handshaking " + std::to_string(mode)};
  }
  handshaking_ = mode;
  return Status::Ok();
}

std::size_t StreamSerialControl::InBufferCount() {
  Receive();
  return rx_.size();
}

std::vector<std::uint8_t> StreamSerialControl::Input() {
  Receive();
  std::size_t n = rx_.size();
  if (input_len_ > 0) n = std::min(n, static_cast<std::size_t>(input_len_));
  std::vector<std::uint8_t> out(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
  rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
  return out;
}

}  // namespace qw77
