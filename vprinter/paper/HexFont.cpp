#include "vprinter/paper/HexFont.h"

#include <algorithm>
#include <fstream>

#include "vprinter/paper/CodePages.h"

namespace qw77::vprinter {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The code point a line starts with, or -1 when it starts with none.
long LineCodePoint(const std::string& t, std::size_t at) {
  long v = 0;
  std::size_t i = at;
  for (; i < t.size() && t[i] != ':'; ++i) {
    const int d = HexDigit(t[i]);
    if (d < 0 || i - at >= 6) return -1;
    v = v * 16 + d;
  }
  return i < t.size() && i > at ? v : -1;
}

std::size_t LineStart(const std::string& t, std::size_t at) {
  while (at > 0 && t[at - 1] != '\n') --at;
  return at;
}

std::optional<HexGlyph> ParseGlyph(const std::string& t, std::size_t at) {
  const std::size_t colon = t.find(':', at);
  std::size_t end = t.find('\n', colon);
  if (end == std::string::npos) end = t.size();
  if (end > colon + 1 && t[end - 1] == '\r') --end;
  const std::size_t digits = end - colon - 1;
  if (digits != 32 && digits != 64) return std::nullopt;
  HexGlyph g;
  g.width = digits == 32 ? 8 : 16;
  const std::size_t per_row = digits / HexGlyph::kHeight;
  for (int y = 0; y < HexGlyph::kHeight; ++y) {
    std::uint16_t row = 0;
    for (std::size_t k = 0; k < per_row; ++k) {
      const int d = HexDigit(t[colon + 1 + static_cast<std::size_t>(y) * per_row + k]);
      if (d < 0) return std::nullopt;
      row = static_cast<std::uint16_t>(row << 4 | d);
    }
    g.rows[static_cast<std::size_t>(y)] = row;
  }
  return g;
}

}  // namespace

Result<HexFont> HexFont::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return Status{ErrorCode::kNotFound, "cannot open font " + path};
  // In one read: the file is a few MiB, held only while the fonts are made.
  std::string text(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    return Status{ErrorCode::kIo, "cannot read font " + path};
  }
  return HexFont(std::move(text));
}

std::optional<HexGlyph> HexFont::Find(char32_t cp) const {
  // Binary search over byte offsets, each taken back to the start of its line.
  std::size_t lo = 0, hi = text_.size();
  while (lo < hi) {
    const std::size_t at = LineStart(text_, lo + (hi - lo) / 2);
    const long v = LineCodePoint(text_, at);
    if (v < 0) return std::nullopt;  // not a .hex file, or a broken line
    if (static_cast<char32_t>(v) == cp) return ParseGlyph(text_, at);
    if (static_cast<char32_t>(v) < cp) {
      const std::size_t next = text_.find('\n', at);
      if (next == std::string::npos) break;
      lo = next + 1;
    } else {
      hi = at;
    }
  }
  return std::nullopt;
}

void AddScaledGlyph(PsfFont& font, char32_t cp, const HexGlyph& g) {
  const int cw = font.width(), ch = font.height();
  font.AddGlyph(cp, [&](int x, int y) {
    // The glyph's dots under the cell's dot (x, y): at least one, however they scale.
    const int x0 = x * g.width / cw, x1 = std::max(x0 + 1, (x + 1) * g.width / cw);
    const int y0 = y * HexGlyph::kHeight / ch;
    const int y1 = std::max(y0 + 1, (y + 1) * HexGlyph::kHeight / ch);
    for (int sy = y0; sy < y1; ++sy) {
      for (int sx = x0; sx < x1; ++sx) {
        if (g.Dot(sx, sy)) return true;
      }
    }
    return false;
  });
}

std::vector<char32_t> AddMissingGlyphs(PsfFont& font, const HexFont& fallback) {
  std::vector<char32_t> lacking;
  for (char32_t cp : CodePageCharacters()) {
    if (font.Has(cp)) continue;
    // The marks that only steer text (zero width, left-to-right, right-to-left) print
    // nothing; the fallback font draws them as labelled boxes.
    if (cp >= U'\u200B' && cp <= U'\u200F') {
      font.AddGlyph(cp, [](int, int) { return false; });
      continue;
    }
    if (const std::optional<HexGlyph> g = fallback.Find(cp)) {
      AddScaledGlyph(font, cp, *g);
    } else {
      lacking.push_back(cp);
    }
  }
  return lacking;
}

}  // namespace qw77::vprinter
