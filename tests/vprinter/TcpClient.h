// A client of the virtual printer's TCP endpoint, for the tests that talk to it directly.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace qw77::vprinter::testing {

// A non-blocking client of the TCP endpoint, over loopback only; small buffers, so that a
// client that does not read is soon held back.
inline int ConnectTcp(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int small = 8192;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

}  // namespace qw77::vprinter::testing
