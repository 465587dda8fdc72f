#include "transport/IniLines.h"

#include <cctype>

namespace qw77 {
namespace {

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Where one of `stops` is, or a ';' after white space (a comment), or the end.
std::size_t StopOrComment(std::string_view s, std::string_view stops) {
  bool after_space = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (stops.find(s[i]) != std::string_view::npos) return i;
    if (after_space && s[i] == ';') return i;
    after_space = IsSpace(s[i]);
  }
  return s.size();
}

}  // namespace

void IniLines::Take(std::string_view raw) {
  ++line_;
  if (line_ == 1 && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
  const bool indented = !raw.empty() && IsSpace(raw.front());
  const std::string_view text = Trim(raw);
  if (text.empty() || text.front() == ';' || text.front() == '#') return;
  if (indented && !previous_name_.empty()) {
    on_entry_(section_, previous_name_, Trim(text.substr(0, StopOrComment(text, ""))));
    return;
  }
  if (text.front() == '[') {
    const std::size_t close = StopOrComment(text.substr(1), "]") + 1;
    if (close >= text.size() || text[close] != ']') return Fail();
    section_ = std::string(text.substr(1, close - 1));
    previous_name_.clear();
    return;
  }
  const std::size_t equals = StopOrComment(text, "=:");
  if (equals >= text.size() || text[equals] == ';') return Fail();
  const std::string_view name = Trim(text.substr(0, equals));
  std::string_view value = text.substr(equals + 1);
  value = Trim(value.substr(0, StopOrComment(value, "")));
  previous_name_ = std::string(name);
  on_entry_(section_, name, value);
}

}  // namespace qw77
