#include "transport/Binding.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "transport/SystemNames.h"

namespace qw77 {
namespace {

constexpr std::string_view kParallelTakes =
    "ppdev:/dev/parportN, vprinter:SOCKET or usblp:/dev/usb/lpN";

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

Status Refuse(PortName port, std::string_view spec, std::string_view why) {
  std::string message = std::string(PortNameText(port)) + " takes " +
                        std::string(IsSerialPort(port) ? SerialSpecsTaken() : kParallelTakes) +
                        "; got " + Quoted(spec);
  if (!why.empty()) message += " (" + std::string(why) + ")";
  return Status(ErrorCode::kInvalidArgument, message);
}

// Why a device path cannot be opened as given, or empty when it can.
std::string DevicePathProblem(std::string_view path) {
  if (path.empty()) return "the device path is missing";
  if (path.front() != '/') return "a device path must be absolute";
  if (HasControlCharacter(path)) return "the path holds a control character";
  return {};
}

bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > 253) return false;
  if (host.back() == '.') host.remove_suffix(1);  // a fully qualified name may end in a dot
  std::size_t start = 0;
  while (start <= host.size()) {
    const std::size_t dot = std::min(host.find('.', start), host.size());
    const std::string_view label = host.substr(start, dot - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
      return false;
    }
    for (unsigned char c : label) {
      if (!std::isalnum(c) && c != '-' && c != '_') return false;
    }
    start = dot + 1;
  }
  return true;
}

std::string HostProblem(std::string_view host, bool bracketed) {
  if (host.empty()) return "the host is missing";
  if (bracketed) {
    // A link-local address may carry its interface after '%' (fe80::1%eth0).
    const std::string_view address = host.substr(0, host.find('%'));
    if (!IsIpv6Address(std::string(address))) {
      return Quoted(host) + " is not an IPv6 address";
    }
    return {};
  }
  const bool dotted_digits = std::all_of(
      host.begin(), host.end(), [](unsigned char c) { return std::isdigit(c) || c == '.'; });
  if (dotted_digits) {
    if (!IsIpv4Address(std::string(host))) {
      return Quoted(host) + " is not an IPv4 address";
    }
    return {};
  }
  if (!IsHostName(host)) return Quoted(host) + " is not a host name";
  return {};
}

// tcp:HOST or tcp:HOST:PORT; the text after "tcp:" in `rest`. Empty when parsed into `out`.
std::string ParseTcp(std::string_view rest, Endpoint& out) {
  std::string_view host = rest;
  std::optional<std::string_view> port_text;
  bool bracketed = false;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return "an IPv6 address needs its closing ]";
    host = rest.substr(1, close - 1);
    bracketed = true;
    const std::string_view after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return "only :PORT may follow the ]";
      port_text = after.substr(1);
    }
  } else {
    const std::size_t colon = rest.find(':');
    if (colon != std::string_view::npos) {
      if (rest.find(':', colon + 1) != std::string_view::npos) {
        return "an IPv6 address goes in brackets, as in tcp:[::1]:9100";
      }
      host = rest.substr(0, colon);
      port_text = rest.substr(colon + 1);
    }
  }
  if (std::string problem = HostProblem(host, bracketed); !problem.empty()) return problem;

  std::uint16_t port = kDefaultTcpPort;
  if (port_text) {
    unsigned value = 0;
    const char* first = port_text->data();
    const char* last = first + port_text->size();
    const auto [stop, ec] = std::from_chars(first, last, value);
    if (port_text->empty() || ec != std::errc() || stop != last || value < 1 || value > 65535) {
      return "the TCP port must be a number from 1 to 65535";
    }
    port = static_cast<std::uint16_t>(value);
  }
  out = Endpoint{EndpointKind::kTcp, {}, std::string(host), port};
  return {};
}

// The bound on a Unix-domain socket's path (108 bytes in sockaddr_un, the terminating NUL
// taking one).
constexpr std::size_t kMaxSocketPath = 107;

}  // namespace

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      if (c == '"' || c == '\\') out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

Result<Endpoint> ParseEndpoint(PortName port, std::string_view spec) {
  const bool serial = IsSerialPort(port);
  if (spec.empty()) return Refuse(port, spec, "nothing was given");
  if (IsSerialDeviceSpec(spec)) {
    // A path alone names a serial device; by-path names hold ':' of their own, so a path is
    // told apart by its leading '/' before any kind prefix is looked for.
    if (!serial) {
      return Refuse(port, spec, "a device path alone names a serial device, for COM1 to COM3");
    }
    std::string problem = SerialDeviceProblem(spec);
    if (problem.empty() && HasControlCharacter(spec))
      problem = "the path holds a control character";
    if (!problem.empty()) {
      return Refuse(port, spec, problem);
    }
    return Endpoint{EndpointKind::kSerialDevice, std::string(spec), {}, kDefaultTcpPort};
  }

  const std::size_t colon = spec.find(':');
  if (colon == std::string_view::npos) {
    return Refuse(port, spec, serial ? SerialDeviceProblem(spec) : "");
  }
  const std::string kind = Lower(spec.substr(0, colon));
  const std::string_view rest = spec.substr(colon + 1);
  Endpoint endpoint;
  if (kind == "tcp") {
    if (!serial) return Refuse(port, spec, "a network printer serves COM1 to COM3 only");
    if (std::string problem = ParseTcp(rest, endpoint); !problem.empty()) {
      return Refuse(port, spec, problem);
    }
    return endpoint;
  }
  if (kind == "usblp" || kind == "ppdev") {
    if (kind == "ppdev" && serial) {
      return Refuse(port, spec, "a parallel port serves LPT1 and LPT2 only");
    }
    if (std::string problem = DevicePathProblem(rest); !problem.empty()) {
      return Refuse(port, spec, problem);
    }
    const EndpointKind endpoint_kind =
        kind == "ppdev" ? EndpointKind::kPpdev : EndpointKind::kUsbLp;
    return Endpoint{endpoint_kind, std::string(rest), {}, kDefaultTcpPort};
  }
  if (kind == "vprinter") {
    if (serial) {
      return Refuse(port, spec,
                    "the virtual printer's socket serves LPT1 and LPT2; its serial side is a "
                    "device path");
    }
    if (rest.empty()) return Refuse(port, spec, "the socket path is missing");
    if (HasControlCharacter(rest)) return Refuse(port, spec, "the path holds a control character");
    if (rest.size() > kMaxSocketPath) {
      return Refuse(port, spec,
                    "a socket path is at most " + std::to_string(kMaxSocketPath) + " bytes long");
    }
    return Endpoint{EndpointKind::kVPrinter, std::string(rest), {}, kDefaultTcpPort};
  }
  return Refuse(port, spec, Quoted(spec.substr(0, colon)) + " is no kind of endpoint");
}

Endpoint DefaultEndpoint(PortName port) {
  const std::size_t index = PortIndex(port);
  if (IsSerialPort(port)) {
    return Endpoint{EndpointKind::kSerialDevice, DefaultSerialDevice(index), {}, kDefaultTcpPort};
  }
  return Endpoint{EndpointKind::kPpdev,
                  "/dev/parport" + std::to_string(index - PortIndex(PortName::kLpt1)),
                  {},
                  kDefaultTcpPort};
}

}  // namespace qw77
