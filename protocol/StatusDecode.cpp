#include "protocol/StatusDecode.h"

namespace qw77 {

std::span<const StatusCondition> StatusConditions() {
  static constexpr StatusCondition kConditions[] = {
      {&StatusFlags::paper_out_or_head_up, "no_paper_or_head_up", "no paper or head up"},
      {&StatusFlags::head_voltage, "head_voltage", "head voltage"},
      {&StatusFlags::cutter, "cutter", "cutter"},
      {&StatusFlags::black_mark, "black_mark", "black mark"},
      {&StatusFlags::temperature, "temperature", "temperature"},
      {&StatusFlags::hardware, "hardware", "hardware"},
      {&StatusFlags::paper_near_end, "paper_near_end", "paper near end"},
  };
  return kConditions;
}

std::vector<std::string> ConditionWords(const StatusFlags& flags) {
  std::vector<std::string> words;
  for (const StatusCondition& c : StatusConditions()) {
    if (flags.*(c.flag)) words.emplace_back(c.words);
  }
  return words;
}

StatusFlags DecodeSerialStatus(std::uint8_t reply2, std::uint8_t reply3, std::uint8_t reply4) {
  struct Row {
    bool StatusFlags::*box;
    int reply;  // 2, 3 or 4
    std::uint8_t mask;
  };
  // In the order the boxes are decided; each of these is an error.
  static constexpr Row kRows[] = {
      {&StatusFlags::paper_out_or_head_up, 2, 0x04}, {&StatusFlags::cutter, 3, 0x08},
      {&StatusFlags::black_mark, 3, 0x04},           {&StatusFlags::temperature, 3, 0x40},
      {&StatusFlags::head_voltage, 3, 0x20},         {&StatusFlags::hardware, 2, 0x08},
  };
  const std::uint8_t replies[5] = {0, 0, reply2, reply3, reply4};
  StatusFlags flags;
  for (const Row& row : kRows) {
    const bool set = (replies[row.reply] & row.mask) != 0;
    flags.*row.box = set;
    if (set) flags.no_error = false;
  }
  // Paper running low is a warning only, and an open head or missing paper hides it.
  flags.paper_near_end = !flags.paper_out_or_head_up && (reply4 & 0x0C) != 0;
  return flags;
}

StatusFlags DecodeParallelStatus(const ParallelStatusLines& lines) {
  // The printer encodes its conditions in the combination of four lines, so most rows
  // compare all four.
  auto lines_are = [&lines](bool error, bool select, bool paper_end, bool acknowledge) {
    return lines.error == error && lines.select == select && lines.paper_end == paper_end &&
           lines.acknowledge == acknowledge;
  };
  StatusFlags flags;
  auto decide = [&](bool StatusFlags::*box, bool set) {
    flags.*box = set;
    if (set) flags.no_error = false;
  };
  decide(&StatusFlags::paper_out_or_head_up, !lines.error && lines.paper_end);
  const bool voltage = lines_are(true, true, false, true);
  decide(&StatusFlags::head_voltage, voltage);
  decide(&StatusFlags::hardware, voltage);
  decide(&StatusFlags::cutter, lines_are(true, true, false, false));
  decide(&StatusFlags::temperature, lines_are(true, false, false, false));
  decide(&StatusFlags::black_mark, lines_are(true, false, false, true));
  flags.paper_near_end = !flags.paper_out_or_head_up && lines_are(false, true, false, true);
  return flags;
}

}  // namespace qw77
