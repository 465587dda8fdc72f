// The test prints a technician asks for: hex dump mode, the status page, the rolling
// pattern.
#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

// Lines of the rolling pattern: each starts one character further along.
constexpr int kRollingLines = 16;

std::string Bits(std::uint8_t v) {
  std::string s;
  for (int bit = 7; bit >= 0; --bit) s += (v >> bit) & 1 ? '1' : '0';
  return s;
}

std::string Value(const std::map<int, int>& m, int a, const std::string& unset) {
  const auto it = m.find(a);
  return it == m.end() ? unset : Dec(it->second);
}

}  // namespace

void Printer::OnTestPrint(Command& c) {
  const auto body = c.params.subspan(2);
  c.entry.params = "pL=" + Dec(c.params[0]) + " pH=" + Dec(c.params[1]);
  if (body.size() != 2) return c.Malformed("not 2 parameter bytes");
  const int n = body[0], m = body[1];
  c.entry.params += " n=" + Dec(n) + " m=" + Dec(m);
  if (!(n <= 2 || (n >= 48 && n <= 50))) return c.Malformed("no such paper");
  if (!((m >= 1 && m <= 3) || (m >= 49 && m <= 51))) return c.Malformed("no such test print");
  const int pattern = m % 48;
  static const char* const kNames[] = {"", "hex dump mode", "status page", "rolling pattern"};
  c.entry.note = std::string("test print: ") + kNames[pattern];
  if (pattern == 1) c.entry.note += "; every byte from here on is printed in hex until a restart";
  c.then = [this, src = c.src, pattern] {
    if (TicketInProgress()) EndTicket(src, "test print starts");
    const TextSettings in_force = renderer_.text();
    const CharacterModes modes_in_force = renderer_.modes();
    renderer_.text() = TextSettings{};
    renderer_.ResetModes(kDefaultCodePage);
    if (pattern == 1) {
      // The dump goes on in the plain settings until the printer restarts.
      hex_dump_.on = true;
      PrintLines({"Hexadecimal Dump", "To end it, restart the printer."});
      return;
    }
    if (pattern == 2) PrintStatusPage();
    if (pattern == 3) PrintRollingPattern();
    renderer_.Feed(120);
    renderer_.text() = in_force;
    renderer_.modes() = modes_in_force;
    EndTicket(src, "test print", "-testprint");
  };
}

void Printer::PrintLines(const std::vector<std::string>& lines) {
  for (const std::string& s : lines) {
    for (char ch : s) renderer_.PutChar(CodePageToUnicode(static_cast<std::uint8_t>(ch)));
    renderer_.LineFeed();
  }
}

void Printer::PrintStatusPage() {
  const Paper& paper = renderer_.paper();
  std::vector<std::string> lines = {
      "STATUS PAGE",
      "Model: " + options_.model_name,
      "Firmware: " + options_.firmware,
      "Serial number: " + options_.serial_number,
      "Paper: " + Dec(paper.printable_dots) + " dots",
      "Density: " + Dec(stored_.density) + ", speed " + Dec(stored_.speed_mm_s) + " mm/s",
      "Set: width " + Value(nv_.customised, kCustomPaperWidth, "-") + " density " +
          Value(nv_.customised, kCustomDensity, "-") + " speed " +
          Value(nv_.customised, kCustomSpeed, "-"),
      "Serial: " + nv_.serial[1] + " " + nv_.serial[4] + " bits",
      " parity " + nv_.serial[2] + " flow " + nv_.serial[3],
      "Status: " + status_.conditions().Describe()};
  for (std::size_t i = 0; i < nv_.switches.size(); ++i) {
    lines.push_back("Msw" + Dec(static_cast<int>(i) + 1) + ": " + Bits(nv_.switches[i]));
  }
  static const char* const kCounterNames[] = {"Lines fed", "Characters", "Cuts", "Hours"};
  for (std::size_t i = 0; i < kCounterCount; ++i) {
    const std::int64_t scale = i == static_cast<std::size_t>(Counter::kOperatingMs) ? 3600000 : 1;
    lines.push_back(std::string(kCounterNames[i]) + ": " +
                    std::to_string(nv_.counters.resettable[i] / scale) + " (in all " +
                    std::to_string(nv_.counters.cumulative[i] / scale) + ")");
  }
  lines.push_back("NV graphics: " + Dec(static_cast<int>(graphics_.nv.count())) + ", " +
                  std::to_string(graphics_.nv.used_bytes()) + " of " +
                  std::to_string(kNvGraphicsBytes) + " bytes");
  lines.push_back("NV bit images: " + Dec(static_cast<int>(nv_.bit_images.size())));
  lines.push_back("NV writes: " + Dec(nv_.writes_today) + " today, " +
                  std::to_string(nv_.writes_total) + " in all");
  PrintLines(lines);
}

void Printer::PrintRollingPattern() {
  const int columns = std::max(1, renderer_.paper().printable_dots / 12);
  std::vector<std::string> lines;
  for (int i = 0; i < kRollingLines; ++i) {
    std::string line;
    for (int col = 0; col < columns; ++col) line += static_cast<char>(0x20 + (i + col) % 95);
    lines.push_back(line);
  }
  PrintLines(lines);
}

bool Printer::HexDumpTakes(std::span<const std::uint8_t> bytes) {
  hex_dump_.line.insert(hex_dump_.line.end(), bytes.begin(), bytes.end());
  const std::size_t per_line =
      static_cast<std::size_t>(std::max(1, (renderer_.paper().printable_dots / 12 - 1) / 4));
  while (hex_dump_.line.size() >= per_line) HexDumpLine(false);
  return true;
}

void Printer::HexDumpLine(bool partial) {
  const std::size_t per_line =
      static_cast<std::size_t>(std::max(1, (renderer_.paper().printable_dots / 12 - 1) / 4));
  const std::size_t n = std::min(per_line, hex_dump_.line.size());
  std::string hex, chars;
  for (std::size_t i = 0; i < per_line; ++i) {
    if (i < n) {
      const std::uint8_t b = hex_dump_.line[i];
      hex += HexBytes({&b, 1}) + " ";
      chars += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
    } else {
      hex += "   ";
    }
  }
  hex_dump_.line.erase(hex_dump_.line.begin(),
                       hex_dump_.line.begin() + static_cast<std::ptrdiff_t>(n));
  const std::string line = hex + " " + chars;
  PrintLines({line});
  Note(last_source_, (partial ? "hex dump (the bytes so far): " : "hex dump: ") + line);
}

}  // namespace qw77::vprinter
