#include "vprinter/printer/Graphics.h"

#include <algorithm>

namespace qw77::vprinter {
namespace {

Bitmap Blank(int width, int height) {
  Bitmap b;
  b.width = std::max(0, width);
  b.height = std::max(0, height);
  b.dots.assign(static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height), 0);
  return b;
}

void Set(Bitmap& b, int x, int y) {
  b.dots[static_cast<std::size_t>(y) * static_cast<std::size_t>(b.width) +
         static_cast<std::size_t>(x)] = 1;
}

bool Bit(std::span<const std::uint8_t> data, std::size_t at, int bit) {
  return at < data.size() && ((data[at] >> (7 - bit)) & 1) != 0;
}

}  // namespace

Bitmap RasterToBitmap(int width, int height, std::span<const std::uint8_t> data) {
  Bitmap b = Blank(width, height);
  const std::size_t row_bytes = (static_cast<std::size_t>(b.width) + 7) / 8;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (Bit(data, static_cast<std::size_t>(y) * row_bytes + static_cast<std::size_t>(x / 8),
              x % 8)) {
        Set(b, x, y);
      }
    }
  }
  return b;
}

Bitmap ColumnsToBitmap(int width, int height, std::span<const std::uint8_t> data) {
  Bitmap b = Blank(width, height);
  const std::size_t column_bytes = (static_cast<std::size_t>(b.height) + 7) / 8;
  for (int x = 0; x < b.width; ++x) {
    for (int y = 0; y < b.height; ++y) {
      if (Bit(data, static_cast<std::size_t>(x) * column_bytes + static_cast<std::size_t>(y / 8),
              y % 8)) {
        Set(b, x, y);
      }
    }
  }
  return b;
}

Bitmap Scaled(const Bitmap& bitmap, int scale_x, int scale_y) {
  Bitmap b = Blank(bitmap.width * scale_x, bitmap.height * scale_y);
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (bitmap.At(x / scale_x, y / scale_y)) Set(b, x, y);
    }
  }
  return b;
}

Bitmap Cropped(const Bitmap& bitmap, int width) {
  Bitmap b = Blank(std::min(width, bitmap.width), bitmap.height);
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (bitmap.At(x, y)) Set(b, x, y);
    }
  }
  return b;
}

bool NvGraphics::Define(int key, Bitmap dots, std::size_t data_bytes) {
  const auto old = graphics_.find(key);
  const std::size_t freed = old == graphics_.end() ? 0 : old->second.data_bytes;
  if (used_bytes_ - freed + data_bytes > kNvGraphicsBytes) return false;
  used_bytes_ = used_bytes_ - freed + data_bytes;
  graphics_[key] = Stored{std::move(dots), data_bytes};
  return true;
}

const Bitmap* NvGraphics::Find(int key) const {
  const auto it = graphics_.find(key);
  return it == graphics_.end() ? nullptr : &it->second.dots;
}

bool NvGraphics::Erase(int key) {
  const auto it = graphics_.find(key);
  if (it == graphics_.end()) return false;
  used_bytes_ -= it->second.data_bytes;
  graphics_.erase(it);
  return true;
}

void NvGraphics::Clear() {
  graphics_.clear();
  used_bytes_ = 0;
}

}  // namespace qw77::vprinter
