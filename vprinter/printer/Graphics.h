// Graphics the printer holds between commands: the one graphic waiting in the print buffer,
// and the graphics defined in its non-volatile memory, kept by key code for as long as the
// printer runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "vprinter/paper/Renderer.h"

namespace qw77::vprinter {

// Room for graphics in non-volatile memory, counted as the bytes of their data (a bit a
// dot), so that a stream of definitions cannot make the printer grow without bound.
inline constexpr std::size_t kNvGraphicsBytes = std::size_t{256} << 10;

class NvGraphics {
 public:
  // Stores `dots` under `key`, replacing a graphic already there; false (and nothing
  // changed) when `data_bytes` more would pass kNvGraphicsBytes.
  bool Define(int key, Bitmap dots, std::size_t data_bytes);
  const Bitmap* Find(int key) const;
  bool Erase(int key);
  void Clear();
  std::size_t used_bytes() const { return used_bytes_; }
  std::size_t count() const { return graphics_.size(); }
  // Calls f(key, dots, data_bytes) for each graphic, in the order of their keys.
  template <class F>
  void ForEach(F f) const {
    for (const auto& [key, stored] : graphics_) f(key, stored.dots, stored.data_bytes);
  }

 private:
  struct Stored {
    Bitmap dots;
    std::size_t data_bytes;
  };
  std::map<int, Stored> graphics_;
  std::size_t used_bytes_ = 0;
};

struct GraphicsMemory {
  NvGraphics nv;
  Bitmap buffer;  // width 0: nothing stored
  int buffer_scale_x = 1;
  int buffer_scale_y = 1;
};

}  // namespace qw77::vprinter
