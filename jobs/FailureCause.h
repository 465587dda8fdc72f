// The cause behind a failed job, told to the operator as a message box's detailed text: what
// the system said, about which device, and what to do about it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "platform/System.h"

namespace qw77 {

// The system's words and the advice that fits the failure: join the group that owns such
// devices (dialout for serial devices, lp for printers), find the program holding a busy
// device (often the print spooler), or plug the printer in (naming the devices that do
// exist). Empty for a failure with no cause worth more than its text.
std::string DescribeCause(const Status& why, const std::vector<std::string>& existing_devices);

// The same, naming the serial and printer devices this machine has when the device is missing.
std::string DescribeCause(const Status& why, System& system);

}  // namespace qw77
