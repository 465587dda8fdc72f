#include "platform/win32/Win32System.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "base/WindowsError.h"

namespace qw77 {
namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');  // before the closing quote
  return out + L"\"";
}

}  // namespace

std::wstring Win32CommandLine(const std::vector<std::string>& argv) {
  std::wstring line;
  // cmd.exe takes what follows /c as the command as it is: quoting it again would break
  // the quotes inside.
  if (argv.size() == 3 && (argv[1] == "/c" || argv[1] == "/C")) {
    return QuoteArgument(Wide(argv[0])) + L" /c " + Wide(argv[2]);
  }
  for (const std::string& arg : argv) {
    if (!line.empty()) line += L' ';
    line += QuoteArgument(Wide(arg));
  }
  return line;
}

std::vector<DeviceInfo> RegistryComPorts() {
  std::vector<DeviceInfo> ports;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return ports;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    wchar_t value[256];
    DWORD name_length = 256;
    DWORD value_bytes = sizeof value;
    DWORD type = 0;
    const LONG rc = RegEnumValueW(key, i, name, &name_length, nullptr, &type,
                                  reinterpret_cast<BYTE*>(value), &value_bytes);
    if (rc != ERROR_SUCCESS) break;
    if (type != REG_SZ) continue;
    DeviceInfo port;
    port.dev_path = Narrow(std::wstring(value, wcsnlen(value, value_bytes / sizeof(wchar_t))));
    port.kind = std::string(kKindSerialPort);
    port.aliases = {"\\\\.\\" + port.dev_path};
    port.model = Narrow(std::wstring(name, name_length));  // \Device\Serial0, \Device\VCP0
    ports.push_back(std::move(port));
  }
  RegCloseKey(key);
  auto number = [](const DeviceInfo& d) { return std::atoi(d.dev_path.c_str() + 3); };
  std::sort(ports.begin(), ports.end(),
            [&](const DeviceInfo& a, const DeviceInfo& b) { return number(a) < number(b); });
  return ports;
}

Win32System::~Win32System() {
  for (auto& [pid, handle] : children_) CloseHandle(handle);
}

std::optional<std::string> Win32System::GetEnv(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

Result<ProcessId> Win32System::StartProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) return Status(ErrorCode::kInvalidArgument, "no program to start");
  std::wstring line = Win32CommandLine(argv);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    const DWORD error = GetLastError();
    const ErrorCode code = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                               ? ErrorCode::kNotFound
                           : error == ERROR_ACCESS_DENIED ? ErrorCode::kPermission
                                                          : ErrorCode::kIo;
    return Status(code, "cannot start " + argv[0] + ": " + WindowsErrorText(error));
  }
  CloseHandle(info.hThread);
  const ProcessId pid = static_cast<ProcessId>(info.dwProcessId);
  children_[pid] = info.hProcess;
  return pid;
}

ProcessPoll Win32System::PollProcess(ProcessId pid) {
  const auto found = children_.find(pid);
  if (found == children_.end()) return {};
  if (WaitForSingleObject(found->second, 0) == WAIT_TIMEOUT) return {ProcessState::kRunning, 0};
  DWORD code = 0;
  if (!GetExitCodeProcess(found->second, &code)) return {};
  return {ProcessState::kExited, static_cast<int>(code)};
}

void Win32System::ReleaseProcess(ProcessId pid) {
  const auto found = children_.find(pid);
  if (found == children_.end()) return;
  CloseHandle(found->second);
  children_.erase(found);
}

std::string Win32System::ProgramDirectory() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return Narrow(std::filesystem::path(path).parent_path().wstring());
}

}  // namespace qw77
