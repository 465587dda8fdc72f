#include "vprinter/Options.h"

#include <algorithm>
#include <charconv>

namespace qw77::vprinter {
namespace {

// The longest model name a printer-ID reply carries.
constexpr std::size_t kMaxModelName = 40;

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

// HOST:PORT, [IPV6]:PORT or PORT alone (the host then stays as it is).
Status HostPort(const std::string& option, const std::string& v, std::string& host, int& port) {
  if (v.empty()) return Bad(option + " needs a non-empty value");
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

}  // namespace

std::string UsageText() {
  return R"(Usage: qw77-vprinter [options]

A virtual thermal ticket printer. It listens on a pseudo-terminal (its serial port) and,
if asked, on a Unix-domain socket (its parallel port) and a TCP port, answers status
requests, draws every ticket it prints as a PNG and logs every command it receives.

Interfaces:
  --serial-link PATH     also make PATH a symbolic link to the serial terminal
                         (point QW77_COM1 at it)
  --no-serial            no serial interface
  --parallel-socket PATH listen for parallel-port register access on PATH
                         (the application reaches it with QW77_PORT_ACCESS=vprinter:PATH)
  --tcp [HOST:]PORT      serve the serial line's byte stream on a TCP port, one
                         connection at a time (HOST default 127.0.0.1, [::1] for IPv6;
                         PORT 0 takes a free port, printed as "tcp: HOST:PORT")
  --http [HOST:]PORT     serve a web page of the tickets and the printer's switches,
                         and its JSON API (HOST default 127.0.0.1; PORT 0 takes a free
                         port, printed as "http: HOST:PORT")
  --baud N               pace serial input at N baud (default: the rate the
                         application set on the line; 10 bits per byte)
  --no-pace              take serial input as fast as it comes

Paper and output:
  --paper W              58 or 60 (448 dots) or 80 (576 dots); 448 and 576 also accepted
  --out DIR              folder for the tickets (default vprinter-tickets)
  --log FILE             append the command log to FILE
  --quiet                do not echo the command log on standard output
  --idle-ms N            quiet time that ends a ticket (default 2000)
  --render FILE          print the bytes of FILE (for example a spool file) and exit
  --code-page N          character table at the start and after ESC @, by its ESC t
                         number: 0 PC437, 2 PC850, 16 WPC1252 (default), 19 PC858
  --model NAME           the model name the printer reports when asked (GS I 67);
                         printable ASCII, at most 40 characters

Conditions the status shows (any number of them):
  --paper-out  --head-voltage  --cutter  --black-mark  --temperature  --hardware
  --near-end

Faults:
  --silent               answer no status request
  --answer N             answer the first N status requests, then none
  --stall                stop reading the serial line after the first reply
  --stall-after N        stop reading the serial line after N bytes
  --hang-up-after N      close the serial line after N bytes
                         (on TCP these three apply to each connection)
  --busy-ms N            parallel: busy for N ms after the first byte of each job
  --busy-forever         parallel: busy all the time

A ticket ends at a cut (GS V, ESC i, ESC m), with the closing feed (ESC J of 160 dots or
more), before and after a self test, after the idle time with something printed, and when
the printer stops (Ctrl+C).
)";
}

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> Result<std::string> {
      if (i + 1 >= args.size()) return Bad(a + " needs a value");
      return args[++i];
    };
    auto number = [&](long lo, long hi) -> Result<long> {
      Result<std::string> v = value();
      if (!v) return v.status();
      return Number(a, *v, lo, hi);
    };
    bool* flag = nullptr;
    if (a == "--help" || a == "-h") {
      cl.help = true;
    } else if (a == "--no-serial") {
      cl.serial = false;
    } else if (a == "--no-pace") {
      cl.serial_options.pace = false;
    } else if (a == "--quiet") {
      cl.quiet = true;
    } else if (a == "--serial-link" || a == "--parallel-socket" || a == "--out" || a == "--log" ||
               a == "--render") {
      Result<std::string> v = value();
      if (!v) return v.status();
      if (v->empty()) return Bad(a + " needs a non-empty value");
      if (a == "--serial-link") cl.serial_options.link_path = *v;
      if (a == "--parallel-socket") cl.parallel_socket = *v;
      if (a == "--out") cl.out_dir = *v;
      if (a == "--log") cl.log_path = *v;
      if (a == "--render") cl.render_file = *v;
    } else if (a == "--model") {
      Result<std::string> v = value();
      if (!v) return v.status();
      const bool printable =
          std::all_of(v->begin(), v->end(), [](char ch) { return ch >= 0x20 && ch <= 0x7E; });
      if (v->empty() || v->size() > kMaxModelName || !printable) {
        return Bad("--model takes 1 to " + std::to_string(kMaxModelName) +
                   " printable ASCII characters, not \"" + *v + "\"");
      }
      cl.model_name = *v;
    } else if (a == "--tcp" || a == "--http") {
      Result<std::string> v = value();
      if (!v) return v.status();
      const bool tcp = a == "--tcp";
      const Status s =
          HostPort(a, *v, tcp ? cl.tcp_host : cl.http_host, tcp ? cl.tcp_port : cl.http_port);
      if (!s) return s;
      if (!tcp) cl.http_host_given = v->find(':') != std::string::npos;
    } else if (a == "--paper") {
      Result<std::string> v = value();
      if (!v) return v.status();
      if (*v == "58" || *v == "60" || *v == "448") {
        cl.paper_dots = 448;
      } else if (*v == "80" || *v == "576") {
        cl.paper_dots = 576;
      } else {
        return Bad("--paper takes 58, 60, 80, 448 or 576, not \"" + *v + "\"");
      }
    } else if (a == "--code-page") {
      Result<std::string> v = value();
      if (!v) return v.status();
      Result<long> n = Number(a, *v, 0, 255);
      if (!n || !CodePageName(static_cast<int>(*n))) {
        return Bad("--code-page takes 0 (PC437), 2 (PC850), 16 (WPC1252) or 19 (PC858), not \"" +
                   *v + "\"");
      }
      cl.code_page = static_cast<int>(*n);
    } else if (a == "--baud") {
      Result<long> v = number(300, 921600);
      if (!v) return v.status();
      cl.serial_options.baud = static_cast<int>(*v);
    } else if (a == "--idle-ms") {
      Result<long> v = number(10, 3600000);
      if (!v) return v.status();
      cl.idle_ms = *v;
    } else if (a == "--answer") {
      Result<long> v = number(0, 1000000);
      if (!v) return v.status();
      cl.faults.answer_limit = static_cast<int>(*v);
    } else if (a == "--stall-after" || a == "--hang-up-after") {
      Result<long> v = number(0, 1L << 40);
      if (!v) return v.status();
      (a == "--stall-after" ? cl.faults.stall_after_bytes : cl.faults.hang_up_after_bytes) = *v;
    } else if (a == "--busy-ms") {
      Result<long> v = number(0, 3600000);
      if (!v) return v.status();
      cl.faults.busy_ms = static_cast<int>(*v);
    } else if ((flag = a == "--paper-out"      ? &cl.conditions.paper_out
                       : a == "--head-voltage" ? &cl.conditions.head_voltage
                       : a == "--cutter"       ? &cl.conditions.cutter
                       : a == "--black-mark"   ? &cl.conditions.black_mark
                       : a == "--temperature"  ? &cl.conditions.temperature
                       : a == "--hardware"     ? &cl.conditions.hardware
                       : a == "--near-end"     ? &cl.conditions.near_end
                       : a == "--silent"       ? &cl.faults.silent
                       : a == "--stall"        ? &cl.faults.stall_after_reply
                       : a == "--busy-forever" ? &cl.faults.busy_forever
                                               : nullptr)) {
      *flag = true;
    } else {
      return Bad("unknown option \"" + a + "\" (see --help)");
    }
  }
  if (!cl.serial && cl.parallel_socket.empty() && cl.tcp_port < 0 && cl.http_port < 0 &&
      cl.render_file.empty() && !cl.help) {
    return Bad("--no-serial leaves no interface: add --parallel-socket, --tcp or --render");
  }
  return cl;
}

}  // namespace qw77::vprinter
