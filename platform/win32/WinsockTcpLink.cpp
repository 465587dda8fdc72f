#include "platform/win32/WinsockTcpLink.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "base/Deadline.h"
#include "base/WindowsError.h"

namespace qw77 {
namespace {

using SteadyTime = std::chrono::steady_clock;

// Winsock is started once for the process and left running.
int StartWinsock() {
  static std::once_flag once;
  static int result = 0;
  std::call_once(once, [] {
    WSADATA data{};
    result = WSAStartup(MAKEWORD(2, 2), &data);
  });
  return result;
}

std::string WinsockText(int error) {
  return WindowsErrorText(static_cast<unsigned long>(error));
}

}  // namespace

WinsockTcpLink::WinsockTcpLink(std::string host, std::uint16_t tcp_port, TcpLimits limits)
    : host_(std::move(host)), tcp_port_(tcp_port), limits_(limits) {}

WinsockTcpLink::~WinsockTcpLink() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

std::string WinsockTcpLink::Address() const {
  const bool v6 = host_.find(':') != std::string::npos;
  return (v6 ? "[" + host_ + "]" : host_) + ":" + std::to_string(tcp_port_);
}

void WinsockTcpLink::WaitFor(short events, int wait_ms) const {
  WSAPOLLFD p{socket_, events, 0};
  (void)WSAPoll(&p, 1, wait_ms);
}

Status WinsockTcpLink::OpenStream() {
  if (const int rc = StartWinsock(); rc != 0) {
    return {ErrorCode::kIo, "cannot start Windows sockets: " + WinsockText(rc)};
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(tcp_port_);
  if (const int rc = getaddrinfo(host_.c_str(), service.c_str(), &hints, &found); rc != 0) {
    return {ErrorCode::kUnreachable,
            "the printer's host name " + host_ + " cannot be resolved: " + WinsockText(rc)};
  }
  const auto deadline = SteadyTime::now() + limits_.connect;
  int last_error = WSAETIMEDOUT;
  for (addrinfo* a = found; a != nullptr && socket_ == INVALID_SOCKET; a = a->ai_next) {
    const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) {
      last_error = WSAGetLastError();
      continue;
    }
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
    int rc = ::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen));
    int err = rc == 0 ? 0 : WSAGetLastError();
    if (rc != 0 && err == WSAEWOULDBLOCK) {
      // A refused connection shows as an error event; its cause is in SO_ERROR.
      WSAPOLLFD p{s, POLLWRNORM, 0};
      err = WSAETIMEDOUT;
      if (WSAPoll(&p, 1, MillisecondsUntil(deadline)) > 0) {
        int len = sizeof err;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
      }
    }
    if (err != 0) {
      last_error = err;
      closesocket(s);
      continue;
    }
    const BOOL one = TRUE;
    // Small requests (a status request is 4 bytes) go out at once.
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    socket_ = s;
  }
  freeaddrinfo(found);
  if (socket_ == INVALID_SOCKET) {
    const std::string why =
        last_error == WSAETIMEDOUT
            ? "no answer within " + std::to_string(limits_.connect.count()) + " ms"
            : WinsockText(last_error);
    const ErrorCode code =
        last_error == WSAEACCES ? ErrorCode::kPermission : ErrorCode::kUnreachable;
    return {code, "cannot connect to the printer at " + Address() + ": " + why};
  }
  peer_closed_ = false;
  peer_reset_ = false;
  reset_error_ = 0;
  rx_.clear();
  return Status::Ok();
}

// Windows cannot tell how much of what was sent the printer has not taken yet: closing says
// nothing more comes and waits a bounded time for the printer to close in turn; a printer
// that resets the connection meanwhile did not take it all.
Status WinsockTcpLink::Close() {
  if (socket_ == INVALID_SOCKET) return Status::Ok();
  Status result;
  Receive();
  if (peer_reset_) {
    result = {ErrorCode::kIo, "the printer at " + Address() + " closed the connection"};
  } else if (!peer_closed_ && ::shutdown(socket_, SD_SEND) == 0) {
    const auto until = SteadyTime::now() + limits_.close_wait;
    while (!peer_closed_) {
      const int wait_ms = MillisecondsUntil(until);
      if (wait_ms == 0) break;
      WaitFor(POLLRDNORM, wait_ms);
      Receive();
    }
    if (peer_reset_) {
      result = {ErrorCode::kIo,
                "the printer at " + Address() + " closed the connection before taking all of it"};
    }
  }
  closesocket(socket_);
  socket_ = INVALID_SOCKET;
  rx_.clear();
  return result;
}

void WinsockTcpLink::Receive() {
  if (socket_ == INVALID_SOCKET || peer_closed_) return;
  char chunk[4096];
  while (true) {
    const int n = ::recv(socket_, chunk, sizeof chunk, 0);
    if (n > 0) {
      rx_.insert(rx_.end(), chunk, chunk + n);
      continue;
    }
    const int err = n == 0 ? 0 : WSAGetLastError();
    if (n == 0) {
      peer_closed_ = true;
    } else if (err != WSAEWOULDBLOCK && err != WSAEINTR) {
      peer_closed_ = true;
      peer_reset_ = true;
      reset_error_ = err;
    }
    return;
  }
}

Status WinsockTcpLink::LinkLost() const {
  if (socket_ == INVALID_SOCKET || !peer_closed_ || !rx_.empty()) return Status::Ok();
  std::string text = "the printer at " + Address() + " closed the connection";
  if (reset_error_ != 0) text += " (" + WinsockText(reset_error_) + ")";
  return {ErrorCode::kIo, text};
}

WriteResult WinsockTcpLink::Write(std::span<const std::uint8_t> bytes) {
  WriteResult result;
  if (socket_ == INVALID_SOCKET) {
    result.status = {ErrorCode::kNotOpen, "the connection to " + Address() + " is not open"};
    return result;
  }
  auto deadline = SteadyTime::now() + limits_.write;
  while (result.written < bytes.size()) {
    const std::size_t left = std::min<std::size_t>(bytes.size() - result.written, 1 << 20);
    const int n = ::send(socket_, reinterpret_cast<const char*>(bytes.data() + result.written),
                         static_cast<int>(left), 0);
    if (n > 0) {
      result.written += static_cast<std::size_t>(n);
      deadline = SteadyTime::now() + limits_.write;
      continue;
    }
    const int err = WSAGetLastError();
    if (err != WSAEWOULDBLOCK && err != WSAEINTR) {
      result.status = {ErrorCode::kIo,
                       err == WSAECONNRESET || err == WSAECONNABORTED || err == WSAESHUTDOWN
                           ? "the printer at " + Address() + " closed the connection"
                           : "sending to " + Address() + " failed: " + WinsockText(err)};
      return result;
    }
    const int wait_ms = MillisecondsUntil(deadline);
    if (wait_ms == 0) {
      result.status = {ErrorCode::kTimedOut, "the printer at " + Address() + " took no data for " +
                                                 std::to_string(limits_.write.count()) + " ms"};
      return result;
    }
    WaitFor(POLLWRNORM, wait_ms);
  }
  return result;
}

}  // namespace qw77
