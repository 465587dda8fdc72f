// The maintenance counters, the user setup and the test prints.
#include <algorithm>

#include "jobs/PrinterTools.h"
#include "jobs/ToolSession.h"

namespace qw77 {
namespace {

struct CounterName {
  int number;
  const char* name;
};
constexpr CounterName kCounters[] = {
    {20, "lines fed"}, {21, "characters"}, {50, "cuts"}, {70, "operating hours"}};
constexpr int kCumulative = 128;

// The customised values the setup reads and sets.
constexpr int kPaperValue = 3, kDensityValue = 5, kSpeedValue = 6;
// How long a printer that left its setting mode may take to restart and answer again.
constexpr int kRestartAttempts = 5;

std::optional<std::int64_t> ReadCounter(ToolSession& s, int number) {
  const Bytes ask = CounterReadCommand(number);
  const std::string what = "counter " + std::to_string(number);
  std::optional<Bytes> body = s.AskFrame(ask, kInfoHeader, what);
  if (!body) return std::nullopt;
  return s.Take(DecodeCounter(*body), what);
}

void ReadAllCounters(ToolSession& s, CountersReport& r) {
  for (const CounterName& c : kCounters) {
    CounterValue v{c.number, c.name, ReadCounter(s, c.number), std::nullopt};
    v.in_all = ReadCounter(s, c.number + kCumulative);
    if (s.failed()) return;
    r.counters.push_back(v);
  }
}

int PaperToValue(int mm) {
  return mm == 58 ? 2 : mm == 60 ? 3 : 6;
}
std::optional<int> ValueToPaper(int v) {
  if (v == 2) return 58;
  if (v == 3) return 60;
  if (v == 6) return 80;
  return std::nullopt;
}

bool EnterSetup(ToolSession& s) {
  const Bytes ask = SetupEnterCommand();
  std::optional<Bytes> body = s.AskFrame(ask, kSetupHeader, "the user setting mode");
  if (!body) return false;
  if (const Status entered = DecodeSetupEntered(*body); !entered.ok()) {
    s.Fail(JobEnd::kNoAnswer, entered.message() + ".");
    return false;
  }
  return true;
}

std::optional<int> ReadValue(ToolSession& s, int a) {
  const Bytes ask = CustomValueReadCommand(a);
  const std::string what = "customised value " + std::to_string(a);
  std::optional<Bytes> body = s.AskFrame(ask, kSetupHeader, what);
  if (!body) return std::nullopt;
  return s.Take(DecodeCustomValue(*body, a), what);
}

// Reads the setup in the setting mode the session is in.
void ReadSetupValues(ToolSession& s, PrinterSetup& setup) {
  if (auto v = ReadValue(s, kPaperValue)) setup.paper_mm = ValueToPaper(*v);
  if (auto v = ReadValue(s, kDensityValue)) setup.density = *v > 0x7FFF ? *v - 0x10000 : *v;
  if (auto v = ReadValue(s, kSpeedValue)) setup.speed = *v;
  for (int n = 1; n <= 8 && !s.failed(); ++n) {
    const Bytes ask = SwitchReadCommand(n);
    const std::string what = "memory switch " + std::to_string(n);
    std::optional<Bytes> body = s.AskFrame(ask, kSetupHeader, what);
    if (!body) return;
    if (auto bits = s.Take(DecodeSwitch(*body), what)) setup.switches[n - 1] = *bits;
  }
}

bool LeaveSetup(ToolSession& s) {
  const Bytes leave = SetupLeaveCommand();
  return s.Send(leave, "the end of the user setting mode");
}

// Enters the setting mode of a printer that may still be restarting: asked again while
// it stays silent, a few times.
bool EnterAfterRestart(ToolSession& s, ToolReport& r) {
  for (int attempt = 1; attempt < kRestartAttempts; ++attempt) {
    const std::size_t sent = r.bytes_sent;
    if (EnterSetup(s)) return true;
    if (r.end != JobEnd::kNoAnswer || r.bytes_sent == sent) return false;
    // Silence from a printer still restarting: forgotten, and asked again.
    r.end = JobEnd::kDone;
    r.messages.pop_back();
  }
  return EnterSetup(s);
}

// What was read back against what was set; the first difference, or "".
std::string Difference(const SetupChange& c, const PrinterSetup& got) {
  if (c.paper_mm && got.paper_mm != c.paper_mm) return "the paper width";
  if (c.density && got.density != c.density) return "the density";
  if (c.speed && got.speed != c.speed) return "the speed";
  for (const auto& [n, bits] : c.switches) {
    const std::string& now = got.switches[static_cast<std::size_t>(n - 1)];
    for (std::size_t i = 0; i < 8; ++i) {
      if (bits[i] != '2' && (now.size() != 8 || now[i] != bits[i])) {
        return "memory switch " + std::to_string(n);
      }
    }
  }
  return "";
}

}  // namespace

CountersReport ReadCounters(const ToolPort& port) {
  CountersReport r;
  ToolSession s(port, r);
  ReadAllCounters(s, r);
  return r;
}

CountersReport ResetCounters(const ToolPort& port) {
  CountersReport r;
  ToolSession s(port, r);
  for (const CounterName& c : kCounters) {
    const Bytes reset = CounterResetCommand(c.number);
    if (!s.Send(reset, "the reset of counter " + std::to_string(c.number))) return r;
  }
  ReadAllCounters(s, r);
  for (const CounterValue& v : r.counters) {
    // Operating hours go on counting; the others stay at nought until the next print.
    if (v.number != 70 && v.since_reset.value_or(0) != 0) {
      s.Fail(JobEnd::kFailedMidway, "counter " + std::to_string(v.number) + " still reads " +
                                        std::to_string(*v.since_reset) + " after its reset.");
    }
  }
  if (!s.failed()) s.Say("counters reset.");
  return r;
}

Status CheckSetupChange(const SetupChange& c) {
  auto refuse = [](const std::string& why) { return Status{ErrorCode::kInvalidArgument, why}; };
  if (c.paper_mm && *c.paper_mm != 58 && *c.paper_mm != 80) {
    return refuse("--paper is 58 or 80 (mm)");
  }
  if (c.density && (*c.density < -6 || *c.density > 8)) return refuse("--density is -6 to 8");
  if (c.speed && (*c.speed < 1 || *c.speed > 9)) return refuse("--speed is 1 to 9");
  for (const auto& [n, bits] : c.switches) {
    if (n < 1 || n > 8) return refuse("--switch N=BITS: N is 1 to 8");
    if (bits.size() != 8 || bits.find_first_not_of("012") != std::string::npos) {
      return refuse("--switch N=BITS: BITS is 8 of 0, 1 or 2 (unchanged), bit 8 first");
    }
  }
  if (c.empty()) return refuse("nothing to set: give --paper, --density, --speed or --switch");
  return Status::Ok();
}

SetupReport ReadSetup(const ToolPort& port) {
  SetupReport r;
  ToolSession s(port, r);
  if (!s.failed() && EnterSetup(s)) {
    ReadSetupValues(s, r.setup);
    if (!s.failed()) LeaveSetup(s);
  }
  if (s.failed() && r.end == JobEnd::kNoAnswer && r.bytes_sent > SetupEnterCommand().size()) {
    s.Say("the printer may still be in its user setting mode: switch it off and on.");
  }
  return r;
}

SetupReport ChangeSetup(const ToolPort& port, const SetupChange& change) {
  SetupReport r;
  if (const Status checked = CheckSetupChange(change); !checked.ok()) {
    r.end = JobEnd::kNotStarted;
    r.messages.push_back(checked.message() + "; nothing was written.");
    return r;
  }
  ToolSession s(port, r);
  if (s.failed() || !EnterSetup(s)) return r;
  std::vector<Bytes> commands;
  if (change.paper_mm) {
    commands.push_back(CustomValueSetCommand(kPaperValue, PaperToValue(*change.paper_mm)));
  }
  if (change.density) {
    const int d = *change.density;
    commands.push_back(CustomValueSetCommand(kDensityValue, d < 0 ? d + 0x10000 : d));
  }
  if (change.speed) commands.push_back(CustomValueSetCommand(kSpeedValue, *change.speed));
  for (const auto& [n, bits] : change.switches) commands.push_back(SwitchSetCommand(n, bits));
  for (const Bytes& command : commands) {
    if (!s.Send(command, "the new setup")) return r;
  }
  // Leaving the setting mode restarts the printer with the new setup, which is read back.
  if (!LeaveSetup(s) || !EnterAfterRestart(s, r)) return r;
  ReadSetupValues(s, r.setup);
  if (s.failed() || !LeaveSetup(s)) return r;
  if (const std::string differs = Difference(change, r.setup); !differs.empty()) {
    s.Fail(JobEnd::kFailedMidway, "the printer did not take " + differs + ": it reads back " +
                                      "otherwise after its restart.");
  } else {
    s.Say("setup stored and read back after the printer's restart.");
  }
  return r;
}

namespace {

// ESC @, the code page, a heading and the 128 upper characters in 8 rows of 16, then the
// printer's own settings again.
Bytes CodePageTable(int code_page) {
  Bytes out = {0x1B, '@', 0x1B, 't', static_cast<std::uint8_t>(code_page)};
  const std::string head = "Code page " + std::to_string(code_page) + "\n   0123456789ABCDEF\n";
  out.insert(out.end(), head.begin(), head.end());
  for (int row = 8; row < 16; ++row) {
    out.insert(out.end(), {static_cast<std::uint8_t>("0123456789ABCDEF"[row]), 'x', ' '});
    for (int col = 0; col < 16; ++col) out.push_back(static_cast<std::uint8_t>(row * 16 + col));
    out.push_back('\n');
  }
  out.insert(out.end(), {0x1B, 'd', 4, 0x1B, '@'});
  return out;
}

}  // namespace

ToolReport RunTestPrint(const ToolPort& port, TestPrintKind kind, int code_page) {
  ToolReport r;
  if (kind == TestPrintKind::kCodePage && (code_page < 0 || code_page > 255)) {
    r.end = JobEnd::kNotStarted;
    r.messages.push_back("a code page is 0 to 255.");
    return r;
  }
  ToolSession s(port, r);
  const Bytes command = kind == TestPrintKind::kCodePage
                            ? CodePageTable(code_page)
                            : TestPrintCommand(1 + static_cast<int>(kind));
  if (s.Send(command, "the test print") && kind == TestPrintKind::kHexDump) {
    s.Say("hex dump mode: every byte the printer receives is printed in hex until it restarts.");
  }
  return r;
}

}  // namespace qw77
