#include "platform/posix/VPrinterPortAccess.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qw77 {
namespace {

// Each request is op, register, value; each answer one byte (see the printer's endpoint).
constexpr std::uint8_t kRead = 'R';
constexpr std::uint8_t kWrite = 'W';
// A printer that does not answer a register access within this time counts as refusing
// it, so no port access ever hangs the window.
constexpr int kAnswerLimitMs = 2000;

class VPrinterPortAccess : public PortAccess {
 public:
  explicit VPrinterPortAccess(std::string path) : path_(std::move(path)) {}
  ~VPrinterPortAccess() override { Disconnect(); }

  bool InitializeWinIo() override {
    Disconnect();
    failure_.clear();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path_.empty() || path_.size() >= sizeof addr.sun_path) {
      failure_ = "virtual printer socket path \"" + path_ + "\" is empty or too long";
      return false;
    }
    std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      failure_ = "no virtual printer listens on " + path_ + ": " + std::strerror(errno);
      Disconnect();
      return false;
    }
    return true;
  }

  std::string FailureReason() const override { return failure_; }

  bool ShutdownWinIo() override {
    Disconnect();
    return true;
  }

  bool GetPortVal(std::uint16_t port, std::uint32_t& value, std::uint8_t size) override {
    std::uint8_t answer = 0;
    if (size != 1 || !Exchange(kRead, port, 0, answer)) return false;
    value = answer;
    return true;
  }

  bool SetPortVal(std::uint16_t port, std::uint32_t value, std::uint8_t size) override {
    std::uint8_t answer = 0;
    return size == 1 && Exchange(kWrite, port, static_cast<std::uint8_t>(value & 0xFF), answer);
  }

  bool GetPhysLong(std::uint32_t address, std::uint32_t& value) override {
    // Only the BIOS data area exists; the printer is LPT1, the other entries are empty.
    if (fd_ < 0 || address < 0x400 || address > 0x4FC) return false;
    value = 0;
    for (std::uint32_t i = 0; i < 4; ++i) {
      const std::uint32_t byte_at = address + i;
      std::uint32_t byte = 0;
      if (byte_at == 0x408) byte = kVPrinterBase & 0xFF;
      if (byte_at == 0x409) byte = kVPrinterBase >> 8;
      value |= byte << (8 * i);
    }
    return true;
  }

 private:
  void Disconnect() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  bool Exchange(std::uint8_t op, std::uint16_t port, std::uint8_t value, std::uint8_t& answer) {
    if (fd_ < 0 || port < kVPrinterBase || port > kVPrinterBase + 2) return false;
    const std::uint8_t request[3] = {op, static_cast<std::uint8_t>(port - kVPrinterBase), value};
    std::size_t sent = 0;
    while (sent < sizeof request) {
      const ssize_t n = send(fd_, request + sent, sizeof request - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Broken();
      sent += static_cast<std::size_t>(n);
    }
    pollfd p{fd_, POLLIN, 0};
    int ready = 0;
    do {
      ready = poll(&p, 1, kAnswerLimitMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return Broken();
    ssize_t n = 0;
    do {
      n = recv(fd_, &answer, 1, 0);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? true : Broken();
  }

  // The printer went away: every later access is refused too.
  bool Broken() {
    Disconnect();
    return false;
  }

  std::string path_;
  std::string failure_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<PortAccess> MakeVPrinterPortAccess(std::string socket_path) {
  return std::make_unique<VPrinterPortAccess>(std::move(socket_path));
}

}  // namespace qw77
