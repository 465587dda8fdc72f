// Cuts a byte stream, which may arrive in pieces of any size, into commands, text bytes
// and bytes it does not know, and hands each to a sink in stream order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "vprinter/CommandTable.h"

namespace qw77::vprinter {

class CommandSink {
 public:
  virtual ~CommandSink() = default;
  // `bytes` is the whole command, prefix included. `offset` counts from the stream's start.
  virtual void OnCommand(const CommandDef& def, std::size_t offset,
                         std::span<const std::uint8_t> bytes) = 0;
  virtual void OnText(std::size_t offset, std::uint8_t byte) = 0;
  virtual void OnUnknown(std::size_t offset, std::span<const std::uint8_t> bytes) = 0;
  // A command the stream ended inside; `def` is null when not even its name was complete,
  // `needed` is 0 when its length was not yet known.
  virtual void OnTruncated(const CommandDef* def, std::size_t offset,
                           std::span<const std::uint8_t> bytes, std::size_t needed) = 0;
};

class Interpreter {
 public:
  explicit Interpreter(CommandSink& sink) : sink_(sink) {}

  void Feed(std::span<const std::uint8_t> bytes);
  // The stream has ended (or gone quiet): whatever is left is resolved now, an open command
  // as truncated. The next byte starts afresh.
  void Finish();
  // True while a command has begun and waits for more bytes.
  bool HasPending() const { return start_ < pending_.size(); }
  std::size_t BytesSeen() const { return offset_ + (pending_.size() - start_); }

 private:
  void Drain(bool at_end);

  CommandSink& sink_;
  std::vector<std::uint8_t> pending_;
  std::size_t start_ = 0;   // first byte of pending_ not yet handed on
  std::size_t offset_ = 0;  // stream offset of pending_[start_]
};

}  // namespace qw77::vprinter
