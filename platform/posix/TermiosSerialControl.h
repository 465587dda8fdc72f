// A serial port driven through termios: real UARTs, USB adapters and pseudo-terminals.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SerialLink.h"

namespace qw77 {

// How long Write waits at least for the line to take one more byte. A printer holding
// CTS low while it feeds paper or prints a logo pauses for well under a second; five
// seconds without a single byte taken means the line is held for good.
inline constexpr std::chrono::milliseconds kSerialWriteLimit{5000};
// What the driver's buffer takes from a writer at once. A pseudo-terminal, a UART's transmit
// buffer and most USB adapters take about 4 KiB and then nothing until the line has drained
// it, so at 4800 baud a writer sees no progress for 8.5 s while the line works steadily.
inline constexpr std::size_t kSerialLineBufferBytes = 4096;
// What a driver may hold beyond what its output queue reports: a pseudo-terminal takes
// nearly 12 KiB from a writer and always reports an empty queue. Closing waits at most the
// time the line needs for this much, at the baud in force, for the bytes to be on the wire.
inline constexpr std::size_t kSerialHiddenBufferBytes = 16384;

// How long closing waits for the driver's queue to shrink before the rest is dropped.
// tcdrain() has no limit at all, so closing polls the queue instead.
inline constexpr std::chrono::milliseconds kSerialCloseLimit{2000};
// However steadily the queue shrinks, closing never takes longer than this.
inline constexpr std::chrono::milliseconds kSerialCloseCap{20000};

// The device that port number `port` opens: the value of QW77_COM<port> when that is set
// and not empty (`env_value`), else /dev/ttyS<port-1>. Port numbers below 1 have no device
// (empty result).
std::string SerialDevicePath(int port, std::optional<std::string_view> env_value);
// The same, reading QW77_COM<port> from the environment.
std::string SerialDevicePathFromEnv(int port);

struct TermiosOptions {
  // A fixed device path; empty means "chosen by the port number".
  std::string device;
  std::chrono::milliseconds write_limit = kSerialWriteLimit;
  // The driver's buffer as the stall limit counts it (0: the write limit alone counts).
  std::size_t line_buffer_bytes = kSerialLineBufferBytes;
  std::chrono::milliseconds close_limit = kSerialCloseLimit;
};

class TermiosSerialControl : public SerialLink {
 public:
  explicit TermiosSerialControl(int port, TermiosOptions options = {});
  ~TermiosSerialControl() override;
  TermiosSerialControl(const TermiosSerialControl&) = delete;
  TermiosSerialControl& operator=(const TermiosSerialControl&) = delete;

  Status Open(const SerialConfig& config) override;
  bool IsOpen() const override { return fd_ >= 0; }
  WriteResult Write(std::span<const std::uint8_t> bytes) override;
  std::size_t Available() override;
  std::vector<std::uint8_t> Read() override;
  Status Close() override;

  // The configuration in force (or the last one asked for, on a closed link).
  const SerialConfig& Config() const { return config_; }

  // The device the next opening uses (or the open one).
  std::string DevicePath() const;

 private:
  Status OpenDevice(const SerialConfig& config);
  Status Apply(int fd, const SerialConfig& config) const;
  // Waits until the bytes written should have left on the wire (at most what a driver can
  // hold unseen), watching for a hang-up. False when the line hung up meanwhile.
  bool AwaitWire(int fd);
  // The line's time for `bytes` characters at the configuration in force.
  std::chrono::microseconds WireTime(std::size_t bytes) const;
  // Moves whatever the driver holds into rx_; false when the read failed.
  bool FillReceiveBuffer();

  TermiosOptions options_;
  int comm_port_;
  SerialConfig config_;
  int fd_ = -1;
  std::string open_path_;
  std::deque<std::uint8_t> rx_;
  // When the line will have sent everything handed to it, at its baud.
  std::chrono::steady_clock::time_point wire_free_at_{};
};

}  // namespace qw77
