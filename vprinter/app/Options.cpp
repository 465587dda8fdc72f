#include "vprinter/app/Options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <climits>
#include <functional>

namespace qw77::vprinter {
namespace {

// The largest byte count a fault takes: 2^40, or what a long holds where it has 32 bits
// (Windows).
constexpr long kMaxByteCount = static_cast<long>(std::min<long long>(1LL << 40, LONG_MAX));

// The longest model name a printer-ID reply carries.
constexpr std::size_t kMaxModelName = 40;

constexpr const char* kDescription =
    "A virtual thermal ticket printer. It listens on a pseudo-terminal (its serial port) and,\n"
    "if asked, on a Unix-domain socket (its parallel port) and a TCP port, answers status\n"
    "requests, draws every ticket it prints as a PNG and logs every command it receives.";

constexpr const char* kFooter =
    "A ticket ends at a cut (GS V, ESC i, ESC m), with the closing feed (ESC J of 160 dots or\n"
    "more), before and after a self test, after the idle time with something printed, and when\n"
    "the printer stops (Ctrl+C).";

Status Bad(const std::string& why) {
  return {ErrorCode::kInvalidArgument, why};
}

Result<long> Number(const std::string& option, const std::string& text, long lo, long hi) {
  long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc{} || end != text.data() + text.size() || v < lo || v > hi) {
    return Bad(option + " needs a whole number from " + std::to_string(lo) + " to " +
               std::to_string(hi) + ", not \"" + text + "\"");
  }
  return v;
}

// HOST:PORT, [IPV6]:PORT or PORT alone (the host then stays as it is): --tcp, --http.
Status TakeHostPort(const std::string& option, const std::string& v, std::string& host, int& port) {
  if (v.empty()) return Bad(option + " needs a non-empty value");
  if (v.front() == '[' && v.find("]:") == std::string::npos) {
    return Bad(option +
               " takes [HOST:]PORT; an IPv6 address in brackets needs its port after "
               "it, as in [::1]:9100, not \"" +
               v + "\"");
  }
  std::string port_text = v;
  const std::size_t bracket = v.find("]:");
  const std::size_t colon = v.rfind(':');
  if (v.front() == '[' && bracket != std::string::npos) {
    host = v.substr(1, bracket - 1);
    port_text = v.substr(bracket + 2);
  } else if (colon != std::string::npos) {
    host = v.substr(0, colon);
    port_text = v.substr(colon + 1);
  }
  if (host.empty() || (v.front() != '[' && host.find(':') != std::string::npos)) {
    return Bad(option + " takes [HOST:]PORT (an IPv6 address in brackets), not \"" + v + "\"");
  }
  Result<long> n = Number(option + " port", port_text, 0, 65535);
  if (!n) return n.status();
  port = static_cast<int>(*n);
  return Status::Ok();
}

Status TakePaper(const std::string& v, CommandLine& cl) {
  if (v == "58" || v == "60" || v == "448") {
    cl.paper_dots = 448;
  } else if (v == "80" || v == "576") {
    cl.paper_dots = 576;
  } else {
    return Bad("--paper takes 58, 60, 80, 448 or 576, not \"" + v + "\"");
  }
  return Status::Ok();
}

Status TakeCodePage(const std::string& v, CommandLine& cl) {
  Result<long> n = Number("--code-page", v, 0, 255);
  if (!n || !CodePageName(static_cast<int>(*n))) {
    return Bad(
        "--code-page takes the ESC t number of a table the printer has (0 PC437, 1 "
        "Katakana, 2 PC850, ... 16 WPC1252, ... 53 KZ-1048, 255 user-defined), not \"" +
        v + "\"");
  }
  cl.code_page = static_cast<int>(*n);
  return Status::Ok();
}

// A name the printer-ID command reports (--model, --firmware, --serial-number).
Status TakeName(const std::string& option, const std::string& v, std::string& to) {
  const bool printable =
      std::all_of(v.begin(), v.end(), [](char ch) { return ch >= 0x20 && ch <= 0x7E; });
  if (v.empty() || v.size() > kMaxModelName || !printable) {
    return Bad(option + " takes 1 to " + std::to_string(kMaxModelName) +
               " printable ASCII characters, not \"" + v + "\"");
  }
  to = v;
  return Status::Ok();
}

// Builds the parser over `cl`. A value the option refuses is kept in `error` (the first one
// wins) rather than thrown, so that every refusal reads as the option's own sentence.
class Parser {
 public:
  explicit Parser(CommandLine& cl) : cl_(cl), app_(kDescription, "qw77-vprinter") {
    app_.set_help_flag();
    app_.footer(kFooter);
    app_.get_formatter()->column_width(30);
    app_.add_flag("-h,--help", cl.help, "print this help and exit");
    AddInterfaces();
    AddPaperAndOutput();
    AddConditionsAndFaults();
  }
  CLI::App& app() { return app_; }
  const Status& error() const { return error_; }

 private:
  void Keep(const Status& s) {
    if (!s && error_.ok()) error_ = s;
  }
  // An option with a value, handed to `take`.
  CLI::Option* Value(const std::string& name, const std::string& type, const std::string& help,
                     std::function<Status(const std::string&)> take) {
    return app_
        .add_option_function<std::string>(
            name, [this, take](const std::string& v) { Keep(take(v)); }, help)
        ->type_name(type);
  }
  // A path or file name: any non-empty text.
  CLI::Option* Path(const std::string& name, const std::string& type, std::string& target,
                    const std::string& help) {
    return Value(name, type, help, [name, &target](const std::string& v) {
      if (v.empty()) return Bad(name + " needs a non-empty value");
      target = v;
      return Status::Ok();
    });
  }
  template <typename T>
  CLI::Option* Whole(const std::string& name, long lo, long hi, T& target,
                     const std::string& help) {
    return Value(name, "N", help, [name, lo, hi, &target](const std::string& v) {
      Result<long> n = Number(name, v, lo, hi);
      if (!n) return n.status();
      target = static_cast<T>(*n);
      return Status::Ok();
    });
  }

  void AddInterfaces();
  void AddPaperAndOutput();
  void AddConditionsAndFaults();

  CommandLine& cl_;
  CLI::App app_;
  Status error_ = Status::Ok();
};

void Parser::AddInterfaces() {
  const std::string g = "Interfaces";
  Path("--serial-link", "PATH", cl_.serial_options.link_path,
       "also make PATH a symbolic link to the serial terminal\n(point QW77_COM1 at it)")
      ->group(g);
  app_.add_flag_callback(
          "--no-serial", [this] { cl_.serial = false; }, "no serial interface")
      ->group(g);
  Path("--parallel-socket", "PATH", cl_.parallel_socket,
       "listen for parallel-port register access on PATH\n(the application reaches it with "
       "QW77_PORT_ACCESS=vprinter:PATH)")
      ->group(g);
  Value(
      "--tcp", "[HOST:]PORT",
      "serve the serial line's byte stream on a TCP port,\none connection at a time, up "
      "to 16 more waiting\ntheir turn (HOST default 127.0.0.1, [::1] for IPv6;\nPORT 0 "
      "takes a free port, printed as \"tcp: HOST:PORT\")",
      [this](const std::string& v) { return TakeHostPort("--tcp", v, cl_.tcp_host, cl_.tcp_port); })
      ->group(g);
  Value("--http", "[HOST:]PORT",
        "serve a web page of the tickets and the printer's\nswitches, and its JSON API (HOST "
        "default 127.0.0.1;\nPORT 0 takes a free port, printed as \"http: HOST:PORT\")",
        [this](const std::string& v) {
          return TakeHostPort("--http", v, cl_.http_host, cl_.http_port);
        })
      ->group(g);
  Whole("--tcp-idle-s", 1, 86400, cl_.tcp_idle_s,
        "close a TCP connection that sends nothing for N s\n(default 30)")
      ->group(g);
  Whole("--baud", 300, 921600, cl_.serial_options.baud,
        "pace serial input at N baud (default: the rate the\napplication set on the line; 10 "
        "bits per byte)")
      ->group(g);
  app_.add_flag_callback(
          "--no-pace", [this] { cl_.serial_options.pace = false; },
          "take serial input as fast as it comes")
      ->group(g);
}

void Parser::AddPaperAndOutput() {
  const std::string g = "Paper and output";
  Value("--paper", "W", "58 or 60 (448 dots) or 80 (576 dots); 448 and 576\nalso accepted",
        [this](const std::string& v) { return TakePaper(v, cl_); })
      ->group(g);
  Path("--out", "DIR", cl_.out_dir, "folder for the tickets (default vprinter-tickets)")->group(g);
  Path("--log", "FILE", cl_.log_path, "append the command log to FILE")->group(g);
  app_.add_flag("--quiet", cl_.quiet, "do not echo the command log on standard output")->group(g);
  Whole("--idle-ms", 10, 3600000, cl_.idle_ms, "quiet time that ends a ticket (default 2000)")
      ->group(g);
  Path("--render", "FILE", cl_.render_file,
       "print the bytes of FILE (for example a spool file)\nand exit")
      ->group(g);
  Value("--code-page", "N",
        "character table at the start and after ESC @, by its\nESC t number: 0 PC437, 1 "
        "Katakana, 2 PC850, ...\n16 WPC1252 (default), ... 53 KZ-1048, 255 user-defined",
        [this](const std::string& v) { return TakeCodePage(v, cl_); })
      ->group(g);
  Value("--model", "NAME",
        "the model name the printer reports when asked\n(GS I 67); printable ASCII, at most 40 "
        "characters",
        [this](const std::string& v) { return TakeName("--model", v, cl_.model_name); })
      ->group(g);
  Value("--firmware", "TEXT", "the firmware version it reports (GS I 65); as --model",
        [this](const std::string& v) { return TakeName("--firmware", v, cl_.firmware); })
      ->group(g);
  Value("--serial-number", "TEXT", "the serial number it reports (GS I 68); as --model",
        [this](const std::string& v) { return TakeName("--serial-number", v, cl_.serial_number); })
      ->group(g);
  Path("--state", "FILE", cl_.state_path,
       "keep the NV memory (graphics, bit images, user\nsetup, counters) in FILE from run to run")
      ->group(g);
}

void Parser::AddConditionsAndFaults() {
  const std::string g = "Conditions the status shows (any number of them)";
  Conditions& c = cl_.conditions;
  app_.add_flag("--paper-out", c.paper_out, "the roll is empty")->group(g);
  app_.add_flag("--cover-open", c.cover_open, "the cover is open, the head lifted")->group(g);
  app_.add_flag("--head-voltage", c.head_voltage, "head supply out of range")->group(g);
  app_.add_flag("--cutter", c.cutter, "cutter jammed")->group(g);
  app_.add_flag("--black-mark", c.black_mark, "black mark not found")->group(g);
  app_.add_flag("--temperature", c.temperature, "head too hot")->group(g);
  app_.add_flag("--hardware", c.hardware, "a fault of the mechanism's electronics")->group(g);
  app_.add_flag("--near-end", c.near_end, "the roll is running out")->group(g);

  const std::string f = "Faults";
  Faults& x = cl_.faults;
  app_.add_flag("--silent", x.silent, "answer no status request")->group(f);
  Whole("--answer", 0, 1000000, x.answer_limit, "answer the first N status requests, then none")
      ->group(f);
  app_.add_flag("--stall", x.stall_after_reply,
                "stop reading the serial line after the first reply")
      ->group(f);
  Whole("--stall-after", 0, kMaxByteCount, x.stall_after_bytes,
        "stop reading the serial line after N bytes")
      ->group(f);
  Whole("--hang-up-after", 0, kMaxByteCount, x.hang_up_after_bytes,
        "close the serial line after N bytes\n(on TCP these three apply to each connection)")
      ->group(f);
  Whole("--busy-ms", 0, 3600000, x.busy_ms,
        "parallel: busy for N ms after the first byte of "
        "each job")
      ->group(f);
  app_.add_flag("--busy-forever", x.busy_forever, "parallel: busy all the time")->group(f);
}

}  // namespace

std::string UsageText() {
  CommandLine cl;
  Parser parser(cl);
  return parser.app().help();
}

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  Parser parser(cl);
  // The parser takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    parser.app().parse(reversed);
  } catch (const CLI::ParseError& e) {
    return Bad(std::string(e.what()) + " (see --help)");
  }
  if (!parser.error()) return parser.error();
  // Without pseudo-terminals the serial interface is not the default; asked for by its
  // link, it is refused when it is opened.
  if (!SerialEndpoint::Available() && cl.serial_options.link_path.empty()) cl.serial = false;
  if (!SerialEndpoint::Available() && !cl.serial && cl.tcp_port < 0 && cl.http_port < 0 &&
      cl.render_file.empty() && !cl.help) {
    return Bad(
        "no interface: add --tcp, --http or --render (the serial and parallel "
        "interfaces are Linux ones)");
  }
  if (!cl.serial && cl.parallel_socket.empty() && cl.tcp_port < 0 && cl.http_port < 0 &&
      cl.render_file.empty() && !cl.help) {
    return Bad("--no-serial leaves no interface: add --parallel-socket, --tcp or --render");
  }
  return cl;
}

}  // namespace qw77::vprinter
