#include "vprinter/endpoints/TcpEndpoint.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qw77::vprinter {
namespace {

constexpr int kSocketBufferBytes = 16384;

std::string Describe(const sockaddr_storage& a) {
  char host[INET6_ADDRSTRLEN] = "?";
  int port = 0;
  if (a.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(a);
    inet_ntop(AF_INET, &v4.sin_addr, host, sizeof host);
    port = ntohs(v4.sin_port);
    return std::string(host) + ":" + std::to_string(port);
  }
  const auto& v6 = reinterpret_cast<const sockaddr_in6&>(a);
  inet_ntop(AF_INET6, &v6.sin6_addr, host, sizeof host);
  port = ntohs(v6.sin6_port);
  return "[" + std::string(host) + "]:" + std::to_string(port);
}

}  // namespace

Result<std::unique_ptr<TcpEndpoint>> TcpEndpoint::Open(Printer& printer, const std::string& host,
                                                       int port) {
  std::unique_ptr<TcpEndpoint> ep(new TcpEndpoint(printer));
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string where = host + " port " + std::to_string(port);
  if (const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found)) {
    return Status{ErrorCode::kInvalidArgument,
                  "cannot listen on " + where + ": " + gai_strerror(rc)};
  }
  std::string why = "no address";
  for (addrinfo* a = found; a && ep->listen_fd_ < 0; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    // A printer restarted at once finds its port still in TIME_WAIT otherwise.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 4) == 0) {
      ep->listen_fd_ = fd;
    } else {
      why = std::strerror(errno);
      close(fd);
    }
  }
  freeaddrinfo(found);
  if (ep->listen_fd_ < 0) {
    return Status{errno == EADDRINUSE ? ErrorCode::kBusy : ErrorCode::kIo,
                  "cannot listen on " + where + ": " + why};
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(ep->listen_fd_, reinterpret_cast<sockaddr*>(&bound), &length);
  ep->address_ = Describe(bound);
  ep->port_ =
      ntohs(bound.ss_family == AF_INET ? reinterpret_cast<const sockaddr_in&>(bound).sin_port
                                       : reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
  return ep;
}

TcpEndpoint::~TcpEndpoint() {
  printer_.AttachReplies(Source::kTcp, nullptr);
  if (client_) close(client_->fd);
  if (listen_fd_ >= 0) close(listen_fd_);
}

void TcpEndpoint::Prepare(std::vector<pollfd>& fds, Micros, Micros&) {
  fds.push_back({listen_fd_, POLLIN, 0});
  if (!client_) return;
  short events = 0;
  if (client_->stalled) {
    events = POLLRDHUP;  // reads nothing, but sees the client go
  } else if (!client_->input_ended && client_->out.size() < kMaxUnsentReplyBytes) {
    events = POLLIN;  // a client that leaves replies unread gets no more requests read
  }
  if (!client_->out.empty()) events |= POLLOUT;
  fds.push_back({client_->fd, events, 0});
}

void TcpEndpoint::Accept() {
  for (;;) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (client_) {
      // A network printer takes one job at a time; two streams would run into each other.
      close(fd);
      printer_.Note(Source::kTcp,
                    "client " + Describe(peer) + " refused: " + client_->peer + " is connected");
      continue;
    }
    // A printer's input buffer is small: without this the kernel grows a connection's
    // buffers to megabytes, and a printer that stops reading (--stall, or a client that
    // leaves replies unread) would hold the sender back only megabytes later.
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kSocketBufferBytes, sizeof kSocketBufferBytes);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSocketBufferBytes, sizeof kSocketBufferBytes);
    client_.emplace(fd, Describe(peer));
    printer_.AttachReplies(Source::kTcp, &*client_);
    printer_.Note(Source::kTcp, "client " + client_->peer + " connected");
  }
}

bool TcpEndpoint::SendReplies() {
  Client& c = *client_;
  while (!c.out.empty()) {
    const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0) return errno == EAGAIN || errno == EINTR;
    c.out.erase(c.out.begin(), c.out.begin() + n);
  }
  return true;
}

std::string TcpEndpoint::ReadInput(Micros now) {
  Client& c = *client_;
  const StatusModel& status = printer_.status();
  std::uint8_t buf[4096];
  // A status request is 3 bytes and makes one reply: the replies stay within the bound.
  std::size_t want = status.ReadAllowance(c.received, sizeof buf);
  want = std::min(want, kMaxUnsentReplyBytes - std::min(kMaxUnsentReplyBytes, c.out.size()));
  if (want == 0) return "";
  const ssize_t n = recv(c.fd, buf, want, MSG_DONTWAIT);
  if (n < 0) {
    return errno == EAGAIN || errno == EINTR ? ""
                                             : std::string("read failed: ") + std::strerror(errno);
  }
  if (n == 0) {
    c.input_ended = true;
    printer_.EndOfStream(Source::kTcp);
    return c.out.empty() ? "client disconnected" : "";
  }
  c.received += n;
  const int replies_before = printer_.replies_sent();
  printer_.Feed(Source::kTcp, {buf, static_cast<std::size_t>(n)}, now / 1000);
  const bool replied = printer_.replies_sent() > replies_before;
  if (!c.stalled &&
      ((status.faults().stall_after_reply && replied) || status.StallsAt(c.received))) {
    // Not reading fills the socket's buffers, and then the client can send no more.
    c.stalled = true;
    printer_.Note(Source::kTcp, "fault: stops reading after " + std::to_string(c.received) +
                                    " bytes" + (replied ? ", its first reply sent" : ""));
  }
  if (status.HangsUpAt(c.received)) {
    return "fault: hangs up after " + std::to_string(c.received) + " bytes";
  }
  return "";
}

std::string TcpEndpoint::Serve(short revents, Micros now) {
  Client& c = *client_;
  if (c.stalled) {
    if (revents & (POLLRDHUP | POLLHUP | POLLERR)) return "client went away while stalled";
  } else if (revents & (POLLIN | POLLHUP | POLLERR)) {
    const std::string why = ReadInput(now);
    if (!why.empty()) return why;
  }
  if (!SendReplies()) return std::string("write failed: ") + std::strerror(errno);
  if (c.input_ended && c.out.empty()) return "client disconnected";
  return "";
}

void TcpEndpoint::Close(const std::string& why) {
  if (!client_->input_ended) printer_.EndOfStream(Source::kTcp);
  close(client_->fd);
  const std::size_t unsent = client_->out.size();
  printer_.AttachReplies(Source::kTcp, nullptr);
  client_.reset();
  printer_.Note(Source::kTcp,
                "connection closed: " + why +
                    (unsent ? ", " + std::to_string(unsent) + " replies unsent" : ""));
}

void TcpEndpoint::Service(const std::vector<pollfd>& fds, Micros now) {
  // The connection first: one that has just closed makes room for the next.
  for (const pollfd& p : fds) {
    if (!client_ || p.fd != client_->fd || p.revents == 0) continue;
    const std::string why = Serve(p.revents, now);
    if (!why.empty()) Close(why);
    break;
  }
  for (const pollfd& p : fds) {
    if (p.fd == listen_fd_ && (p.revents & POLLIN)) Accept();
  }
}

}  // namespace qw77::vprinter
