// The INI syntax the ports file is written in, read line by line:
//   [section]            a section header (the name between the brackets, as written)
//   name = value         or name: value; both sides trimmed
//   ; or # at the start  a comment; " ;" after a value starts a comment too
//   an indented line     continues the value of the key above (passed as another value)
// Blank lines are skipped, a UTF-8 byte order mark on the first line is dropped. Anything
// else is a syntax error; parsing goes on after one, and the first one's line is kept.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qw77 {

// The longest line taken, with its line break.
inline constexpr std::size_t kIniMaxLineChars = 198;

class IniLines {
 public:
  // Called for each value, with the section it is in ("" before the first header).
  using OnEntry =
      std::function<void(std::string_view section, std::string_view name, std::string_view value)>;
  explicit IniLines(OnEntry on_entry) : on_entry_(std::move(on_entry)) {}

  // Reads the next line (with or without its line break).
  void Take(std::string_view line);
  int line() const { return line_; }
  // The line of the first syntax error, 0 when there was none.
  int error_line() const { return error_line_; }

 private:
  void Fail() {
    if (error_line_ == 0) error_line_ = line_;
  }

  OnEntry on_entry_;
  std::string section_;
  std::string previous_name_;
  int line_ = 0;
  int error_line_ = 0;
};

}  // namespace qw77
