#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

// windows.h names its own ReplaceFile function with a macro.
#undef ReplaceFile

#include "base/FileReplace.h"

namespace qw77 {
namespace {

// The temporary's name beside `path`: its folder, a dot, its name and our own suffix.
std::wstring TemporaryName(const std::filesystem::path& path, unsigned counter) {
  return (path.parent_path() /
          (L"." + path.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(counter)))
      .wstring();
}

int CreateTemporary(const std::filesystem::path& path, std::wstring& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TemporaryName(path, counter.fetch_add(1));
    const int fd = _wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// What a failed MoveFileEx means, as the errno the callers know.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

}  // namespace

int WriteWhole(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const unsigned piece =
        static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    const int n = _write(fd, bytes.data() + done, piece);
    if (n < 0) return errno;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// Windows renames over a file only when asked to, and not over a folder.
int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path target(path);
  std::error_code ec;
  if (std::filesystem::is_directory(target, ec)) return EISDIR;
  std::wstring temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return errno;
  int error_number = WriteWhole(fd, bytes);
  if (_close(fd) != 0 && error_number == 0) error_number = errno;
  if (error_number == 0 && !MoveFileExW(temporary.c_str(), target.wstring().c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error_number = ErrnoOf(GetLastError());
  }
  if (error_number != 0) _wunlink(temporary.c_str());
  return error_number;
}

}  // namespace qw77
