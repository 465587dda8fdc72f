#include "platform/factory/PlatformFactory.h"

#include <cstdlib>
#include <string>

#include "platform/factory/RoutedPortAccess.h"
#include "platform/linux/Discovery.h"
#include "platform/linux/PpdevPortAccess.h"
#include "platform/linux/UsbLp.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SteadyClock.h"
#include "platform/posix/TcpSerialControl.h"
#include "platform/posix/TermiosSerialControl.h"
#include "platform/posix/VPrinterPortAccess.h"

namespace qw77 {
namespace {

// Stands in when the chosen port access does not exist: it refuses everything, and says
// why through FailureReason.
class UnavailablePortAccess : public PortAccess {
 public:
  explicit UnavailablePortAccess(std::string reason) : reason_(std::move(reason)) {}
  bool InitializeWinIo() override { return false; }
  bool ShutdownWinIo() override { return true; }
  bool GetPortVal(std::uint16_t, std::uint32_t&, std::uint8_t) override { return false; }
  bool SetPortVal(std::uint16_t, std::uint32_t, std::uint8_t) override { return false; }
  bool GetPhysLong(std::uint32_t, std::uint32_t&) override { return false; }
  std::string FailureReason() const override { return reason_; }

 private:
  std::string reason_;
};

using PortAccessMaker = std::unique_ptr<PortAccess> (*)(std::string_view argument);

struct PortAccessKind {
  std::string_view name;
  PortAccessMaker make;
};

// Each kind of port access by its name in QW77_PORT_ACCESS; the text after the first ':'
// is handed to the maker as its argument.
constexpr PortAccessKind kPortAccessKinds[] = {
    {"ppdev",
     [](std::string_view) -> std::unique_ptr<PortAccess> {
       return std::make_unique<PpdevPortAccess>();
     }},
    // The virtual printer's parallel interface: "vprinter:<socket path>".
    {"vprinter",
     [](std::string_view socket_path) -> std::unique_ptr<PortAccess> {
       return MakeVPrinterPortAccess(std::string(socket_path));
     }},
};

}  // namespace

std::unique_ptr<PortAccess> MakePortAccess(std::optional<std::string_view> choice) {
  std::string_view text = choice.value_or("");
  if (text.empty()) text = "ppdev";
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const std::string_view argument =
      colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  std::string known;
  for (const PortAccessKind& kind : kPortAccessKinds) {
    if (kind.name == name) return kind.make(argument);
    known += (known.empty() ? "" : ", ") + std::string(kind.name);
  }
  return std::make_unique<UnavailablePortAccess>(std::string(kPortAccessVariable) + "=\"" +
                                                 std::string(text) +
                                                 "\" names no port access (known: " + known + ")");
}

std::unique_ptr<PortAccess> MakePortAccess() {
  const char* value = std::getenv(kPortAccessVariable);
  return MakePortAccess(value ? std::optional<std::string_view>(value) : std::nullopt);
}

namespace {

// The parport number of "/dev/parportN"; nullopt for any other path.
std::optional<int> ParportIndex(const std::string& path) {
  constexpr std::string_view kPrefix = "/dev/parport";
  if (path.rfind(kPrefix, 0) != 0 || path.size() == kPrefix.size()) return std::nullopt;
  int index = 0;
  for (char c : std::string_view(path).substr(kPrefix.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + (c - '0');
  }
  return index;
}

std::unique_ptr<PortAccess> MakeOneLpt(const Endpoint& endpoint) {
  switch (endpoint.kind) {
    case EndpointKind::kPpdev:
      if (std::optional<int> index = ParportIndex(endpoint.path)) {
        return std::make_unique<PpdevPortAccess>(*index);
      }
      return std::make_unique<UnavailablePortAccess>(endpoint.path +
                                                     " is not a /dev/parportN device");
    case EndpointKind::kVPrinter:
      return MakeVPrinterPortAccess(endpoint.path);
    case EndpointKind::kUsbLp:
      return std::make_unique<UsbLpPortAccess>(MakeLpDevice(endpoint.path));
    case EndpointKind::kSerialDevice:
    case EndpointKind::kTcp:
      break;
  }
  return std::make_unique<UnavailablePortAccess>(endpoint.Spec() +
                                                 " cannot be reached through a parallel port");
}

}  // namespace

std::unique_ptr<SerialLink> MakeSerialControl(int port, const Endpoint& endpoint) {
  switch (endpoint.kind) {
    case EndpointKind::kSerialDevice: {
      TermiosOptions options;
      options.device = endpoint.path;
      return std::make_unique<TermiosSerialControl>(port, options);
    }
    case EndpointKind::kTcp:
      return std::make_unique<TcpSerialControl>(endpoint.host, endpoint.tcp_port);
    case EndpointKind::kUsbLp:
      return std::make_unique<UsbLpSerialControl>(MakeLpDevice(endpoint.path));
    case EndpointKind::kPpdev:
    case EndpointKind::kVPrinter:
      break;
  }
  return nullptr;
}

std::unique_ptr<PortAccess> MakePortAccess(const Endpoint& lpt1, const Endpoint& lpt2) {
  // Both ports on the machine's own parallel ports, as without a map: one ppdev access
  // lists them as the BIOS would.
  const bool plain_ppdev = lpt1.kind == EndpointKind::kPpdev && lpt1.path == "/dev/parport0" &&
                           lpt2.kind == EndpointKind::kPpdev && lpt2.path == "/dev/parport1";
  if (plain_ppdev) return std::make_unique<PpdevPortAccess>();
  return std::make_unique<RoutedPortAccess>(MakeOneLpt(lpt1), MakeOneLpt(lpt2));
}

std::array<std::unique_ptr<SerialLink>, 3> MakeSerialControls() {
  return {std::make_unique<TermiosSerialControl>(1), std::make_unique<TermiosSerialControl>(2),
          std::make_unique<TermiosSerialControl>(3)};
}

std::unique_ptr<System> MakeSystem() {
  return std::make_unique<LinuxSystem>();
}

std::unique_ptr<Clock> MakeClock() {
  return std::make_unique<SteadyClock>();
}

}  // namespace qw77
