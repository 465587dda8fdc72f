// The printer's serial interface: a pseudo-terminal whose other end the application opens
// as its COM port. Input is taken no faster than the line's baud rate allows (10 bits a
// byte), so a ticket takes as long as it would on a wire.
#pragma once

#include <poll.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "vprinter/printer/Printer.h"
#include "vprinter/endpoints/SerialLink.h"
#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

using Micros = std::int64_t;  // steady clock, microseconds

// Replies a client may leave unread before the printer stops reading its requests: one
// that never reads holds itself back instead of growing the printer's memory.
inline constexpr std::size_t kMaxUnsentReplyBytes = 4096;

struct SerialOptions {
  std::string link_path;  // a symlink to the terminal made here, if not empty
  int baud = 0;           // > 0: pace at this rate; 0: at the rate the application set
  bool pace = true;       // false: take input as fast as it comes
};

class SerialEndpoint {
 public:
  static Result<std::unique_ptr<SerialEndpoint>> Open(Printer& printer, SerialOptions options);
  ~SerialEndpoint();
  SerialEndpoint(const SerialEndpoint&) = delete;
  SerialEndpoint& operator=(const SerialEndpoint&) = delete;

  const std::string& device_path() const { return slave_path_; }
  bool hung_up() const { return master_ < 0; }
  bool stalled() const { return stalled_; }
  long bytes_received() const { return received_; }
  std::size_t unsent_bytes() const { return replies_.size(); }
  // The rate input is paced at now (bits per second), 0 when not paced.
  int PacingBaud() const;

  // Adds this endpoint's descriptor to the poll set (if it has anything to wait for) and
  // lowers `wake_at` to when it next has work without an event.
  void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at);
  // Acts on the poll result for its descriptor (`revents` 0 when it had no entry).
  void Service(short revents, Micros now);
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
