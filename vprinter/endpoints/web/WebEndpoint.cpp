#include "vprinter/endpoints/web/WebEndpoint.h"

#include <civetweb.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "vprinter/endpoints/Sockets.h"
#include "vprinter/endpoints/web/PlainFile.h"

namespace qw77::vprinter::web {

namespace {

// How long a request waits for the printer's loop to take its switches.
constexpr auto kApplyLimit = std::chrono::seconds(2);
// A quiet event stream sends a comment this often, so that a gone client is noticed.
constexpr auto kKeepAlive = std::chrono::seconds(15);

void SendHeader(mg_connection* conn, int status, const std::string& type, long long length) {
  mg_response_header_start(conn, status);
  mg_response_header_add(conn, "Content-Type", type.c_str(), -1);
  mg_response_header_add(conn, "Cache-Control", "no-store", -1);
  mg_response_header_add(conn, "X-Content-Type-Options", "nosniff", -1);
  if (length >= 0) {
    mg_response_header_add(conn, "Content-Length", std::to_string(length).c_str(), -1);
  }
  mg_response_header_send(conn);
}

void SendText(mg_connection* conn, int status, const std::string& type, const std::string& body,
              bool head = false) {
  SendHeader(conn, status, type, static_cast<long long>(body.size()));
  if (!head) mg_write(conn, body.data(), body.size());
}

// Sends a file of the ticket folder in pieces; a link or anything but a plain file is not
// followed.
void SendFile(mg_connection* conn, const std::string& path, const std::string& type, bool head) {
  PlainFile file(path);
  if (!file.is_open()) {
    SendText(conn, 404, "application/json",
             R"({"error":"the file is gone"})"
             "\n");
    return;
  }
  SendHeader(conn, 200, type, file.size());
  // On the heap: the server library's worker threads have small stacks, and a file buffer
  // on one overflowed it in the sanitizer build.
  std::vector<char> buf(64 * 1024);
  for (std::size_t n; !head && (n = file.Read(buf.data(), buf.size())) > 0;) {
    if (mg_write(conn, buf.data(), n) <= 0) break;
  }
}

std::string ReadBody(mg_connection* conn, long long length, bool& too_long) {
  std::string body;
  too_long = length > static_cast<long long>(kMaxBodyBytes);
  if (too_long) return body;
  char buf[4096];
  for (int n; body.size() <= kMaxBodyBytes && (n = mg_read(conn, buf, sizeof buf)) > 0;) {
    body.append(buf, static_cast<std::size_t>(n));
  }
  too_long = body.size() > kMaxBodyBytes;
  return body;
}

}  // namespace

WebEndpoint::WebEndpoint(Printer& printer, WebOptions options)
    : printer_(printer),
      options_(std::move(options)),
      history_(options_.out_dir),
      recorder_(printer, history_, events_),
      api_(history_, events_,
           {[this] {
              std::lock_guard lock(mutex_);
              return panel_;
            },
            [this](const std::map<std::string, bool>& c) { return SetSwitches(c); }}) {}

Result<std::unique_ptr<WebEndpoint>> WebEndpoint::Open(Printer& printer, WebOptions options) {
  const std::string host = options.host;
  const int port = options.port;
  std::unique_ptr<WebEndpoint> ep(new WebEndpoint(printer, std::move(options)));
  if (Status started = StartSockets(); !started.ok()) return started;
  ep->wake_ = OpenWakePair();
  if (ep->wake_.waiter == kNoSocket) {
    return Status(ErrorCode::kIo, "web view: no wake-up pair: " + LastSocketError());
  }
  ep->history_.LoadFolder();
  ep->panel_ = ep->PanelJson();

  const bool v6 = host.find(':') != std::string::npos;
  const std::string listen = (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
  const std::string threads = std::to_string(kMaxConnections);
  const std::string idle = std::to_string(kIdleMs);
  const char* config[] = {"listening_ports",
                          listen.c_str(),
                          "num_threads",
                          threads.c_str(),
                          "connection_queue",
                          "16",
                          "listen_backlog",
                          "64",
                          "request_timeout_ms",
                          idle.c_str(),
                          "keep_alive_timeout_ms",
                          idle.c_str(),
                          "enable_keep_alive",
                          "yes",
                          "max_request_size",
                          "16384",
                          "decode_url",
                          "no",
                          nullptr};
  mg_init_library(0);
  constexpr unsigned kIpv6Feature = 8;
  if (v6 && !mg_check_feature(kIpv6Feature)) {
    return Status(ErrorCode::kInvalidArgument,
                  "web view: " + listen +
                      " is IPv6, and this system's HTTP server library serves IPv4 only: give "
                      "an IPv4 address, as 127.0.0.1");
  }
  mg_callbacks callbacks{};
  // The library's own messages would go to standard error for each refused request.
  callbacks.log_message = [](const mg_connection*, const char*) { return 1; };
  ep->ctx_ = mg_start(&callbacks, nullptr, config);
  if (!ep->ctx_) {
    return Status(ErrorCode::kBusy, "web view: cannot listen on " + listen +
                                        " (in use, or not an address of this machine)");
  }
  mg_server_port ports[4] = {};
  const int n = mg_get_server_ports(ep->ctx_, 4, ports);
  const int taken = n > 0 ? ports[0].port : port;
  ep->address_ = (v6 ? "[" + host + "]" : host) + ":" + std::to_string(taken);
  ep->port_ = taken;
  mg_set_request_handler(ep->ctx_, "/", &WebEndpoint::OnRequest, ep.get());
  return ep;
}

// The library's listening thread looks at its stop flag only between waits of up to two
// seconds, or when a connection comes: connecting to it until it has stopped makes Ctrl+C
// prompt. `host` is the numeric address listened on (a name or "any" reaches it on
// loopback).
static void StopServer(mg_context* ctx, const std::string& host, int port) {
  sockaddr_in a4{};
  sockaddr_in6 a6{};
  a4.sin_family = AF_INET;
  a6.sin6_family = AF_INET6;
  a4.sin_port = a6.sin6_port = htons(static_cast<std::uint16_t>(port));
  const bool v6 = host.find(':') != std::string::npos;
  if (v6 ? inet_pton(AF_INET6, host.c_str(), &a6.sin6_addr) != 1 ||
               IN6_IS_ADDR_UNSPECIFIED(&a6.sin6_addr)
         : inet_pton(AF_INET, host.c_str(), &a4.sin_addr) != 1 ||
               a4.sin_addr.s_addr == htonl(INADDR_ANY)) {
    a4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a6.sin6_addr = in6addr_loopback;
  }
  std::atomic<bool> stopped{false};
  std::thread nudge([&] {
    while (!stopped) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      const SocketHandle s = OpenStreamSocket(v6 ? AF_INET6 : AF_INET);
      if (s == kNoSocket) continue;
      // The socket does not block: the connection is under way when it is closed, and the
      // listener wakes for it.
      if (v6) {
        connect(s, reinterpret_cast<const sockaddr*>(&a6), static_cast<socklen_t>(sizeof a6));
      } else {
        connect(s, reinterpret_cast<const sockaddr*>(&a4), static_cast<socklen_t>(sizeof a4));
      }
      std::vector<pollfd> wait{{s, POLLOUT, 0}};
      WaitForSockets(wait, 100);
      CloseSocket(s);
    }
  });
  mg_stop(ctx);
  stopped = true;
  nudge.join();
}

WebEndpoint::~WebEndpoint() {
  events_.Close();
  if (ctx_) StopServer(ctx_, options_.host, port_);
  CloseWakePair(wake_);
  printer_.on_bytes = nullptr;
  printer_.on_log = nullptr;
  printer_.on_picture = nullptr;
  printer_.on_ticket = nullptr;
}

void WebEndpoint::SetInterfaces(std::function<std::vector<InterfaceInfo>()> list) {
  interfaces_ = std::move(list);
  std::string panel = PanelJson();
  std::lock_guard lock(mutex_);
  panel_ = std::move(panel);
}

bool WebEndpoint::loopback() const {
  return options_.host == "127.0.0.1" || options_.host == "::1" || options_.host == "localhost" ||
         options_.host.starts_with("127.");
}

int WebEndpoint::OnRequest(mg_connection* conn, void* self) {
  return static_cast<WebEndpoint*>(self)->Serve(conn);
}

int WebEndpoint::Serve(mg_connection* conn) {
  const mg_request_info* info = mg_get_request_info(conn);
  Request r;
  r.method = info->request_method ? info->request_method : "";
  r.path = info->local_uri ? info->local_uri : "";
  r.query = info->query_string ? info->query_string : "";
  if (r.method == "PUT" || r.method == "POST") {
    bool too_long = false;
    r.body = ReadBody(conn, info->content_length, too_long);
    if (too_long) {
      SendText(conn, 413, "application/json",
               R"({"error":"the body is too long"})"
               "\n");
      return 413;
    }
  }
  const char* host = mg_get_header(conn, "Host");
  if (loopback() && !IsLoopbackHost(host ? host : "")) {
    SendText(conn, 403, "application/json",
             R"({"error":"served on loopback: ask for 127.0.0.1, [::1] or localhost"})"
             "\n");
    return 403;
  }
  const Reply reply = api_.Handle(r);
  const bool head = r.method == "HEAD";
  if (reply.events) {
    StreamEvents(conn);
  } else if (!reply.file.empty()) {
    SendFile(conn, reply.file, reply.type, head);
  } else {
    SendText(conn, reply.status, reply.type, reply.body, head);
  }
  return reply.status;
}

void WebEndpoint::StreamEvents(mg_connection* conn) {
  // A client coming back after a break says which event it saw last; it gets what it
  // missed (or "missed" when that is gone), else the stream starts from now.
  std::uint64_t seen = events_.last_id();
  if (const char* last = mg_get_header(conn, "Last-Event-ID")) {
    const std::uint64_t v = std::strtoull(last, nullptr, 10);
    if (v < seen) seen = v;
  }
  mg_disable_connection_keep_alive(conn);  // the stream ends with its connection
  SendHeader(conn, 200, "text/event-stream", -1);
  const std::string hello = "retry: 1000\n\n";
  if (mg_write(conn, hello.data(), hello.size()) <= 0) return;
  while (!events_.closed()) {
    const std::vector<Event> batch = events_.After(seen, kKeepAlive);
    std::string text = batch.empty() ? ": still here\n\n" : "";
    for (const Event& e : batch) {
      text += e.Format();
      seen = e.id;
    }
    if (events_.closed() || mg_write(conn, text.data(), text.size()) <= 0) return;
  }
}

std::string WebEndpoint::SetSwitches(const std::map<std::string, bool>& changes) {
  std::unique_lock lock(mutex_);
  queued_.push_back(changes);
  const std::uint64_t mine = ++queued_count_;
  lock.unlock();
  Wake();
  lock.lock();
  if (!applied_.wait_for(lock, kApplyLimit, [&] { return applied_count_ >= mine; })) {
    return "the printer did not take the change in time";
  }
  return "";
}

void WebEndpoint::Wake() {
  vprinter::Wake(wake_);
}

void WebEndpoint::Prepare(std::vector<pollfd>& fds, Micros, Micros&) {
  fds.push_back({wake_.waiter, POLLIN, 0});
}

void WebEndpoint::Service(const std::vector<pollfd>&, Micros now) {
  DrainWakes(wake_);
  std::vector<std::map<std::string, bool>> todo;
  {
    std::lock_guard lock(mutex_);
    todo.swap(queued_);
  }
  for (const auto& changes : todo) {
    for (const auto& [name, on] : changes) {
      if (bool* field = SwitchField(printer_.status(), name)) *field = on;
    }
  }
  recorder_.PublishProgress(now / 1000);
  std::string panel = PanelJson();
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    changed = panel != panel_;
    if (changed) panel_ = panel;
    applied_count_ += todo.size();
  }
  if (!todo.empty()) applied_.notify_all();
  if (changed) events_.Publish("printer", std::move(panel));
}

std::string WebEndpoint::PanelJson() {
  // In the order of the panel: the conditions, then the faults.
  nlohmann::ordered_json switches = nlohmann::ordered_json::object();
  for (const std::string& name : SwitchNames()) {
    const bool* field = SwitchField(printer_.status(), name);
    switches[name] = field && *field;
  }
  nlohmann::ordered_json ifaces = nlohmann::ordered_json::array();
  if (interfaces_) {
    for (const InterfaceInfo& i : interfaces_()) {
      ifaces.push_back(
          {{"name", i.name},
           {"address", i.address},
           {"connected", i.connected ? nlohmann::ordered_json(*i.connected) : nullptr}});
    }
  }
  ifaces.push_back({{"name", "http"}, {"address", address_}, {"connected", nullptr}});
  const int mm = options_.paper_dots == 576 ? 80 : 60;
  return nlohmann::ordered_json{{"switches", switches},
                                {"interfaces", ifaces},
                                {"paper", {{"dots", options_.paper_dots}, {"mm", mm}}},
                                {"tickets_folder", options_.out_dir}}
      .dump();
}

}  // namespace qw77::vprinter::web
