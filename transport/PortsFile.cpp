#include "transport/PortsFile.h"

#include <fcntl.h>
#include <ini.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "base/Errno.h"

namespace qw77 {
namespace {

constexpr std::string_view kSection = "ports";
// A ports file is a handful of lines; anything much larger is not one.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<PortName> PortFromKey(std::string_view key) {
  for (PortName port : kPortNames) {
    if (EqualsIgnoringCase(key, PortNameText(port))) return port;
  }
  return std::nullopt;
}

// The parse in progress: the file's text handed to inih line by line (so that each handler
// call knows its line number, which this build of inih does not pass), the bindings so far
// and the first fault found.
struct FileParse {
  std::string file_name;
  std::string_view text;
  std::size_t pos = 0;
  int line = 0;
  PortsFileBindings bindings;
  std::array<int, 5> binding_lines{};
  int fault_line = 0;
  std::string fault;

  void Fail(int at_line, std::string what) {
    if (fault_line != 0) return;
    fault_line = at_line;
    fault = std::move(what);
  }

  // A section header ("[name]") for a section this file does not take. inih calls the handler
  // only for keys, so an empty foreign section would otherwise pass unseen.
  void CheckSectionHeader(std::string_view raw) {
    if (line == 1 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.front()))) {
      raw.remove_prefix(1);
    }
    if (raw.empty() || raw.front() != '[') return;
    const std::size_t close = raw.find(']');
    if (close == std::string_view::npos) return;  // inih reports it as a syntax error
    const std::string_view name = raw.substr(1, close - 1);
    if (!EqualsIgnoringCase(name, kSection)) {
      Fail(line, "[" + std::string(name) + "] is no section of this file, which takes [ports]");
    }
  }
};

char* ReadLine(char* buffer, int size, void* stream) {
  auto* parse = static_cast<FileParse*>(stream);
  if (parse->pos >= parse->text.size() || parse->fault_line != 0) return nullptr;
  const std::string_view rest = parse->text.substr(parse->pos);
  const std::size_t newline = rest.find('\n');
  const std::string_view raw =
      newline == std::string_view::npos ? rest : rest.substr(0, newline + 1);
  ++parse->line;
  // inih would take the rest of an over-long line as a line of its own, and stop reading a
  // line at a NUL: either would make it parse something other than what the file says.
  if (raw.size() > static_cast<std::size_t>(size - 1)) {
    parse->Fail(parse->line, "the line is longer than " + std::to_string(size - 2) + " characters");
    return nullptr;
  }
  // Nor may a key or section name carry a control character into a message.
  const bool control = std::any_of(raw.begin(), raw.end(), [](unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
  });
  if (control) {
    parse->Fail(parse->line, "the line holds a control character");
    return nullptr;
  }
  std::memcpy(buffer, raw.data(), raw.size());
  buffer[raw.size()] = '\0';
  parse->pos += raw.size();
  parse->CheckSectionHeader(raw);
  return buffer;
}

int OnEntry(void* user, const char* section, const char* name, const char* value) {
  auto* parse = static_cast<FileParse*>(user);
  const int line = parse->line;
  if (!EqualsIgnoringCase(section, kSection)) {
    // A key of a foreign section: its header was reported already.
    if (*section == '\0') parse->Fail(line, std::string(name) + " stands before the [ports] line");
    return 1;
  }
  const std::optional<PortName> port = PortFromKey(name);
  if (!port) {
    parse->Fail(line, "\"" + std::string(name) +
                          "\" is no port; the keys are COM1, COM2, COM3, LPT1 and LPT2");
    return 1;
  }
  const std::size_t index = PortIndex(*port);
  if (parse->bindings[index]) {
    parse->Fail(line, std::string(PortNameText(*port)) + " is set already on line " +
                          std::to_string(parse->binding_lines[index]));
    return 1;
  }
  Result<Endpoint> endpoint = ParseEndpoint(*port, value);
  if (!endpoint) {
    parse->Fail(line, endpoint.status().message());
    return 1;
  }
  parse->bindings[index] =
      Binding{std::move(*endpoint), parse->file_name + " line " + std::to_string(line)};
  parse->binding_lines[index] = line;
  return 1;
}

// The whole file, or nullopt in `text` when there is none.
Status ReadWholeFile(const std::filesystem::path& path, std::optional<std::string>& text) {
  const std::string name = path.string();
  // O_NONBLOCK: a FIFO put where the file belongs must not hang start-up.
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return Status::Ok();
    return ErrnoStatus(error, "cannot read the ports file " + name);
  }
  struct stat info {};
  Status status;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    status = Status(ErrorCode::kFormat, "the ports file " + name + " is not a regular file");
  } else if (static_cast<std::size_t>(info.st_size) > kMaxFileBytes) {
    status = Status(ErrorCode::kFormat, "the ports file " + name + " is larger than " +
                                            std::to_string(kMaxFileBytes / 1024) + " KiB");
  } else {
    std::string content;
    char chunk[4096];
    for (;;) {
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        status = ErrnoStatus(errno, "cannot read the ports file " + name);
        break;
      }
      if (got == 0) break;
      content.append(chunk, static_cast<std::size_t>(got));
      if (content.size() > kMaxFileBytes) {
        status = Status(ErrorCode::kFormat, "the ports file " + name + " is larger than " +
                                                std::to_string(kMaxFileBytes / 1024) + " KiB");
        break;
      }
    }
    if (status.ok()) text = std::move(content);
  }
  ::close(fd);
  return status;
}

}  // namespace

Result<PortsFileBindings> ReadPortsFile(const std::filesystem::path& path) {
  std::optional<std::string> text;
  if (Status status = ReadWholeFile(path, text); !status) return status;
  if (!text) return PortsFileBindings{};

  FileParse parse;
  parse.file_name = path.string();
  parse.text = *text;
  const int syntax_line = ini_parse_stream(&ReadLine, &parse, &OnEntry, &parse);
  if (syntax_line < 0) {
    return Status(ErrorCode::kIo, "cannot parse the ports file " + parse.file_name);
  }
  // inih goes on after a syntax error; the first fault of either kind is the one to report.
  if (syntax_line > 0 && (parse.fault_line == 0 || syntax_line < parse.fault_line)) {
    parse.fault_line = syntax_line;
    parse.fault = "expected [ports], KEY = SPEC or a comment";
  }
  if (parse.fault_line != 0) {
    return Status(
        ErrorCode::kInvalidArgument,
        parse.file_name + " line " + std::to_string(parse.fault_line) + ": " + parse.fault);
  }
  return parse.bindings;
}

}  // namespace qw77
