// The printer's network interface: a TCP socket carrying the same byte stream as the serial
// line (ticket bytes in, status replies out), with no baud rate to pace it. Like a network
// printer it serves one connection at a time: another is closed at once while one is open.
// The faults that go by bytes (--stall, --stall-after, --hang-up-after) apply to each
// connection; a hang-up closes the connection and the next one starts afresh.
#pragma once

#include <poll.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vprinter/endpoints/Endpoint.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

class TcpEndpoint : public Endpoint {
 public:
  // Listens on `host` (a numeric address or a name) and `port` (0: a free one).
  static Result<std::unique_ptr<TcpEndpoint>> Open(Printer& printer, const std::string& host,
                                                   int port);
  ~TcpEndpoint() override;
  TcpEndpoint(const TcpEndpoint&) = delete;
  TcpEndpoint& operator=(const TcpEndpoint&) = delete;

  // The address listened on, with the port actually taken: "127.0.0.1:9100", "[::1]:9100".
  const std::string& address() const { return address_; }
  int port() const { return port_; }
  bool connected() const { return client_.has_value(); }
  // Of the connection open now.
  long bytes_received() const { return client_ ? client_->received : 0; }
  bool stalled() const { return client_ && client_->stalled; }
  std::size_t unsent_bytes() const { return client_ ? client_->out.size() : 0; }

  void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) override;
  void Service(const std::vector<pollfd>& fds, Micros now) override;

 private:
  // One connection, and the sink of its replies while it is served.
  struct Client : ReplySink {
    Client(int socket, std::string address) : fd(socket), peer(std::move(address)) {}
    void SendReply(std::span<const std::uint8_t> reply) override {
      out.insert(out.end(), reply.begin(), reply.end());
    }
    int fd;
    std::string peer;
    long received = 0;
    bool stalled = false;
    bool input_ended = false;  // the client shut its side; replies still go out
    std::vector<std::uint8_t> out;
  };
  explicit TcpEndpoint(Printer& printer) : printer_(printer) {}
  void Accept();
  // Serves the connection; returns why it must close, or "" to keep it.
  std::string Serve(short revents, Micros now);
  std::string ReadInput(Micros now);
  bool SendReplies();  // false: the connection is broken
  void Close(const std::string& why);

  Printer& printer_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::string address_;
  std::optional<Client> client_;
};

}  // namespace qw77::vprinter
