// Pictures from disk for the printer tools: a BMP or PNG file of any size and colour depth
// read as grey, and a one-bit picture written as a PNG file to look at before it is sent.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/Status.h"
#include "protocol/MaintenanceCommands.h"

namespace qw77 {

// The most dots a picture may have before it is scaled (16 million).
inline constexpr std::size_t kMaxPictureDots = std::size_t{1} << 24;

// A BMP (1, 4, 8, 24 or 32 bits a dot, uncompressed) or PNG file's bytes as grey; what is
// transparent shows as white. kFormat, saying why and starting with `label`, otherwise.
Result<GrayImage> DecodePicture(std::span<const std::uint8_t> file, const std::string& label);

// The file at `path` read whole (within kMaxLogoFileBytes) and decoded.
Result<GrayImage> ReadPicture(const std::string& path);

// Writes black (a printed dot) and white as an 8-bit grey PNG, replacing `path` whole.
Status WritePng(const DotImage& image, const std::string& path);

}  // namespace qw77
