#include "platform/Devices.h"

#include <algorithm>
#include <filesystem>

namespace qw77 {

namespace fs = std::filesystem;

std::string DeviceSummary(const DeviceInfo& device) {
  std::string text = device.kind;
  for (const std::string* part : {&device.usb_id, &device.maker, &device.model}) {
    if (part->empty()) continue;
    if (!text.empty()) text += ' ';
    text += *part;
  }
  return text;
}

const DeviceInfo* FindDevice(const std::vector<DeviceInfo>& devices, const Endpoint& endpoint) {
  if (endpoint.kind == EndpointKind::kTcp || endpoint.kind == EndpointKind::kVPrinter ||
      endpoint.path.empty()) {
    return nullptr;
  }
  auto named = [&](const std::string& path) -> const DeviceInfo* {
    for (const DeviceInfo& device : devices) {
      if (device.dev_path == path ||
          std::find(device.aliases.begin(), device.aliases.end(), path) != device.aliases.end()) {
        return &device;
      }
    }
    return nullptr;
  };
  const std::string wanted = fs::path(endpoint.path).lexically_normal().string();
  if (const DeviceInfo* device = named(wanted)) return device;
  // Another link of the machine's own (a udev rule's name, a link the operator made).
  std::error_code ec;
  const fs::path real = fs::canonical(wanted, ec);
  if (!ec && real != wanted) return named(real.string());
  return nullptr;
}

}  // namespace qw77
