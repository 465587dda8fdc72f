// The platform services of this machine, chosen at start-up.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Endpoint.h"
#include "platform/PortAccess.h"
#include "platform/SerialLink.h"
#include "platform/System.h"

namespace qw77 {

// The environment variable that chooses the port access: "ppdev" (the default when unset
// or empty), or "<name>:<argument>" for a kind that needs an argument.
inline constexpr const char* kPortAccessVariable = "QW77_PORT_ACCESS";

// The port access that QW77_PORT_ACCESS names. An unknown name gives a port access whose
// InitializeWinIo fails, with FailureReason saying why, so that start-up ends cleanly.
std::unique_ptr<PortAccess> MakePortAccess();
// The same for a given choice (nullopt: unset).
std::unique_ptr<PortAccess> MakePortAccess(std::optional<std::string_view> choice);

// The control behind serial port `port` (1..3) for a COM port's endpoint (a serial device,
// a network printer or a printer-class device); nullptr for an endpoint a COM port cannot
// reach.
std::unique_ptr<SerialLink> MakeSerialControl(int port, const Endpoint& endpoint);
// The port access for LPT1 and LPT2 bound to these endpoints (ppdev, the virtual printer or
// a printer-class device).
std::unique_ptr<PortAccess> MakePortAccess(const Endpoint& lpt1, const Endpoint& lpt2);

// MSComm1..MSComm3, opening ports 1..3 (device per QW77_COM<n>, else /dev/ttyS<n-1>).
std::array<std::unique_ptr<SerialLink>, 3> MakeSerialControls();
std::unique_ptr<System> MakeSystem();
std::unique_ptr<Clock> MakeClock();

}  // namespace qw77
