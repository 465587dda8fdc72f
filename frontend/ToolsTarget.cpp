#include "frontend/ToolsTarget.h"

#include "form/FrmMenu.h"
#include "jobs/JobState.h"
#include "transport/LineSettings.h"

namespace qw77::frontend {
namespace {

constexpr ControlId kComOptions[] = {ControlId::kOptCOM0, ControlId::kOptCOM1, ControlId::kOptCOM2};

// The endpoint line the start-up wrote under the option's own tip ("COM1 - /dev/ttyS0"),
// without the port's name; "" when there is none.
std::string ReachedBy(const FrmMenu& frm, int port) {
  const std::string& tip = frm.State().ToolTip(kComOptions[port - 1]);
  const auto newline = tip.find('\n');
  if (newline == std::string::npos) return {};
  std::string line = tip.substr(newline + 1);
  const std::string named = "COM" + std::to_string(port) + " - ";
  return line.starts_with(named) ? line.substr(named.size()) : line;
}

}  // namespace

Result<ToolsTarget> SelectedToolsTarget(FrmMenu& frm) {
  const int port = SelectedSerialPort(frm);
  if (port == 0) {
    const int lpt = SelectedParallelPort(frm);
    if (lpt == 0)
      return Status(ErrorCode::kInvalidArgument, "Select a COM port in the main window.");
    return Status(ErrorCode::kInvalidArgument,
                  "LPT" + std::to_string(lpt) + " cannot be used: each printer tool " +
                      std::string(kNeedsAnsweringPort) + ". Select a COM port in the main window.");
  }
  ToolsTarget target;
  target.port.name = "COM" + std::to_string(port);
  target.reaches = ReachedBy(frm, port);
  if (frm.SerialBaud.empty() || frm.SerialParity.empty()) {
    return Status(ErrorCode::kInvalidArgument,
                  "Pick a baud rate and a parity for " + target.port.name +
                      " in the main window (the window takes them when their option gets the "
                      "focus).");
  }
  target.settings = SerialSettingsString(frm);
  Result<SerialConfig> config = ParseLineSettings(target.settings);
  if (!config) return config.status();
  target.port.config = *config;
  target.port.link = &frm.MSComm(port);
  target.port.clock = frm.Svc().clock;
  return target;
}

std::string DescribeToolsTarget(FrmMenu& frm) {
  const Result<ToolsTarget> target = SelectedToolsTarget(frm);
  if (!target) return target.status().message();
  std::string text = target->port.name;
  if (!target->reaches.empty()) text += " (" + target->reaches + ")";
  return text + " at " + target->settings;
}

}  // namespace qw77::frontend
