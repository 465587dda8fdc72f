#include "vprinter/app/Process.h"

#include <windows.h>

#include <csignal>
#include <filesystem>

#include "base/WindowsError.h"

namespace qw77::vprinter {

// Ctrl+C and Ctrl+Break come as SIGINT and SIGBREAK; closing the console window ends the
// process without one.
void OnStopSignals(void (*handler)(int), bool) {
  for (int sig : {SIGINT, SIGTERM, SIGBREAK}) std::signal(sig, handler);
}

std::string SignalName(int sig) {
  switch (sig) {
    case SIGINT:
      return "Interrupt (Ctrl+C)";
    case SIGBREAK:
      return "Ctrl+Break";
    case SIGTERM:
      return "Terminated";
    default:
      return "signal " + std::to_string(sig);
  }
}

// Only making a file tells: a folder that exists can still refuse files.
std::string CannotWriteTo(const std::string& dir) {
  const std::wstring folder = std::filesystem::path(dir).wstring();
  wchar_t probe[MAX_PATH + 1] = {};
  if (GetTempFileNameW(folder.c_str(), L"qw7", 0, probe) == 0) {
    return WindowsErrorText(GetLastError());
  }
  DeleteFileW(probe);
  return "";
}

}  // namespace qw77::vprinter
