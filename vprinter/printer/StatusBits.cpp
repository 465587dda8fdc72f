#include "vprinter/printer/StatusBits.h"

namespace qw77::vprinter {
namespace {

// Bits 1 and 4 of every real-time status byte read 1 on the real thing (bits 0 and 7 read
// 0); 0x12 keeps the shape of a genuine reply without touching any decoded bit.
constexpr std::uint8_t kFixedBits = 0x12;

// Parallel status line samples.
constexpr std::uint8_t kLinesIdle = 0x58;     // selected, no error, no paper end
constexpr std::uint8_t kLinesHeadUp = 0x38;   // paper end and nERROR high together
constexpr std::uint8_t kLinesVoltage = 0x10;  // voltage and hardware share one pattern
constexpr std::uint8_t kLinesCutter = 0x50;
constexpr std::uint8_t kLinesTemperature = 0x40;
constexpr std::uint8_t kLinesBlackMark = 0x00;
constexpr std::uint8_t kLinesNearEnd = 0x18;

std::uint8_t Bits(std::initializer_list<std::pair<bool, std::uint8_t>> bits) {
  std::uint8_t b = 0;
  for (const auto& [on, mask] : bits) {
    if (on) b |= mask;
  }
  return b;
}

}  // namespace

std::string Conditions::Describe() const {
  std::string s;
  auto add = [&](bool on, const char* name) {
    if (!on) return;
    if (!s.empty()) s += ", ";
    s += name;
  };
  add(paper_out, "paper out");
  add(cover_open, "cover open (head up)");
  add(head_voltage, "head voltage");
  add(cutter, "cutter");
  add(black_mark, "black mark");
  add(temperature, "temperature");
  add(hardware, "hardware");
  add(near_end, "paper near end");
  return s.empty() ? "ready" : s;
}

PrinterState StateOf(const Conditions& c) {
  PrinterState s;
  s.error = c.AnyError();
  s.offline = s.error;
  // The mechanism's head-up switch opens with the cover and drops when the roll runs out
  // (the paper holds it down): both read as "no paper or head up" on the status line
  // qw77's window decodes.
  s.head_up = c.cover_open || c.paper_out;
  s.cover_open = c.cover_open;
  s.paper_stop = c.paper_out;
  s.paper_end_sensor = c.paper_out;
  s.near_end_sensor = c.near_end || c.paper_out;
  s.mechanism = c.hardware;
  s.cutter = c.cutter;
  s.black_mark = c.black_mark;
  s.head_voltage = c.head_voltage;
  s.unrecoverable = c.head_voltage || c.hardware;
  s.auto_recoverable = c.temperature;
  return s;
}

std::uint8_t RealTimeStatus(const PrinterState& s, int n) {
  switch (n) {
    case 1:  // printer: offline 08
      return kFixedBits | Bits({{s.offline, 0x08}});
    case 2:  // offline cause: head up 04, mechanism 08, stopped by paper end 20, error 40
      return kFixedBits |
             Bits({{s.head_up, 0x04}, {s.mechanism, 0x08}, {s.paper_stop, 0x20}, {s.error, 0x40}});
    case 3:  // error cause: black mark 04, cutter 08, head voltage 20, temperature 40
      return kFixedBits | Bits({{s.black_mark, 0x04},
                                {s.cutter, 0x08},
                                {s.head_voltage, 0x20},
                                {s.auto_recoverable, 0x40}});
    case 4:  // paper sensors: near end 0C, paper end 60
      return kFixedBits | Bits({{s.near_end_sensor, 0x0C}, {s.paper_end_sensor, 0x60}});
    default:
      return kFixedBits;
  }
}

std::uint8_t PaperSensorStatus(const PrinterState& s) {
  return Bits({{s.near_end_sensor, 0x03}, {s.paper_end_sensor, 0x0C}});
}

std::uint8_t DrawerStatus(const PrinterState&) {
  return 0x00;
}

std::array<std::uint8_t, 4> AutomaticStatus(const PrinterState& s) {
  const std::uint8_t printer = 0x10 | Bits({{s.offline, 0x08}, {s.cover_open, 0x20}});
  const std::uint8_t errors = Bits({{s.black_mark, 0x04},
                                    {s.cutter, 0x08},
                                    {s.unrecoverable, 0x20},
                                    {s.auto_recoverable, 0x40}});
  return {printer, errors, PaperSensorStatus(s), 0x00};
}

std::uint8_t ParallelLines(const PrinterState& s, bool busy) {
  std::uint8_t lines = kLinesIdle;
  if (s.head_up) {
    lines = kLinesHeadUp;
  } else if (s.unrecoverable) {
    lines = kLinesVoltage;
  } else if (s.cutter) {
    lines = kLinesCutter;
  } else if (s.auto_recoverable) {
    lines = kLinesTemperature;
  } else if (s.black_mark) {
    lines = kLinesBlackMark;
  } else if (s.near_end_sensor) {
    lines = kLinesNearEnd;
  }
  // Bits 0..2 are unused and read high.
  return static_cast<std::uint8_t>((busy ? 0x00 : 0x80) | lines | 0x07);
}

}  // namespace qw77::vprinter
