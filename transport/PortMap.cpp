#include "transport/PortMap.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include "platform/Devices.h"
#include "transport/PortsFile.h"
#include "transport/SystemNames.h"

namespace qw77 {
namespace {
constexpr std::string_view kLegacyAccessVariable = "QW77_PORT_ACCESS";

}  // namespace

EnvLookup ProcessEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

std::filesystem::path PortsFilePath(const EnvLookup& env) {
  const std::filesystem::path folder = SettingsFolder(env);
  if (folder.empty()) return {};
  return folder / "ports.ini";
}

Result<PortMap> LoadPortMap(const PortMapSources& sources) {
  PortMap map;
  std::array<bool, 5> bound{};
  // Every source is checked in full, also where a higher one already named the port: a
  // setting that is wrong should be said now, not when the higher one is taken away.
  auto bind = [&](PortName port, Endpoint endpoint, std::string origin) {
    const std::size_t index = PortIndex(port);
    if (bound[index]) return;
    map[index] = Binding{std::move(endpoint), std::move(origin)};
    bound[index] = true;
  };
  auto from_source = [&](PortName port, std::string_view spec,
                         const std::string& origin) -> Status {
    Result<Endpoint> endpoint = ParseEndpoint(port, spec);
    if (!endpoint)
      return Status(ErrorCode::kInvalidArgument, origin + ": " + endpoint.status().message());
    bind(port, std::move(*endpoint), origin);
    return Status::Ok();
  };

  for (const auto& [port, spec] : sources.options) {
    if (Status s = from_source(port, spec, "--" + Lower(PortNameText(port))); !s) return s;
  }

  // An empty variable counts as unset, as QW77_COMn always has.
  auto env = [&](std::string_view name) -> std::optional<std::string> {
    if (!sources.env) return std::nullopt;
    std::optional<std::string> value = sources.env(name);
    if (value && value->empty()) return std::nullopt;
    return value;
  };
  for (PortName port : kPortNames) {
    const std::string name = "QW77_" + std::string(PortNameText(port));
    if (std::optional<std::string> spec = env(name)) {
      if (Status s = from_source(port, *spec, name); !s) return s;
    }
  }
  // The older switch for the parallel ports, below QW77_LPT1/QW77_LPT2: "ppdev" names both
  // ports' usual devices, "vprinter:SOCKET" puts the virtual printer on LPT1.
  if (std::optional<std::string> access = env(kLegacyAccessVariable)) {
    const std::string origin(kLegacyAccessVariable);
    if (*access == "ppdev") {
      bind(PortName::kLpt1, DefaultEndpoint(PortName::kLpt1), origin);
      bind(PortName::kLpt2, DefaultEndpoint(PortName::kLpt2), origin);
    } else if (Lower(access->substr(0, access->find(':'))) == "vprinter") {
      if (Status s = from_source(PortName::kLpt1, *access, origin); !s) return s;
    } else {
      return Status(ErrorCode::kInvalidArgument,
                    origin + " takes ppdev or vprinter:SOCKET; got " + Quoted(*access));
    }
  }

  if (!sources.settings_file.empty()) {
    Result<PortsFileBindings> file = ReadPortsFile(sources.settings_file);
    if (!file) return file.status();
    for (PortName port : kPortNames) {
      if (auto& binding = (*file)[PortIndex(port)]) bind(port, binding->endpoint, binding->origin);
    }
  }

  for (PortName port : kPortNames) bind(port, DefaultEndpoint(port), std::string(kDefaultOrigin));
  return map;
}

PortMapByPort LoadPortMapByPort(const PortMapSources& sources) {
  PortMapByPort result;
  for (PortName port : kPortNames) {
    // The sources as they concern this port alone.
    PortMapSources own;
    if (auto it = sources.options.find(port); it != sources.options.end()) {
      own.options.insert(*it);
    }
    const std::string variable = "QW77_" + std::string(PortNameText(port));
    if (sources.env) {
      own.env = [&sources, variable, port](std::string_view name) -> std::optional<std::string> {
        const bool own_name =
            name == variable || (!IsSerialPort(port) && name == kLegacyAccessVariable);
        return own_name ? sources.env(name) : std::nullopt;
      };
    }
    own.settings_file = sources.settings_file;
    const std::size_t index = PortIndex(port);
    Result<PortMap> loaded = LoadPortMap(own);
    if (loaded) {
      result.map[index] = (*loaded)[index];
    } else {
      result.map[index] = Binding{DefaultEndpoint(port), std::string(kDefaultOrigin)};
      result.refused[index] = loaded.status();
    }
  }
  return result;
}

std::string DescribeBinding(PortName port, const Binding& binding, const DeviceInfo* found) {
  std::string line = std::string(PortNameText(port)) + " - " + binding.endpoint.Spec();
  if (found != nullptr) line += ", " + DeviceSummary(*found);
  return line;
}

}  // namespace qw77
