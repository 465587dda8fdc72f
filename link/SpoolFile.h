// Reading and writing the spool file as whole byte strings.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Status.h"

namespace qw77 {

// Every byte of tempo.txt, or why it could not be read (kNotFound, kIo).
Result<std::vector<std::uint8_t>> ReadSpoolBytes();

// Replaces tempo.txt with exactly `bytes`. The bytes go to a temporary file first, which
// then takes the spool file's name, so no half-written job is ever left under that name.
Status ReplaceSpoolFile(std::span<const std::uint8_t> bytes);

}  // namespace qw77
