#include "transport/SpoolFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/Errno.h"
#include "base/FileReplace.h"

namespace qw77 {
namespace {

std::string CurrentDirectoryName() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::string("the current directory") : dir.string();
}

Status SpoolFailure(int error_number) {
  return {ErrorCodeForErrno(error_number),
          "The spool file " + std::string(kSpoolFileName) + " could not be written in " +
              CurrentDirectoryName() + " (" + ErrnoText(error_number) + ")."};
}

}  // namespace

Status WriteSpoolFile(std::span<const std::uint8_t> bytes) {
  const int error_number = ReplaceFile(std::string(kSpoolFileName), bytes);
  if (error_number != 0) return SpoolFailure(error_number);
  return Status::Ok();
}

Result<std::vector<std::uint8_t>> ReadSpoolBytes() {
  const std::string name(kSpoolFileName);
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return ErrnoStatus(errno, "cannot open " + name);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const int error_number = std::ferror(file) != 0 ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (error_number != 0) return ErrnoStatus(error_number, "cannot read " + name);
  return bytes;
}

}  // namespace qw77
