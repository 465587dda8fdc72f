// The printer's serial interface: a pseudo-terminal whose other end the application opens
// as its COM port. Input is taken no faster than the line's baud rate allows (10 bits a
// byte), so a ticket takes as long as it would on a wire.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "vprinter/endpoints/Endpoint.h"
#include "vprinter/endpoints/SerialLink.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

struct SerialOptions {
  std::string link_path;  // a symlink to the terminal made here, if not empty
  int baud = 0;           // > 0: pace at this rate; 0: at the rate the application set
  bool pace = true;       // false: take input as fast as it comes
};

// The line is one connection for as long as it is up: the endpoint is its reply sink too.
class SerialEndpoint : public Endpoint, public ReplySink {
 public:
  static Result<std::unique_ptr<SerialEndpoint>> Open(Printer& printer, SerialOptions options);
  // False where the system has no pseudo-terminals (Windows): Open refuses, saying so.
  static bool Available();
  ~SerialEndpoint() override;
  SerialEndpoint(const SerialEndpoint&) = delete;
  SerialEndpoint& operator=(const SerialEndpoint&) = delete;

  const std::string& device_path() const { return slave_path_; }
  bool hung_up() const { return master_ < 0; }
  bool stalled() const { return stalled_; }
  long bytes_received() const { return received_; }
  std::size_t unsent_bytes() const { return replies_.size(); }
  // The rate input is paced at now (bits per second), 0 when not paced.
  int PacingBaud() const;

  void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) override;
  void Service(const std::vector<pollfd>& fds, Micros now) override;
  void SendReply(std::span<const std::uint8_t> bytes) override;
  void HangUp(const std::string& why);

 private:
  SerialEndpoint(Printer& printer, SerialOptions options)
      : printer_(printer), options_(std::move(options)) {}
  void ReadInput(Micros now);
  void WriteReplies(Micros now);
  void QueueReply(std::uint8_t byte);
  void Stall(const std::string& when);
  void ReleaseExclusiveMode(Micros now, Micros& wake_at);

  Printer& printer_;
  SerialOptions options_;
  int master_ = -1;
  int slave_ = -1;  // held open so the terminal outlives the application's open and close
  std::string slave_path_;
  std::unique_ptr<SerialLink> link_;
  bool stalled_ = false;
  std::atomic<long> received_{0};  // read by tests and benchmarks from other threads
  Micros next_exclusive_check_ = 0;
  Micros now_ = 0;            // the time of the event being served
  Micros read_ready_at_ = 0;  // when the wire has delivered the next byte
  struct Reply {
    std::uint8_t byte;
    Micros due;
  };
  std::deque<Reply> replies_;
};

}  // namespace qw77::vprinter
