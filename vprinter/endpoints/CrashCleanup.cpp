#include "vprinter/endpoints/CrashCleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace qw77::vprinter {
namespace {

// Plain storage a signal handler may read: a slot is marked used only once its path is
// complete, and unmarked before it changes.
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
Slot g_slots[kCrashCleanupSlots];

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction g_former[sizeof kFaultSignals / sizeof kFaultSignals[0]];

void OnFault(int sig, siginfo_t* info, void*) {
  for (Slot& s : g_slots) {
    if (s.used.load(std::memory_order_acquire)) unlink(s.path);
  }
  for (std::size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i) {
    if (kFaultSignals[i] == sig) sigaction(sig, &g_former[i], nullptr);
  }
  // A signal that was sent is sent again to the former handler. A real fault needs nothing
  // more: returning runs the faulting instruction again, which faults into that handler
  // with its true context.
  if (info == nullptr || info->si_code <= 0) raise(sig);
}

}  // namespace

bool RegisterCrashCleanup(const std::string& path) {
  if (path.empty() || path.size() >= PATH_MAX) return false;
  for (Slot& s : g_slots) {
    if (s.used.load(std::memory_order_acquire)) continue;
    std::memcpy(s.path, path.c_str(), path.size() + 1);
    s.used.store(true, std::memory_order_release);
    return true;
  }
  return false;
}

void UnregisterCrashCleanup(const std::string& path) {
  for (Slot& s : g_slots) {
    if (s.used.load(std::memory_order_acquire) && path == s.path) {
      s.used.store(false, std::memory_order_release);
    }
  }
}

void RemoveOnCrash() {
  struct sigaction sa {};
  sa.sa_sigaction = OnFault;
  sa.sa_flags = SA_SIGINFO;
  sigemptyset(&sa.sa_mask);
  for (std::size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i) {
    sigaction(kFaultSignals[i], &sa, &g_former[i]);
  }
}

}  // namespace qw77::vprinter
