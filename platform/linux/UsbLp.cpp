#include "platform/linux/UsbLp.h"

#include <fcntl.h>
#include <linux/lp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/Deadline.h"
#include "base/Errno.h"

namespace qw77 {
namespace {

using SteadyTime = std::chrono::steady_clock;

class FdLpDevice : public LpDevice {
 public:
  explicit FdLpDevice(std::string path) : path_(std::move(path)) {}
  ~FdLpDevice() override { Close(); }

  int Open() override {
    fd_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    // A printer that cannot be read from may still be written to.
    if (fd_ < 0 && (errno == EACCES || errno == EINVAL)) {
      fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    }
    return fd_ < 0 ? errno : 0;
  }
  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool IsOpen() const override { return fd_ >= 0; }
  long Write(std::span<const std::uint8_t> bytes) override {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    return n >= 0 ? static_cast<long>(n) : -errno;
  }
  long Read(std::span<std::uint8_t> into) override {
    const ssize_t n = ::read(fd_, into.data(), into.size());
    return n >= 0 ? static_cast<long>(n) : -errno;
  }
  bool WaitWritable(int timeout_ms) override {
    pollfd p{fd_, POLLOUT, 0};
    return ::poll(&p, 1, timeout_ms) > 0 && (p.revents & POLLOUT) != 0;
  }
  std::optional<std::uint8_t> PortStatus() override {
    int status = 0;
    if (ioctl(fd_, LPGETSTATUS, &status) != 0) return std::nullopt;
    return static_cast<std::uint8_t>(status & 0xFF);
  }
  const std::string& Path() const override { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

// A device that went away under a transfer says so in its own words.
std::string WriteFailure(const std::string& path, int err) {
  if (err == ENODEV || err == EIO || err == ENXIO) {
    return "the printer at " + path + " went away (" + ErrnoText(err) +
           "); it may have been unplugged";
  }
  return "write to " + path + " failed: " + ErrnoText(err);
}

}  // namespace

std::unique_ptr<LpDevice> MakeLpDevice(std::string path) {
  return std::make_unique<FdLpDevice>(std::move(path));
}

// --- behind a COM port -------------------------------------------------------------------

UsbLpSerialControl::UsbLpSerialControl(std::unique_ptr<LpDevice> device)
    : device_(std::move(device)) {}

Status UsbLpSerialControl::Close() {
  device_->Close();
  rx_.clear();
  return Status::Ok();
}

Status UsbLpSerialControl::OpenStream() {
  if (const int err = device_->Open(); err != 0) {
    return ErrnoStatus(err, "cannot open printer device " + device_->Path());
  }
  rx_.clear();
  return Status::Ok();
}

WriteResult UsbLpSerialControl::Write(std::span<const std::uint8_t> bytes) {
  WriteResult result;
  if (!IsOpen()) {
    result.status = {ErrorCode::kNotOpen, device_->Path() + " is not open"};
    return result;
  }
  auto deadline = SteadyTime::now() + kLpWriteLimit;
  while (result.written < bytes.size()) {
    const long n = device_->Write(bytes.subspan(result.written));
    if (n > 0) {
      result.written += static_cast<std::size_t>(n);
      deadline = SteadyTime::now() + kLpWriteLimit;
      continue;
    }
    if (n < 0 && n != -EAGAIN && n != -EINTR) {
      result.status = {ErrorCode::kIo, WriteFailure(device_->Path(), static_cast<int>(-n))};
      return result;
    }
    const int wait_ms = MillisecondsUntil(deadline);
    if (wait_ms == 0) {
      result.status = {ErrorCode::kTimedOut, "the printer at " + device_->Path() +
                                                 " took no data for " +
                                                 std::to_string(kLpWriteLimit.count()) + " ms"};
      return result;
    }
    (void)device_->WaitWritable(wait_ms);
  }
  return result;
}

void UsbLpSerialControl::Receive() {
  if (!IsOpen() || one_way_) return;
  std::uint8_t chunk[512];
  const long n = device_->Read(chunk);
  if (n > 0) rx_.insert(rx_.end(), chunk, chunk + n);
  if (n == -EINVAL) one_way_ = true;
}

std::string UsbLpSerialControl::NoReplyReason() const {
  return one_way_ ? "no reply: the printer's USB interface may be one-way (" + device_->Path() +
                        " cannot be read)"
                  : std::string();
}

// --- behind an LPT port ------------------------------------------------------------------

UsbLpPortAccess::UsbLpPortAccess(std::unique_ptr<LpDevice> device)
    : device_(std::move(device)), usb_class_(device_->Path().find("/usb/") != std::string::npos) {
  buffer_.reserve(kLpChunkBytes);
}

bool UsbLpPortAccess::InitializeWinIo() {
  if (device_->IsOpen()) return true;
  if (const int err = device_->Open(); err != 0) {
    failure_ = "cannot open printer device " + device_->Path() + ": " + ErrnoText(err);
    return false;
  }
  return true;
}

bool UsbLpPortAccess::ShutdownWinIo() {
  const bool flushed = !device_->IsOpen() || Flush();
  device_->Close();
  return flushed;
}

bool UsbLpPortAccess::RefreshStatus() {
  std::optional<std::uint8_t> raw = device_->PortStatus();
  if (!raw) {
    failure_ = "cannot read the status of " + device_->Path() + ": " + ErrnoText(errno);
    return false;
  }
  // The printer class reports nERROR, SELECT and PAPER EMPTY only; the lp driver reports the
  // whole register, nACK included.
  status_ = usb_class_ ? static_cast<std::uint8_t>(0x40 | (*raw & 0x38))
                       : static_cast<std::uint8_t>(*raw & 0x78);
  status_at_ = SteadyTime::now();
  return true;
}

bool UsbLpPortAccess::WriteOut() {
  std::size_t done = 0;
  const auto deadline = SteadyTime::now() + kLpWriteLimit;
  while (done < buffer_.size()) {
    const long n = device_->Write(std::span<const std::uint8_t>(buffer_).subspan(done));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && n != -EAGAIN && n != -EINTR) {
      failure_ = WriteFailure(device_->Path(), static_cast<int>(-n));
      return false;
    }
    const int wait_ms = MillisecondsUntil(deadline);
    // A printer that takes nothing for the limit stays busy: the job's per-byte limit
    // then ends the transfer with its own message.
    if (wait_ms == 0) break;
    (void)device_->WaitWritable(wait_ms);
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(done));
  return true;
}

bool UsbLpPortAccess::Flush() {
  if (buffer_.empty()) return true;
  return WriteOut() && buffer_.empty();
}

bool UsbLpPortAccess::GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) {
  if (size != 1 || port != kBase + 1 || !device_->IsOpen()) return false;
  if (buffer_.size() >= kLpChunkBytes && !WriteOut()) return false;
  if (SteadyTime::now() - status_at_ > kLpStatusAge && !RefreshStatus()) return false;
  const bool room = buffer_.size() < kLpChunkBytes;
  value = static_cast<std::uint32_t>(status_ | (room ? 0x80 : 0x00) | 0x07);
  return true;
}

bool UsbLpPortAccess::SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) {
  if (size != 1 || !device_->IsOpen()) return false;
  if (port == kBase) {
    data_ = static_cast<std::uint8_t>(value & 0xFF);
    return true;
  }
  if (port != kBase + 2) return false;
  // The byte is taken when the strobe is asserted (control bit 0 going to 1).
  if ((value & 0x01) != 0) buffer_.push_back(data_);
  return true;
}

bool UsbLpPortAccess::GetPhysLong(std::uint32_t address, std::uint32_t& value) {
  // The device is LPT1 of this access; LPT2 is left empty.
  value = address == 0x408 ? kBase : 0;
  return true;
}

}  // namespace qw77
