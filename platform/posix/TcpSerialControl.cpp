#include "platform/posix/TcpSerialControl.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/Deadline.h"
#include "base/Errno.h"

namespace qw77 {
namespace {

using SteadyTime = std::chrono::steady_clock;

}  // namespace

TcpSerialControl::TcpSerialControl(std::string host, std::uint16_t tcp_port, TcpLimits limits)
    : host_(std::move(host)), tcp_port_(tcp_port), limits_(limits) {}

TcpSerialControl::~TcpSerialControl() {
  if (fd_ >= 0) ::close(fd_);
}

std::string TcpSerialControl::Address() const {
  const bool v6 = host_.find(':') != std::string::npos;
  return (v6 ? "[" + host_ + "]" : host_) + ":" + std::to_string(tcp_port_);
}

Status TcpSerialControl::OpenStream() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(tcp_port_);
  if (const int rc = getaddrinfo(host_.c_str(), service.c_str(), &hints, &found); rc != 0) {
    return {ErrorCode::kNotFound,
            "the printer's host name " + host_ + " cannot be resolved: " + gai_strerror(rc)};
  }
  const auto deadline = SteadyTime::now() + limits_.connect;
  int last_error = ETIMEDOUT;
  for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
    const int fd =
        ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      last_error = errno;
      continue;
    }
    int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      rc = ::poll(&p, 1, MillisecondsUntil(deadline));
      int err = ETIMEDOUT;
      if (rc > 0) {
        socklen_t len = sizeof err;
        (void)getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
      }
      rc = err == 0 ? 0 : -1;
      errno = err;
    }
    if (rc != 0) {
      last_error = errno;
      ::close(fd);
      continue;
    }
    const int one = 1;
    // Small requests (a status request is 4 bytes) go out at once.
    (void)setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    fd_ = fd;
  }
  freeaddrinfo(found);
  if (fd_ < 0) {
    std::string why = last_error == ETIMEDOUT
                          ? "no answer within " + std::to_string(limits_.connect.count()) + " ms"
                          : ErrnoText(last_error);
    return {ErrorCodeForErrno(last_error),
            "cannot connect to the printer at " + Address() + ": " + why};
  }
  peer_closed_ = false;
  peer_reset_ = false;
  rx_.clear();
  return Status::Ok();
}

Status TcpSerialControl::Close() {
  if (fd_ < 0) return Status::Ok();
  Status result;
  // Give the printer a bounded time to take what is still queued; a printer that closed
  // its end or stopped reading has not got the rest.
  const auto deadline = SteadyTime::now() + limits_.drain;
  while (true) {
    Receive();
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0) queued = 0;
    if (peer_reset_ || (peer_closed_ && queued > 0)) {
      result = {ErrorCode::kIo,
                "the printer at " + Address() + " closed the connection" +
                    (queued > 0 ? " with " + std::to_string(queued) + " byte(s) not taken"
                                : std::string())};
      break;
    }
    if (queued <= 0) break;
    const int wait_ms = MillisecondsUntil(deadline);
    if (wait_ms == 0) {
      result = {ErrorCode::kTimedOut, std::to_string(queued) + " byte(s) were not taken by the " +
                                          "printer at " + Address() + " within " +
                                          std::to_string(limits_.drain.count()) + " ms"};
      break;
    }
    pollfd p{fd_, POLLIN, 0};
    (void)::poll(&p, 1, std::min(wait_ms, 20));
  }
  // Bytes the printer's system has acknowledged may still sit unread in its buffer: say that
  // nothing more comes, and give the printer a moment to close in turn or to drop them.
  if (result.ok() && !peer_closed_ && ::shutdown(fd_, SHUT_WR) == 0) {
    const auto until = SteadyTime::now() + limits_.close_wait;
    while (!peer_closed_) {
      const int wait_ms = MillisecondsUntil(until);
      if (wait_ms == 0) break;
      pollfd p{fd_, POLLIN, 0};
      (void)::poll(&p, 1, wait_ms);
      Receive();
    }
    if (peer_reset_) {
      result = {ErrorCode::kIo,
                "the printer at " + Address() + " closed the connection before taking all of it"};
    }
  }
  ::close(fd_);
  fd_ = -1;
  rx_.clear();
  return result;
}

void TcpSerialControl::Receive() {
  if (fd_ < 0 || peer_closed_) return;
  std::uint8_t chunk[4096];
  while (true) {
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n > 0) {
      rx_.insert(rx_.end(), chunk, chunk + n);
      continue;
    }
    if (n == 0) {
      peer_closed_ = true;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      peer_closed_ = true;
      peer_reset_ = true;
    }
    return;
  }
}

WriteResult TcpSerialControl::Write(std::span<const std::uint8_t> bytes) {
  WriteResult result;
  if (fd_ < 0) {
    result.status = {ErrorCode::kNotOpen, "the connection to " + Address() + " is not open"};
    return result;
  }
  auto deadline = SteadyTime::now() + limits_.write;
  while (result.written < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + result.written, bytes.size() - result.written,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      result.written += static_cast<std::size_t>(n);
      deadline = SteadyTime::now() + limits_.write;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      const int err = errno;
      result.status = {ErrorCode::kIo,
                       err == EPIPE || err == ECONNRESET
                           ? "the printer at " + Address() + " closed the connection"
                           : "sending to " + Address() + " failed: " + ErrnoText(err)};
      return result;
    }
    const int wait_ms = MillisecondsUntil(deadline);
    if (wait_ms == 0) {
      result.status = {ErrorCode::kTimedOut, "the printer at " + Address() + " took no data for " +
                                                 std::to_string(limits_.write.count()) + " ms"};
      return result;
    }
    pollfd p{fd_, POLLOUT, 0};
    (void)::poll(&p, 1, wait_ms);
  }
  return result;
}

}  // namespace qw77
