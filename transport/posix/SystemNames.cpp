#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Errno.h"
#include "transport/ShellRunner.h"
#include "transport/SystemNames.h"

namespace qw77 {

std::string_view SerialSpecsTaken() {
  return "a serial device path (/dev/ttyUSB0), tcp:HOST[:PORT] or usblp:/dev/usb/lpN";
}

bool IsSerialDeviceSpec(std::string_view spec) {
  return !spec.empty() && spec.front() == '/';
}

std::string SerialDeviceProblem(std::string_view spec) {
  if (spec.empty()) return "the device path is missing";
  if (spec.front() != '/') return "a device path must be absolute";
  return {};
}

std::string_view ParallelPortsMissing() {
  return {};
}

std::string RemoveFileCommand(const std::string& path) {
  if (path == "tempo.txt") return std::string(kDeleteSpoolCommand);
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return "rm -f -- " + quoted + "'";
}

std::string_view DefaultCommandInterpreter() {
  return "/bin/sh";
}

std::string_view RunOneCommandSwitch() {
  return "-c";
}

std::string DefaultSerialDevice(std::size_t index) {
  return "/dev/ttyS" + std::to_string(index);
}

// $XDG_CONFIG_HOME, or ~/.config when that is unset, empty or relative (which the XDG rules
// say to ignore).
std::filesystem::path SettingsFolder(
    const std::function<std::optional<std::string>(std::string_view)>& env) {
  auto value = [&](std::string_view name) -> std::string {
    if (!env) return {};
    return env(name).value_or("");
  };
  std::filesystem::path base = value("XDG_CONFIG_HOME");
  if (!base.is_absolute()) {
    const std::string home = value("HOME");
    if (home.empty()) return {};
    base = std::filesystem::path(home) / ".config";
  }
  return base / "qw77";
}

Status ReadSettingsFile(const std::filesystem::path& path, std::size_t max_bytes,
                        const std::string& what, std::optional<std::string>& text) {
  const std::string name = path.string();
  // O_NONBLOCK: a FIFO put where the file belongs must not hang start-up.
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Status::Ok();
    return ErrnoStatus(error, "cannot read " + what + " " + name);
  }
  struct stat info {};
  Status status;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    status = Status(ErrorCode::kFormat, what + " " + name + " is not a regular file");
  } else if (static_cast<std::size_t>(info.st_size) > max_bytes) {
    status = Status(ErrorCode::kFormat, what + " " + name + " is larger than " +
                                            std::to_string(max_bytes / 1024) + " KiB");
  } else {
    std::string content;
    char chunk[4096];
    for (;;) {
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        status = ErrnoStatus(errno, "cannot read " + what + " " + name);
        break;
      }
      if (got == 0) break;
      content.append(chunk, static_cast<std::size_t>(got));
      if (content.size() > max_bytes) {
        status = Status(ErrorCode::kFormat, what + " " + name + " is larger than " +
                                                std::to_string(max_bytes / 1024) + " KiB");
        break;
      }
    }
    if (status.ok()) text = std::move(content);
  }
  ::close(fd);
  return status;
}

}  // namespace qw77
