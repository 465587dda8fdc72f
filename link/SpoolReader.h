// Reading the spool file back as one byte string, for the senders.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Status.h"

namespace qw77 {

// Every byte of tempo.txt, or why it could not be read (kNotFound, kIo) in a phrase.
Result<std::vector<std::uint8_t>> ReadSpoolBytes();

}  // namespace qw77
