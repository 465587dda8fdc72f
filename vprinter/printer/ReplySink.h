// Where the printer's answers go: back on the line or connection the request came in on.
// An endpoint attaches one sink per connection while it serves that connection, so a reply
// can never reach another client.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qw77::vprinter {

class ReplySink {
 public:
  virtual ~ReplySink() = default;
  virtual void SendReply(std::span<const std::uint8_t> bytes) = 0;
};

// Replies kept in memory, for a printer with no line to answer on (tests, the fuzzer).
class CollectedReplies : public ReplySink {
 public:
  void SendReply(std::span<const std::uint8_t> reply) override {
    bytes.insert(bytes.end(), reply.begin(), reply.end());
  }
  std::vector<std::uint8_t> bytes;
};

}  // namespace qw77::vprinter
