// The serial devices, USB printers and parallel ports a machine has, as its discovery
// (platform/linux) finds them, so the operator can see what a port could be bound to.
#pragma once

#include <string>
#include <vector>

#include "platform/Endpoint.h"

namespace qw77 {

struct DeviceInfo {
  std::string dev_path;              // "/dev/ttyUSB0", "/dev/usb/lp0", "/dev/parport0"
  std::string kind;                  // "USB-serial", "USB modem (CDC-ACM)", "serial port", ...
  std::vector<std::string> aliases;  // "/dev/serial/by-id/...", "/dev/serial/by-path/..."
  std::string usb_id;                // "0403:6001"; empty for a device not on USB
  std::string maker, model, serial;
};

inline constexpr std::string_view kKindUsbSerial = "USB-serial";
inline constexpr std::string_view kKindCdcAcm = "USB modem (CDC-ACM)";
inline constexpr std::string_view kKindSerialPort = "serial port";
inline constexpr std::string_view kKindUsbPrinter = "USB printer";
inline constexpr std::string_view kKindParallelPort = "parallel port";

// "USB-serial 0403:6001 FTDI FT232R USB UART": the kind, then whatever of the USB id, maker
// and model is known.
std::string DeviceSummary(const DeviceInfo& device);

// The device an endpoint opens: by its /dev path, one of its aliases, or, following symlinks
// on this machine, any other name that leads to it. Null for a network or socket endpoint and
// for a path that matches nothing found.
const DeviceInfo* FindDevice(const std::vector<DeviceInfo>& devices, const Endpoint& endpoint);

}  // namespace qw77
