// One parallel printer port in signal levels: the eight data lines, the four control lines
// the computer drives and the five status lines the printer drives. Every line is given by
// what it means when asserted, whatever its electrical polarity on the connector.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "base/Status.h"

namespace qw77 {

// The lines the printer drives.
struct ParallelStatusLines {
  bool busy = false;         // the printer cannot take a byte now
  bool acknowledge = false;  // the printer is acknowledging the byte it took
  bool paper_end = false;
  bool select = false;  // the printer is on line
  bool error = false;   // the printer reports a fault

  friend bool operator==(const ParallelStatusLines&, const ParallelStatusLines&) = default;
};

// The lines the computer drives besides the data lines.
struct ParallelControlLines {
  bool strobe = false;  // the data lines hold a byte for the printer to take
  bool auto_feed = false;
  bool init = false;       // resets the printer while asserted
  bool select_in = false;  // selects the printer

  friend bool operator==(const ParallelControlLines&, const ParallelControlLines&) = default;
};

class ParallelLink {
 public:
  virtual ~ParallelLink() = default;

  // Prepares the port. Succeeds also when no port is behind the link at all (Present() then
  // answers false); fails, naming the device and the cause, when a port is there that cannot
  // be taken.
  virtual Status Open() = 0;
  // Lets the port go; harmless when it is not open.
  virtual void Close() = 0;
  // Whether an open link has a port behind it.
  virtual bool Present() const = 0;

  // Every call below fails, with the device and the cause, on a link that is not open or
  // has no port, and when the port refused the access.
  virtual Status WriteData(std::uint8_t byte) = 0;
  virtual Status SetControl(const ParallelControlLines& lines) = 0;
  virtual Result<ParallelStatusLines> ReadStatus() = 0;

  // Hands on whatever the link has buffered of the bytes strobed so far (a device that
  // takes bytes in transfers rather than one at a time).
  virtual Status Flush() { return Status::Ok(); }
};

// A link with no port behind it: every access fails with `reason`, and so does Open when
// `open_fails` (an endpoint that no parallel port reaches); otherwise Open succeeds and the
// port is simply absent.
class NoParallelPort : public ParallelLink {
 public:
  NoParallelPort(std::string reason, bool open_fails)
      : reason_(std::move(reason)), open_fails_(open_fails) {}
  Status Open() override { return open_fails_ ? Refused() : Status::Ok(); }
  void Close() override {}
  bool Present() const override { return false; }
  Status WriteData(std::uint8_t) override { return Refused(); }
  Status SetControl(const ParallelControlLines&) override { return Refused(); }
  Result<ParallelStatusLines> ReadStatus() override { return Refused(); }

 private:
  Status Refused() const { return {ErrorCode::kNotOpen, reason_}; }
  std::string reason_;
  bool open_fails_;
};

}  // namespace qw77
