// The Winsock headers, and the handle the endpoints keep: a SOCKET.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

namespace qw77::vprinter {

using SocketHandle = SOCKET;
inline constexpr SocketHandle kNoSocket = INVALID_SOCKET;
// WSAPoll takes no event for a peer that goes; it reports POLLHUP whatever was asked.
inline constexpr short kPollPeerGone = 0;

}  // namespace qw77::vprinter
