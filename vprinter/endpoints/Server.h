// The printer's one thread: waits on its interfaces and on the idle timer, and serves
// whatever is ready. Stop() may be called from another thread or a signal handler.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "vprinter/endpoints/ParallelEndpoint.h"
#include "vprinter/endpoints/SerialEndpoint.h"
#include "vprinter/endpoints/TcpEndpoint.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

Micros NowMicros();

class Server {
 public:
  explicit Server(Printer& printer);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  Status OpenSerial(SerialOptions options);
  Status OpenParallel(const std::string& socket_path);
  Status OpenTcp(const std::string& host, int port,
                 Micros idle_us = Micros{kDefaultTcpIdleSeconds} * 1000000);
  SerialEndpoint* serial() { return serial_.get(); }
  ParallelEndpoint* parallel() { return parallel_.get(); }
  TcpEndpoint* tcp() { return tcp_.get(); }

  // An endpoint opened elsewhere (the web view), served after those above; it must outlive
  // the server's serving.
  void AddEndpoint(Endpoint* endpoint) { endpoints_.push_back(endpoint); }

  // Serves until Stop(); then ends the ticket in progress.
  void Run();
  // Serves one round, waiting at most `max_wait_us`. True when it took any input.
  bool RunOnce(Micros max_wait_us);
  // Ends Run. With `drain`, input already on its way is taken first: Run goes on until a
  // round finds nothing to read.
  void Stop(bool drain = false);

 private:
  Printer& printer_;
  std::unique_ptr<SerialEndpoint> serial_;
  std::unique_ptr<ParallelEndpoint> parallel_;
  std::unique_ptr<TcpEndpoint> tcp_;
  std::vector<Endpoint*> endpoints_;  // those open, in the order they are served
  WakePair wake_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> drain_{false};
};

}  // namespace qw77::vprinter
