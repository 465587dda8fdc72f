// The ticket's logo: a black-and-white bitmap file beside the program (or, for an installed
// program, in its data folder), sent as one raster image command (GS v 0), top row first,
// a set bit printing a dot.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

namespace qw77 {

class FrmMenu;
class WindowState;

// Bounds on what we send. A raster image of the usual thermal printers is at most 128
// bytes (1024 dots) wide and 4095 rows high; 80 mm paper prints 576 dots. So a logo holds
// at most 128 x 4095 bytes (512 KiB), and a file larger than kMaxLogoFileBytes is refused
// before it is read at all.
inline constexpr int kMaxLogoWidthDots = 1024;
inline constexpr int kMaxLogoHeightRows = 4095;
inline constexpr std::size_t kMaxLogoFileBytes = 4u << 20;

// "SPACE.BMP", "ORVAL.BMP" or, for any other index, "CUADROS.BMP".
std::string_view LogoFileName(int option_index);

// The selected index of the Option1 array (2 when none of the first two is selected).
int SelectedLogoOption(const WindowState& state);

// The full path of the chosen logo: the program's directory (the current one when no
// system service is bound) and the file name.
std::string LogoPath(FrmMenu& frm, int option_index);

// Where the chosen logo is read from: LogoPath when anything is there (so a build tree's
// own logos, and a broken file beside the program, are never passed over); otherwise the
// same name in the system's installed data folder when that is there. kNotFound when it
// is in neither place, naming both (or only the first, when there is no data folder).
Result<std::string> FindLogo(FrmMenu& frm, int option_index);

// Appends the GS v 0 block for the bitmap file `file`. The file must be a Windows bitmap
// with an information header of at least 40 bytes, 1 plane, 1 bit per pixel, no compression,
// a width of 1..kMaxLogoWidthDots and a height of 1..kMaxLogoHeightRows (rows stored bottom
// first, which a positive height says). Rows are read from the file's stated pixel-data
// offset (62 for the plain layout), each stored row padded to a multiple of 4 bytes; each
// printed row is the width in bytes rounded up, with any dots past the width cleared. The
// palette is not consulted: a set bit prints. On failure nothing is appended and the
// message is a sentence that starts with `label`.
Status AppendLogoBlock(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> file,
                       std::string_view label = "The logo file");

// Reads a logo file whole. kNotFound when it does not exist, kPermission when it may not be
// read, kFormat when it is not a regular file or is larger than kMaxLogoFileBytes, kIo when
// reading fails part way.
Result<std::vector<std::uint8_t>> ReadLogoFile(const std::string& path);

}  // namespace qw77
