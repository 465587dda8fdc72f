#include "vprinter/paper/PsfFont.h"

#include <zlib.h>

#include <cstring>
#include <string_view>

#include "base/Utf8.h"

namespace qw77::vprinter {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& d, std::size_t at) {
  return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) | (std::uint32_t{d[at + 3]} << 24);
}

Status Bad(const std::string& why) {
  return {ErrorCode::kFormat, "font file: " + why};
}

// The characters of each glyph from the Unicode table that starts at `at`: PSF2 entries are
// UTF-8 text ending in FFh, PSF1 entries 16-bit values ending in FFFFh; after the sequence
// marker (FEh, FFFEh) come combining sequences, which name no single character and are
// skipped.
Status ReadUnicodeTable(const std::vector<std::uint8_t>& d, std::size_t at, bool psf2,
                        std::size_t glyph_count, std::unordered_map<char32_t, std::size_t>& map) {
  const std::string_view table(reinterpret_cast<const char*>(d.data()), d.size());
  std::size_t i = at;
  for (std::size_t g = 0; g < glyph_count && i < d.size(); ++g) {
    bool in_sequence = false;
    if (psf2) {
      while (i < d.size() && d[i] != 0xFF) {
        if (d[i] == 0xFE) {
          in_sequence = true;
          ++i;
          continue;
        }
        const char32_t cp = DecodeUtf8(table, i);
        if (cp == kMalformedUtf8) return Bad("malformed Unicode table");
        if (!in_sequence) map.emplace(cp, g);
      }
      ++i;
    } else {
      while (i + 1 < d.size()) {
        const char32_t v = d[i] | (d[i + 1] << 8);
        i += 2;
        if (v == 0xFFFF) break;
        if (v == 0xFFFE) {
          in_sequence = true;
          continue;
        }
        if (!in_sequence) map.emplace(v, g);
      }
    }
  }
  return Status::Ok();
}

}  // namespace

Result<PsfFont> PsfFont::Load(const std::string& path) {
  gzFile f = gzopen(path.c_str(), "rb");
  if (!f) return Status{ErrorCode::kNotFound, "cannot open font " + path};
  std::vector<std::uint8_t> data;
  std::uint8_t buf[16384];
  int n = 0;
  while ((n = gzread(f, buf, sizeof buf)) > 0) data.insert(data.end(), buf, buf + n);
  const bool failed = n < 0;
  gzclose(f);
  if (failed) return Status{ErrorCode::kIo, "cannot read font " + path};
  return Parse(data);
}

Result<PsfFont> PsfFont::Parse(const std::vector<std::uint8_t>& d) {
  PsfFont font;
  std::size_t header = 0;
  bool has_table = false;
  bool psf2 = false;
  if (d.size() >= 4 && d[0] == 0x36 && d[1] == 0x04) {
    const std::uint8_t mode = d[2];
    font.glyph_count_ = (mode & 0x01) ? 512 : 256;
    has_table = (mode & 0x06) != 0;
    font.glyph_bytes_ = d[3];
    font.height_ = d[3];
    font.width_ = 8;
    header = 4;
  } else if (d.size() >= 32 && Le32(d, 0) == 0x864AB572u) {
    psf2 = true;
    header = Le32(d, 8);
    has_table = (Le32(d, 12) & 1u) != 0;
    font.glyph_count_ = Le32(d, 16);
    font.glyph_bytes_ = Le32(d, 20);
    font.height_ = static_cast<int>(Le32(d, 24));
    font.width_ = static_cast<int>(Le32(d, 28));
  } else {
    return Bad("not a PSF font");
  }
  if (font.width_ <= 0 || font.height_ <= 0 || font.width_ > 64 || font.height_ > 64 ||
      font.glyph_count_ == 0 || font.glyph_count_ > 65536) {
    return Bad("implausible glyph size");
  }
  font.row_bytes_ = (font.width_ + 7) / 8;
  if (font.glyph_bytes_ < static_cast<std::size_t>(font.row_bytes_ * font.height_)) {
    return Bad("glyphs shorter than their rows");
  }
  const std::size_t glyph_end = header + font.glyph_count_ * font.glyph_bytes_;
  if (header > d.size() || glyph_end > d.size()) return Bad("truncated glyph data");
  font.glyphs_.assign(d.begin() + static_cast<std::ptrdiff_t>(header),
                      d.begin() + static_cast<std::ptrdiff_t>(glyph_end));

  if (!has_table) {
    for (std::size_t g = 0; g < font.glyph_count_; ++g) font.map_.emplace(char32_t(g), g);
    return font;
  }
  if (Status read = ReadUnicodeTable(d, glyph_end, psf2, font.glyph_count_, font.map_); !read) {
    return read;
  }
  return font;
}

std::size_t PsfFont::GlyphIndex(char32_t cp) const {
  auto it = map_.find(cp);
  if (it != map_.end()) return it->second;
  it = map_.find(U'?');
  return it != map_.end() ? it->second : 0;
}

bool PsfFont::DotOf(std::size_t g, int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || g >= glyph_count_) return false;
  const std::uint8_t row =
      glyphs_[g * glyph_bytes_ + static_cast<std::size_t>(y * row_bytes_ + x / 8)];
  return (row >> (7 - x % 8)) & 1;
}

void PsfFont::AddGlyph(char32_t cp, const std::function<bool(int x, int y)>& dot, bool replace) {
  if ((Has(cp) && !replace) || width_ == 0) return;
  const std::size_t at = glyphs_.size();
  glyphs_.resize(at + glyph_bytes_, 0);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (!dot(x, y)) continue;
      glyphs_[at + static_cast<std::size_t>(y * row_bytes_ + x / 8)] |=
          static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  map_[cp] = glyph_count_++;
}

}  // namespace qw77::vprinter
