#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>

#include "cli/Interrupt.h"
#include "cli/Report.h"

namespace qw77::cli {
namespace {

// Long enough for a JSON object whose message quotes a long device path.
char g_line[8192];
std::atomic<std::size_t> g_length{0};

void WriteAll(DWORD which, const char* text, std::size_t size) {
  const HANDLE out = GetStdHandle(which);
  DWORD written = 0;
  while (size > 0 && WriteFile(out, text, static_cast<DWORD>(size), &written, nullptr) &&
         written > 0) {
    text += written;
    size -= written;
  }
}

// Windows calls this on a thread of its own for Ctrl+C, Ctrl+Break and the console closing.
BOOL WINAPI OnConsoleEvent(DWORD) {
  WriteAll(STD_OUTPUT_HANDLE, g_line, g_length.load());
  constexpr char kSaid[] = "qw77-cli: interrupted\n";
  WriteAll(STD_ERROR_HANDLE, kSaid, sizeof kSaid - 1);
  ExitProcess(static_cast<UINT>(kExitInterrupted));
}

}  // namespace

void PrepareInterruptLine(std::string_view line) {
  g_length.store(0);
  const std::size_t size = std::min(line.size(), sizeof g_line);
  std::copy_n(line.data(), size, g_line);
  g_length.store(size);
}

void InstallInterruptReport() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace qw77::cli
