// Files the printer must not leave behind even when it dies of a fault: its serial link
// (left behind, it would lead the application to whatever terminal gets that number next),
// the link's lock file and the parallel socket. The owners register them here; the handler
// RemoveOnCrash installs removes them before the process dies.
#pragma once

#include <string>

namespace qw77::vprinter {

// At most kCrashCleanupSlots paths at a time; false when all are taken.
inline constexpr int kCrashCleanupSlots = 8;
bool RegisterCrashCleanup(const std::string& path);
void UnregisterCrashCleanup(const std::string& path);

// Installs handlers for the signals of a fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT)
// that remove the registered files and then let the signal take its former course (a
// sanitizer's report, or the default: the process dies of it).
void RemoveOnCrash();

}  // namespace qw77::vprinter
