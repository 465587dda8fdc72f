#include "cli/Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstddef>

#include "cli/Report.h"

namespace qw77::cli {
namespace {

// Long enough for a JSON object whose message quotes a long device path.
char g_line[8192];
std::atomic<std::size_t> g_length{0};

void WriteAll(int fd, const char* text, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, text, size);
    if (n <= 0) return;
    text += n;
    size -= static_cast<std::size_t>(n);
  }
}

void OnSignal(int /*signal_number*/) {
  WriteAll(STDOUT_FILENO, g_line, g_length.load());
  constexpr char kSaid[] = "qw77-cli: interrupted\n";
  WriteAll(STDERR_FILENO, kSaid, sizeof kSaid - 1);
  ::_exit(kExitInterrupted);
}

}  // namespace

void PrepareInterruptLine(std::string_view line) {
  g_length.store(0);
  const std::size_t size = std::min(line.size(), sizeof g_line);
  std::copy_n(line.data(), size, g_line);
  g_length.store(size);
}

void InstallInterruptReport() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    (void)::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace qw77::cli
