#include "platform/SerialLink.h"

#include <algorithm>
#include <array>
#include <string>

#include "base/LineTiming.h"

namespace qw77 {
namespace {

constexpr std::array<int, 12> kBaudRates = {300,   600,   1200,  2400,   4800,   9600,
                                            19200, 38400, 57600, 115200, 230400, 460800};

}  // namespace

Status CheckSerialConfig(const SerialConfig& config) {
  if (std::find(kBaudRates.begin(), kBaudRates.end(), config.baud) == kBaudRates.end()) {
    return {ErrorCode::kInvalidArgument, std::to_string(config.baud) + " baud is not available"};
  }
  if (config.data_bits < 5 || config.data_bits > 8) {
    return {ErrorCode::kInvalidArgument, "data bits must be 5 to 8"};
  }
  if (config.stop_bits != 1 && config.stop_bits != 2) {
    return {ErrorCode::kInvalidArgument, "stop bits must be 1 or 2"};
  }
  return Status::Ok();
}

std::chrono::milliseconds SerialStallLimit(const SerialConfig& config, std::size_t buffer_bytes,
                                           std::chrono::milliseconds floor) {
  const auto drain = std::chrono::duration_cast<std::chrono::milliseconds>(
      WireTime(buffer_bytes, config.BitsPerCharacter(), config.baud));
  return std::max(floor, 2 * drain);
}

}  // namespace qw77
