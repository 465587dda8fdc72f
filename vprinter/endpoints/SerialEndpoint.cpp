#include "vprinter/endpoints/SerialEndpoint.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/Errno.h"
#include "base/LineTiming.h"

namespace qw77::vprinter {
namespace {

// The printer takes its input at 10 bits a character (start, eight data and stop bits),
// whatever framing the line was given.
constexpr int kBitsPerByte = 10;

int BaudOf(speed_t s) {
  switch (s) {
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    default:
      return 0;
  }
}

Status Errno(const std::string& what) {
  return ErrnoStatus(errno, what);
}

Millis ToMillis(Micros us) {
  return us / 1000;
}

}  // namespace

bool SerialEndpoint::Available() {
  return true;
}

Result<std::unique_ptr<SerialEndpoint>> SerialEndpoint::Open(Printer& printer,
                                                             SerialOptions options) {
  std::unique_ptr<SerialEndpoint> ep(new SerialEndpoint(printer, std::move(options)));
  ep->master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (ep->master_ < 0) return Errno("cannot create a pseudo-terminal");
  if (grantpt(ep->master_) != 0 || unlockpt(ep->master_) != 0) {
    return Errno("cannot unlock the pseudo-terminal");
  }
  char name[128];
  if (ptsname_r(ep->master_, name, sizeof name) != 0) return Errno("cannot name the terminal");
  ep->slave_path_ = name;
  // Opened before the application ever opens it: its exclusive mode then only keeps
  // later openers out, and this descriptor keeps the terminal alive between its jobs.
  ep->slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (ep->slave_ < 0) return Errno(std::string("cannot open ") + name);
  termios tio{};
  if (tcgetattr(ep->slave_, &tio) == 0) {
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(ep->slave_, TCSANOW, &tio);
  }
  if (!ep->options_.link_path.empty()) {
    Result<std::unique_ptr<SerialLink>> link = SerialLink::Claim(ep->options_.link_path);
    if (!link) return link.status();
    ep->link_ = std::move(*link);
    const Status pointed = ep->link_->PointAt(name);
    if (!pointed) return pointed;
  }
  printer.AttachReplies(Source::kSerial, ep.get());
  return ep;
}

void SerialEndpoint::SendReply(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) QueueReply(byte);
}

void SerialEndpoint::QueueReply(std::uint8_t byte) {
  // A reply takes one byte time on the wire, after any reply still going out.
  const int baud = PacingBaud();
  Micros due = replies_.empty() ? now_ : std::max(now_, replies_.back().due);
  due += WireTime(1, kBitsPerByte, baud).count();
  replies_.push_back({byte, due});
}

SerialEndpoint::~SerialEndpoint() {
  printer_.AttachReplies(Source::kSerial, nullptr);
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
}

int SerialEndpoint::PacingBaud() const {
  if (!options_.pace) return 0;
  if (options_.baud > 0) return options_.baud;
  termios tio{};
  if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) return 9600;
  const int baud = BaudOf(cfgetispeed(&tio));
  return baud > 0 ? baud : 9600;
}

void SerialEndpoint::ReleaseExclusiveMode(Micros now, Micros& wake_at) {
  // The application takes the terminal in exclusive mode for each job. Since this
  // endpoint keeps the terminal open, that mode would outlive the application's close and
  // refuse its next open. The application holds a lock on the device while it has it
  // open; once that lock is free, its job has ended and the mode is cleared. Replies that
  // nobody read go with it, as on a line with nobody listening.
  constexpr Micros kCheckEveryUs = 50000;
  int exclusive = 0;
  if (slave_ < 0 || ioctl(slave_, TIOCGEXCL, &exclusive) != 0 || !exclusive) return;
  if (now >= next_exclusive_check_) {
    next_exclusive_check_ = now + kCheckEveryUs;
    if (flock(slave_, LOCK_EX | LOCK_NB) == 0) {
      ioctl(slave_, TIOCNXCL);
      tcflush(slave_, TCIFLUSH);
      flock(slave_, LOCK_UN);
      return;
    }
  }
  wake_at = std::min(wake_at, next_exclusive_check_);
}

void SerialEndpoint::Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) {
  if (master_ < 0) return;
  ReleaseExclusiveMode(now, wake_at);
  short events = 0;
  // A client that leaves replies unread gets no more requests read until it reads; and
  // while another interface's ticket is printing, the line waits.
  if (!stalled_ && replies_.size() < kMaxUnsentReplyBytes && printer_.Accepts(Source::kSerial)) {
    if (read_ready_at_ <= now) {
      events |= POLLIN;
    } else {
      wake_at = std::min(wake_at, read_ready_at_);
    }
  }
  if (!replies_.empty()) {
    if (replies_.front().due <= now) {
      events |= POLLOUT;
    } else {
      wake_at = std::min(wake_at, replies_.front().due);
    }
  }
  if (events) fds.push_back({master_, events, 0});
}

void SerialEndpoint::Service(const std::vector<pollfd>& fds, Micros now) {
  now_ = now;
  if (master_ < 0) return;
  const short revents = EventsOf(fds, master_);
  if (revents & POLLOUT) WriteReplies(now);
  if (revents & POLLIN) ReadInput(now);
}

void SerialEndpoint::ReadInput(Micros now) {
  const StatusModel& status = printer_.status();
  const int baud = PacingBaud();
  // At most what the wire carries in 10 ms, so the pace stays even.
  std::size_t want = baud > 0 ? static_cast<std::size_t>(std::max(1, baud / 10 / 100)) : 4096;
  want = status.ReadAllowance(received_, want);
  // A status request is 3 bytes and makes one reply: the replies stay within the bound.
  want = std::min(want, kMaxUnsentReplyBytes - std::min(kMaxUnsentReplyBytes, replies_.size()));
  std::uint8_t buf[4096];
  want = std::min(want, sizeof buf);
  ssize_t n = 0;
  if (want > 0) {
    n = read(master_, buf, want);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return;
      HangUp(std::string("read failed: ") + std::strerror(errno));
      return;
    }
  }
  if (n > 0) {
    received_ += n;
    if (baud > 0) {
      // Time the wire needs for these bytes, counted from when the last ones were due so
      // that wake-up latency does not slow the average rate. After a pause the wire
      // starts afresh.
      const Micros byte_us = WireTime(1, kBitsPerByte, baud).count();
      if (read_ready_at_ < now - 20 * byte_us - 20000) read_ready_at_ = now;
      read_ready_at_ += WireTime(static_cast<std::size_t>(n), kBitsPerByte, baud).count();
    }
    const int replies_before = printer_.replies_sent();
    printer_.Feed(Source::kSerial, {buf, static_cast<std::size_t>(n)}, ToMillis(now));
    if (status.faults().stall_after_reply && printer_.replies_sent() > replies_before) {
      Stall("after its first reply");
    }
  }
  if (status.StallsAt(received_) && !stalled_) {
    Stall("after " + std::to_string(received_) + " bytes");
  }
  if (status.HangsUpAt(received_)) {
    HangUp("fault: hangs up after " + std::to_string(received_) + " bytes");
  }
}

void SerialEndpoint::Stall(const std::string& when) {
  if (stalled_) return;
  stalled_ = true;
  // Not reading alone would let the sender fill the terminal's buffer unhindered; holding
  // the terminal's output stops its writes at once, as a printer holding CTS low does.
  if (slave_ >= 0) tcflow(slave_, TCOOFF);
  printer_.Note(Source::kSerial, "fault: stops reading and holds the line " + when);
}

void SerialEndpoint::WriteReplies(Micros now) {
  while (!replies_.empty() && replies_.front().due <= now) {
    const ssize_t n = write(master_, &replies_.front().byte, 1);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return;
      HangUp(std::string("write failed: ") + std::strerror(errno));
      return;
    }
    replies_.pop_front();
  }
}

void SerialEndpoint::HangUp(const std::string& why) {
  if (master_ < 0) return;
  printer_.EndOfStream(Source::kSerial);
  printer_.Note(Source::kSerial, "line closed: " + why);
  close(master_);
  master_ = -1;
  if (slave_ >= 0) close(slave_);
  slave_ = -1;
  replies_.clear();
  // The terminal's number is free for the next program that opens one: the link must not
  // lead the application there.
  if (link_) {
    link_->Remove();
    printer_.Note(Source::kSerial, "link " + link_->path() + " removed");
  }
}

}  // namespace qw77::vprinter
