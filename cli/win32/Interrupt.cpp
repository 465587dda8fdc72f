#include <windows.h>

#include <cstddef>

#include "cli/Interrupt.h"
#include "cli/Report.h"

namespace qw77::cli {
namespace {

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
  const std::string_view lead = InterruptLead();
  WriteAll(STD_ERROR_HANDLE, lead.data(), lead.size());
  const std::string_view line = PreparedInterruptLine();
  WriteAll(STD_OUTPUT_HANDLE, line.data(), line.size());
  constexpr char kSaid[] = "qw77-cli: interrupted\n";
  WriteAll(STD_ERROR_HANDLE, kSaid, sizeof kSaid - 1);
  ExitProcess(static_cast<UINT>(kExitInterrupted));
}

}  // namespace

void InstallInterruptReport() {
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace qw77::cli
