// The parallel port's registers, apart from the socket that carries them: the Windows build,
// which has no such socket, keeps them for the printer's status model.
#include "vprinter/endpoints/ParallelEndpoint.h"

namespace qw77::vprinter {
namespace {

// A byte after this much quiet starts a new job, which is when a printer told to be busy
// for a while takes its pause.
constexpr Millis kJobGapMs = 1000;

}  // namespace

bool ParallelRegisters::Busy(Millis now) const {
  const Faults& f = status_.faults();
  return f.busy_forever || held_ || now < busy_until_;
}

std::uint8_t ParallelRegisters::Read(int reg, Millis now) const {
  switch (reg) {
    case 0:
      return data_;
    case 1:
      return status_.ParallelStatus(Busy(now));
    default:
      return control_;
  }
}

std::optional<std::uint8_t> ParallelRegisters::Write(int reg, std::uint8_t value, Millis now) {
  if (reg == 0) {
    data_ = value;
    return std::nullopt;
  }
  if (reg != 2) return std::nullopt;  // the status register is read-only
  const bool strobe = (value & 1) && !(control_ & 1);
  control_ = value;
  if (!strobe) return std::nullopt;
  if (Busy(now)) {
    ++lost_;
    return std::nullopt;
  }
  const int busy_ms = status_.faults().busy_ms;
  busy_started_ = false;
  // The pause itself is part of the job: the gap counts from when the printer was ready.
  const Millis active_until = std::max(last_byte_, busy_until_);
  if (busy_ms > 0 && (last_byte_ < 0 || now - active_until >= kJobGapMs)) {
    busy_until_ = now + busy_ms;
    busy_started_ = true;
  }
  last_byte_ = now;
  return data_;
}

}  // namespace qw77::vprinter
