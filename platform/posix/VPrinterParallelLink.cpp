#include "platform/posix/VPrinterParallelLink.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/Errno.h"
#include "platform/ParallelRegisters.h"

namespace qw77 {
namespace {

// Each request is op, register, value; each answer one byte (see the printer's endpoint).
constexpr std::uint8_t kRead = 'R';
constexpr std::uint8_t kWrite = 'W';
// A printer that does not answer a register access within this time counts as refusing
// it, so no access ever hangs the window.
constexpr int kAnswerLimitMs = 2000;

class VPrinterParallelLink : public ParallelLink {
 public:
  explicit VPrinterParallelLink(std::string path) : path_(std::move(path)) {}
  ~VPrinterParallelLink() override { Close(); }

  Status Open() override {
    Close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof addr.sun_path) {
      return {ErrorCode::kInvalidArgument,
              "virtual printer socket path \"" + path_ + "\" is empty or too long"};
    }
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      const Status failed = ErrnoStatus(errno, "no virtual printer listens on " + path_);
      Disconnect();
      return failed;
    }
    present_ = true;
    return Status::Ok();
  }

  void Close() override {
    Disconnect();
    present_ = false;
  }

  // The printer stays the port of an open link after it went away; its accesses then fail.
  bool Present() const override { return present_; }

  Status WriteData(std::uint8_t byte) override {
    std::uint8_t answer = 0;
    return Exchange(kWrite, ParallelRegister::kData, byte, answer);
  }

  Status SetControl(const ParallelControlLines& lines) override {
    std::uint8_t answer = 0;
    return Exchange(kWrite, ParallelRegister::kControl, ControlRegister(lines), answer);
  }

  Result<ParallelStatusLines> ReadStatus() override {
    std::uint8_t answer = 0;
    if (Status read = Exchange(kRead, ParallelRegister::kStatus, 0, answer); !read.ok()) {
      return read;
    }
    return StatusFromRegister(answer);
  }

 private:
  Status Exchange(std::uint8_t op, ParallelRegister reg, std::uint8_t value, std::uint8_t& answer) {
    if (fd_ < 0) return {ErrorCode::kNotOpen, "the virtual printer at " + path_ + " is gone"};
    const std::uint8_t request[3] = {op, static_cast<std::uint8_t>(reg), value};
    std::size_t sent = 0;
    while (sent < sizeof request) {
      const ssize_t n = send(fd_, request + sent, sizeof request - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Broken(ErrnoStatus(n < 0 ? errno : EPIPE, "cannot send to " + path_));
      sent += static_cast<std::size_t>(n);
    }
    pollfd p{fd_, POLLIN, 0};
    int ready = 0;
    do {
      ready = poll(&p, 1, kAnswerLimitMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
      return Broken({ErrorCode::kTimedOut, "the virtual printer at " + path_ +
                                               " did not answer within " +
                                               std::to_string(kAnswerLimitMs) + " ms"});
    }
    if (ready < 0) return Broken(ErrnoStatus(errno, "cannot wait for " + path_));
    ssize_t n = 0;
    do {
      n = recv(fd_, &answer, 1, 0);
    } while (n < 0 && errno == EINTR);
    if (n == 1) return Status::Ok();
    return Broken(n == 0 ? Status{ErrorCode::kIo, "the virtual printer at " + path_ + " went away"}
                         : ErrnoStatus(errno, "cannot read from " + path_));
  }

  void Disconnect() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  // The printer went away: every later access fails too.
  Status Broken(Status why) {
    Disconnect();
    return why;
  }

  std::string path_;
  int fd_ = -1;
  bool present_ = false;
};

}  // namespace

std::unique_ptr<ParallelLink> MakeVPrinterLink(std::string socket_path) {
  return std::make_unique<VPrinterParallelLink>(std::move(socket_path));
}

}  // namespace qw77
