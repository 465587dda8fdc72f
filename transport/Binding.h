// One port's endpoint as the operator writes it (a SPEC such as "tcp:printer:9100"), what a
// port reaches when nothing names it, and where a binding came from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Status.h"
#include "platform/Endpoint.h"

namespace qw77 {

struct Binding {
  Endpoint endpoint;
  // Where it came from, in words: "--com1", "QW77_COM1", "/home/u/.config/qw77/ports.ini
  // line 3", "QW77_PORT_ACCESS" or "default".
  std::string origin;
};

// The origin of a binding that no source named.
inline constexpr std::string_view kDefaultOrigin = "default";

// The index of a port in a port map.
constexpr std::size_t PortIndex(PortName port) {
  return static_cast<std::size_t>(port);
}

// One endpoint SPEC as the port map takes it for `port`:
//   COM1..COM3: an absolute serial device path, tcp:HOST[:PORT] (HOST a name, an IPv4
//               address or [IPv6]; PORT 1..65535, 9100 when left out), usblp:/dev/usb/lpN
//   LPT1, LPT2: ppdev:/dev/parportN, vprinter:SOCKET, usblp:/dev/usb/lpN
// A refused SPEC gives kInvalidArgument with a sentence of what the port takes. An IPv6 host
// is kept without its brackets (as a resolver takes it).
Result<Endpoint> ParseEndpoint(PortName port, std::string_view spec);

// What a port reaches when nothing names it.
Endpoint DefaultEndpoint(PortName port);

// The text in lower case (ASCII letters only).
std::string Lower(std::string_view text);
// The text as it was given, quoted, with control characters shown as \xNN so that a stray
// newline or escape sequence in a setting cannot garble the message it appears in.
std::string Quoted(std::string_view text);

}  // namespace qw77
