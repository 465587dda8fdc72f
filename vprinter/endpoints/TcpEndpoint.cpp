#include "vprinter/endpoints/TcpEndpoint.h"

#include <algorithm>

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
                                                       int port, Micros idle_us) {
  if (Status started = StartSockets(); !started) return started;
  std::unique_ptr<TcpEndpoint> ep(new TcpEndpoint(printer, idle_us));
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string where = host + " port " + std::to_string(port);
  if (const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found)) {
    return Status{ErrorCode::kInvalidArgument,
                  "cannot listen on " + where + ": " + AddressLookupError(rc)};
  }
  std::string why = "no address";
  bool in_use = false;
  for (addrinfo* a = found; a && ep->listen_fd_ == kNoSocket; a = a->ai_next) {
    const SocketHandle fd = OpenStreamSocket(a->ai_family);
    if (fd == kNoSocket) continue;
    // A printer restarted at once finds its port still in TIME_WAIT otherwise.
    SetSocketOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
    if (bind(fd, a->ai_addr, static_cast<socklen_t>(a->ai_addrlen)) == 0 &&
        listen(fd, static_cast<int>(kMaxWaitingConnections)) == 0) {
      ep->listen_fd_ = fd;
    } else {
      why = LastSocketError();
      in_use = LastSocketErrorIsAddressInUse();
      CloseSocket(fd);
    }
  }
  freeaddrinfo(found);
  if (ep->listen_fd_ == kNoSocket) {
    return Status{in_use ? ErrorCode::kBusy : ErrorCode::kIo,
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
  if (client_) CloseSocket(client_->fd);
  for (const Waiting& w : waiting_) CloseSocket(w.fd);
  CloseSocket(listen_fd_);
}

void TcpEndpoint::Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) {
  fds.push_back({listen_fd_, POLLIN, 0});
  if (!client_) return;
  // While another interface's ticket prints, the connection waits: it is not read, and
  // the wait does not count as its silence.
  const bool held = !printer_.Accepts(Source::kTcp);
  if (held) client_->last_input = now;
  short events = 0;
  if (client_->stalled) {
    events = kPollPeerGone;  // reads nothing, but sees the client go
  } else if (!held && !client_->input_ended && client_->out.size() < kMaxUnsentReplyBytes) {
    events = POLLIN;  // a client that leaves replies unread gets no more requests read
  }
  if (!client_->out.empty()) events |= POLLOUT;
  // Not polled at all while held with nothing to send: a hang-up would wake every round.
  if (events == 0 && held) return;
  fds.push_back({client_->fd, events, 0});
  if (!client_->stalled && !client_->input_ended) {
    wake_at = std::min(wake_at, client_->last_input + idle_us_);
  }
}

void TcpEndpoint::Accept(Micros now) {
  for (;;) {
    sockaddr_storage peer{};
    const SocketHandle fd = AcceptConnection(listen_fd_, peer);
    if (fd == kNoSocket) return;
    // A printer's input buffer is small: without this the kernel grows a connection's
    // buffers to megabytes, and a printer that stops reading (--stall, or a client that
    // leaves replies unread) would hold the sender back only megabytes later.
    SetSocketOption(fd, SOL_SOCKET, SO_RCVBUF, kSocketBufferBytes);
    SetSocketOption(fd, SOL_SOCKET, SO_SNDBUF, kSocketBufferBytes);
    if (client_) {
      Queue(fd, Describe(peer));
    } else {
      Start(fd, Describe(peer), now);
    }
  }
}

// A network printer takes one job at a time, two streams would run into each other: the
// connection waits its turn, as it would in a printer's queue.
void TcpEndpoint::Queue(SocketHandle fd, const std::string& peer) {
  if (waiting_.size() >= kMaxWaitingConnections) {
    CloseSocket(fd);
    printer_.Note(Source::kTcp, "client " + peer +
                                    " refused: " + std::to_string(kMaxWaitingConnections) +
                                    " connections already wait their turn");
    return;
  }
  waiting_.push_back({fd, peer});
  printer_.Note(Source::kTcp, "client " + peer + " waits: " + client_->peer + " is being served (" +
                                  std::to_string(waiting_.size()) + " waiting)");
}

void TcpEndpoint::Start(SocketHandle fd, std::string peer, Micros now) {
  client_.emplace(fd, std::move(peer));
  client_->last_input = now;
  printer_.AttachReplies(Source::kTcp, &*client_);
  printer_.Note(Source::kTcp, "client " + client_->peer + " connected");
}

void TcpEndpoint::ServeNextWaiting(Micros now) {
  if (client_ || waiting_.empty()) return;
  Waiting next = std::move(waiting_.front());
  waiting_.pop_front();
  Start(next.fd, std::move(next.peer), now);
}

bool TcpEndpoint::SendReplies() {
  Client& c = *client_;
  while (!c.out.empty()) {
    const long n = SendSome(c.fd, c.out.data(), c.out.size());
    if (n < 0) return n == kWouldBlock;
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
  const long n = ReceiveSome(c.fd, buf, want);
  if (n < 0) return n == kWouldBlock ? "" : "read failed: " + LastSocketError();
  if (n == 0) {
    c.input_ended = true;
    printer_.EndOfStream(Source::kTcp);
    return c.out.empty() ? "client disconnected" : "";
  }
  c.received += n;
  c.last_input = now;
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
    if (revents & (kPollPeerGone | POLLHUP | POLLERR)) return "client went away while stalled";
  } else if ((revents & (POLLIN | POLLHUP | POLLERR)) && printer_.Accepts(Source::kTcp)) {
    const std::string why = ReadInput(now);
    if (!why.empty()) return why;
  }
  if (!SendReplies()) return "write failed: " + LastSocketError();
  if (c.input_ended && c.out.empty()) return "client disconnected";
  if (!c.stalled && !c.input_ended && now - c.last_input >= idle_us_) {
    return "silent for " + std::to_string(idle_us_ / 1000000) + " s";
  }
  return "";
}

void TcpEndpoint::Close(const std::string& why) {
  if (!client_->input_ended) printer_.EndOfStream(Source::kTcp);
  CloseSocket(client_->fd);
  const std::size_t unsent = client_->out.size();
  printer_.AttachReplies(Source::kTcp, nullptr);
  client_.reset();
  printer_.Note(Source::kTcp,
                "connection closed: " + why +
                    (unsent ? ", " + std::to_string(unsent) + " replies unsent" : ""));
}

void TcpEndpoint::Service(const std::vector<pollfd>& fds, Micros now) {
  // The connection first: one that has just closed makes room for the next, which may
  // have sent its ticket already and closed its side.
  if (client_) {
    const std::string why = Serve(EventsOf(fds, client_->fd), now);
    if (!why.empty()) Close(why);
  }
  ServeNextWaiting(now);
  if ((EventsOf(fds, listen_fd_) & POLLIN) != 0) Accept(now);
}

}  // namespace qw77::vprinter
