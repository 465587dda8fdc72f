// The kernel's printer-class devices (/dev/usb/lpN for USB printers, /dev/lpN for parallel
// ports through the lp driver) behind a COM or an LPT port.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ParallelLink.h"
#include "platform/SerialLink.h"
#include "platform/posix/StreamSerialControl.h"

namespace qw77 {

// One printer-class device, in the calls the two adapters below need. Errors are errno values.
class LpDevice {
 public:
  virtual ~LpDevice() = default;
  virtual int Open() = 0;  // 0 or errno
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Bytes written (>= 0), or -errno. Never blocks.
  virtual long Write(std::span<const std::uint8_t> bytes) = 0;
  // Bytes read (>= 0), or -errno (-EAGAIN: nothing yet; -EINVAL: the interface is one-way).
  virtual long Read(std::span<std::uint8_t> into) = 0;
  // Waits up to `timeout_ms` until the device takes more; false on timeout.
  virtual bool WaitWritable(int timeout_ms) = 0;
  // The LPGETSTATUS value, or nullopt when the ioctl failed.
  virtual std::optional<std::uint8_t> PortStatus() = 0;
  virtual const std::string& Path() const = 0;
};

std::unique_ptr<LpDevice> MakeLpDevice(std::string path);

// Write gives up when the printer takes no byte for this long.
inline constexpr std::chrono::milliseconds kLpWriteLimit{5000};

// A printer-class device as a byte stream behind a COM port. A line configuration has no
// meaning and is accepted as it is; replies are read back where the printer's
// interface is bidirectional.
class UsbLpSerialControl : public StreamSerialControl {
 public:
  explicit UsbLpSerialControl(std::unique_ptr<LpDevice> device);

  bool IsOpen() const override { return device_->IsOpen(); }
  WriteResult Write(std::span<const std::uint8_t> bytes) override;
  Status Close() override;
  std::string NoReplyReason() const override;

 private:
  Status OpenStream() override;
  void Receive() override;

  std::unique_ptr<LpDevice> device_;
  bool one_way_ = false;
};

// Bytes a strobe adds before the buffer goes to the device in one write: a ticket is a few
// transfers, not one per byte.
inline constexpr std::size_t kLpChunkBytes = 4096;
// The printer's conditions are asked again when the last answer is older than this.
inline constexpr std::chrono::milliseconds kLpStatusAge{200};

// A printer-class device as a parallel link, for the parallel jobs. The byte on the data
// lines is taken when the strobe is asserted and added to a buffer that goes to the device in
// chunks; Flush hands on what is buffered. The status lines are the device's LPGETSTATUS
// answer (error, select, paper end; acknowledge from the lp driver only), busy while the
// buffer has no room.
class UsbLpParallelLink : public ParallelLink {
 public:
  explicit UsbLpParallelLink(std::unique_ptr<LpDevice> device);

  Status Open() override;
  void Close() override;
  bool Present() const override { return device_->IsOpen(); }
  Status WriteData(std::uint8_t byte) override;
  Status SetControl(const ParallelControlLines& lines) override;
  Result<ParallelStatusLines> ReadStatus() override;
  Status Flush() override;

 private:
  Status NotOpen() const;
  Status WriteOut();
  Status RefreshStatus();

  std::unique_ptr<LpDevice> device_;
  bool usb_class_;  // /dev/usb/lpN: the class status has no busy or acknowledge line
  std::uint8_t data_ = 0;
  bool strobe_ = false;
  std::vector<std::uint8_t> buffer_;
  ParallelStatusLines status_;
  std::chrono::steady_clock::time_point status_at_{};
};

}  // namespace qw77
