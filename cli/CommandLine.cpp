#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

#include "cli/Interrupt.h"
#include "cli/Report.h"
#include "cli/Runs.h"
#include "cli/TicketOptions.h"
#include "cli/ToolCommands.h"
#include "form/FrmMenu.h"

#ifndef QW77_VERSION
#error "QW77_VERSION must name the project's version (the build passes it)"
#endif

namespace qw77::cli {
namespace {

constexpr const char* kDescription =
    "qw77-cli runs the qw77 window's printer jobs from a shell, without a window: it asks a\n"
    "thermal ticket printer's status, prints the sample ticket, stores the printer's text\n"
    "settings, starts its self test, or composes the ticket into a file.";

constexpr const char* kFooter = R"(Exit status:
  0   done, and the printer reports no condition (where it was asked)
  1   the printer answered and reports a condition (paper near end included; a ticket
      is still printed then)
  2   no answer: the printer is silent, or what came back is no status byte (an echo)
  3   the port could not be used: missing, busy, no permission, a network printer that
      closed the connection or cannot be reached, the port's setting refused, or the
      spool file held by another run for longer than a run waits
  4   the job failed: cut short mid-way, or it could not start (the ticket could not be
      composed or written)
  64  bad usage: an unknown subcommand or option, a value out of range, barcode data the
      barcode field would refuse
  130 interrupted by a signal
With several --port values the job runs on each port in turn, one line each, and the exit
status is the worst of them, which is the highest: the codes rise from a clean run (0) to
a job cut short mid-way (4), which may have left half a ticket in the printer.

Environment:
  QW77_COM1..QW77_COM3  the device COM<n> opens (default /dev/ttyS<n-1>)
  QW77_PORT_ACCESS      the parallel port access of LPT1 and LPT2: ppdev (default) or
                        vprinter:<socket>
  Comspec               the command interpreter that removes the spool file (default
                        /bin/sh)

Print writes the spool file tempo.txt in the current directory (or --spool FILE) and
removes it once the ticket is out; one run at a time uses a spool file, another waits up
to 30 s for it. Message boxes of the window go to standard error. With --json every run
prints one JSON object on one line, a refused command line too: port, endpoint, job,
outcome, exit_code, summary, bytes_sent, conditions (seven booleans, null when the
printer was not asked or did not answer), message (what the window would have shown, or
why the run did not succeed; else null) and elapsed_ms.

Examples:
  qw77-cli status --port COM1
  qw77-cli print --port COM1 --lines 3 --logo orval --barcode ean13:590123412345
  qw77-cli status --port COM1 --port COM2 --json
  qw77-cli compose --xscale 2 --text 'Hello' --out ticket.bin
  qw77-cli info --port COM1
  qw77-cli logo store shop.png --key A1 --width 384 --preview shop-1bit.png --port COM1 --yes
  qw77-cli setup set --density 3 --port COM1 --yes

The printer tools (info, logo, counters, setup, test-print) need a port that can answer:
COM1..COM3, bound to a serial line, a network printer or a two-way USB printer. Those that
write the printer's NV memory (logo store, logo delete, logo delete-all, setup set,
counters --reset) need --yes.)";

// What the command line asked for.
struct Request {
  JobKind job = JobKind::kStatus;
  std::vector<std::string> ports;
  TicketOptions ticket;
  bool json = false;
  std::string out_path;
  std::string spool_file = "tempo.txt";
};

constexpr const char* kSubcommands[] = {"status",        "print",    "compose",
                                        "save-settings", "autotest", "ports"};

// An option whose value lands in one of the ticket's settings.
void Setting(CLI::App* sub, const std::string& name, std::optional<std::string>& target,
             const std::string& values, const std::string& help) {
  sub->add_option_function<std::string>(
         name, [&target](const std::string& value) { target = value; }, help)
      ->type_name(values);
}

void AddLineOptions(CLI::App* sub, Request& r) {
  Setting(sub, "--baud", r.ticket.baud, "4800|9600|19200|38400", "baud rate (default 9600)");
  Setting(sub, "--parity", r.ticket.parity, "E|O|N", "parity: even, odd, none (default N)");
}

// The values are split at commas here rather than by the parser, which would take the
// option after an empty value (`--port , --json`) as a port.
void AddPortOptions(CLI::App* sub, Request& r) {
  sub->add_option("--port", r.ports,
                  "COM1, COM2, COM3, LPT1 or LPT2; several (repeated or\n"
                  "comma-separated) run the job on each in turn")
      ->required()
      ->type_name("PORT");
}

void AddSpoolOption(CLI::App* sub, Request& r) {
  sub->add_option("--spool", r.spool_file,
                  "the spool file to write and send (default tempo.txt in the\n"
                  "current directory); one run at a time uses a spool file")
      ->type_name("FILE");
}

void AddTicketOptions(CLI::App* sub, Request& r) {
  TicketOptions& t = r.ticket;
  Setting(sub, "--paper", t.paper, "60|80", "paper width in mm (default 60)");
  AddLineOptions(sub, r);
  Setting(sub, "--speed", t.speed, "50|80|100|150", "print speed in mm/s (default 150)");
  Setting(sub, "--font", t.font, "A|B", "font A (12x24) or B (8x16) (default A)");
  Setting(sub, "--xscale", t.x_scale, "N", "character width 1 to 8 (default 1)");
  Setting(sub, "--yscale", t.y_scale, "N", "character height 1 to 8 (default 1)");
  Setting(sub, "--line-spacing", t.line_spacing, "N", "line spacing 1 to 255 (default 1)");
  Setting(sub, "--char-spacing", t.char_spacing, "N", "character spacing 1 to 255 (default 1)");
  Setting(sub, "--left-margin", t.left_margin, "N",
          "left margin in dots, 0 to 448 (576 with --paper 80)\n(default 0)");
  Setting(sub, "--density", t.density, "N", "print density -10 to 10 (default 0)");
  Setting(sub, "--lines", t.lines, "N", "number of lines of text, 1 to 50 (default 1)");
  Setting(sub, "--text", t.text, "TEXT",
          "text to print, up to 25 characters\n(default \"ZN740 sample ticket\")");
  Setting(sub, "--logo", t.logo, "space|orval|squares", "print this logo (default none)");
  Setting(sub, "--barcode", t.barcode, "TYPE:DATA",
          "barcode to print (default none): TYPE ean13, itf or\n"
          "code128 with up to 12 digits, or code39 with up to 7\n"
          "of digits, letters, space and / . - + % $");
}

void AddJson(CLI::App* sub, Request& r) {
  sub->add_flag("--json", r.json, "one JSON object per run on standard output");
}

// Checks every value before the first run: a bad one is bad usage, and no port is touched.
Status Check(const Request& r, std::vector<PortChoice>& ports) {
  for (const std::string& names : r.ports) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = std::min(names.find(',', start), names.size());
      Result<PortChoice> port = ParsePort(std::string_view(names).substr(start, comma - start));
      if (!port) return port.status();
      ports.push_back(*port);
      if (comma == names.size()) break;
      start = comma + 1;
    }
  }
  if (r.job == JobKind::kCompose && r.out_path.empty()) {
    return {ErrorCode::kInvalidArgument, "--out needs a file name, or - for standard output."};
  }
  if (r.spool_file.empty()) {
    return {ErrorCode::kInvalidArgument, "--spool needs a file name."};
  }
  if (r.job == JobKind::kCompose && r.json && r.out_path == "-") {
    return {ErrorCode::kInvalidArgument,
            "--json cannot share standard output with the ticket (--out -); name a file."};
  }
  // The same controls on a record that is never started: the checks read its ranges.
  FrmMenu scratch{Services{}};
  return ApplyTicketOptions(scratch, r.ticket);
}

// The command line's words, with "--name=" (an empty value) as "--name" and "": the parser
// would otherwise take the word after it as the value, or refuse it as missing.
std::vector<std::string> Words(int argc, const char* const* argv) {
  std::vector<std::string> words(argv, argv + argc);
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--") break;
    if (w.size() > 3 && w.starts_with("--") && w.back() == '=' && w.find('=') == w.size() - 1) {
      words[i].pop_back();
      words.insert(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::string());
      ++i;
    }
  }
  return words;
}

bool IsSubcommand(std::string_view word) {
  return std::find(std::begin(kSubcommands), std::end(kSubcommands), word) !=
             std::end(kSubcommands) ||
         std::find(std::begin(kToolSubcommands), std::end(kToolSubcommands), word) !=
             std::end(kToolSubcommands);
}

// A first word that is no option and no subcommand, said as such rather than as a missing
// subcommand.
Status CheckSubcommand(const std::vector<std::string>& words) {
  if (words.size() < 2 || words[1].empty() || words[1].front() == '-' || IsSubcommand(words[1])) {
    return Status::Ok();
  }
  return {ErrorCode::kInvalidArgument,
          "\"" + words[1] +
              "\" is no subcommand; the subcommands are status, print, compose, save-settings, "
              "autotest, ports, info, logo, counters, setup and test-print"};
}

// The subcommand named first, when there is one that runs a job.
std::optional<JobKind> NamedJob(const std::vector<std::string>& words) {
  constexpr std::pair<std::string_view, JobKind> kJobs[] = {
      {"status", JobKind::kStatus},
      {"print", JobKind::kPrint},
      {"compose", JobKind::kCompose},
      {"save-settings", JobKind::kSaveSettings},
      {"autotest", JobKind::kAutotest}};
  if (words.size() < 2) return std::nullopt;
  for (const auto& [name, job] : kJobs) {
    if (words[1] == name) return job;
  }
  return std::nullopt;
}

// Refuses the command line: the reason on standard error and, when --json was asked for
// anywhere on it, the one JSON object of the run on standard output.
int RefuseUsage(const std::vector<std::string>& words, const std::string& message, bool hint,
                std::ostream& out, std::ostream& err) {
  err << "qw77-cli: " << message << (hint ? "\n(see qw77-cli --help)" : "") << std::endl;
  if (std::find(words.begin() + 1, words.end(), "--json") != words.end()) {
    RunOutcome refused;
    refused.stop = RunStop::kUsage;
    const std::optional<JobKind> job = NamedJob(words);
    refused.job = job.value_or(JobKind::kStatus);
    refused.job_named = job.has_value();
    refused.messages = {message};
    out << JsonLine(refused) << std::endl;
  }
  return kExitUsage;
}

// What the run on `port` says if a signal ends it.
std::string InterruptedLine(const Request& r, CliPlatform& platform, const PortChoice& port) {
  RunOutcome interrupted;
  interrupted.job = r.job;
  interrupted.port = port.Name();
  interrupted.endpoint =
      port.parallel ? platform.ParallelEndpoint(port.number) : platform.SerialEndpoint(port.number);
  interrupted.stop = RunStop::kInterrupted;
  interrupted.messages = {"The run was interrupted by a signal."};
  return (r.json ? JsonLine(interrupted) : HumanLine(interrupted)) + "\n";
}

}  // namespace

int RunCli(int argc, const char* const* argv, CliPlatform& platform, std::ostream& out,
           std::ostream& err) {
  Request r;
  CLI::App app{kDescription, "qw77-cli"};
  app.set_version_flag("--version", std::string("qw77-cli ") + QW77_VERSION);
  app.require_subcommand(1);
  app.footer(kFooter);
  app.get_formatter()->column_width(32);

  CLI::App* status = app.add_subcommand(
      "status", "ask the printer's status as Check Status does; print its conditions in words");
  AddPortOptions(status, r);
  AddLineOptions(status, r);
  AddJson(status, r);

  CLI::App* print = app.add_subcommand(
      "print", "print the sample ticket as the window's Print does (COM1 asks the status first)");
  AddPortOptions(print, r);
  AddTicketOptions(print, r);
  AddJson(print, r);

  CLI::App* compose = app.add_subcommand(
      "compose", "write the bytes Print would send to a file, without a printer");
  AddTicketOptions(compose, r);
  compose->add_option("--out", r.out_path, "the file to write, - for standard output")
      ->required()
      ->type_name("FILE");
  AddJson(compose, r);

  CLI::App* save = app.add_subcommand("save-settings",
                                      "store the printer's current text settings in its memory");
  AddPortOptions(save, r);
  AddLineOptions(save, r);
  AddJson(save, r);

  CLI::App* autotest = app.add_subcommand("autotest", "start the printer's self test");
  AddPortOptions(autotest, r);
  AddLineOptions(autotest, r);
  AddJson(autotest, r);

  CLI::App* ports_list = app.add_subcommand(
      "ports",
      "list the port map and the serial, USB and parallel devices found (as qw77 "
      "--list-ports)");

  ToolRequest tools;
  AddToolCommands(app, tools);

  for (CLI::App* sub : {status, print, compose, save, autotest, ports_list}) {
    sub->footer("Exit status, environment and examples: qw77-cli --help.");
  }

  for (CLI::App* sub : {print, save, autotest}) AddSpoolOption(sub, r);

  const std::vector<std::string> words = Words(argc, argv);
  if (const Status named = CheckSubcommand(words); !named.ok()) {
    return RefuseUsage(words, named.message(), true, out, err);
  }
  try {
    std::vector<const char*> word_pointers;
    for (const std::string& w : words) word_pointers.push_back(w.c_str());
    app.parse(static_cast<int>(word_pointers.size()), word_pointers.data());
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e, out, err);  // --help, --version
    return RefuseUsage(words, e.what(), true, out, err);
  }

  if (const std::optional<int> code =
          RunToolCommand(tools, platform, out, err, platform.ErrIsTerminal())) {
    return *code;
  }
  if (ports_list->parsed()) return platform.ListPorts(out, err) ? kExitDone : kExitPortUnusable;

  const std::pair<CLI::App*, JobKind> jobs[] = {{status, JobKind::kStatus},
                                                {print, JobKind::kPrint},
                                                {compose, JobKind::kCompose},
                                                {save, JobKind::kSaveSettings},
                                                {autotest, JobKind::kAutotest}};
  for (const auto& [sub, job] : jobs) {
    if (sub->parsed()) r.job = job;
  }

  std::vector<PortChoice> ports;
  if (const Status checked = Check(r, ports); !checked.ok()) {
    return RefuseUsage(words, checked.message(), false, out, err);
  }

  // A report that cannot be written is said on standard error, and the run does not
  // pass for a clean one: a script reading the lines would otherwise miss a port silently.
  int worst = kExitDone;
  auto report = [&](const RunOutcome& outcome) {
    worst = std::max(worst, ExitCode(outcome));
    out << (r.json ? JsonLine(outcome) : HumanLine(outcome)) << std::endl;
    if (!out) {
      err << "qw77-cli: the report of " << (outcome.port.empty() ? outcome.endpoint : outcome.port)
          << " could not be written to standard output" << std::endl;
      worst = std::max(worst, kExitFailed);
      out.clear();
    }
  };
  if (r.job == JobKind::kCompose) {
    const RunOutcome outcome = RunCompose(platform, r.ticket, r.out_path, out, err);
    // The ticket itself is the output on standard output; a line after it would spoil it.
    if (r.out_path == "-") return ExitCode(outcome);
    report(outcome);
    return worst;
  }
  for (const PortChoice& port : ports) {
    PrepareInterruptLine(InterruptedLine(r, platform, port));
    const RunOutcome outcome = RunOnPort(platform, r.job, r.ticket, port, err, r.spool_file);
    PrepareInterruptLine({});
    report(outcome);
  }
  return worst;
}

}  // namespace qw77::cli
