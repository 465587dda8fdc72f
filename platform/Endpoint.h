// What a port name of the window reaches: a serial device, a network printer, a USB printer
// or a parallel port interface. The port map binds each of COM1..COM3, LPT1 and LPT2 to one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qw77 {

enum class PortName : std::uint8_t { kCom1, kCom2, kCom3, kLpt1, kLpt2 };
inline constexpr std::array<PortName, 5> kPortNames = {
    PortName::kCom1, PortName::kCom2, PortName::kCom3, PortName::kLpt1, PortName::kLpt2};
// "COM1" .. "LPT2".
std::string_view PortNameText(PortName port);
constexpr bool IsSerialPort(PortName port) {
  return port == PortName::kCom1 || port == PortName::kCom2 || port == PortName::kCom3;
}

enum class EndpointKind : std::uint8_t {
  kSerialDevice,  // a terminal device: /dev/ttyUSB0, /dev/serial/by-id/..., a pseudo-terminal
  kTcp,           // tcp:HOST[:PORT], the raw byte stream of a network printer
  kUsbLp,         // usblp:/dev/usb/lpN or usblp:/dev/lpN, the kernel's printer-class device
  kPpdev,         // ppdev:/dev/parportN, a parallel port through the kernel's ppdev driver
  kVPrinter,      // vprinter:<socket>, the virtual printer's parallel interface
};

struct Endpoint {
  EndpointKind kind = EndpointKind::kSerialDevice;
  std::string path;  // the device or socket path (empty for kTcp)
  std::string host;  // kTcp only
  std::uint16_t tcp_port = 9100;

  // The endpoint as a port map names it: "/dev/ttyUSB0", "tcp:printer.local:9100", ...
  std::string Spec() const;
  friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

inline constexpr std::uint16_t kDefaultTcpPort = 9100;

}  // namespace qw77
