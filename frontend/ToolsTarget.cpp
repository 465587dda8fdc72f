#include "frontend/ToolsTarget.h"

#include "form/FrmMenu.h"
#include "jobs/WindowJobs.h"

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
  const JobInputs in = WindowJobInputs(frm);
  if (in.serial_port == 0) {
    if (in.parallel_port == 0) {
      return Status(ErrorCode::kInvalidArgument, "Select a COM port in the main window.");
    }
    return Status(ErrorCode::kInvalidArgument,
                  "LPT" + std::to_string(in.parallel_port) + " cannot be used: each printer tool " +
                      std::string(kNeedsAnsweringPort) + ". Select a COM port in the main window.");
  }
  ToolsTarget target;
  target.port.name = "COM" + std::to_string(in.serial_port);
  target.reaches = ReachedBy(frm, in.serial_port);
  if (frm.SerialBaud.empty() || frm.SerialParity.empty()) {
    return Status(ErrorCode::kInvalidArgument,
                  "Pick a baud rate and a parity for " + target.port.name +
                      " in the main window (the window takes them when their option gets the "
                      "focus).");
  }
  if (!in.line) return in.line.status();
  target.settings = SerialSettingsString(frm);
  target.port.config = *in.line;
  target.port.link = &in.Link();
  target.port.clock = in.clock;
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
