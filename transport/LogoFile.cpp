#include "transport/LogoFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "base/Errno.h"
#include "protocol/LogoBlock.h"

namespace qw77 {

Result<std::vector<std::uint8_t>> ReadLogoFile(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    return Status(ErrorCode::kNotFound, "The logo file " + path + " was not found.");
  }
  if (!std::filesystem::is_regular_file(status)) {
    return Status(ErrorCode::kFormat, "The logo file " + path + " is not a file.");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    return Status(ErrorCode::kIo,
                  "The logo file " + path + " cannot be read (" + ec.message() + ").");
  }
  if (size > kMaxLogoFileBytes) {
    return Status(ErrorCode::kFormat, "The logo file " + path + " is " + std::to_string(size) +
                                          " bytes long, more than any logo needs.");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error_number = errno;
    return Status(ErrorCodeForErrno(error_number),
                  "The logo file " + path + " cannot be opened (" + ErrnoText(error_number) + ").");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
    return Status(ErrorCode::kIo, "The logo file " + path + " could not be read to its end.");
  }
  return bytes;
}

}  // namespace qw77
