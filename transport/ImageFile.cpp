#include "transport/ImageFile.h"

#include <png.h>

#include <array>
#include <cstring>
#include <vector>

#include "base/Errno.h"
#include "base/FileReplace.h"
#include "transport/LogoFile.h"

namespace qw77 {
namespace {

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint8_t Grey(int r, int g, int b) {
  return static_cast<std::uint8_t>((299 * r + 587 * g + 114 * b) / 1000);
}

Status Refused(const std::string& label, const std::string& why) {
  return {ErrorCode::kFormat, label + " " + why + "."};
}

struct BmpLayout {
  std::size_t data_at = 0, palette_at = 0, palette_size = 0, stride = 0;
  int width = 0, height = 0, bits = 0;
  bool top_down = false;
};

Result<BmpLayout> ReadBmpHeader(std::span<const std::uint8_t> f, const std::string& label) {
  if (f.size() < 54) return Refused(label, "is too short for a BMP file");
  BmpLayout l;
  const std::uint32_t info = U32(f, 14), compression = U32(f, 30), colours = U32(f, 46);
  const auto height = static_cast<std::int32_t>(U32(f, 22));
  l.width = static_cast<std::int32_t>(U32(f, 18));
  l.top_down = height < 0;
  l.height = l.top_down ? -height : height;
  l.bits = U16(f, 28);
  if (info < 40 || 14 + std::size_t{info} > f.size()) return Refused(label, "has no BMP header");
  if (compression != 0) return Refused(label, "is a compressed BMP, which is not read");
  if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 24 && l.bits != 32) {
    return Refused(label, "has " + std::to_string(l.bits) + " bits a dot, not 1, 4, 8, 24 or 32");
  }
  if (l.width < 1 || l.height < 1 || std::size_t(l.width) * l.height > kMaxPictureDots) {
    return Refused(label, "has no size a printer can take");
  }
  l.palette_at = 14 + info;
  l.palette_size = l.bits <= 8 ? (colours ? colours : 1u << l.bits) : 0;
  l.data_at = U32(f, 10);
  l.stride = (std::size_t(l.width) * l.bits + 31) / 32 * 4;
  if (l.palette_at + 4 * l.palette_size > f.size() || l.data_at > f.size() ||
      l.stride * l.height > f.size() - l.data_at) {
    return Refused(label, "ends before its pictures' dots");
  }
  return l;
}

Result<GrayImage> DecodeBmp(std::span<const std::uint8_t> f, const std::string& label) {
  Result<BmpLayout> layout = ReadBmpHeader(f, label);
  if (!layout) return layout.status();
  const BmpLayout& l = *layout;
  GrayImage out{l.width, l.height, std::vector<std::uint8_t>(std::size_t(l.width) * l.height)};
  for (int y = 0; y < l.height; ++y) {
    const std::size_t row = l.data_at + l.stride * std::size_t(l.top_down ? y : l.height - 1 - y);
    for (int x = 0; x < l.width; ++x) {
      std::uint8_t& dot = out.gray[std::size_t(y) * l.width + x];
      if (l.bits >= 24) {
        const std::size_t p = row + std::size_t(x) * (l.bits / 8);
        dot = Grey(f[p + 2], f[p + 1], f[p]);
        continue;
      }
      const std::size_t bit = std::size_t(x) * l.bits;
      const int index = (f[row + bit / 8] >> (8 - l.bits - bit % 8)) & ((1 << l.bits) - 1);
      if (std::size_t(index) >= l.palette_size) return Refused(label, "uses a colour it lacks");
      const std::size_t p = l.palette_at + 4 * std::size_t(index);
      dot = Grey(f[p + 2], f[p + 1], f[p]);
    }
  }
  return out;
}

Result<GrayImage> DecodePng(std::span<const std::uint8_t> file, const std::string& label) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
    return Refused(label,
                   std::string("is no PNG picture that can be read (") + image.message + ")");
  }
  if (image.width < 1 || image.height < 1 ||
      std::size_t(image.width) * image.height > kMaxPictureDots) {
    png_image_free(&image);
    return Refused(label, "has no size a printer can take");
  }
  image.format = PNG_FORMAT_GRAY;
  GrayImage out{static_cast<int>(image.width), static_cast<int>(image.height),
                std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, out.gray.data(), 0, nullptr)) {
    return Refused(label, std::string("could not be read to its end (") + image.message + ")");
  }
  return out;
}

}  // namespace

Result<GrayImage> DecodePicture(std::span<const std::uint8_t> file, const std::string& label) {
  static constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                                0x0D, 0x0A, 0x1A, 0x0A};
  if (file.size() >= 8 && std::equal(kPngSignature.begin(), kPngSignature.end(), file.begin())) {
    return DecodePng(file, label);
  }
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return DecodeBmp(file, label);
  return Refused(label, "is neither a BMP nor a PNG picture");
}

Result<GrayImage> ReadPicture(const std::string& path) {
  Result<std::vector<std::uint8_t>> bytes = ReadLogoFile(path);
  if (!bytes) return bytes.status();
  return DecodePicture(*bytes, "The picture " + path);
}

Status WritePng(const DotImage& image, const std::string& path) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_GRAY;
  std::vector<std::uint8_t> grey(image.dots.size());
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = image.dots[i] ? 0 : 255;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(png, size, 0, grey.data(), 0, nullptr)) {
    return {ErrorCode::kIo,
            "The picture could not be made into a PNG (" + std::string(png.message) + ")."};
  }
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, grey.data(), 0, nullptr)) {
    return {ErrorCode::kIo,
            "The picture could not be made into a PNG (" + std::string(png.message) + ")."};
  }
  bytes.resize(size);
  if (const int error = ReplaceFile(path, bytes); error != 0) {
    return ErrnoStatus(error, "The preview " + path + " could not be written");
  }
  return Status::Ok();
}

}  // namespace qw77
