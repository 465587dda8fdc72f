#include "cli/Interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <cstddef>

#include "cli/Report.h"

namespace qw77::cli {
namespace {

void WriteAll(int fd, const char* text, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, text, size);
    if (n <= 0) return;
    text += n;
    size -= static_cast<std::size_t>(n);
  }
}

void OnSignal(int /*signal_number*/) {
  const std::string_view lead = InterruptLead();
  WriteAll(STDERR_FILENO, lead.data(), lead.size());
  const std::string_view line = PreparedInterruptLine();
  WriteAll(STDOUT_FILENO, line.data(), line.size());
  constexpr char kSaid[] = "qw77-cli: interrupted\n";
  WriteAll(STDERR_FILENO, kSaid, sizeof kSaid - 1);
  ::_exit(kExitInterrupted);
}

}  // namespace

void InstallInterruptReport() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    (void)::sigaction(signal_number, &action, nullptr);
  }
}

}  // namespace qw77::cli
