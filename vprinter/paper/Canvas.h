// One ticket (or one part of a long one) as paper: a strip of fixed width in dots that grows
// downwards as it is fed. Each dot holds a grey level (255 paper, 0 full black) so that the
// print density shows. The strip is held in bands of kBandRows rows, and a band is only
// allocated once something is drawn on it: fed blank paper costs no memory, and a strip
// never needs one large block (whose reallocation would briefly need twice its size).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

class Canvas {
 public:
  static constexpr int kBandRows = 256;

  explicit Canvas(int width) : width_(width) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool inked() const { return inked_; }
  // Memory taken by the bands drawn on.
  std::size_t HeldBytes() const { return held_bands_ * BandBytes(); }

  // Makes the strip at least `rows` tall (fed paper is blank).
  void Grow(int rows);
  // Burns one dot at the given grey level; dots off the paper are dropped.
  void Mark(int x, int y, std::uint8_t ink);
  std::uint8_t At(int x, int y) const;

  // Writes an 8-bit grey PNG; the file appears whole or not at all.
  Status WritePng(const std::string& path) const;
  static Result<Canvas> ReadPng(const std::string& path);

  // Row y's dots, or null for a row nothing was drawn on (blank).
  const std::uint8_t* Row(int y) const;

 private:
  std::size_t BandBytes() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(kBandRows);
  }
  std::uint8_t* RowForDrawing(int y);

  int width_;
  int height_ = 0;
  bool inked_ = false;
  std::size_t held_bands_ = 0;
  std::vector<std::vector<std::uint8_t>> bands_;  // empty: a band nothing was drawn on
};

}  // namespace qw77::vprinter
