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
#include "platform/ParallelRegisters.h"

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

UsbLpParallelLink::UsbLpParallelLink(std::unique_ptr<LpDevice> device)
    : device_(std::move(device)), usb_class_(device_->Path().find("/usb/") != std::string::npos) {
  buffer_.reserve(kLpChunkBytes);
}

Status UsbLpParallelLink::Open() {
  if (device_->IsOpen()) return Status::Ok();
  if (const int err = device_->Open(); err != 0) {
    return ErrnoStatus(err, "cannot open printer device " + device_->Path());
  }
  return Status::Ok();
}

void UsbLpParallelLink::Close() {
  // What is still buffered goes out first; a printer that does not take it loses it.
  if (device_->IsOpen()) (void)Flush();
  device_->Close();
  buffer_.clear();
  strobe_ = false;
}

Status UsbLpParallelLink::NotOpen() const {
  return {ErrorCode::kNotOpen, device_->Path() + " is not open"};
}

Status UsbLpParallelLink::RefreshStatus() {
  std::optional<std::uint8_t> raw = device_->PortStatus();
  if (!raw) return ErrnoStatus(errno, "cannot read the status of " + device_->Path());
  // The lp driver reports the whole status register; the printer class reports error, select
  // and paper end only, its acknowledge line idle.
  status_ = StatusFromRegister(*raw);
  if (usb_class_) status_.acknowledge = false;
  status_at_ = SteadyTime::now();
  return Status::Ok();
}

Status UsbLpParallelLink::WriteOut() {
  std::size_t done = 0;
  const auto deadline = SteadyTime::now() + kLpWriteLimit;
  while (done < buffer_.size()) {
    const long n = device_->Write(std::span<const std::uint8_t>(buffer_).subspan(done));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && n != -EAGAIN && n != -EINTR) {
      return {ErrorCode::kIo, WriteFailure(device_->Path(), static_cast<int>(-n))};
    }
    const int wait_ms = MillisecondsUntil(deadline);
    // A printer that takes nothing for the limit stays busy: the job's per-byte limit
    // then ends the transfer with its own message.
    if (wait_ms == 0) break;
    (void)device_->WaitWritable(wait_ms);
  }
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(done));
  return Status::Ok();
}

Status UsbLpParallelLink::Flush() {
  if (buffer_.empty()) return Status::Ok();
  if (Status written = WriteOut(); !written.ok()) return written;
  if (!buffer_.empty()) {
    return {ErrorCode::kTimedOut, "the printer at " + device_->Path() + " took no data for " +
                                      std::to_string(kLpWriteLimit.count()) + " ms"};
  }
  return Status::Ok();
}

Result<ParallelStatusLines> UsbLpParallelLink::ReadStatus() {
  if (!device_->IsOpen()) return NotOpen();
  if (buffer_.size() >= kLpChunkBytes) {
    if (Status written = WriteOut(); !written.ok()) return written;
  }
  if (SteadyTime::now() - status_at_ > kLpStatusAge) {
    if (Status read = RefreshStatus(); !read.ok()) return read;
  }
  ParallelStatusLines lines = status_;
  lines.busy = buffer_.size() >= kLpChunkBytes;
  return lines;
}

Status UsbLpParallelLink::WriteData(std::uint8_t byte) {
  if (!device_->IsOpen()) return NotOpen();
  data_ = byte;
  return Status::Ok();
}

Status UsbLpParallelLink::SetControl(const ParallelControlLines& lines) {
  if (!device_->IsOpen()) return NotOpen();
  // The byte is taken when the strobe is asserted.
  if (lines.strobe && !strobe_) buffer_.push_back(data_);
  strobe_ = lines.strobe;
  return Status::Ok();
}

}  // namespace qw77
