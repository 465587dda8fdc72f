#include "vprinter/Renderer.h"

#include <algorithm>

namespace qw77::vprinter {
namespace {

constexpr const char* kFontA = "/usr/share/consolefonts/Lat15-Terminus24x12.psf.gz";
constexpr const char* kFontB = "/usr/share/consolefonts/Lat15-Terminus16.psf.gz";

// Scanners need blank space of ten modules either side of the bars.
constexpr int kQuietModules = 10;

// The cut mark: dashes this long, in a grey lighter than print, so it reads as a mark.
constexpr int kCutDashDots = 8;
constexpr std::uint8_t kCutInk = 128;

}  // namespace

std::string TextSettings::Describe() const {
  return std::string("font ") + (font == 0 ? "A" : "B") + ", size " + std::to_string(width_mul) +
         "x" + std::to_string(height_mul) + ", line spacing " + std::to_string(line_spacing) +
         ", character spacing " + std::to_string(char_spacing) + ", left margin " +
         std::to_string(left_margin) + ", density " + std::to_string(density) + ", speed " +
         std::to_string(speed_mm_s) + " mm/s";
}

Result<std::shared_ptr<const Fonts>> Fonts::LoadDefault() {
  auto fonts = std::make_shared<Fonts>();
  Result<PsfFont> a = PsfFont::Load(kFontA);
  if (!a) return a.status();
  Result<PsfFont> b = PsfFont::Load(kFontB);
  if (!b) return b.status();
  fonts->a = std::move(*a);
  fonts->b = std::move(*b);
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
  for (const Glyph& g : line_) {
    height = std::max(height, g.image ? g.image->height : g.font->height() * g.height_mul);
  }
  return height;
}

void Renderer::PutChar(char32_t cp) {
  const PsfFont* font = text_.font == 0 ? &fonts_->a : &fonts_->b;
  const int glyph_w = font->width() * text_.width_mul;
  const int advance = glyph_w + text_.char_spacing * text_.width_mul;
  const int room = paper_.printable_dots - text_.left_margin;
  // A character that does not fit on the line goes to the next one, as the mechanism
  // prints a full line by itself.
  if (!line_.empty() && line_x_ + glyph_w > room) PrintLine();
  line_.push_back(Glyph{cp, font, text_.left_margin + line_x_, text_.width_mul, text_.height_mul,
                        advance, text_.emphasized, text_.underline, InkForDensity(text_.density)});
  line_x_ += advance;
}

void Renderer::DrawGlyph(const Glyph& g, int baseline) {
  if (g.image) {
    DrawLineImage(g, baseline);
    return;
  }
  const int h = g.font->height() * g.height_mul;
  const int top = baseline - h;
  const int left = paper_.Side() + g.x;
  const int right_edge = paper_.Side() + paper_.printable_dots;
  const std::size_t glyph = g.font->GlyphIndex(g.cp);
  for (int gy = 0; gy < g.font->height(); ++gy) {
    for (int gx = 0; gx < g.font->width(); ++gx) {
      if (!g.font->DotOf(glyph, gx, gy)) continue;
      for (int sy = 0; sy < g.height_mul; ++sy) {
        for (int sx = 0; sx < g.width_mul + (g.emphasized ? 1 : 0); ++sx) {
          const int x = left + gx * g.width_mul + sx;
          if (x < right_edge) page_.Mark(x, top + gy * g.height_mul + sy, g.ink);
        }
      }
    }
  }
  if (g.underline) {
    for (int x = left; x < std::min(left + g.advance, right_edge); ++x) {
      page_.Mark(x, baseline - 1, g.ink);
    }
  }
}

int Renderer::PutImage(Bitmap dots) {
  const int room = std::max(0, paper_.printable_dots - text_.left_margin - line_x_);
  const int cut = std::max(0, dots.width - room);
  if (cut > 0) dots = Cropped(dots, room);
  if (dots.width == 0 || dots.height == 0) return cut;
  const int width = dots.width;
  Glyph g{U' ',  &fonts_->a, text_.left_margin + line_x_, 1, 1, width,
          false, false,      InkForDensity(text_.density)};
  g.image = std::make_shared<const Bitmap>(std::move(dots));
  line_.push_back(std::move(g));
  line_x_ += width;
  return cut;
}

void Renderer::DrawLineImage(const Glyph& g, int baseline) {
  const Bitmap& b = *g.image;
  const int top = baseline - b.height;
  const int left = paper_.Side() + g.x;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      if (b.At(x, y)) page_.Mark(left + x, top + y, g.ink);
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
  for (const Glyph& g : line_) DrawGlyph(g, y_ + height);
  y_ += std::max(text_.line_spacing, height);
  page_.Grow(y_);
  line_.clear();
  line_x_ = 0;
}

void Renderer::LineFeed() {
  PrintLine();
}

void Renderer::Feed(int dots) {
  const int height = LineHeight();
  MakeRoom(height + dots);
  if (!line_.empty()) {
    for (const Glyph& g : line_) DrawGlyph(g, y_ + height);
    y_ += height;
    line_.clear();
    line_x_ = 0;
  }
  y_ += dots;
  page_.Grow(y_);
}

int Renderer::PrintRaster(int width_bytes, int rows, int mode, std::span<const std::uint8_t> data) {
  return PrintBitmap(RasterToBitmap(width_bytes * 8, rows, data), (mode & 1) ? 2 : 1,
                     (mode & 2) ? 2 : 1);
}

int Renderer::BlockLeft(int /*width_dots*/) const {
  return paper_.Side() + text_.left_margin;
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
  const PsfFont& hri_font = fonts_->a;
  const int text_rows = hri_font.height() + 4;
  MakeRoom(barcode_.height +
           text_rows * ((barcode_.text_position & 1) + (barcode_.text_position >> 1)));
  auto draw_text = [&](int top) {
    const int text_w = static_cast<int>(symbol.text.size()) * hri_font.width();
    int x0 = paper_.Side() + text_.left_margin + (modules * module - text_w) / 2;
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
  const int left = paper_.Side() + text_.left_margin + kQuietModules * module;
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
  Canvas done = std::move(page_);
  page_ = Canvas(paper_.Width());
  y_ = 0;
  return done;
}

}  // namespace qw77::vprinter
