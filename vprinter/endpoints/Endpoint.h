// What the server loop asks of every interface of the printer: the descriptors to wait on,
// and to act on what the wait found. Each endpoint feeds the printer the bytes of the one
// connection it serves and attaches that connection's reply sink, so replies go back to
// the connection that asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vprinter/endpoints/Sockets.h"

namespace qw77::vprinter {

using Micros = std::int64_t;  // steady clock, microseconds

// Replies a client may leave unread before the printer stops reading its requests: one
// that never reads holds itself back instead of growing the printer's memory.
inline constexpr std::size_t kMaxUnsentReplyBytes = 4096;

class Endpoint {
 public:
  virtual ~Endpoint() = default;
  // Adds the descriptors it waits on to the poll set and lowers `wake_at` to when it next
  // has work without an event.
  virtual void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) = 0;
  // Acts on the poll results for its descriptors.
  virtual void Service(const std::vector<pollfd>& fds, Micros now) = 0;
};

// The events the poll found for `fd`, 0 when it was not polled.
inline short EventsOf(const std::vector<pollfd>& fds, SocketHandle fd) {
  for (const pollfd& p : fds) {
    if (p.fd == fd) return p.revents;
  }
  return 0;
}

}  // namespace qw77::vprinter
