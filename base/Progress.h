// How far a transfer is, for whoever shows it: a window's bar, a terminal's line.
#pragma once

#include <cstddef>
#include <functional>

namespace qw77 {

// Bytes the link took of the total. Called from the job's thread between writes; it may
// repaint a window or a terminal line. An empty callback is a transfer nobody watches.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

// Bytes handed on between two reports of a watched transfer: at 9600 baud a quarter of a
// second, so the figures move; on a fast link few enough reports not to slow it.
inline constexpr std::size_t kProgressStepBytes = 256;

}  // namespace qw77
