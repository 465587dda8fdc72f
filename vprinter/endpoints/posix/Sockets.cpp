#include "vprinter/endpoints/Sockets.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qw77::vprinter {

Status StartSockets() {
  return Status::Ok();
}

SocketHandle OpenStreamSocket(int family) {
  return socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

SocketHandle AcceptConnection(SocketHandle listener, sockaddr_storage& peer) {
  socklen_t length = sizeof peer;
  return accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length,
                 SOCK_NONBLOCK | SOCK_CLOEXEC);
}

void CloseSocket(SocketHandle socket) {
  if (socket != kNoSocket) close(socket);
}

void SetSocketOption(SocketHandle socket, int level, int name, int value) {
  setsockopt(socket, level, name, &value, sizeof value);
}

long SendSome(SocketHandle socket, const std::uint8_t* data, std::size_t size) {
  const ssize_t n = send(socket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n >= 0) return static_cast<long>(n);
  return errno == EAGAIN || errno == EINTR ? kWouldBlock : kSocketFailed;
}

long ReceiveSome(SocketHandle socket, std::uint8_t* data, std::size_t size) {
  const ssize_t n = recv(socket, data, size, MSG_DONTWAIT);
  if (n >= 0) return static_cast<long>(n);
  return errno == EAGAIN || errno == EINTR ? kWouldBlock : kSocketFailed;
}

int WaitForSockets(std::vector<pollfd>& fds, int timeout_ms) {
  const int ready = poll(fds.data(), fds.size(), timeout_ms);
  return ready < 0 && errno == EINTR ? 0 : ready;
}

std::string AddressLookupError(int rc) {
  return gai_strerror(rc);
}

std::string LastSocketError() {
  return std::strerror(errno);
}

bool LastSocketErrorIsAddressInUse() {
  return errno == EADDRINUSE;
}

// A pipe: its write end may be written from a signal handler.
WakePair OpenWakePair() {
  int ends[2];
  if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return {};
  return {ends[0], ends[1]};
}

void CloseWakePair(WakePair& pair) {
  CloseSocket(pair.waiter);
  CloseSocket(pair.waker);
  pair = {};
}

void Wake(const WakePair& pair) {
  if (pair.waker == kNoSocket) return;
  const char c = 1;
  [[maybe_unused]] const ssize_t n = write(pair.waker, &c, 1);
}

void DrainWakes(const WakePair& pair) {
  char buf[16];
  while (read(pair.waiter, buf, sizeof buf) > 0) {
  }
}

}  // namespace qw77::vprinter
