#include "platform/factory/PlatformFactory.h"

#include <string>

#include "platform/linux/Discovery.h"
#include "platform/linux/PpdevLink.h"
#include "platform/linux/UsbLp.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/SteadyClock.h"
#include "platform/posix/TcpSerialControl.h"
#include "platform/posix/TermiosSerialControl.h"
#include "platform/posix/VPrinterParallelLink.h"

namespace qw77 {
namespace {

// Stands in for a port whose endpoint no parallel link reaches: it fails to open, saying why.
std::unique_ptr<ParallelLink> Unavailable(std::string reason) {
  return std::make_unique<NoParallelPort>(std::move(reason), true);
}

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

std::unique_ptr<ParallelLink> MakeOneLpt(const Endpoint& endpoint) {
  switch (endpoint.kind) {
    case EndpointKind::kPpdev:
      if (std::optional<int> index = ParportIndex(endpoint.path)) {
        return std::make_unique<PpdevLink>(ParportChoice{ParportChoice::kIndex, *index});
      }
      return Unavailable(endpoint.path + " is not a /dev/parportN device");
    case EndpointKind::kVPrinter:
      return MakeVPrinterLink(endpoint.path);
    case EndpointKind::kUsbLp:
      return std::make_unique<UsbLpParallelLink>(MakeLpDevice(endpoint.path));
    case EndpointKind::kSerialDevice:
    case EndpointKind::kTcp:
      break;
  }
  return Unavailable(endpoint.Spec() + " cannot be reached through a parallel port");
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

std::array<std::unique_ptr<ParallelLink>, 2> MakeParallelLinks(const Endpoint& lpt1,
                                                               const Endpoint& lpt2) {
  // Both ports on the machine's own parallel ports, as without a map: LPT1 and LPT2 are the
  // first two ports the kernel lists, whatever their numbers.
  const bool plain_ppdev = lpt1.kind == EndpointKind::kPpdev && lpt1.path == "/dev/parport0" &&
                           lpt2.kind == EndpointKind::kPpdev && lpt2.path == "/dev/parport1";
  if (plain_ppdev) {
    return {std::make_unique<PpdevLink>(ParportChoice{ParportChoice::kPosition, 0}),
            std::make_unique<PpdevLink>(ParportChoice{ParportChoice::kPosition, 1})};
  }
  return {MakeOneLpt(lpt1), MakeOneLpt(lpt2)};
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
