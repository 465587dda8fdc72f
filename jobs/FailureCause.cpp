#include "jobs/FailureCause.h"

#include <cctype>

namespace qw77 {

std::string DescribeCause(const Status& why, const std::vector<std::string>& existing_devices) {
  if (why.ok() || why.message().empty()) return {};
  std::string text = why.message();
  text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
  text += ".\n\n";
  switch (why.code()) {
    case ErrorCode::kPermission:
      text +=
          "Serial devices belong to the dialout group and printer devices to the lp "
          "group: join the one the device belongs to (sudo adduser $USER dialout, or lp) "
          "and log in again.";
      break;
    case ErrorCode::kBusy:
      text +=
          "Another program holds the device, often the print spooler; close it or take "
          "the printer out of the spooler's queue, then try again.";
      break;
    case ErrorCode::kNotFound:
      text += "The device is not there: check that the printer is plugged in and switched on.";
      if (existing_devices.empty()) {
        text += " No serial or printer device was found on this machine.";
      } else {
        text += " Devices found:";
        for (const std::string& d : existing_devices) text += "\n  " + d;
      }
      break;
    case ErrorCode::kIo:
      text += "The device stopped answering; it may have been unplugged or switched off.";
      break;
    case ErrorCode::kTimedOut:
      text += "The printer stopped taking data: check paper, cover and cable.";
      break;
    default:
      text.resize(text.size() - 2);  // the system's words alone
      break;
  }
  return text;
}

std::string DescribeCause(const Status& why, System& system) {
  std::vector<std::string> out;
  if (why.code() != ErrorCode::kNotFound) return DescribeCause(why, out);
  for (const DeviceInfo& d : system.Devices())
    out.push_back(d.dev_path + " (" + DeviceSummary(d) + ")");
  return DescribeCause(why, out);
}

}  // namespace qw77
