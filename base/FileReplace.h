// Writing a whole file so that a reader sees either the old contents or the new, never half.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qw77 {

// Writes `bytes` to a temporary file of our own beside `path` (".<name>.<pid>.<n>", created
// exclusively so that two writers never share one) and renames it over `path`. Returns 0, or
// the errno of the step that failed; the temporary is gone again then and `path` untouched.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes every byte to the open descriptor `fd`, going on after an interrupted call.
// Returns 0, or the errno of the write that failed.
int WriteWhole(int fd, std::span<const std::uint8_t> bytes);

}  // namespace qw77
