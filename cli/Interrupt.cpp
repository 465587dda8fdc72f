#include "cli/Interrupt.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

namespace qw77::cli {
namespace {

// Long enough for a JSON object whose message quotes a long device path.
char g_line[8192];
std::atomic<std::size_t> g_length{0};
std::atomic<bool> g_progress_open{false};

}  // namespace

void PrepareInterruptLine(std::string_view line) {
  g_length.store(0);
  const std::size_t size = std::min(line.size(), sizeof g_line);
  std::copy_n(line.data(), size, g_line);
  g_length.store(size);
}

std::string_view PreparedInterruptLine() {
  return {g_line, g_length.load()};
}

void NoteProgressLineOpen(bool open) {
  g_progress_open.store(open);
}

std::string_view InterruptLead() {
  return g_progress_open.load() ? "\n" : "";
}

}  // namespace qw77::cli
