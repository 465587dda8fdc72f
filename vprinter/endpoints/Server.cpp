#include "vprinter/endpoints/Server.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "base/Deadline.h"

namespace qw77::vprinter {

Micros NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

Server::Server(Printer& printer) : printer_(printer) {
  if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
}

Server::~Server() {
  endpoints_.clear();
  tcp_.reset();
  parallel_.reset();
  serial_.reset();
  for (int fd : wake_) {
    if (fd >= 0) close(fd);
  }
}

Status Server::OpenSerial(SerialOptions options) {
  Result<std::unique_ptr<SerialEndpoint>> ep = SerialEndpoint::Open(printer_, std::move(options));
  if (!ep) return ep.status();
  serial_ = std::move(*ep);
  endpoints_.push_back(serial_.get());
  return Status::Ok();
}

Status Server::OpenParallel(const std::string& socket_path) {
  Result<std::unique_ptr<ParallelEndpoint>> ep = ParallelEndpoint::Open(printer_, socket_path);
  if (!ep) return ep.status();
  parallel_ = std::move(*ep);
  endpoints_.push_back(parallel_.get());
  return Status::Ok();
}

Status Server::OpenTcp(const std::string& host, int port, Micros idle_us) {
  Result<std::unique_ptr<TcpEndpoint>> ep = TcpEndpoint::Open(printer_, host, port, idle_us);
  if (!ep) return ep.status();
  tcp_ = std::move(*ep);
  endpoints_.push_back(tcp_.get());
  return Status::Ok();
}

void Server::Stop(bool drain) {
  drain_ = drain;
  stop_ = true;
  if (wake_[1] >= 0) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(wake_[1], &c, 1);
  }
}

void Server::Run() {
  while (!stop_) RunOnce(1000000);
  // Draining stops at the first quiet round, or after a bounded number of busy ones.
  for (int round = 0; drain_ && round < 100000; ++round) {
    if (!RunOnce(0)) break;
  }
  printer_.Shutdown();
}

bool Server::RunOnce(Micros max_wait_us) {
  Micros now = NowMicros();
  Micros wake_at = now + max_wait_us;
  const Millis deadline = printer_.NextDeadline();
  if (deadline >= 0) wake_at = std::min(wake_at, deadline * 1000);

  std::vector<pollfd> fds;
  if (wake_[0] >= 0) fds.push_back({wake_[0], POLLIN, 0});
  for (Endpoint* endpoint : endpoints_) endpoint->Prepare(fds, now, wake_at);

  const auto at = [](Micros us) {
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(us));
  };
  const int timeout_ms = MillisecondsUntil(at(wake_at), at(now));
  const int ready = poll(fds.data(), fds.size(), timeout_ms);
  if (ready < 0 && errno != EINTR) return false;
  now = NowMicros();
  if (wake_[0] >= 0 && (fds[0].revents & POLLIN)) {
    char buf[16];
    while (read(wake_[0], buf, sizeof buf) > 0) {
    }
  }
  bool took_input = false;
  for (std::size_t i = wake_[0] >= 0 ? 1 : 0; i < fds.size() && ready > 0; ++i) {
    took_input = took_input || (fds[i].revents & POLLIN) != 0;
  }
  for (Endpoint* endpoint : endpoints_) endpoint->Service(fds, now);
  printer_.Tick(now / 1000);
  return took_input;
}

}  // namespace qw77::vprinter
