#include "vprinter/endpoints/Server.h"

#include <algorithm>
#include <chrono>

#include "base/Deadline.h"

namespace qw77::vprinter {

Micros NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

Server::Server(Printer& printer) : printer_(printer) {
  wake_ = OpenWakePair();
}

Server::~Server() {
  endpoints_.clear();
  tcp_.reset();
  parallel_.reset();
  serial_.reset();
  CloseWakePair(wake_);
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
  Wake(wake_);
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
  const bool wakeable = wake_.waiter != kNoSocket;
  if (wakeable) fds.push_back({wake_.waiter, POLLIN, 0});
  for (Endpoint* endpoint : endpoints_) endpoint->Prepare(fds, now, wake_at);

  const auto at = [](Micros us) {
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(us));
  };
  const int timeout_ms = MillisecondsUntil(at(wake_at), at(now));
  const int ready = WaitForSockets(fds, timeout_ms);
  if (ready < 0) return false;
  now = NowMicros();
  if (wakeable && (fds[0].revents & POLLIN)) DrainWakes(wake_);
  bool took_input = false;
  for (std::size_t i = wakeable ? 1 : 0; i < fds.size() && ready > 0; ++i) {
    took_input = took_input || (fds[i].revents & POLLIN) != 0;
  }
  for (Endpoint* endpoint : endpoints_) endpoint->Service(fds, now);
  printer_.Tick(now / 1000);
  return took_input;
}

}  // namespace qw77::vprinter
