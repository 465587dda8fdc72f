#include "vprinter/endpoints/web/PlainFile.h"

#include <windows.h>

namespace qw77::vprinter::web {

namespace {

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

// A reparse point (a link or a junction) is opened as itself, not followed, and refused.
PlainFile::PlainFile(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return;
  constexpr DWORD kNotPlain =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  if ((info.dwFileAttributes & kNotPlain) != 0) return;
  open_ = true;
  size_ = static_cast<long long>((static_cast<unsigned long long>(info.nFileSizeHigh) << 32) |
                                 info.nFileSizeLow);
}

PlainFile::~PlainFile() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
}

std::size_t PlainFile::Read(char* buf, std::size_t capacity) {
  if (!open_) return 0;
  DWORD got = 0;
  const DWORD want = capacity > 0x10000000 ? 0x10000000 : static_cast<DWORD>(capacity);
  if (!ReadFile(AsHandle(handle_), buf, want, &got, nullptr)) return 0;
  return got;
}

}  // namespace qw77::vprinter::web
