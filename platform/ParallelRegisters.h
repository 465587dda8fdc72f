// The three registers through which a PC's parallel port shows its lines, for the links
// whose device speaks them (the kernel's ppdev and lp drivers, the virtual printer's socket).
// A register bit need not have its line's polarity: the status register shows "not busy",
// "not acknowledging" and "no error", and the control register "not initialising".
#pragma once

#include <cstdint>

#include "platform/ParallelLink.h"

namespace qw77 {

// The registers by their offset from the port's base address.
enum class ParallelRegister : std::uint8_t { kData = 0, kStatus = 1, kControl = 2 };

// The status lines a status register value shows; bits 0 to 2 carry no line.
ParallelStatusLines StatusFromRegister(std::uint8_t status);

// The control register value that drives these lines. The interrupt and direction bits are
// clear (no interrupts, data lines out); the two top bits, which drive nothing, are set.
std::uint8_t ControlRegister(const ParallelControlLines& lines);

}  // namespace qw77
