#include "platform/Endpoint.h"

namespace qw77 {

std::string_view PortNameText(PortName port) {
  switch (port) {
    case PortName::kCom1:
      return "COM1";
    case PortName::kCom2:
      return "COM2";
    case PortName::kCom3:
      return "COM3";
    case PortName::kLpt1:
      return "LPT1";
    case PortName::kLpt2:
      return "LPT2";
  }
  return {};
}

std::string Endpoint::Spec() const {
  switch (kind) {
    case EndpointKind::kSerialDevice:
      return path;
    case EndpointKind::kTcp:
      // An IPv6 address keeps its brackets, so that the text reads back as it was meant.
      return "tcp:" + (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
             std::to_string(tcp_port);
    case EndpointKind::kUsbLp:
      return "usblp:" + path;
    case EndpointKind::kPpdev:
      return "ppdev:" + path;
    case EndpointKind::kVPrinter:
      return "vprinter:" + path;
  }
  return path;
}

}  // namespace qw77
