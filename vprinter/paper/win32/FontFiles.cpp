#include <windows.h>

#include <filesystem>

#include "vprinter/paper/FontFiles.h"

namespace qw77::vprinter {

// The same fonts as on Linux, shipped in a "fonts" folder beside the program.
FontFiles DefaultFontFiles() {
  std::wstring exe(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  exe.resize(length);
  const std::filesystem::path dir = std::filesystem::path(exe).parent_path() / "fonts";
  return {(dir / "Uni2-Terminus24x12.psf.gz").string(), (dir / "Uni2-Terminus16.psf.gz").string(),
          (dir / "unifont.hex").string(),
          "the fonts folder belongs beside qw77-vprinter.exe, as the zip has it"};
}

}  // namespace qw77::vprinter
