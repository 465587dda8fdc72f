#include <cctype>
#include <cerrno>
#include <charconv>
#include <fstream>

#include "transport/SystemNames.h"

namespace qw77 {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr int kMaxComPort = 256;

// The number of "COMn" (any case), 0 when it is not one.
int ComNumber(std::string_view name) {
  if (name.size() < 4) return 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  }
  int number = 0;
  const char* last = name.data() + name.size();
  const auto [stop, ec] = std::from_chars(name.data() + 3, last, number);
  if (ec != std::errc() || stop != last || name[3] == '0') return 0;
  return number;
}

std::string_view WithoutDevicePrefix(std::string_view spec) {
  return spec.rfind(kDevicePrefix, 0) == 0 ? spec.substr(kDevicePrefix.size()) : spec;
}

}  // namespace

std::string_view SerialSpecsTaken() {
  return "a COM port (COM1 to COM256, or \\\\.\\COMn) or tcp:HOST[:PORT]";
}

bool IsSerialDeviceSpec(std::string_view spec) {
  if (spec.rfind(kDevicePrefix, 0) == 0) return true;
  if (spec.size() < 3 || spec.find(':') != std::string_view::npos) return false;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(spec[i])) != "COM"[i]) return false;
  }
  return true;
}

std::string SerialDeviceProblem(std::string_view spec) {
  const int number = ComNumber(WithoutDevicePrefix(spec));
  if (number < 1 || number > kMaxComPort) {
    return "a COM port is COM1 to COM" + std::to_string(kMaxComPort);
  }
  return {};
}

std::string_view ParallelPortsMissing() {
  return "not available on Windows";
}

// cmd.exe takes a name in double quotes; a file name holds no double quote on Windows.
std::string RemoveFileCommand(const std::string& path) {
  return "del /f /q \"" + path + "\"";
}

std::string_view DefaultCommandInterpreter() {
  return "cmd.exe";
}

std::string_view RunOneCommandSwitch() {
  return "/c";
}

std::string DefaultSerialDevice(std::size_t index) {
  return "COM" + std::to_string(index + 1);
}

// %APPDATA%\qw77, where Windows programs keep a user's settings.
std::filesystem::path SettingsFolder(
    const std::function<std::optional<std::string>(std::string_view)>& env) {
  if (!env) return {};
  const std::filesystem::path base = env("APPDATA").value_or("");
  if (!base.is_absolute()) return {};
  return base / "qw77";
}

Status ReadSettingsFile(const std::filesystem::path& path, std::size_t max_bytes,
                        const std::string& what, std::optional<std::string>& text) {
  const std::string name = path.string();
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return Status::Ok();
  if (!std::filesystem::is_regular_file(status)) {
    return Status(ErrorCode::kFormat, what + " " + name + " is not a regular file");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (!ec && size > max_bytes) {
    return Status(ErrorCode::kFormat, what + " " + name + " is larger than " +
                                          std::to_string(max_bytes / 1024) + " KiB");
  }
  std::ifstream in(path, std::ios::binary);
  std::string content(static_cast<std::size_t>(ec ? 0 : size), '\0');
  if (!in || !in.read(content.data(), static_cast<std::streamsize>(content.size()))) {
    return Status(ErrorCode::kIo, "cannot read " + what + " " + name);
  }
  text = std::move(content);
  return Status::Ok();
}

}  // namespace qw77
