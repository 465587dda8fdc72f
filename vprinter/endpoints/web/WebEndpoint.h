// The printer's web view: an HTTP server (on threads of its own) with the page, its JSON API
// and its event stream, beside the printer's other interfaces. What it changes on the
// printer (its switches) it hands to the printer's thread through a queue and a wake-up
// pipe that the printer's loop polls; what it shows of the printer (the panel) the printer's
// thread hands back as JSON.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "vprinter/endpoints/Endpoint.h"
#include "vprinter/endpoints/Sockets.h"
#include "vprinter/endpoints/web/EventStream.h"
#include "vprinter/endpoints/web/TicketHistory.h"
#include "vprinter/endpoints/web/TicketRecorder.h"
#include "vprinter/endpoints/web/WebApi.h"
#include "vprinter/paper/Status.h"
#include "vprinter/printer/Printer.h"

struct mg_context;
struct mg_connection;

namespace qw77::vprinter::web {

// One of the printer's interfaces as the panel shows it.
struct InterfaceInfo {
  std::string name;               // "serial", "tcp", ...
  std::string address;            // a device, a socket path, HOST:PORT
  std::optional<bool> connected;  // unset where the interface cannot tell
  bool operator==(const InterfaceInfo&) const = default;
};

struct WebOptions {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: a free one
  std::string out_dir;
  int paper_dots = 448;
};

class WebEndpoint : public Endpoint {
 public:
  static constexpr int kMaxConnections = 32;
  // An idle connection is closed after this long; so is one whose client stops reading.
  static constexpr int kIdleMs = 5000;

  // Lists the tickets already in the folder, hooks into the printer and starts serving.
  static Result<std::unique_ptr<WebEndpoint>> Open(Printer& printer, WebOptions options);
  ~WebEndpoint() override;
  WebEndpoint(const WebEndpoint&) = delete;
  WebEndpoint& operator=(const WebEndpoint&) = delete;

  // "127.0.0.1:8080", "[::1]:8080": with the port taken.
  const std::string& address() const { return address_; }
  bool loopback() const;

  // How to list the printer's interfaces: asked now and then on the printer's thread each
  // round.
  void SetInterfaces(std::function<std::vector<InterfaceInfo>()> list);

  // The printer's loop: polls the wake-up pipe, carries out what requests asked.
  void Prepare(std::vector<pollfd>& fds, Micros now, Micros& wake_at) override;
  void Service(const std::vector<pollfd>& fds, Micros now) override;

  TicketHistory& history() { return history_; }
  EventStream& events() { return events_; }
  WebApi& api() { return api_; }

 private:
  WebEndpoint(Printer& printer, WebOptions options);
  static int OnRequest(mg_connection* conn, void* self);
  int Serve(mg_connection* conn);
  void StreamEvents(mg_connection* conn);
  std::string PanelJson();                                              // printer's thread
  std::string SetSwitches(const std::map<std::string, bool>& changes);  // HTTP threads
  void Wake();

  Printer& printer_;
  WebOptions options_;
  std::function<std::vector<InterfaceInfo>()> interfaces_;
  TicketHistory history_;
  EventStream events_;
  TicketRecorder recorder_;
  WebApi api_;
  mg_context* ctx_ = nullptr;
  std::string address_;
  int port_ = 0;
  WakePair wake_;  // the loop wakes when a request has queued a change

  std::mutex mutex_;
  std::condition_variable applied_;
  std::vector<std::map<std::string, bool>> queued_;  // switches to set, oldest first
  std::uint64_t queued_count_ = 0, applied_count_ = 0;
  std::string panel_;  // the latest panel, as the printer's thread made it
};

}  // namespace qw77::vprinter::web
