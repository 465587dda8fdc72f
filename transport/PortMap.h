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
#include "transport/Binding.h"

namespace qw77 {

struct DeviceInfo;

// Looks up one environment variable; nullopt when it is not set. Injected so that tests never
// read or change the process environment.
using EnvLookup = std::function<std::optional<std::string>(std::string_view name)>;
// The lookup over this process's environment.
EnvLookup ProcessEnvironment();

// Indexed by PortName (PortIndex).
using PortMap = std::array<Binding, 5>;

struct PortMapSources {
  std::map<PortName, std::string> options;  // the command line's SPEC per port
  EnvLookup env;                            // empty: no environment at all
  std::filesystem::path settings_file;      // empty: none; a file that does not exist is fine
};

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
