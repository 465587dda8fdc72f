// Port access that reaches the virtual printer's parallel interface over its Unix-domain
// socket instead of real I/O ports. The printer appears as LPT1 at base 378h: the BIOS
// data area holds 0378h at 408h and nothing at 40Ah, and the three registers 378h..37Ah
// are read and written over the socket. Any other port is refused.
#pragma once

#include <memory>
#include <string>

#include "platform/PortAccess.h"

namespace qw77 {

inline constexpr std::uint16_t kVPrinterBase = 0x378;

// InitializeWinIo connects to `socket_path` and fails when nothing listens there.
std::unique_ptr<PortAccess> MakeVPrinterPortAccess(std::string socket_path);

}  // namespace qw77
