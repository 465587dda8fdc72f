#include "link/SpoolFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "link/JobState.h"

namespace qw77 {
namespace {

Status IoFailure(const std::string& what) {
  const int err = errno;
  return {err == ENOENT ? ErrorCode::kNotFound : ErrorCode::kIo, what + ": " + std::strerror(err)};
}

}  // namespace

Result<std::vector<std::uint8_t>> ReadSpoolBytes() {
  std::FILE* file = std::fopen(kSpoolFile, "rb");
  if (file == nullptr) return IoFailure(std::string("cannot open ") + kSpoolFile);
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(file) != 0;
  Status failure = failed ? IoFailure(std::string("cannot read ") + kSpoolFile) : Status();
  std::fclose(file);
  if (failed) return failure;
  return bytes;
}

Status ReplaceSpoolFile(std::span<const std::uint8_t> bytes) {
  const std::string temp = std::string(kSpoolFile) + ".new";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (file == nullptr) return IoFailure("cannot create " + temp);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  Status failure = written ? Status() : IoFailure("cannot write " + temp);
  if (std::fclose(file) != 0 && written) failure = IoFailure("cannot write " + temp);
  if (!failure.ok()) {
    std::remove(temp.c_str());
    return failure;
  }
  std::error_code ec;
  std::filesystem::rename(temp, kSpoolFile, ec);
  if (ec) {
    std::remove(temp.c_str());
    return {ErrorCode::kIo, std::string("cannot replace ") + kSpoolFile + ": " + ec.message()};
  }
  return Status::Ok();
}

}  // namespace qw77
