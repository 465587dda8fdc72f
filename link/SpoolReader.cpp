#include "link/SpoolReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "ticket/SpoolFile.h"

namespace qw77 {
namespace {

Status ReadFailure(const std::string& what, int error_number) {
  return {error_number == ENOENT ? ErrorCode::kNotFound : ErrorCode::kIo,
          what + ": " + std::strerror(error_number)};
}

}  // namespace

Result<std::vector<std::uint8_t>> ReadSpoolBytes() {
  const std::string name(kSpoolFileName);
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return ReadFailure("cannot open " + name, errno);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const int error_number = std::ferror(file) != 0 ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (error_number != 0) return ReadFailure("cannot read " + name, error_number);
  return bytes;
}

}  // namespace qw77
