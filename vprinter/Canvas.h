// One ticket as paper: a strip of fixed width in dots that grows downwards as it is fed.
// Each dot holds a grey level (255 paper, 0 full black) so that the print density shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vprinter/Status.h"

namespace qw77::vprinter {

class Canvas {
 public:
  explicit Canvas(int width) : width_(width) {}

  int width() const { return width_; }
  int height() const { return height_; }
  bool inked() const { return inked_; }

  // Makes the strip at least `rows` tall (fed paper is blank).
  void Grow(int rows);
  // Burns one dot at the given grey level; dots off the paper are dropped.
  void Mark(int x, int y, std::uint8_t ink);
  std::uint8_t At(int x, int y) const;

  // Writes an 8-bit grey PNG; the file appears whole or not at all.
  Status WritePng(const std::string& path) const;
  static Result<Canvas> ReadPng(const std::string& path);

 private:
  int width_;
  int height_ = 0;
  bool inked_ = false;
  std::vector<std::uint8_t> dots_;
};

}  // namespace qw77::vprinter
