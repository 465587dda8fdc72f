#include "transport/PortsFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "base/Errno.h"
#include "transport/IniLines.h"
#include "transport/SystemNames.h"

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

// The parse in progress: the line being read, the bindings so far and the first fault found.
struct FileParse {
  std::string file_name;
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

  // A line the INI reader must not see: one longer than it takes, or one with a control
  // character (a NUL would end the line early, an escape would reach a message).
  bool CheckLine(std::string_view raw) {
    if (raw.size() > kIniMaxLineChars + 1) {
      Fail(line, "the line is longer than " + std::to_string(kIniMaxLineChars) + " characters");
      return false;
    }
    const bool control = std::any_of(raw.begin(), raw.end(), [](unsigned char c) {
      return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
    });
    if (control) Fail(line, "the line holds a control character");
    return !control;
  }

  // A section header ("[name]") for a section this file does not take. The reader reports
  // only keys, so an empty foreign section would otherwise pass unseen.
  void CheckSectionHeader(std::string_view raw) {
    if (line == 1 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.front()))) {
      raw.remove_prefix(1);
    }
    if (raw.empty() || raw.front() != '[') return;
    const std::size_t close = raw.find(']');
    if (close == std::string_view::npos) return;  // the reader reports it as a syntax error
    const std::string_view name = raw.substr(1, close - 1);
    if (!EqualsIgnoringCase(name, kSection)) {
      Fail(line, "[" + std::string(name) + "] is no section of this file, which takes [ports]");
    }
  }

  void OnEntry(std::string_view section, std::string_view name, std::string_view value) {
    if (!EqualsIgnoringCase(section, kSection)) {
      // A key of a foreign section: its header was reported already.
      if (section.empty()) Fail(line, std::string(name) + " stands before the [ports] line");
      return;
    }
    const std::optional<PortName> port = PortFromKey(name);
    if (!port) {
      Fail(line, "\"" + std::string(name) +
                     "\" is no port; the keys are COM1, COM2, COM3, LPT1 and LPT2");
      return;
    }
    const std::size_t index = PortIndex(*port);
    if (bindings[index]) {
      Fail(line, std::string(PortNameText(*port)) + " is set already on line " +
                     std::to_string(binding_lines[index]));
      return;
    }
    Result<Endpoint> endpoint = ParseEndpoint(*port, value);
    if (!endpoint) {
      Fail(line, endpoint.status().message());
      return;
    }
    bindings[index] = Binding{std::move(*endpoint), file_name + " line " + std::to_string(line)};
    binding_lines[index] = line;
  }
};

}  // namespace

Result<PortsFileBindings> ReadPortsFile(const std::filesystem::path& path) {
  std::optional<std::string> text;
  if (Status status = ReadSettingsFile(path, kMaxFileBytes, "the ports file", text); !status) {
    return status;
  }
  if (!text) return PortsFileBindings{};

  FileParse parse;
  parse.file_name = path.string();
  IniLines ini([&parse](std::string_view section, std::string_view name, std::string_view value) {
    parse.OnEntry(section, name, value);
  });
  std::string_view rest = *text;
  while (!rest.empty() && parse.fault_line == 0) {
    const std::size_t newline = rest.find('\n');
    const std::string_view raw =
        newline == std::string_view::npos ? rest : rest.substr(0, newline + 1);
    rest.remove_prefix(raw.size());
    ++parse.line;
    if (!parse.CheckLine(raw)) break;
    parse.CheckSectionHeader(raw);
    ini.Take(raw);
  }
  const int syntax_line = ini.error_line();
  // The reader goes on after a syntax error; the first fault of either kind is the one to report.
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
