#include "cli/OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/Errno.h"
#include "base/FileReplace.h"

namespace qw77::cli {
namespace {

Status Failure(const std::string& path, int error_number) {
  return {ErrorCodeForErrno(error_number),
          "The ticket could not be written to " + path + " (" + ErrnoText(error_number) + ")."};
}

// Writes into what is already there: a device or a pipe cannot be replaced, and replacing
// one (as root, /dev/null) would be a disaster.
Status WriteInto(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return Failure(path, errno);
  int error_number = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) error_number = errno;
  if (std::fclose(file) != 0 && error_number == 0) error_number = errno;
  return error_number == 0 ? Status::Ok() : Failure(path, error_number);
}

}  // namespace

Status WriteFileWhole(const std::string& path, std::span<const std::uint8_t> bytes) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    target = fs::weakly_canonical(target, ec);
    if (ec) return Failure(path, ec.value());
  }
  const fs::file_status status = fs::status(target, ec);
  if (fs::is_directory(status)) return Failure(path, EISDIR);
  if (fs::exists(status) && !fs::is_regular_file(status)) return WriteInto(target.string(), bytes);

  const int error_number = ReplaceFile(target.string(), bytes);
  if (error_number != 0) return Failure(path, error_number);
  return Status::Ok();
}

Status WriteStream(std::ostream& out, std::span<const std::uint8_t> bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) {
    return {ErrorCode::kIo, "The ticket could not be written to standard output."};
  }
  return Status::Ok();
}

}  // namespace qw77::cli
