#include "vprinter/paper/Renderer.h"

#include <algorithm>

#include "vprinter/paper/FontFiles.h"
#include "vprinter/paper/HexFont.h"

namespace qw77::vprinter {
namespace {

// Scanners need blank space of ten modules either side of the bars.
constexpr int kQuietModules = 10;

// Width of a column of font A at its normal size, the unit of the default tab stops.
constexpr int kFontAColumnDots = 12;
// ESC D sets at most this many tab stops.
constexpr int kMaxTabStops = 32;
// The line buffer holds at most this many characters and images. Positioning back along
// the line (ESC $, ESC \\) lets a stream overprint without end; a full buffer prints the
// line first, so that such a stream cannot grow the printer's memory.
constexpr std::size_t kMaxLineGlyphs = 1024;
// Italic: one dot to the right for each this many rows above the baseline (about 14 degrees).
constexpr int kItalicRise = 4;
// The cut mark: dashes this long, in a grey lighter than print, so it reads as a mark.
constexpr int kCutDashDots = 8;
constexpr std::uint8_t kCutInk = 128;

// The code pages' block characters that the console fonts lack (upper, lower, left and right
// half blocks, the dark shade) are plain geometry: they are drawn by rule so that they
// print as themselves rather than as a question mark.
void AddBlockElements(PsfFont& font) {
  const int w = font.width(), h = font.height();
  font.AddGlyph(U'\u2580', [h](int, int y) { return y < h / 2; });
  font.AddGlyph(U'\u2584', [h](int, int y) { return y >= h / 2; });
  font.AddGlyph(U'\u258C', [w](int x, int) { return x < w / 2; });
  font.AddGlyph(U'\u2590', [w](int x, int) { return x >= w / 2; });
  // Three dots in four burnt, the shade darker than U+2592's one in two.
  font.AddGlyph(U'\u2593', [](int x, int y) { return (x + 2 * y) % 4 != 0; });
}

// The double and mixed lines of the box drawing set (U+2550..U+256C, in PC437 and PC850).
// The console fonts map them to their single-line look-alikes, so a framed receipt would
// lose its double frame; they are drawn by rule instead, with the single lines' position
// and thickness taken from the font's own U+2500 and U+2502.
void AddDoubleLines(PsfFont& font) {
  const int w = font.width(), h = font.height();
  int hy = h / 2, th = 1, vx = w / 2, tw = 1;
  for (int y = 0, seen = 0; y < h; ++y) {
    if (!font.Dot(U'\u2500', w / 2, y)) continue;
    if (seen++ == 0) hy = y;
    th = seen;
  }
  for (int x = 0, seen = 0; x < w; ++x) {
    if (!font.Dot(U'\u2502', x, h / 2)) continue;
    if (seen++ == 0) vx = x;
    tw = seen;
  }
  constexpr int kGap = 2;  // from a single line's place to each line of a double one
  const int y0 = hy - kGap, y1 = hy + th - 1 + kGap, x0 = vx - kGap, x1 = vx + tw - 1 + kGap;
  // Each character's arms: left, right, up, down; 0 none, 1 single, 2 double.
  struct Arms {
    char32_t cp;
    int left, right, up, down;
  };
  static constexpr Arms kArms[] = {
      {U'\u2550', 2, 2, 0, 0}, {U'\u2551', 0, 0, 2, 2}, {U'\u2552', 0, 2, 0, 1},
      {U'\u2553', 0, 1, 0, 2}, {U'\u2554', 0, 2, 0, 2}, {U'\u2555', 2, 0, 0, 1},
      {U'\u2556', 1, 0, 0, 2}, {U'\u2557', 2, 0, 0, 2}, {U'\u2558', 0, 2, 1, 0},
      {U'\u2559', 0, 1, 2, 0}, {U'\u255A', 0, 2, 2, 0}, {U'\u255B', 2, 0, 1, 0},
      {U'\u255C', 1, 0, 2, 0}, {U'\u255D', 2, 0, 2, 0}, {U'\u255E', 0, 2, 1, 1},
      {U'\u255F', 0, 1, 2, 2}, {U'\u2560', 0, 2, 2, 2}, {U'\u2561', 2, 0, 1, 1},
      {U'\u2562', 1, 0, 2, 2}, {U'\u2563', 2, 0, 2, 2}, {U'\u2564', 2, 2, 0, 1},
      {U'\u2565', 1, 1, 0, 2}, {U'\u2566', 2, 2, 0, 2}, {U'\u2567', 2, 2, 1, 0},
      {U'\u2568', 1, 1, 2, 0}, {U'\u2569', 2, 2, 2, 0}, {U'\u256A', 2, 2, 1, 1},
      {U'\u256B', 1, 1, 2, 2}, {U'\u256C', 2, 2, 2, 2},
  };
  for (const Arms& a : kArms) {
    const bool double_h = a.left == 2 || a.right == 2, double_v = a.up == 2 || a.down == 2;
    // The double arms make a pipe; its outline is the two lines. A double arm reaches back
    // across a crossing double pipe, or to the single line it meets.
    auto in_pipe = [&](int x, int y) {
      if (x < 0 || y < 0 || x >= w || y >= h) return true;  // the cell goes on beyond
      const bool band_h = y >= y0 && y <= y1, band_v = x >= x0 && x <= x1;
      return (a.left == 2 && band_h && x <= (double_v ? x1 : vx + tw - 1)) ||
             (a.right == 2 && band_h && x >= (double_v ? x0 : vx)) ||
             (a.up == 2 && band_v && y <= (double_h ? y1 : hy + th - 1)) ||
             (a.down == 2 && band_v && y >= (double_h ? y0 : hy));
    };
    auto on_outline = [&](int x, int y) {
      if (!in_pipe(x, y)) return false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (!in_pipe(x + dx, y + dy)) return true;
        }
      }
      return false;
    };
    auto single = [&](int x, int y) {
      const bool row = y >= hy && y < hy + th, column = x >= vx && x < vx + tw;
      return (a.left == 1 && row && x < vx + tw) || (a.right == 1 && row && x >= vx) ||
             (a.up == 1 && column && y < hy + th) || (a.down == 1 && column && y >= hy);
    };
    font.AddGlyph(
        a.cp, [&](int x, int y) { return on_outline(x, y) || (single(x, y) && !in_pipe(x, y)); },
        true);
  }
}

}  // namespace

std::vector<int> DefaultTabStops() {
  std::vector<int> stops;
  for (int i = 1; i <= kMaxTabStops; ++i) stops.push_back(i * 8 * kFontAColumnDots);
  return stops;
}

std::string TextSettings::Describe() const {
  return std::string("font ") + (font == 0 ? "A" : "B") + ", size " + std::to_string(width_mul) +
         "x" + std::to_string(height_mul) + ", line spacing " + std::to_string(line_spacing) +
         ", character spacing " + std::to_string(char_spacing) + ", left margin " +
         std::to_string(left_margin) + ", density " + std::to_string(density) + ", speed " +
         std::to_string(speed_mm_s) + " mm/s";
}

Result<std::shared_ptr<const Fonts>> Fonts::LoadDefault() {
  auto fonts = std::make_shared<Fonts>();
  const FontFiles files = DefaultFontFiles();
  Result<PsfFont> a = PsfFont::Load(files.font_a);
  if (!a) return a.status();
  Result<PsfFont> b = PsfFont::Load(files.font_b);
  if (!b) return b.status();
  Result<HexFont> fallback = HexFont::Load(files.fallback);
  if (!fallback) return fallback.status();
  fonts->a = std::move(*a);
  fonts->b = std::move(*b);
  for (PsfFont* font : {&fonts->a, &fonts->b}) {
    AddBlockElements(*font);
    AddDoubleLines(*font);
    AddMissingGlyphs(*font, *fallback);
  }
  return std::shared_ptr<const Fonts>(std::move(fonts));
}

std::uint8_t InkForDensity(int density) {
  return static_cast<std::uint8_t>(std::clamp(40 - 6 * density, 0, 170));
}

Renderer::Renderer(std::shared_ptr<const Fonts> fonts, Paper paper, int part_rows)
    : fonts_(std::move(fonts)),
      paper_(paper),
      part_rows_(std::clamp(part_rows, kMinPartRows, kMaxPartRows)),
      page_(paper.Width()) {}

void Renderer::SetPaper(Paper paper) {
  paper_ = paper;
  page_ = Canvas(paper_.Width());
  y_ = 0;
  line_.clear();
  line_x_ = 0;
}

void Renderer::MakeRoom(int rows) {
  if (y_ == 0 || y_ + rows <= part_rows_) return;
  Canvas part = std::move(page_);
  part.Grow(y_);
  page_ = Canvas(paper_.Width());
  y_ = 0;
  if (on_part) on_part(std::move(part));
}

int Renderer::LineHeight() const {
  int height = 0;
  for (const Glyph& g : line_) height = std::max(height, g.Height());
  return height;
}

void Renderer::ResetModes(int code_page) {
  modes_ = CharacterModes{};
  modes_.code_page = code_page;
}

int Renderer::Advance() const {
  const PsfFont& font = text_.font == 0 ? fonts_->a : fonts_->b;
  const int glyph_w = (modes_.rotated ? font.height() : font.width()) * text_.width_mul;
  return glyph_w + text_.char_spacing * text_.width_mul;
}

int Renderer::Room() const {
  return std::max(1, std::min(modes_.print_width, paper_.printable_dots - text_.left_margin));
}

bool Renderer::MoveTo(int x) {
  if (x < 0 || x >= Room()) return false;
  line_x_ = x;
  return true;
}

void Renderer::PutChar(char32_t cp, std::shared_ptr<const Bitmap> pattern) {
  const PsfFont* font = text_.font == 0 ? &fonts_->a : &fonts_->b;
  Glyph g{cp,
          font,
          text_.left_margin + line_x_,
          text_.width_mul,
          text_.height_mul,
          Advance(),
          text_.underline,
          text_.emphasized || modes_.double_strike,
          modes_.reverse,
          modes_.rotated,
          InkForDensity(text_.density)};
  g.italic = modes_.italic;
  if (pattern) {
    // As wide as defined, with the character spacing in force.
    g.advance += (pattern->width - font->width()) * text_.width_mul;
    g.pattern = std::move(pattern);
  }
  // A character that does not fit on the line goes to the next one, as the mechanism
  // prints a full line by itself.
  if ((line_x_ > 0 && line_x_ + g.Width() > Room()) || line_.size() >= kMaxLineGlyphs) {
    PrintLine();
    g.x = text_.left_margin;
  }
  line_.push_back(g);
  line_x_ += g.advance;
}

void Renderer::DrawGlyph(const Glyph& g, int x, int top, int bottom, bool upside_down) {
  if (g.image) {
    DrawLineImage(g, x, top, bottom, upside_down);
    return;
  }
  const int w = g.Width(), h = g.Height();
  // Italic leans each row right by a quarter of its height above the baseline.
  auto lean = [&](int row) { return g.italic ? (h - 1 - row) / kItalicRise : 0; };
  // Emphasis burns each dot once more one column to the right.
  const int box_w = w + (g.bold ? 1 : 0) + lean(0);
  mask_.assign(static_cast<std::size_t>(box_w) * static_cast<std::size_t>(h), 0);
  const std::size_t glyph = g.pattern ? 0 : g.font->GlyphIndex(g.cp);
  const int cols = w / g.width_mul, rows = h / g.height_mul;
  for (int ry = 0; ry < rows; ++ry) {
    for (int rx = 0; rx < cols; ++rx) {
      // Turned clockwise, the glyph's top row becomes its right column.
      const bool dot =
          g.rotated ? g.Dot(glyph, ry, g.font->height() - 1 - rx) : g.Dot(glyph, rx, ry);
      if (!dot) continue;
      for (int sy = 0; sy < g.height_mul; ++sy) {
        const int y = ry * g.height_mul + sy;
        const std::size_t row = static_cast<std::size_t>(y * box_w + lean(y));
        for (int sx = 0; sx < g.width_mul + (g.bold ? 1 : 0); ++sx) {
          mask_[row + static_cast<std::size_t>(rx * g.width_mul + sx)] = 1;
        }
      }
    }
  }
  // Upside down the whole line is turned: the glyph sits at the top of the line and the
  // right of its cell, turned by 180 degrees.
  const int box_x = upside_down ? x + g.advance - box_w : x;
  const int box_y = upside_down ? top : bottom - h;
  auto ink_at = [&](int px, int py) {
    int bx = px - box_x, by = py - box_y;
    if (bx < 0 || bx >= box_w || by < 0 || by >= h) return false;
    if (upside_down) bx = box_w - 1 - bx, by = h - 1 - by;
    return mask_[static_cast<std::size_t>(by * box_w + bx)] != 0;
  };
  const int right_edge = paper_.Side() + paper_.printable_dots;
  if (g.reverse) {
    // The whole cell is burnt but for the glyph's dots.
    for (int py = top; py < bottom; ++py) {
      for (int px = x; px < std::min(x + g.advance, right_edge); ++px) {
        if (!ink_at(px, py)) page_.Mark(px, py, g.ink);
      }
    }
    return;
  }
  for (int py = box_y; py < box_y + h; ++py) {
    for (int px = box_x; px < std::min(box_x + box_w, right_edge); ++px) {
      if (ink_at(px, py)) page_.Mark(px, py, g.ink);
    }
  }
  for (int k = 0; k < g.underline; ++k) {
    const int py = upside_down ? top + k : bottom - 1 - k;
    for (int px = x; px < std::min(x + g.advance, right_edge); ++px) page_.Mark(px, py, g.ink);
  }
}

void Renderer::DrawLine(int height) {
  const int area_left = paper_.Side() + text_.left_margin;
  const int room = Room();
  const int free = room - line_x_;
  int shift = 0;
  if (free > 0 && modes_.justification == CharacterModes::kCentre) shift = free / 2;
  if (free > 0 && modes_.justification == CharacterModes::kRight) shift = free;
  for (const Glyph& g : line_) {
    int x = paper_.Side() + g.x + shift;
    // Turned by 180 degrees, the line is mirrored about the middle of the print area.
    if (modes_.upside_down) x = 2 * area_left + room - (x + g.advance);
    DrawGlyph(g, x, y_, y_ + height, modes_.upside_down);
  }
  line_.clear();
  line_x_ = 0;
}

int Renderer::PutImage(Bitmap dots) {
  const int room = std::max(0, Room() - line_x_);
  const int cut = std::max(0, dots.width - room);
  if (cut > 0) dots = Cropped(dots, room);
  if (dots.width == 0 || dots.height == 0) return cut;
  if (line_.size() >= kMaxLineGlyphs) PrintLine();
  const int width = dots.width;
  Glyph g{U' ',  &fonts_->a, text_.left_margin + line_x_, 1, 1, width, 0, false,
          false, false,      InkForDensity(text_.density)};
  g.image = std::make_shared<const Bitmap>(std::move(dots));
  line_.push_back(std::move(g));
  line_x_ += width;
  return cut;
}

void Renderer::DrawLineImage(const Glyph& g, int x, int top, int bottom, bool upside_down) {
  const Bitmap& b = *g.image;
  const int image_top = upside_down ? top : bottom - b.height;
  const int right_edge = paper_.Side() + paper_.printable_dots;
  for (int by = 0; by < b.height; ++by) {
    for (int bx = 0; bx < b.width; ++bx) {
      const bool dot = upside_down ? b.At(b.width - 1 - bx, b.height - 1 - by) : b.At(bx, by);
      if (dot && x + bx < right_edge) page_.Mark(x + bx, image_top + by, g.ink);
    }
  }
}

void Renderer::MarkCut() {
  if (!line_.empty()) PrintLine();
  MakeRoom(1);
  // Dashes of 8 dots with gaps of 8, over the whole roll: where the knife went through.
  for (int x = 0; x < paper_.Width(); ++x) {
    if ((x / kCutDashDots) % 2 == 0) page_.Mark(x, y_, kCutInk);
  }
  ++y_;
  page_.Grow(y_);
}

void Renderer::PrintLine() {
  const int height = LineHeight();
  MakeRoom(std::max(text_.line_spacing, height));
  DrawLine(height);
  y_ += std::max(text_.line_spacing, height);
  page_.Grow(y_);
}

void Renderer::LineFeed() {
  PrintLine();
}

void Renderer::Feed(int dots) {
  const int height = LineHeight();
  MakeRoom(height + dots);
  if (!line_.empty()) {
    DrawLine(height);
    y_ += height;
  }
  line_x_ = 0;
  y_ += dots;
  page_.Grow(y_);
}

int Renderer::PrintRaster(int width_bytes, int rows, int mode, std::span<const std::uint8_t> data) {
  return PrintBitmap(RasterToBitmap(width_bytes * 8, rows, data), (mode & 1) ? 2 : 1,
                     (mode & 2) ? 2 : 1);
}

int Renderer::BlockLeft(int width_dots) const {
  const int left = paper_.Side() + text_.left_margin;
  const int free = Room() - width_dots;
  if (free <= 0) return left;
  switch (modes_.justification) {
    case CharacterModes::kCentre:
      return left + free / 2;
    case CharacterModes::kRight:
      return left + free;
    default:
      return left;
  }
}

int Renderer::PrintBitmap(const Bitmap& bitmap, int scale_x, int scale_y) {
  if (!line_.empty()) PrintLine();
  const int drawn_width = bitmap.width * scale_x;
  const int left = BlockLeft(drawn_width);
  const int right_edge = paper_.Side() + paper_.printable_dots;
  const std::uint8_t ink = InkForDensity(text_.density);
  // Row by row, so that a block taller than a part is split between parts.
  for (int r = 0; r < bitmap.height; ++r) {
    MakeRoom(scale_y);
    for (int c = 0; c < bitmap.width; ++c) {
      if (!bitmap.At(c, r)) continue;
      for (int dy = 0; dy < scale_y; ++dy) {
        for (int dx = 0; dx < scale_x; ++dx) {
          const int x = left + c * scale_x + dx;
          if (x < right_edge) page_.Mark(x, y_ + dy, ink);
        }
      }
    }
    y_ += scale_y;
    page_.Grow(y_);
  }
  return std::max(0, left + drawn_width - right_edge);
}

Result<int> Renderer::PrintBarcode(const BarcodeSymbol& symbol) {
  if (!line_.empty()) PrintLine();
  const int modules = static_cast<int>(symbol.modules.size()) + 2 * kQuietModules;
  const int room = paper_.printable_dots - text_.left_margin;
  // The set module width if it fits, else the widest that does, but never below two dots,
  // the narrowest bar a scanner reliably resolves.
  int module = barcode_.module;
  while (module > 2 && modules * module > room) --module;
  if (modules * module > room) {
    return Status{ErrorCode::kFormat, "too wide for the paper (" + std::to_string(modules * 2) +
                                          " dots at the narrowest)"};
  }
  const std::uint8_t ink = InkForDensity(text_.density);
  const PsfFont& hri_font = barcode_.text_font == 0 ? fonts_->a : fonts_->b;
  const int text_rows = hri_font.height() + 4;
  MakeRoom(barcode_.height +
           text_rows * ((barcode_.text_position & 1) + (barcode_.text_position >> 1)));
  const int block_left = BlockLeft(modules * module);
  auto draw_text = [&](int top) {
    const int text_w = static_cast<int>(symbol.text.size()) * hri_font.width();
    int x0 = block_left + (modules * module - text_w) / 2;
    for (char c : symbol.text) {
      const std::size_t glyph = hri_font.GlyphIndex(static_cast<unsigned char>(c));
      for (int gy = 0; gy < hri_font.height(); ++gy) {
        for (int gx = 0; gx < hri_font.width(); ++gx) {
          if (hri_font.DotOf(glyph, gx, gy)) page_.Mark(x0 + gx, top + gy, ink);
        }
      }
      x0 += hri_font.width();
    }
    y_ += text_rows;
  };
  if (barcode_.text_position & 1) draw_text(y_);
  const int left = block_left + kQuietModules * module;
  for (std::size_t i = 0; i < symbol.modules.size(); ++i) {
    if (!symbol.modules[i]) continue;
    for (int dx = 0; dx < module; ++dx) {
      for (int dy = 0; dy < barcode_.height; ++dy) {
        page_.Mark(left + static_cast<int>(i) * module + dx, y_ + dy, ink);
      }
    }
  }
  y_ += barcode_.height;
  page_.Grow(y_);
  if (barcode_.text_position & 2) draw_text(y_ + 4);
  page_.Grow(y_);
  return module;
}

Canvas Renderer::TakeTicket() {
  if (!line_.empty()) PrintLine();
  line_x_ = 0;
  Canvas done = std::move(page_);
  page_ = Canvas(paper_.Width());
  y_ = 0;
  return done;
}

}  // namespace qw77::vprinter
