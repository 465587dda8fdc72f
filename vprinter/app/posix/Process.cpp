#include "vprinter/app/Process.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace qw77::vprinter {

void OnStopSignals(void (*handler)(int), bool restart) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sa.sa_flags = restart ? SA_RESTART : 0;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

std::string SignalName(int sig) {
  return strsignal(sig);
}

// Only making a file tells: a folder that exists can still refuse files.
std::string CannotWriteTo(const std::string& dir) {
  std::string probe = (std::filesystem::path(dir) / ".qw77-vprinter-probe-XXXXXX").string();
  const int fd = mkstemp(probe.data());
  if (fd < 0) return std::strerror(errno);
  close(fd);
  unlink(probe.c_str());
  return "";
}

}  // namespace qw77::vprinter
