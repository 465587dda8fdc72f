// Cuts a byte stream, which may arrive in pieces of any size, into commands, text bytes
// and bytes it does not know, and hands each to a sink in stream order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "vprinter/framing/CommandTable.h"

namespace qw77::vprinter {

// The longest command held whole before it is carried out: room for the largest image the
// application sends (128 x 4095 bytes of raster data) twice over. A longer one is logged
// and its bytes are passed over as they arrive, so no stream can make the buffer grow.
inline constexpr std::size_t kMaxCommandBytes = std::size_t{1} << 20;

class CommandSink {
 public:
  virtual ~CommandSink() = default;
  // `bytes` is the whole command, prefix included. `offset` counts from the stream's start.
  virtual void OnCommand(const CommandDef& def, std::size_t offset,
                         std::span<const std::uint8_t> bytes) = 0;
  virtual void OnText(std::size_t offset, std::uint8_t byte) = 0;
  virtual void OnUnknown(std::size_t offset, std::span<const std::uint8_t> bytes) = 0;
  // A command the stream ended inside after `seen` bytes (the first of them in `bytes`, all
  // of them unless it was overlong); `def` is null when not even its name was complete,
  // `needed` is 0 when its length was not yet known.
  virtual void OnTruncated(const CommandDef* def, std::size_t offset,
                           std::span<const std::uint8_t> bytes, std::size_t seen,
                           std::size_t needed) = 0;
  // A command longer than kMaxCommandBytes: `head` holds its first bytes (enough to know its
  // `length`); the rest of it is skipped.
  virtual void OnOverlong(const CommandDef& def, std::size_t offset,
                          std::span<const std::uint8_t> head, std::size_t length) = 0;
};

class Interpreter {
 public:
  explicit Interpreter(CommandSink& sink) : sink_(sink) {}

  void Feed(std::span<const std::uint8_t> bytes);
  // The stream has ended (or gone quiet): whatever is left is resolved now, an open command
  // as truncated. The next byte starts afresh.
  void Finish();
  // True while a command has begun and waits for more bytes.
  bool HasPending() const { return start_ < pending_.size() || skip_left_ > 0; }
  std::size_t BytesSeen() const { return offset_ + (pending_.size() - start_); }
  // Bytes held for a command not yet complete.
  std::size_t BufferedBytes() const { return pending_.size() - start_; }

 private:
  void Drain(bool at_end);

  CommandSink& sink_;
  std::vector<std::uint8_t> pending_;
  std::size_t start_ = 0;   // first byte of pending_ not yet handed on
  std::size_t offset_ = 0;  // stream offset of pending_[start_]
  // An overlong command being passed over: the bytes still to skip, and what it was.
  std::size_t skip_left_ = 0;
  const CommandDef* skip_def_ = nullptr;
  std::size_t skip_offset_ = 0;
  std::size_t skip_length_ = 0;
};

}  // namespace qw77::vprinter
