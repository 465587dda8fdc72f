// The window's serial port numbers, and how the start-up renumbers them on the system family
// that reaches its serial devices through aliases.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/System.h"

namespace qw77 {

// The family a version word of the older Windows interface names: bit 31 clear for the NT
// family, whose major version is the low byte; bit 31 set for the older family.
OsFamily OsFamilyFromVersionWord(std::uint32_t version);

struct ComPortNumbering {
  std::array<int, 3> numbers{1, 2, 3};  // what MSComm1..MSComm3 open
  std::vector<DeviceAlias> aliases;     // to define before any of them opens
};

// MSComm1..MSComm3 open ports 1..3, except on the NT 5 family, where they open COM5..COM7,
// aliases defined at start-up for the raw devices \Device\Serial0..2.
ComPortNumbering NumberComPorts(OsFamily family);

}  // namespace qw77
