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

StatusFlags DecodeParallelStatus(std::uint8_t status) {
  // Bits 08 nERROR, 10 SELECT, 20 PAPER END, 40 nACK; the printer encodes its conditions
  // in their combination, so most rows compare all four bits.
  const std::uint8_t sample = status & 0x78;
  StatusFlags flags;
  auto decide = [&](bool StatusFlags::*box, bool set) {
    flags.*box = set;
    if (set) flags.no_error = false;
  };
  decide(&StatusFlags::paper_out_or_head_up, (sample & 0x28) == 0x28);
  const bool voltage = sample == 0x10;
  decide(&StatusFlags::head_voltage, voltage);
  decide(&StatusFlags::hardware, voltage);
  decide(&StatusFlags::cutter, sample == 0x50);
  decide(&StatusFlags::temperature, sample == 0x40);
  decide(&StatusFlags::black_mark, sample == 0x00);
  flags.paper_near_end = !flags.paper_out_or_head_up && sample == 0x18;
  return flags;
}

}  // namespace qw77
