#include "transport/PortListing.h"

#include "transport/SystemNames.h"

namespace qw77 {
namespace {

void WriteField(std::ostream& out, std::string_view label, const std::string& value) {
  if (value.empty()) return;
  out << "  " << label << std::string(9 - label.size(), ' ') << value << '\n';
}

}  // namespace

void WritePortListing(std::ostream& out, const PortMap& map, const std::vector<DeviceInfo>& devices,
                      const std::array<Status, 5>* refused) {
  out << "Devices found: " << devices.size() << '\n';
  for (const DeviceInfo& device : devices) {
    out << '\n' << device.dev_path << '\n';
    WriteField(out, "kind", device.kind);
    WriteField(out, "USB id", device.usb_id);
    WriteField(out, "maker", device.maker);
    WriteField(out, "model", device.model);
    WriteField(out, "serial", device.serial);
    for (std::size_t i = 0; i < device.aliases.size(); ++i) {
      WriteField(out, i == 0 ? "also" : "", device.aliases[i]);
    }
  }

  out << "\nPorts:\n";
  for (PortName port : kPortNames) {
    const Binding& binding = map[PortIndex(port)];
    if (refused != nullptr && !(*refused)[PortIndex(port)].ok()) {
      out << "  " << PortNameText(port) << " - refused: " << (*refused)[PortIndex(port)].message()
          << '\n';
      continue;
    }
    const bool is_default = binding.origin == kDefaultOrigin;
    out << "  ";
    if (!IsSerialPort(port) && !ParallelPortsMissing().empty()) {
      // The default would be another system's device; a binding is shown as it was given.
      out << PortNameText(port) << " - " << (is_default ? "" : binding.endpoint.Spec() + ": ")
          << ParallelPortsMissing();
    } else {
      out << DescribeBinding(port, binding, FindDevice(devices, binding.endpoint));
    }
    out << "  (" << (is_default ? "" : "from ") << binding.origin << ")\n";
  }
}

}  // namespace qw77
