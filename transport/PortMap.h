// The port map: which endpoint each of COM1..COM3, LPT1 and LPT2 reaches, and where that
// choice came from, so the operator can tell why a port opens what it opens.
//
// Sources, the first that names a port wins: the command line (--com1 .. --lpt2), the
// environment (QW77_COM1..QW77_COM3, QW77_LPT1, QW77_LPT2, and the older QW77_PORT_ACCESS for
// the parallel ports), the file $XDG_CONFIG_HOME/qw77/ports.ini, then the defaults (COMn ->
// /dev/ttyS<n-1>, LPTn -> ppdev:/dev/parport<n-1>).
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "base/Status.h"
#include "platform/Endpoint.h"

namespace qw77 {

struct DeviceInfo;

// Looks up one environment variable; nullopt when it is not set. Injected so that tests never
// read or change the process environment.
using EnvLookup = std::function<std::optional<std::string>(std::string_view name)>;
// The lookup over this process's environment.
EnvLookup ProcessEnvironment();

struct Binding {
  Endpoint endpoint;
  // Where it came from, in words: "--com1", "QW77_COM1", "/home/u/.config/qw77/ports.ini
  // line 3", "QW77_PORT_ACCESS" or "default".
  std::string origin;
};

// The origin of a binding that no source named.
inline constexpr std::string_view kDefaultOrigin = "default";

// Indexed by PortName (PortIndex).
using PortMap = std::array<Binding, 5>;
constexpr std::size_t PortIndex(PortName port) {
  return static_cast<std::size_t>(port);
}

struct PortMapSources {
  std::map<PortName, std::string> options;  // the command line's SPEC per port
  EnvLookup env;                            // empty: no environment at all
  std::filesystem::path settings_file;      // empty: none; a file that does not exist is fine
};

// One endpoint SPEC as the port map takes it for `port`:
//   COM1..COM3: an absolute serial device path, tcp:HOST[:PORT] (HOST a name, an IPv4
//               address or [IPv6]; PORT 1..65535, 9100 when left out), usblp:/dev/usb/lpN
//   LPT1, LPT2: ppdev:/dev/parportN, vprinter:SOCKET, usblp:/dev/usb/lpN
// A refused SPEC gives kInvalidArgument with a sentence of what the port takes. An IPv6 host
// is kept without its brackets (as a resolver takes it).
Result<Endpoint> ParseEndpoint(PortName port, std::string_view spec);

// What a port reaches when nothing names it.
Endpoint DefaultEndpoint(PortName port);

// $XDG_CONFIG_HOME/qw77/ports.ini, or ~/.config/qw77/ports.ini when XDG_CONFIG_HOME is unset,
// empty or relative (which the XDG rules say to ignore). Empty when HOME is not set either.
std::filesystem::path PortsFilePath(const EnvLookup& env);

// The map from its sources. Any SPEC that is refused refuses the whole map, with a message
// naming its source ("--com1: ...", "QW77_LPT1: ...", "<file> line 3: ..."): a port silently
// falling back to its default would print on a device the operator did not choose.
Result<PortMap> LoadPortMap(const PortMapSources& sources);

// The map as far as each port's own settings go, for a program that uses one port at a
// time: a refused SPEC refuses only the port it names (QW77_PORT_ACCESS both parallel
// ports; a ports file that cannot be taken, every port). A refused port keeps its default
// endpoint in `map` and its failure, as LoadPortMap words it, in `refused`.
struct PortMapByPort {
  PortMap map;
  std::array<Status, 5> refused;  // by PortIndex; ok for a port that was taken
};
PortMapByPort LoadPortMapByPort(const PortMapSources& sources);

// One line for a tool tip or a list: "COM1 - /dev/ttyUSB0, USB-serial 0403:6001 FTDI FT232R".
// `found` is the device the endpoint opens (FindDevice), or null.
std::string DescribeBinding(PortName port, const Binding& binding, const DeviceInfo* found);

}  // namespace qw77
