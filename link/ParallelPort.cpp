#include "link/ParallelPort.h"

#include <charconv>
#include <iostream>

#include "ui/FrmMenu.h"
#include "ui/StartUp.h"

namespace qw77 {
namespace {

// The one reaction to a refused access: tell the operator, close the window (its unload
// releases the port access) and make sure nothing touches the hardware afterwards.
void HardwareFailure(FrmMenu& frm) {
  frm.program_ending = true;
  // The operator gets the one fixed message; whoever reads the log learns the cause.
  const std::string reason = frm.Svc().port_access->FailureReason();
  if (!reason.empty()) std::cerr << "qw77: port access: " << reason << '\n';
  frm.Svc().window->MsgBox("Hardware port error", MessageIcon::kCritical, kHardwareErrorTitle);
  frm.Svc().window->CloseMainWindow();
}

// An I/O port address: 16 bits. Texts 8000..FFFF are the same 16-bit pattern (a negative
// number to a signed 16-bit port argument), which is just the unsigned value here.
std::optional<std::uint16_t> PortNumber(std::string_view text) {
  std::optional<std::uint32_t> value = ParseHexText(text);
  if (!value || *value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(*value);
}

}  // namespace

std::string HexText(std::uint32_t value) {
  char buffer[9];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  std::string text(buffer, end);
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::optional<std::uint32_t> ParseHexText(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool LptBaseAddress(FrmMenu& frm, int port, std::string& data, std::string& status,
                    std::string& control) {
  std::uint32_t word = 0;
  if (port == 1) word = PhysRead(frm, "0408");
  if (port == 2) word = PhysRead(frm, "040A");
  // The BIOS keeps 16-bit entries two bytes apart; the upper half of the word is the next.
  const std::uint32_t base = word & 0xFFFF;
  data = HexText(base);
  status = HexText(base + 1);
  control = HexText(base + 2);
  return base != 0;
}

std::uint32_t PortRead(FrmMenu& frm, std::string_view address) {
  if (frm.program_ending) return 0;
  std::optional<std::uint16_t> port = PortNumber(address);
  std::uint32_t value = 0;
  if (!port || !frm.Svc().port_access->GetPortVal(*port, value, 1)) {
    HardwareFailure(frm);
    return 0;
  }
  return value;
}

void PortWrite(FrmMenu& frm, std::string_view address, std::string_view value) {
  if (frm.program_ending) return;
  std::optional<std::uint16_t> port = PortNumber(address);
  std::optional<std::uint32_t> number = ParseHexText(value);
  if (!port || !number || !frm.Svc().port_access->SetPortVal(*port, *number, 1)) {
    HardwareFailure(frm);
  }
}

std::uint32_t PhysRead(FrmMenu& frm, std::string_view address) {
  if (frm.program_ending) return 0;
  std::optional<std::uint32_t> physical = ParseHexText(address);
  std::uint32_t value = 0;
  if (!physical || !frm.Svc().port_access->GetPhysLong(*physical, value)) {
    HardwareFailure(frm);
    return 0;
  }
  return value;
}

void StrobeByte(FrmMenu& frm, std::string_view data, std::string_view control,
                std::uint32_t value) {
  PortWrite(frm, data, HexText(value));
  PortWrite(frm, control, "CD");
  PortWrite(frm, control, "CC");
}

}  // namespace qw77
