#include "platform/posix/StreamSerialControl.h"

namespace qw77 {

Status StreamSerialControl::Open(const SerialConfig& config) {
  if (Status checked = CheckSerialConfig(config); !checked.ok()) return checked;
  return IsOpen() ? Status::Ok() : OpenStream();
}

std::size_t StreamSerialControl::Available() {
  Receive();
  return rx_.size();
}

std::vector<std::uint8_t> StreamSerialControl::Read() {
  Receive();
  std::vector<std::uint8_t> out(rx_.begin(), rx_.end());
  rx_.clear();
  return out;
}

}  // namespace qw77
