// Where compose puts its bytes: a file replaced whole, or a stream.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "base/Status.h"

namespace qw77::cli {

// Replaces the regular file at `path` with exactly `bytes`: they go to a new file beside
// it, renamed over it once complete, so the file is either the whole new ticket or left as
// it was. A symbolic link is followed (the file it names is replaced, the link stays). A
// device or a pipe (/dev/null, a FIFO) is written into directly; a folder is refused.
// The message of a failure names the path and the system's reason.
Status WriteFileWhole(const std::string& path, std::span<const std::uint8_t> bytes);

// Writes the bytes to the stream and flushes it; fails when the stream does.
Status WriteStream(std::ostream& out, std::span<const std::uint8_t> bytes);

}  // namespace qw77::cli
