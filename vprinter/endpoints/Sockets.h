// The socket calls the endpoints make, over each system's own socket library (its
// SocketApi.h, picked by the build, names the handle type and brings the system's headers).
// Every handle is non-blocking and not inherited by child processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SocketApi.h"
#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

// Readies the socket library (once per process; Windows needs it, POSIX does not).
Status StartSockets();

SocketHandle OpenStreamSocket(int family);
// The next connection waiting on `listener`, kNoSocket when there is none.
SocketHandle AcceptConnection(SocketHandle listener, sockaddr_storage& peer);
void CloseSocket(SocketHandle socket);
void SetSocketOption(SocketHandle socket, int level, int name, int value);

// What a send or a receive did: bytes moved (0 on a receive: the peer shut its side), or
// one of these.
inline constexpr long kWouldBlock = -1;
inline constexpr long kSocketFailed = -2;
long SendSome(SocketHandle socket, const std::uint8_t* data, std::size_t size);
long ReceiveSome(SocketHandle socket, std::uint8_t* data, std::size_t size);

// Waits until one of `fds` is ready or `timeout_ms` passes; -1 on a failure other than an
// interruption by a signal.
int WaitForSockets(std::vector<pollfd>& fds, int timeout_ms);

// Why getaddrinfo failed (its return value), in words.
std::string AddressLookupError(int rc);
// The cause of the last failed socket call, in words; whether it was an address in use.
std::string LastSocketError();
bool LastSocketErrorIsAddressInUse();

// Two connected handles: a byte written to `waker` makes a wait on `waiter` return, from
// any thread or a signal handler.
struct WakePair {
  SocketHandle waiter = kNoSocket;
  SocketHandle waker = kNoSocket;
};
WakePair OpenWakePair();
void CloseWakePair(WakePair& pair);
void Wake(const WakePair& pair);
void DrainWakes(const WakePair& pair);

}  // namespace qw77::vprinter
