// What `qw77 --list-ports` and `qw77-cli ports` print: the devices found and what each port
// is bound to, with where that binding came from.
#pragma once

#include <ostream>
#include <vector>

#include "platform/Devices.h"
#include "transport/PortMap.h"

namespace qw77 {

void WritePortListing(std::ostream& out, const PortMap& map,
                      const std::vector<DeviceInfo>& devices);

}  // namespace qw77
