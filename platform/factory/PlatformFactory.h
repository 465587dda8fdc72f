// The platform services of this machine, chosen at start-up.
#pragma once

#include <array>
#include <memory>

#include "platform/Clock.h"
#include "platform/Endpoint.h"
#include "platform/ParallelLink.h"
#include "platform/SerialLink.h"
#include "platform/System.h"

namespace qw77 {

// The control behind serial port `port` (1..3) for a COM port's endpoint (a serial device,
// a network printer or a printer-class device); nullptr for an endpoint a COM port cannot
// reach.
std::unique_ptr<SerialLink> MakeSerialControl(int port, const Endpoint& endpoint);
// The links of LPT1 and LPT2 bound to these endpoints (ppdev, the virtual printer or a
// printer-class device). A link for an endpoint a parallel port cannot reach fails to open,
// saying why.
std::array<std::unique_ptr<ParallelLink>, 2> MakeParallelLinks(const Endpoint& lpt1,
                                                               const Endpoint& lpt2);

// MSComm1..MSComm3, opening ports 1..3 (device per QW77_COM<n>, else /dev/ttyS<n-1>).
std::array<std::unique_ptr<SerialLink>, 3> MakeSerialControls();
std::unique_ptr<System> MakeSystem();
std::unique_ptr<Clock> MakeClock();

}  // namespace qw77
