// The spool file every printer job goes through: "tempo.txt" in the current directory,
// written whole by the composer and read back whole by the senders.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace qw77 {

inline constexpr std::string_view kSpoolFileName = "tempo.txt";

// Replaces tempo.txt in the current directory with exactly `bytes`. The bytes go to a new
// temporary file in the same directory, which is renamed over tempo.txt only once it is
// complete, so a reader never sees a half-written spool file: on failure the earlier
// tempo.txt (if any) is left as it was and the temporary file is removed. The message of a
// failure is an operator sentence naming the directory and the system's reason.
Status WriteSpoolFile(std::span<const std::uint8_t> bytes);

// Every byte of tempo.txt, or why it could not be read (kNotFound, kIo) in a phrase.
Result<std::vector<std::uint8_t>> ReadSpoolBytes();

}  // namespace qw77
