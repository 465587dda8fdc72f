// Running one tool from the command line: its values checked, its port opened, its report
// printed in words or as one JSON object.
#include <chrono>
#include <nlohmann/json.hpp>

#include "cli/Report.h"
#include "cli/TicketOptions.h"
#include "cli/ToolCommands.h"

namespace qw77::cli {
namespace {

using nlohmann::ordered_json;

constexpr const char* kSizeNote =
    "printers list no sizes: qw77 says a logo's size when it stores it, and logo print shows it";

// A refused value, said before anything is written.
struct Usage {
  std::string message;
};

// What a finished tool reports beyond its outcome: lines in words, fields in JSON.
struct ToolData {
  std::vector<std::string> lines;
  ordered_json json = ordered_json::object();
};

std::string Hex2(int v) {
  static const char* const kHex = "0123456789ABCDEF";
  return std::string("0x") + kHex[(v >> 4) & 15] + kHex[v & 15];
}

ordered_json Optional(const std::optional<std::int64_t>& v) {
  return v ? ordered_json(*v) : ordered_json(nullptr);
}

Result<SerialConfig> LineConfig(const ToolRequest& r) {
  SerialConfig config;
  config.flow = FlowControl::kRtsCts;
  if (r.baud) {
    try {
      config.baud = std::stoi(*r.baud);
    } catch (const std::exception&) {
      config.baud = -1;
    }
  }
  if (r.parity) {
    const std::string p = *r.parity;
    if (p == "E" || p == "e")
      config.parity = Parity::kEven;
    else if (p == "O" || p == "o")
      config.parity = Parity::kOdd;
    else if (p != "N" && p != "n")
      return Status{ErrorCode::kInvalidArgument, "--parity is E, O or N"};
  }
  if (Status ok = CheckSerialConfig(config); !ok.ok()) {
    return Status{ErrorCode::kInvalidArgument, "--baud: " + ok.message()};
  }
  return config;
}

// The NV-writing tools need --yes, said before any port is touched.
std::optional<Usage> CheckYes(const ToolRequest& r) {
  const bool writes = r.job == "logo store" || r.job == "logo delete" ||
                      r.job == "logo delete-all" || r.job == "setup set" ||
                      (r.job == "counters" && r.reset);
  if (!writes || r.yes) return std::nullopt;
  // A preview alone writes nothing to the printer.
  if (r.job == "logo store" && !r.preview.empty()) return std::nullopt;
  return Usage{r.job + (r.job == "counters" ? " --reset" : "") +
               " writes the printer's NV memory, which wears with every write: add --yes to do "
               "it; nothing was written."};
}

std::optional<Usage> ParseSwitches(ToolRequest& r) {
  for (const std::string& s : r.switches) {
    const std::size_t eq = s.find('=');
    int n = 0;
    if (eq == 1 && s[0] >= '1' && s[0] <= '8') n = s[0] - '0';
    if (n == 0) return Usage{"--switch is N=BITS with N 1 to 8; \"" + s + "\" is not"};
    r.change.switches.emplace_back(n, s.substr(eq + 1));
  }
  if (r.job != "setup set") return std::nullopt;
  if (Status ok = CheckSetupChange(r.change); !ok.ok()) return Usage{ok.message()};
  return std::nullopt;
}

Result<std::pair<TestPrintKind, int>> ParseTest(const std::vector<std::string>& w) {
  const std::pair<const char*, TestPrintKind> kinds[] = {
      {"hexdump", TestPrintKind::kHexDump},
      {"status", TestPrintKind::kStatusPage},
      {"pattern", TestPrintKind::kRollingPattern},
      {"codepage", TestPrintKind::kCodePage}};
  for (const auto& [name, kind] : kinds) {
    if (w.empty() || w[0] != name) continue;
    const bool codepage = kind == TestPrintKind::kCodePage;
    if (w.size() != (codepage ? 2u : 1u)) break;
    if (!codepage) return std::pair{kind, 0};
    const std::string& n = w[1];
    if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(n) > 255) {
      return Status{ErrorCode::kInvalidArgument, "codepage N: N is 0 to 255"};
    }
    return std::pair{kind, std::stoi(n)};
  }
  return Status{ErrorCode::kInvalidArgument,
                "test-print takes hexdump, status, pattern, or codepage N"};
}

}  // namespace

namespace {

// Words joined by commas; `none` when there are none.
std::string Joined(const std::vector<std::string>& words, const std::string& none) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : ", ") + w;
  return out.empty() ? none : out;
}

ToolData InfoData(const InfoReport& r) {
  ToolData d;
  const PrinterInfo& i = r.info;
  const struct {
    const char* key;
    const char* words;
    const std::string* text;
  } texts[] = {{"model", "model", &i.model},
               {"maker", "maker", &i.maker},
               {"firmware", "firmware", &i.firmware},
               {"serial_number", "serial number", &i.serial_number},
               {"fonts", "fonts", &i.fonts}};
  for (const auto& t : texts) {
    d.json[t.key] = *t.text;
    if (!t.text->empty()) d.lines.push_back(std::string(t.words) + ": " + *t.text);
  }
  const struct {
    const char* key;
    const char* words;
    const std::optional<std::uint8_t>* id;
  } ids[] = {{"model_id", "model ID", &i.model_id},
             {"type_id", "type ID", &i.type_id},
             {"version_id", "version ID", &i.version_id}};
  for (const auto& t : ids) {
    d.json[t.key] = *t.id ? ordered_json(**t.id) : ordered_json(nullptr);
    if (!*t.id) continue;
    d.lines.push_back(std::string(t.words) + ": " + Hex2(**t.id));
    if (t.id == &i.type_id)
      d.lines.back() += " (" + Joined(TypeIdWords(**t.id), "no options") + ")";
  }
  d.json["status"] = i.status ? ordered_json(ConditionWords(*i.status)) : ordered_json(nullptr);
  if (i.status) d.lines.push_back("status: " + Joined(ConditionWords(*i.status), "no condition"));
  return d;
}

ToolData ListData(const LogoListReport& r) {
  ToolData d;
  const LogoList& l = r.list;
  d.json["capacity"] = l.capacity;
  d.json["remaining"] = l.remaining;
  ordered_json keys = ordered_json::array();
  std::string joined;
  for (const LogoKey& k : l.keys) {
    keys.push_back({{"key", k.Text()}, {"size", nullptr}});
    joined += (joined.empty() ? "" : " ") + k.Text();
  }
  d.json["logos"] = keys;
  d.json["size_note"] = kSizeNote;
  d.lines = {"NV graphics: " + std::to_string(l.capacity) + " bytes, " +
                 std::to_string(l.remaining) + " free, " +
                 std::to_string(l.capacity - std::min(l.capacity, l.remaining)) + " used",
             "logos: " + (joined.empty() ? std::string("none") : joined), std::string(kSizeNote)};
  return d;
}

ToolData CountersData(const CountersReport& r) {
  ToolData d;
  ordered_json list = ordered_json::array();
  for (const CounterValue& c : r.counters) {
    list.push_back({{"number", c.number},
                    {"name", c.name},
                    {"since_reset", Optional(c.since_reset)},
                    {"in_all", Optional(c.in_all)}});
    d.lines.push_back(c.name + ": " + std::to_string(c.since_reset.value_or(0)) + " (in all " +
                      std::to_string(c.in_all.value_or(0)) + ")");
  }
  d.json["counters"] = list;
  return d;
}

ToolData SetupData(const SetupReport& r) {
  ToolData d;
  const PrinterSetup& s = r.setup;
  auto value = [](const std::optional<int>& v) {
    return v ? ordered_json(*v) : ordered_json(nullptr);
  };
  auto words = [](const std::optional<int>& v) { return v ? std::to_string(*v) : "unknown"; };
  d.json["paper_mm"] = value(s.paper_mm);
  d.json["density"] = value(s.density);
  d.json["speed"] = value(s.speed);
  d.json["switches"] = s.switches;
  if (s.switches[0].empty()) return d;
  d.lines = {"paper: " + words(s.paper_mm) + " mm", "density: " + words(s.density),
             "speed: " + words(s.speed)};
  for (std::size_t i = 0; i < s.switches.size(); ++i) {
    d.lines.push_back("memory switch " + std::to_string(i + 1) + ": " + s.switches[i]);
  }
  return d;
}

}  // namespace

namespace {

// A progress line on a terminal, redrawn in place and ended when the transfer ends.
Progress ProgressLine(std::ostream& err, bool show, const std::string& job) {
  if (!show) return {};
  return [&err, job](std::size_t done, std::size_t total) {
    err << "\r" << job << ": " << done << " of " << total << " bytes ("
        << (total ? done * 100 / total : 100) << "%)" << (done == total ? "\n" : "") << std::flush;
  };
}

struct ToolRun {
  ToolReport report;
  ToolData data;
};

ToolRun RunLogo(const ToolRequest& r, const ToolPort& port, LogoKey key,
                const std::optional<DotImage>& image, const Progress& progress) {
  if (r.job == "logo list") {
    LogoListReport l = ListLogos(port);
    return {l, ListData(l)};
  }
  if (r.job == "logo store") {
    LogoStoreReport s = StoreLogo(port, key, *image, progress);
    ToolData d;
    d.json["key"] = key.Text();
    d.json["width"] = image->width;
    d.json["height"] = image->height;
    d.json["size"] = s.data_bytes;
    d.json["remaining"] = s.remaining ? ordered_json(*s.remaining) : ordered_json(nullptr);
    return {s, d};
  }
  if (r.job == "logo print") return {PrintLogo(port, key, progress), {}};
  if (r.job == "logo delete") return {DeleteLogo(port, key), {}};
  return {DeleteAllLogos(port), {}};
}

ToolRun RunTool(const ToolRequest& r, const ToolPort& port, LogoKey key,
                const std::optional<DotImage>& image, const Progress& progress) {
  if (r.job == "info") {
    InfoReport i = ReadPrinterInfo(port);
    return {i, InfoData(i)};
  }
  if (r.job.starts_with("logo")) return RunLogo(r, port, key, image, progress);
  if (r.job == "counters") {
    CountersReport c = r.reset ? ResetCounters(port) : ReadCounters(port);
    return {c, CountersData(c)};
  }
  if (r.job.starts_with("setup")) {
    SetupReport s = r.job == "setup set" ? ChangeSetup(port, r.change) : ReadSetup(port);
    return {s, SetupData(s)};
  }
  const auto test = ParseTest(r.test);
  return {RunTestPrint(port, test->first, test->second), {}};
}

std::string EndWords(const RunOutcome& o) {
  if (o.stop == RunStop::kConfiguration) return "the port's configuration is refused";
  switch (o.end) {
    case JobEnd::kDone:
      return "done";
    case JobEnd::kPrinterCondition:
      return "the printer reports a condition";
    case JobEnd::kNoAnswer:
      return "the printer did not answer";
    case JobEnd::kPortUnusable:
    case JobEnd::kSpoolInUse:
      return "the port could not be used";
    case JobEnd::kFailedMidway:
      return "the job was cut short";
    case JobEnd::kNotStarted:
      return "the job could not start";
  }
  return "";
}

int Print(const ToolRequest& r, const RunOutcome& o, const ToolRun& run, std::ostream& out,
          std::ostream& err) {
  const int code = ExitCode(o);
  if (r.json) {
    ordered_json j = ordered_json::parse(JsonLine(o));
    j["job"] = r.job;
    j["summary"] = EndWords(o) + " (" + std::to_string(o.bytes_sent) + " bytes sent).";
    j["messages"] = o.messages;
    for (const auto& [key, value] : run.data.json.items()) j[key] = value;
    out << j.dump(-1, ' ', false, ordered_json::error_handler_t::replace) << std::endl;
    return code;
  }
  for (const std::string& line : run.data.lines) out << line << "\n";
  for (const std::string& m : o.messages) {
    (o.end == JobEnd::kDone ? out : err)
        << (o.end == JobEnd::kDone ? "" : "qw77-cli: ") << o.port << ": " << m << "\n";
  }
  out << o.port << " (" << o.endpoint << "): " << r.job << ": " << EndWords(o) << " ("
      << o.bytes_sent << " bytes sent)." << std::endl;
  return code;
}

int Refuse(const ToolRequest& r, const std::string& message, std::ostream& out, std::ostream& err) {
  err << "qw77-cli: " << message << std::endl;
  if (r.json) {
    ordered_json j = {{"port", r.port},
                      {"job", r.job},
                      {"outcome", "usage"},
                      {"exit_code", kExitUsage},
                      {"message", message}};
    out << j.dump(-1, ' ', false, ordered_json::error_handler_t::replace) << std::endl;
  }
  return kExitUsage;
}

}  // namespace

std::optional<int> RunToolCommand(ToolRequest& r, CliPlatform& platform, std::ostream& out,
                                  std::ostream& err, bool err_is_terminal) {
  if (r.job.empty()) return std::nullopt;
  // Every value is checked before a file or a port is touched.
  if (auto bad = ParseSwitches(r)) return Refuse(r, bad->message, out, err);
  if (auto bad = CheckYes(r)) return Refuse(r, bad->message, out, err);
  LogoKey key;
  if (!r.key.empty()) {
    Result<LogoKey> parsed = ParseLogoKey(r.key);
    if (!parsed) return Refuse(r, "--key: " + parsed.status().message(), out, err);
    key = *parsed;
  }
  if (r.job == "test-print") {
    if (auto test = ParseTest(r.test); !test) return Refuse(r, test.status().message(), out, err);
  }
  Result<SerialConfig> config = LineConfig(r);
  if (!config) return Refuse(r, config.status().message(), out, err);
  const bool preview_only = r.job == "logo store" && !r.yes;
  Result<PortChoice> choice = preview_only && r.port.empty() ? PortChoice{} : ParsePort(r.port);
  if (!choice) return Refuse(r, choice.status().message(), out, err);

  RunOutcome o;
  const bool portless = preview_only && r.port.empty();
  o.port = portless ? "preview" : choice->Name();
  o.endpoint = portless           ? r.preview
               : choice->parallel ? platform.ParallelEndpoint(choice->number)
                                  : platform.SerialEndpoint(choice->number);
  const Clock::TimePoint started = platform.Time().Now();
  std::optional<DotImage> image;
  if (r.job == "logo store") {
    Result<DotImage> loaded = LoadLogo(r.file, r.width);
    Status written = loaded ? Status::Ok() : loaded.status();
    if (loaded && !r.preview.empty()) written = WriteDotImagePng(*loaded, r.preview);
    if (!written.ok()) {
      o.end = JobEnd::kNotStarted;
      o.messages = {written.message()};
      return Print(r, o, {}, out, err);
    }
    image = *loaded;
    if (preview_only) {
      o.messages = {"the picture is " + std::to_string(image->width) + "x" +
                    std::to_string(image->height) + " dots; its preview is in " + r.preview +
                    ". Nothing was stored: add --yes to store it."};
      return Print(r, o, {}, out, err);
    }
  }
  if (Status bound = platform.BindingOf(choice->parallel, choice->number); !bound.ok()) {
    o.stop = RunStop::kConfiguration;
    o.messages = {bound.message()};
    return Print(r, o, {}, out, err);
  }
  const ToolPort port{choice->parallel ? nullptr : &platform.Serial(choice->number), *config,
                      &platform.Time(), o.port};
  const ToolRun run =
      RunTool(r, port, key, image, ProgressLine(err, err_is_terminal && !r.json, r.job));
  o.end = run.report.end;
  o.bytes_sent = run.report.bytes_sent;
  o.messages = run.report.messages;
  o.elapsed_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(platform.Time().Now() - started)
          .count();
  return Print(r, o, run, out, err);
}

}  // namespace qw77::cli
