#include "vprinter/endpoints/ParallelEndpoint.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/Errno.h"
#include "vprinter/endpoints/CrashCleanup.h"

namespace qw77::vprinter {

Result<std::unique_ptr<ParallelEndpoint>> ParallelEndpoint::Open(Printer& printer,
                                                                 std::string path) {
  std::unique_ptr<ParallelEndpoint> ep(new ParallelEndpoint(printer, std::move(path)));
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (ep->path_.empty() || ep->path_.size() >= sizeof addr.sun_path) {
    return Status{ErrorCode::kInvalidArgument, "socket path empty or too long: " + ep->path_};
  }
  std::memcpy(addr.sun_path, ep->path_.c_str(), ep->path_.size() + 1);
  struct stat st {};
  if (lstat(ep->path_.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      return Status{ErrorCode::kBusy, ep->path_ + " exists and is not a socket"};
    }
    // A socket left by a printer that is gone is taken over; a live one is not.
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool live =
        probe >= 0 && connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (probe >= 0) close(probe);
    if (live) return Status{ErrorCode::kBusy, "another printer listens on " + ep->path_};
    unlink(ep->path_.c_str());
  }
  ep->listen_fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (ep->listen_fd_ < 0) return ErrnoStatus(errno, "socket");
  if (bind(ep->listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    return ErrnoStatus(errno, "cannot bind " + ep->path_);
  }
  // Owner only, before anyone can connect: the port is this user's printer.
  if (chmod(ep->path_.c_str(), 0600) != 0 || listen(ep->listen_fd_, 4) != 0) {
    const std::string why = std::strerror(errno);
    unlink(ep->path_.c_str());
    return Status{ErrorCode::kIo, "cannot listen on " + ep->path_ + ": " + why};
  }
  RegisterCrashCleanup(ep->path_);
  return ep;
}

ParallelEndpoint::~ParallelEndpoint() {
  if (client_) close(client_->fd);
  if (listen_fd_ >= 0) {
    close(listen_fd_);
    UnregisterCrashCleanup(path_);
    unlink(path_.c_str());
  }
}

std::size_t ParallelEndpoint::unsent_bytes() const {
  return client_ ? client_->out.size() : 0;
}

void ParallelEndpoint::Prepare(std::vector<pollfd>& fds, Micros, Micros&) {
  fds.push_back({listen_fd_, POLLIN, 0});
  if (!client_) return;
  // No more requests while the client leaves this many replies unread; a hang-up is
  // reported all the same.
  short events = client_->out.size() < kMaxUnsentReplyBytes ? POLLIN : 0;
  if (!client_->out.empty()) events |= POLLOUT;
  fds.push_back({client_->fd, events, 0});
}

void ParallelEndpoint::Accept() {
  for (;;) {
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (client_) {
      // Two programs writing the same registers would garble each other's bytes.
      close(fd);
      printer_.Note(Source::kParallel, "second port user refused: the port is in use");
      continue;
    }
    client_ = Client{fd, {}, {}};
    printer_.Note(Source::kParallel, "port user connected");
  }
}

bool ParallelEndpoint::ServeClient(Client& c, short revents, Micros now) {
  // Each request of 3 bytes makes one reply byte: reading no more than the room left
  // keeps the replies waiting within the bound.
  const std::size_t room = kMaxUnsentReplyBytes - std::min(kMaxUnsentReplyBytes, c.out.size());
  if ((revents & POLLIN) && room > 0) {
    std::uint8_t buf[4096];
    const ssize_t n = read(c.fd, buf, std::min(sizeof buf, room));
    if (n == 0) return false;
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (n > 0) c.in.insert(c.in.end(), buf, buf + n);
  } else if (revents & (POLLHUP | POLLERR)) {
    return false;
  }
  registers_.Hold(!printer_.Accepts(Source::kParallel));
  std::size_t i = 0;
  for (; i + 3 <= c.in.size(); i += 3) {
    const std::uint8_t op = c.in[i], reg = c.in[i + 1], value = c.in[i + 2];
    if ((op != kParallelRead && op != kParallelWrite) || reg > 2) {
      printer_.Note(Source::kParallel, "malformed port request; connection closed");
      return false;
    }
    const Millis ms = now / 1000;
    if (op == kParallelRead) {
      c.out.push_back(registers_.Read(reg, ms));
      continue;
    }
    const int lost_before = registers_.bytes_lost();
    const std::optional<std::uint8_t> byte = registers_.Write(reg, value, ms);
    c.out.push_back(value);
    if (registers_.bytes_lost() > lost_before) {
      printer_.Note(Source::kParallel, "byte strobed while busy: lost");
    }
    if (byte) {
      if (registers_.busy_started()) {
        printer_.Note(
            Source::kParallel,
            "fault: busy for " + std::to_string(printer_.status().faults().busy_ms) + " ms");
      }
      printer_.Feed(Source::kParallel, {&*byte, 1}, ms);
    }
  }
  c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(i));
  if (!c.out.empty()) {
    const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (n > 0) c.out.erase(c.out.begin(), c.out.begin() + n);
  }
  return true;
}

void ParallelEndpoint::Drop(const std::string& why) {
  close(client_->fd);
  client_.reset();
  printer_.Note(Source::kParallel, why);
}

void ParallelEndpoint::Service(const std::vector<pollfd>& fds, Micros now) {
  // The client first: one that has just gone makes room for one waiting to connect.
  short revents = 0;
  for (const pollfd& p : fds) {
    if (client_ && p.fd == client_->fd) revents = p.revents;
  }
  if (client_ && revents != 0 && !ServeClient(*client_, revents, now)) {
    Drop("port user disconnected");
  }
  for (const pollfd& p : fds) {
    if (p.fd == listen_fd_ && (p.revents & POLLIN)) Accept();
  }
}

}  // namespace qw77::vprinter
