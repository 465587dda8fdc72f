// The POSIX socket headers, and the handle the endpoints keep: a file descriptor.
#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace qw77::vprinter {

using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;
// What a wait asks for to see a peer go while nothing is read (Linux's own event).
inline constexpr short kPollPeerGone = POLLRDHUP;

}  // namespace qw77::vprinter
