// The printer's network interface: a TCP socket carrying the same byte stream as the serial
// line (ticket bytes in, status replies out), with no baud rate to pace it. Like a network
// printer's raw port it serves one connection at a time: one that arrives meanwhile is
// accepted and waits its turn (at most kMaxWaitingConnections of them, in arrival order;
// beyond that it is refused), and what it sent is read when its turn comes, so no ticket
// sent on an accepted connection is lost. A connection that sends nothing for the idle
// time is closed, so that a silent client cannot hold the printer.
// The faults that go by bytes (--stall, --stall-after, --hang-up-after) apply to each
// connection; a hang-up closes the connection and the next one starts afresh.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vprinter/endpoints/Endpoint.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

inline constexpr std::size_t kMaxWaitingConnections = 16;
inline constexpr int kDefaultTcpIdleSeconds = 30;

class TcpEndpoint : public Endpoint {
 public:
  // Listens on `host` (a numeric address or a name) and `port` (0: a free one); closes a
  // connection that sends nothing for `idle_us`.
  static Result<std::unique_ptr<TcpEndpoint>> Open(Printer& printer, const std::string& host,
                                                   int port,
                                                   Micros idle_us = Micros{kDefaultTcpIdleSeconds} *
                                                                    1000000);
  ~TcpEndpoint() override;
  TcpEndpoint(const TcpEndpoint&) = delete;
  TcpEndpoint& operator=(const TcpEndpoint&) = delete;

  // The address listened on, with the port actually taken: "127.0.0.1:9100", "[::1]:9100".
  const std::string& address() const { return address_; }
  int port() const { return port_; }
  bool connected() const { return client_.has_value(); }
  std::size_t waiting() const { return waiting_.size(); }
  // Of the connection open now.
  long bytes_received() const { return client_ ? client_->received : 0; }
  bool stalled() const { return client_ && client_->stalled; }
  std::size_t unsent_bytes() const { return client_ ? client_->out.size() : 0; }

  void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) override;
  void Service(const std::vector<pollfd>& fds, Micros now) override;

 private:
  // One connection, and the sink of its replies while it is served.
  struct Client : ReplySink {
    Client(SocketHandle socket, std::string address) : fd(socket), peer(std::move(address)) {}
    void SendReply(std::span<const std::uint8_t> reply) override {
      out.insert(out.end(), reply.begin(), reply.end());
    }
    SocketHandle fd;
    std::string peer;
    long received = 0;
    bool stalled = false;
    bool input_ended = false;  // the client shut its side; replies still go out
    Micros last_input = 0;     // when it last sent a byte (or its turn came)
    std::vector<std::uint8_t> out;
  };
  // A connection accepted while another is served.
  struct Waiting {
    SocketHandle fd;
    std::string peer;
  };
  TcpEndpoint(Printer& printer, Micros idle_us) : printer_(printer), idle_us_(idle_us) {}
  void Queue(SocketHandle fd, const std::string& peer);
  void Start(SocketHandle fd, std::string peer, Micros now);
  void ServeNextWaiting(Micros now);
  void Accept(Micros now);
  // Serves the connection; returns why it must close, or "" to keep it.
  std::string Serve(short revents, Micros now);
  std::string ReadInput(Micros now);
  bool SendReplies();  // false: the connection is broken
  void Close(const std::string& why);

  Printer& printer_;
  SocketHandle listen_fd_ = kNoSocket;
  int port_ = 0;
  std::string address_;
  Micros idle_us_;
  std::optional<Client> client_;
  std::deque<Waiting> waiting_;
};

}  // namespace qw77::vprinter
