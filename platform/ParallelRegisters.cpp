#include "platform/ParallelRegisters.h"

namespace qw77 {
namespace {

constexpr std::uint8_t kNotError = 0x08;
constexpr std::uint8_t kSelect = 0x10;
constexpr std::uint8_t kPaperEnd = 0x20;
constexpr std::uint8_t kNotAcknowledge = 0x40;
constexpr std::uint8_t kNotBusy = 0x80;

constexpr std::uint8_t kStrobe = 0x01;
constexpr std::uint8_t kAutoFeed = 0x02;
constexpr std::uint8_t kNotInit = 0x04;
constexpr std::uint8_t kSelectIn = 0x08;
constexpr std::uint8_t kUnusedControlBits = 0xC0;

}  // namespace

ParallelStatusLines StatusFromRegister(std::uint8_t status) {
  ParallelStatusLines lines;
  lines.busy = (status & kNotBusy) == 0;
  lines.acknowledge = (status & kNotAcknowledge) == 0;
  lines.paper_end = (status & kPaperEnd) != 0;
  lines.select = (status & kSelect) != 0;
  lines.error = (status & kNotError) == 0;
  return lines;
}

std::uint8_t ControlRegister(const ParallelControlLines& lines) {
  std::uint8_t control = kUnusedControlBits;
  if (lines.strobe) control |= kStrobe;
  if (lines.auto_feed) control |= kAutoFeed;
  if (!lines.init) control |= kNotInit;
  if (lines.select_in) control |= kSelectIn;
  return control;
}

}  // namespace qw77
