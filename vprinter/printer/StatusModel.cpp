#include "vprinter/printer/StatusModel.h"

#include <algorithm>

namespace qw77::vprinter {
namespace {

// Bits 1 and 4 of every real-time status byte read 1 on the real thing (bits 0 and 7 read
// 0); 0x12 keeps the shape of a genuine reply without touching any decoded bit.
constexpr std::uint8_t kFixedBits = 0x12;

// Parallel status line samples (bits 3..6: nERROR 08, SELECT 10, PAPER END 20, nACK 40).
constexpr std::uint8_t kLinesIdle = 0x58;      // selected, no error, no paper end
constexpr std::uint8_t kLinesPaperOut = 0x38;  // paper end and nERROR high together
constexpr std::uint8_t kLinesVoltage = 0x10;   // voltage and hardware share one pattern
constexpr std::uint8_t kLinesCutter = 0x50;
constexpr std::uint8_t kLinesTemperature = 0x40;
constexpr std::uint8_t kLinesBlackMark = 0x00;
constexpr std::uint8_t kLinesNearEnd = 0x18;

}  // namespace

std::string Conditions::Describe() const {
  std::string s;
  auto add = [&](bool on, const char* name) {
    if (!on) return;
    if (!s.empty()) s += ", ";
    s += name;
  };
  add(paper_out, "paper out/head up");
  add(head_voltage, "head voltage");
  add(cutter, "cutter");
  add(black_mark, "black mark");
  add(temperature, "temperature");
  add(hardware, "hardware");
  add(near_end, "paper near end");
  return s.empty() ? "ready" : s;
}

std::uint8_t StatusModel::SerialReply(int n) const {
  const Conditions& c = conditions_;
  std::uint8_t b = kFixedBits;
  switch (n) {
    case 1:  // printer status: offline while any error stands
      if (c.AnyError()) b |= 0x08;
      break;
    case 2:  // offline cause: cover/head open 04, mechanism fault 08, error occurred 40
      if (c.paper_out) b |= 0x04;
      if (c.hardware) b |= 0x08;
      if (c.AnyError()) b |= 0x40;
      break;
    case 3:  // error cause: black mark 04, cutter 08, head voltage 20, temperature 40
      if (c.black_mark) b |= 0x04;
      if (c.cutter) b |= 0x08;
      if (c.head_voltage) b |= 0x20;
      if (c.temperature) b |= 0x40;
      break;
    case 4:  // paper sensors: near end 0C, paper end 60 (an empty roll is also near its end)
      if (c.near_end || c.paper_out) b |= 0x0C;
      if (c.paper_out) b |= 0x60;
      break;
    default:
      break;
  }
  return b;
}

std::optional<std::uint8_t> StatusModel::AnswerRequest(int n) {
  if (!MayAnswer()) return std::nullopt;
  return SerialReply(n);
}

bool StatusModel::MayAnswer() {
  ++requests_seen_;
  if (faults_.silent) return false;
  if (faults_.answer_limit >= 0 && requests_answered_ >= faults_.answer_limit) return false;
  ++requests_answered_;
  return true;
}

std::uint8_t StatusModel::PaperSensorStatus() const {
  const Conditions& c = conditions_;
  std::uint8_t b = 0;
  // An empty roll is also near its end.
  if (c.near_end || c.paper_out) b |= 0x03;
  if (c.paper_out) b |= 0x0C;
  return b;
}

std::array<std::uint8_t, 4> StatusModel::AutoStatus() const {
  const Conditions& c = conditions_;
  std::uint8_t printer = 0x10;
  if (c.AnyError()) printer |= 0x08;
  if (c.paper_out) printer |= 0x20;
  std::uint8_t errors = 0;
  if (c.black_mark) errors |= 0x04;
  if (c.cutter) errors |= 0x08;
  if (c.head_voltage || c.hardware) errors |= 0x20;
  if (c.temperature) errors |= 0x40;
  return {printer, errors, PaperSensorStatus(), 0x00};
}

std::size_t StatusModel::ReadAllowance(long received, std::size_t want) const {
  for (long limit : {faults_.stall_after_bytes, faults_.hang_up_after_bytes}) {
    if (limit >= 0)
      want = std::min<std::size_t>(want, static_cast<std::size_t>(std::max(0L, limit - received)));
  }
  return want;
}

std::uint8_t StatusModel::ParallelStatus(bool busy) const {
  const Conditions& c = conditions_;
  std::uint8_t lines = kLinesIdle;
  if (c.paper_out) {
    lines = kLinesPaperOut;
  } else if (c.head_voltage || c.hardware) {
    lines = kLinesVoltage;
  } else if (c.cutter) {
    lines = kLinesCutter;
  } else if (c.temperature) {
    lines = kLinesTemperature;
  } else if (c.black_mark) {
    lines = kLinesBlackMark;
  } else if (c.near_end) {
    lines = kLinesNearEnd;
  }
  // Bit 7 is the inverted BUSY line; bits 0..2 are unused and read high.
  return static_cast<std::uint8_t>((busy ? 0x00 : 0x80) | lines | 0x07);
}

}  // namespace qw77::vprinter
