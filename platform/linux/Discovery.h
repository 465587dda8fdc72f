// The devices of this machine, read straight from sysfs (no udev daemon needed).
#pragma once

#include <filesystem>
#include <vector>

#include "platform/Devices.h"
#include "platform/posix/PosixSystem.h"

namespace qw77 {

// Every device found under `root` (the machine's "/" normally; a fake tree in tests): serial
// ports first, then USB printers, then parallel ports, each by number. Paths in the result are
// as the machine names them ("/dev/..."), without `root`. A folder that cannot be read adds
// nothing: discovery only informs, it never refuses.
std::vector<DeviceInfo> DiscoverDevices(const std::filesystem::path& root = "/");

// The POSIX system that also knows the devices this machine has.
class LinuxSystem : public PosixSystem {
 public:
  std::vector<DeviceInfo> Devices() override { return DiscoverDevices("/"); }
};

}  // namespace qw77
