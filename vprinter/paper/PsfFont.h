// A bitmap console font (PSF1 or PSF2, optionally gzip-compressed) with its Unicode map.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

class PsfFont {
 public:
  static Result<PsfFont> Load(const std::string& path);
  // Parses the uncompressed file contents.
  static Result<PsfFont> Parse(const std::vector<std::uint8_t>& data);

  int width() const { return width_; }
  int height() const { return height_; }
  // Whether the dot at (x, y) of the glyph for `code_point` is set; characters the font
  // lacks are drawn as its question mark.
  bool Dot(char32_t code_point, int x, int y) const { return DotOf(GlyphIndex(code_point), x, y); }
  bool Has(char32_t code_point) const { return map_.count(code_point) != 0; }
  // The same in two steps, for drawing: the glyph is looked up once, not for every dot.
  std::size_t GlyphIndex(char32_t code_point) const;
  bool DotOf(std::size_t glyph, int x, int y) const;
  // Adds a glyph for `code_point` whose dots `dot(x, y)` gives, unless the font has one;
  // with `replace`, in place of the one it has.
  void AddGlyph(char32_t code_point, const std::function<bool(int x, int y)>& dot,
                bool replace = false);

 private:
  int width_ = 0;
  int height_ = 0;
  int row_bytes_ = 0;
  std::size_t glyph_bytes_ = 0;
  std::size_t glyph_count_ = 0;
  std::vector<std::uint8_t> glyphs_;
  std::unordered_map<char32_t, std::size_t> map_;
};

}  // namespace qw77::vprinter
