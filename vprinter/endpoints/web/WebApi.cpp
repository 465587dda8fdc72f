#include "vprinter/endpoints/web/WebApi.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace qw77::vprinter::web {

namespace {

Reply Json(int status, const nlohmann::json& j) {
  return {status, "application/json", j.dump() + "\n", "", false};
}

Reply Error(int status, const std::string& why) {
  return Json(status, {{"error", why}});
}

// A ticket number as the API writes it: 1 to 9 digits, nothing else.
std::optional<int> Number(std::string_view s) {
  int n = 0;
  if (s.empty() || s.size() > 9) return std::nullopt;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
  if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  return n;
}

// "part=2" in a query; 1 when absent.
std::optional<std::size_t> Part(const std::string& query) {
  if (query.empty()) return 1;
  if (!query.starts_with("part=")) return std::nullopt;
  const std::optional<int> n = Number(std::string_view(query).substr(5));
  if (!n || *n < 1) return std::nullopt;
  return static_cast<std::size_t>(*n);
}

const char* TypeOf(std::string_view name) {
  if (name.ends_with(".html")) return "text/html; charset=utf-8";
  if (name.ends_with(".css")) return "text/css; charset=utf-8";
  if (name.ends_with(".js")) return "text/javascript; charset=utf-8";
  return "application/octet-stream";
}

// The conditions the status reports, then the faults; by their command-line names.
struct SwitchDef {
  const char* name;
  bool Conditions::*condition;
  bool Faults::*fault;
};
constexpr SwitchDef kSwitches[] = {
    {"paper_out", &Conditions::paper_out, nullptr},
    {"near_end", &Conditions::near_end, nullptr},
    {"head_voltage", &Conditions::head_voltage, nullptr},
    {"cutter", &Conditions::cutter, nullptr},
    {"black_mark", &Conditions::black_mark, nullptr},
    {"temperature", &Conditions::temperature, nullptr},
    {"hardware", &Conditions::hardware, nullptr},
    {"silent", nullptr, &Faults::silent},
    {"busy_forever", nullptr, &Faults::busy_forever},
};

}  // namespace

std::vector<std::string> SwitchNames() {
  std::vector<std::string> names;
  for (const SwitchDef& s : kSwitches) names.emplace_back(s.name);
  return names;
}

bool* SwitchField(StatusModel& model, std::string_view name) {
  for (const SwitchDef& s : kSwitches) {
    if (name != s.name) continue;
    return s.condition ? &(model.conditions().*s.condition) : &(model.faults().*s.fault);
  }
  return nullptr;
}

bool IsLoopbackHost(std::string_view h) {
  std::string_view name = h;
  if (h.starts_with('[')) {
    name = h.substr(1, h.find(']') == std::string_view::npos ? 0 : h.find(']') - 1);
  } else if (const std::size_t colon = h.rfind(':'); colon != std::string_view::npos) {
    name = h.substr(0, colon);
  }
  if (name == "localhost" || name == "::1") return true;
  // 127.0.0.0/8: four numbers, the first 127.
  int dots = 0;
  for (char c : name) {
    if (c == '.') ++dots;
    if (c != '.' && (c < '0' || c > '9')) return false;
  }
  return dots == 3 && name.starts_with("127.");
}

Reply WebApi::Handle(const Request& r) {
  const std::string& p = r.path;
  if (p == "/" || p == "/index.html" || p == "/page.css" || p == "/page.js") {
    if (r.method != "GET" && r.method != "HEAD") return Error(405, "only GET here");
    const std::string name = p == "/" ? "index.html" : p.substr(1);
    return {200, TypeOf(name), std::string(PageFile(name)), "", false};
  }
  if (p == "/api/tickets") {
    if (r.method == "DELETE") {
      history_.Clear();
      events_.Publish("cleared", "{}");
      return Json(200, {{"cleared", true}});
    }
    if (r.method != "GET") return Error(405, "GET lists the tickets, DELETE clears them");
    nlohmann::json list = nlohmann::json::array();
    for (const TicketRecord& t : history_.List()) list.push_back(t.ToJson());
    return Json(200, list);
  }
  if (p.starts_with("/api/tickets/")) return Ticket(r, std::string_view(p).substr(13));
  if (p == "/api/printer") {
    if (r.method != "GET") return Error(405, "only GET here");
    return {200, "application/json", control_.state() + "\n", "", false};
  }
  if (p == "/api/printer/conditions") {
    if (r.method == "GET") return {200, "application/json", control_.state() + "\n", "", false};
    if (r.method != "PUT") return Error(405, "PUT a JSON object of switches");
    return SetConditions(r);
  }
  if (p == "/api/events") {
    if (r.method != "GET") return Error(405, "only GET here");
    Reply stream;
    stream.events = true;
    stream.type = "text/event-stream";
    return stream;
  }
  return Error(404, "no such page");
}

Reply WebApi::Ticket(const Request& r, std::string_view rest) {
  if (r.method != "GET") return Error(405, "only GET here");
  const std::size_t dot = rest.find('.');
  const std::string_view ext = dot == std::string_view::npos ? "" : rest.substr(dot + 1);
  const std::optional<int> n = Number(rest.substr(0, dot));
  if (!n || !(ext.empty() || ext == "png" || ext == "bin" || ext == "log")) {
    return Error(404, "tickets are /api/tickets/N, N.png, N.bin and N.log");
  }
  const std::optional<TicketRecord> t = history_.Find(*n);
  if (!t) return Error(404, "no ticket " + std::to_string(*n) + " in the history");
  if (ext.empty()) {
    // The metadata kept beside it, with its commands; else what the history has.
    std::ifstream in(history_.PathOf(t->stem + ".json"));
    nlohmann::json j = in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
    if (!j.is_object()) j = t->ToJson();
    return Json(200, j);
  }
  Reply file;
  if (ext == "png") {
    const std::optional<std::size_t> part = Part(r.query);
    if (!part) return Error(400, "the only query is part=K, K from 1");
    if (*part > t->pictures.size()) return Error(404, "ticket has no such picture");
    file.type = "image/png";
    file.file = history_.PathOf(t->pictures[*part - 1]);
  } else if (ext == "bin" ? t->has_bin : t->has_log) {
    file.type = ext == "bin" ? "application/octet-stream" : "text/plain; charset=utf-8";
    file.file = history_.PathOf(t->stem + "." + std::string(ext));
  }
  if (file.file.empty()) return Error(404, "ticket has no such file");
  return file;
}

Reply WebApi::SetConditions(const Request& r) {
  const nlohmann::json j = nlohmann::json::parse(r.body, nullptr, false);
  if (!j.is_object()) return Error(400, "send a JSON object of switches, as {\"paper_out\":true}");
  const std::vector<std::string> names = SwitchNames();
  std::map<std::string, bool> changes;
  for (const auto& [name, value] : j.items()) {
    if (std::find(names.begin(), names.end(), name) == names.end()) {
      return Error(400, "no switch \"" + name + "\"; there are: " + nlohmann::json(names).dump());
    }
    if (!value.is_boolean()) return Error(400, "\"" + name + "\" takes true or false");
    changes[name] = value.get<bool>();
  }
  const std::string failed = control_.set_switches(changes);
  if (!failed.empty()) return Error(503, failed);
  return {200, "application/json", control_.state() + "\n", "", false};
}

}  // namespace qw77::vprinter::web
