#include "platform/posix/TermiosSerialControl.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/Deadline.h"
#include "base/Errno.h"
#include "base/LineTiming.h"

namespace qw77 {
namespace {

using SteadyTime = std::chrono::steady_clock;

// Mark and space parity need a Linux extension; elsewhere they are refused on opening.
#ifdef CMSPAR
constexpr tcflag_t kStickParity = CMSPAR;
#else
constexpr tcflag_t kStickParity = 0;
#endif

// Pause between two looks at the driver's output queue while closing.
constexpr std::chrono::milliseconds kDrainStep{5};

speed_t BaudConstant(int baud) {
  switch (baud) {
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
#ifdef B460800
    case 460800:
      return B460800;
#endif
    default:
      return B0;
  }
}

tcflag_t DataBitsFlag(int bits) {
  switch (bits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

// The line hung up under us: the peer closed its end (a pseudo-terminal's master, a modem's
// carrier without CLOCAL) or the device went away. Bytes the driver accepted may never leave.
bool LineHungUp(int fd) {
  pollfd p{fd, POLLOUT, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

std::string SerialDevicePath(int port, std::optional<std::string_view> env_value) {
  if (port < 1) return {};
  if (env_value && !env_value->empty()) return std::string(*env_value);
  return "/dev/ttyS" + std::to_string(port - 1);
}

std::string SerialDevicePathFromEnv(int port) {
  std::string name = "QW77_COM" + std::to_string(port);
  const char* value = std::getenv(name.c_str());
  return SerialDevicePath(port, value ? std::optional<std::string_view>(value) : std::nullopt);
}

TermiosSerialControl::TermiosSerialControl(int port, TermiosOptions options)
    : options_(std::move(options)), comm_port_(port) {}

TermiosSerialControl::~TermiosSerialControl() {
  if (fd_ >= 0) (void)Close();
}

std::string TermiosSerialControl::DevicePath() const {
  if (fd_ >= 0) return open_path_;
  if (!options_.device.empty()) return options_.device;
  return SerialDevicePathFromEnv(comm_port_);
}

Status TermiosSerialControl::Open(const SerialConfig& config) {
  if (Status checked = CheckSerialConfig(config); !checked.ok()) return checked;
  if (fd_ < 0) return OpenDevice(config);
  if (Status applied = Apply(fd_, config); !applied.ok()) return applied;
  config_ = config;
  return Status::Ok();
}

namespace {

// Slave sides of Unix98 pseudo-terminals have majors 136 to 143.
bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned int device_major = major(st.st_rdev);
  return device_major >= 136 && device_major <= 143;
}

}  // namespace

Status TermiosSerialControl::Apply(int fd, const SerialConfig& s) const {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    return {ErrorCode::kIo, DevicePath() + " is not a serial line: " + ErrnoText(errno)};
  }
  cfmakeraw(&tio);
  const speed_t speed = BaudConstant(s.baud);
  if (speed == B0) {
    return {ErrorCode::kInvalidArgument, std::to_string(s.baud) + " baud is not available"};
  }
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);

  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag &= ~kStickParity;
  tio.c_cflag |= CLOCAL | CREAD | DataBitsFlag(s.data_bits);
  if (s.stop_bits == 2) tio.c_cflag |= CSTOPB;
  switch (s.parity) {
    case Parity::kEven:
      tio.c_cflag |= PARENB;
      break;
    case Parity::kOdd:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case Parity::kMark:
    case Parity::kSpace:
      if (kStickParity == 0) {
        return {ErrorCode::kInvalidArgument, "mark and space parity are not available"};
      }
      tio.c_cflag |= PARENB | kStickParity | (s.parity == Parity::kMark ? PARODD : 0);
      break;
    case Parity::kNone:
      break;
  }
  // XON/XOFF always off: the printer's data contains 11h and 13h as plain bytes.
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  if (s.flow == FlowControl::kRtsCts) tio.c_cflag |= CRTSCTS;
  // The descriptor is non-blocking; reads return what is there.
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;

  // A pseudo-terminal accepts the call but may keep CRTSCTS clear; that is fine, it has
  // no modem lines to honour.
  if (tcsetattr(fd, TCSANOW, &tio) != 0) {
    const int error = errno;
    // A pseudo-terminal has no parity generator: the kernel drops PARENB, and the C
    // library then reports EINVAL although everything else was applied. Nothing is lost
    // on such a line, so the settings stand.
    if (!(error == EINVAL && IsPseudoTerminal(fd))) {
      return {ErrorCode::kIo,
              "cannot set up serial line " + DevicePath() + ": " + ErrnoText(error)};
    }
  }
  return Status::Ok();
}

Status TermiosSerialControl::OpenDevice(const SerialConfig& config) {
  const std::string path = DevicePath();
  if (path.empty()) {
    return {ErrorCode::kNotFound, "no serial device for port " + std::to_string(comm_port_)};
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ErrnoStatus(errno, "cannot open serial device " + path);

  auto fail = [fd](Status why) {
    ::close(fd);  // releases the advisory lock with it
    return why;
  };
  // The advisory lock keeps out every other opener that plays by the same rules, root
  // included; TIOCEXCL keeps out those that don't look at locks (but not root).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EWOULDBLOCK) {
      return fail({ErrorCode::kBusy, "serial device " + path + " is in use by another program"});
    }
    return fail(ErrnoStatus(err, "cannot open serial device " + path));
  }
  if (!isatty(fd)) {
    return fail({ErrorCode::kIo, path + " is not a serial device"});
  }
  (void)ioctl(fd, TIOCEXCL);  // refused by some drivers; the lock above still holds

  Status applied = Apply(fd, config);
  if (!applied.ok()) return fail(applied);
  // Whatever arrived before this opening belongs to nobody.
  (void)tcflush(fd, TCIFLUSH);

  fd_ = fd;
  config_ = config;
  open_path_ = path;
  wire_free_at_ = {};
  rx_.clear();
  return Status::Ok();
}

Status TermiosSerialControl::Close() {
  if (fd_ < 0) return Status::Ok();
  const int fd = fd_;
  Status result;

  // Let queued bytes go out while the queue keeps shrinking, but never wait on a line
  // that is held for good.
  const auto started = SteadyTime::now();
  auto last_progress = started;
  int queued_before = -1;
  while (true) {
    int queued = 0;
    if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
    const auto now = SteadyTime::now();
    if (queued_before < 0 || queued < queued_before) last_progress = now;
    queued_before = queued;
    if (now - last_progress >= options_.close_limit || now - started >= kSerialCloseCap) {
      (void)tcflush(fd, TCOFLUSH);  // otherwise close() itself would wait on the driver
      result = {ErrorCode::kTimedOut, std::to_string(queued) +
                                          " queued byte(s) could not go out on " + open_path_ +
                                          " before closing"};
      break;
    }
    std::this_thread::sleep_for(kDrainStep);
  }
  // An empty queue says only that the driver has handed its bytes on: a pseudo-terminal
  // never reports any, and a line that hangs up meanwhile drops them on the way.
  if (result.ok() && !AwaitWire(fd)) {
    result = {ErrorCode::kIo, "the line on " + open_path_ + " hung up"};
  }

  (void)tcflush(fd, TCIFLUSH);
  (void)ioctl(fd, TIOCNXCL);
  (void)flock(fd, LOCK_UN);
  ::close(fd);
  fd_ = -1;
  rx_.clear();
  return result;
}

std::chrono::microseconds TermiosSerialControl::WireTime(std::size_t bytes) const {
  return qw77::WireTime(bytes, config_.BitsPerCharacter(), config_.baud);
}

bool TermiosSerialControl::AwaitWire(int fd) {
  const auto now = SteadyTime::now();
  const auto until = std::min(wire_free_at_, now + WireTime(kSerialHiddenBufferBytes));
  while (true) {
    if (LineHungUp(fd)) return false;
    const int wait_ms = MillisecondsUntil(until);
    if (wait_ms == 0) return true;
    // With no events asked for, poll still wakes on a hang-up or an error.
    pollfd p{fd, 0, 0};
    (void)::poll(&p, 1, std::min(wait_ms, 50));
  }
}

WriteResult TermiosSerialControl::Write(std::span<const std::uint8_t> bytes) {
  WriteResult result;
  if (fd_ < 0) {
    result.status = {ErrorCode::kNotOpen,
                     "serial port " + std::to_string(comm_port_) + " is not open"};
    return result;
  }
  const std::chrono::milliseconds stall_limit =
      SerialStallLimit(config_, options_.line_buffer_bytes, options_.write_limit);
  auto deadline = SteadyTime::now() + stall_limit;
  while (result.written < bytes.size()) {
    const std::size_t left = bytes.size() - result.written;
    const ssize_t n = ::write(fd_, bytes.data() + result.written, left);
    if (n > 0) {
      result.written += static_cast<std::size_t>(n);
      const auto now = SteadyTime::now();
      deadline = now + stall_limit;
      wire_free_at_ = std::max(wire_free_at_, now) + WireTime(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      const int err = errno;
      // A USB adapter pulled out mid-ticket takes its device node with it; a line whose
      // other end closed (a pseudo-terminal's master, a modem) hung up.
      struct stat node {};
      const bool gone = ::stat(open_path_.c_str(), &node) != 0;
      if (!gone && LineHungUp(fd_)) {
        result.status = {ErrorCode::kIo, "the line on " + open_path_ + " hung up"};
        wire_free_at_ = {};
        return result;
      }
      result.status = {ErrorCode::kIo,
                       gone || err == ENODEV || err == ENXIO
                           ? "the device " + open_path_ + " went away (" + ErrnoText(err) +
                                 "); it may have been unplugged"
                           : "write to " + open_path_ + " failed: " + ErrnoText(err)};
      wire_free_at_ = {};  // nothing of a failed transfer is waited for at closing
      return result;
    }
    // The driver is full (flow control holds the line, or nobody reads): block until it
    // takes more, up to the limit.
    const int wait_ms = MillisecondsUntil(deadline);
    if (wait_ms == 0) {
      result.status = {ErrorCode::kTimedOut, "the line on " + open_path_ + " took no data for " +
                                                 std::to_string(stall_limit.count()) + " ms; " +
                                                 std::to_string(result.written) + " of " +
                                                 std::to_string(bytes.size()) + " byte(s) sent"};
      wire_free_at_ = {};  // nothing of a failed transfer is waited for at closing
      return result;
    }
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, wait_ms);
    if (ready < 0 && errno != EINTR) {
      result.status = {ErrorCode::kIo, "waiting on " + open_path_ + " failed: " + ErrnoText(errno)};
      wire_free_at_ = {};  // nothing of a failed transfer is waited for at closing
      return result;
    }
    if (ready > 0 && (p.revents & POLLHUP) != 0) {
      result.status = {ErrorCode::kIo, "the line on " + open_path_ + " hung up"};
      wire_free_at_ = {};  // nothing of a failed transfer is waited for at closing
      return result;
    }
    if (ready > 0 && (p.revents & (POLLERR | POLLNVAL)) != 0) {
      result.status = {ErrorCode::kIo, "serial line " + open_path_ + " failed"};
      wire_free_at_ = {};  // nothing of a failed transfer is waited for at closing
      return result;
    }
  }
  return result;
}

bool TermiosSerialControl::FillReceiveBuffer() {
  if (fd_ < 0) return false;
  std::uint8_t chunk[512];
  while (true) {
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n > 0) {
      rx_.insert(rx_.end(), chunk, chunk + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n == 0 || errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

std::size_t TermiosSerialControl::Available() {
  if (fd_ < 0) return 0;
  int pending = 0;
  if (ioctl(fd_, FIONREAD, &pending) != 0 || pending < 0) pending = 0;
  return rx_.size() + static_cast<std::size_t>(pending);
}

std::vector<std::uint8_t> TermiosSerialControl::Read() {
  std::vector<std::uint8_t> out;
  if (fd_ < 0) return out;
  (void)FillReceiveBuffer();
  out.assign(rx_.begin(), rx_.end());
  rx_.clear();
  return out;
}

}  // namespace qw77
