// Writes black-and-white pictures as the 1-bit bitmap files the logo block reads: a 14-byte
// file header, a 40-byte information header, a two-entry palette (white, black) and the
// pixel rows from offset 62, bottom row first, each row padded to a multiple of 4 bytes.
// A black dot is stored as a set bit, leftmost dot in the most significant bit.
//
// Header-only and free of any dependency so that the build-time logo generator, the tests,
// the fuzz seeds and the benchmark can all draw with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qw77::assets {

class MonoPicture {
 public:
  MonoPicture(int width, int height)
      : width_(width),
        height_(height),
        dots_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

  int width() const { return width_; }
  int height() const { return height_; }

  // Row 0 is the top of the picture. Dots outside the picture are ignored.
  void Set(int x, int y, bool black = true) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    dots_[Index(x, y)] = black ? 1 : 0;
  }
  bool Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return dots_[Index(x, y)] != 0;
  }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  int width_;
  int height_;
  std::vector<std::uint8_t> dots_;
};

// Bytes per stored row: the dots rounded up to whole 32-bit words.
inline std::size_t MonoStride(int width) {
  return (static_cast<std::size_t>(width) + 31) / 32 * 4;
}

inline void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

inline std::vector<std::uint8_t> EncodeMonoBmp(const MonoPicture& picture) {
  const std::size_t stride = MonoStride(picture.width());
  const std::size_t data_bytes = stride * static_cast<std::size_t>(picture.height());
  const std::size_t kDataOffset = 62;
  std::vector<std::uint8_t> out(kDataOffset + data_bytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe(out, 2, static_cast<std::uint32_t>(out.size()), 4);
  PutLe(out, 10, static_cast<std::uint32_t>(kDataOffset), 4);
  PutLe(out, 14, 40, 4);  // information header size
  PutLe(out, 18, static_cast<std::uint32_t>(picture.width()), 4);
  PutLe(out, 22, static_cast<std::uint32_t>(picture.height()), 4);
  PutLe(out, 26, 1, 2);  // planes
  PutLe(out, 28, 1, 2);  // bits per pixel
  PutLe(out, 30, 0, 4);  // no compression
  PutLe(out, 34, static_cast<std::uint32_t>(data_bytes), 4);
  PutLe(out, 38, 8000, 4);  // 203 dots per inch, in dots per metre
  PutLe(out, 42, 8000, 4);
  PutLe(out, 46, 2, 4);           // colours used
  PutLe(out, 50, 2, 4);           // colours important
  PutLe(out, 54, 0x00FFFFFF, 4);  // index 0: white
  PutLe(out, 58, 0x00000000, 4);  // index 1: black
  for (int y = 0; y < picture.height(); ++y) {
    // Stored bottom row first.
    const std::size_t row =
        kDataOffset + stride * static_cast<std::size_t>(picture.height() - 1 - y);
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.Get(x, y)) {
        out[row + static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return out;
}

}  // namespace qw77::assets
