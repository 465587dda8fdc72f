// A font in the .hex format GNU Unifont ships: one line a character, "XXXX:" and 32 or 64
// hex digits (16 rows of 8 or 16 dots), in code point order. It covers every character of
// the code pages, so it fills in what the console fonts lack.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vprinter/paper/PsfFont.h"
#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

struct HexGlyph {
  int width = 8;  // 8 or 16
  static constexpr int kHeight = 16;
  std::array<std::uint16_t, kHeight> rows{};  // the leftmost dot in the highest bit used
  bool Dot(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < kHeight && ((rows[y] >> (width - 1 - x)) & 1);
  }
};

class HexFont {
 public:
  static Result<HexFont> Load(const std::string& path);
  explicit HexFont(std::string text) : text_(std::move(text)) {}

  // The glyph of `code_point`; none when the font lacks it or its line is malformed. The
  // lines are searched where they lie (by their order), not parsed up front: the printer
  // wants a few hundred of the font's 57,000 characters.
  std::optional<HexGlyph> Find(char32_t code_point) const;

 private:
  std::string text_;
};

// Adds `glyph` to `font` as the glyph of `code_point`, scaled to the font's cell: each dot
// of the cell is burnt where any dot of the part of the glyph it covers is.
void AddScaledGlyph(PsfFont& font, char32_t code_point, const HexGlyph& glyph);

}  // namespace qw77::vprinter

namespace qw77::vprinter {

// Gives `font` a glyph, from `fallback`, for every character of the code pages it lacks;
// returns the characters neither font has.
std::vector<char32_t> AddMissingGlyphs(PsfFont& font, const HexFont& fallback);

}  // namespace qw77::vprinter
