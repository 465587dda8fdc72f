// Reading a logo bitmap file from disk, within the size any logo needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Status.h"

namespace qw77 {

// Reads a logo file whole. kNotFound when it does not exist, kPermission when it may not be
// read, kFormat when it is not a regular file or is larger than kMaxLogoFileBytes, kIo when
// reading fails part way.
Result<std::vector<std::uint8_t>> ReadLogoFile(const std::string& path);

}  // namespace qw77
