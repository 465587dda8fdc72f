// Lays printed matter out on the paper the way the mechanism does: a line buffer of
// characters printed at LF, raster images and barcodes at the left margin, paper feeds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "vprinter/paper/Barcode.h"
#include "vprinter/paper/Canvas.h"
#include "vprinter/paper/CodePages.h"
#include "vprinter/paper/PsfFont.h"

namespace qw77::vprinter {

// The text settings a ticket changes and the store-settings command keeps.
struct TextSettings {
  int font = 0;           // 0 font A (12x24), 1 font B (8x16)
  int width_mul = 1;      // horizontal magnification 1..8
  int height_mul = 1;     // vertical magnification 1..8
  int line_spacing = 30;  // dots from one line to the next (at least the line's height)
  int char_spacing = 0;   // dots right of each character, times the magnification
  int left_margin = 0;    // dots from the left edge of the printable area
  int density = 0;        // -10 (lightest) .. 10 (darkest)
  int speed_mm_s = 150;
  bool emphasized = false;
  int underline = 0;  // 0 none, else the line's thickness in dots (1 or 2)

  std::string Describe() const;
  bool operator==(const TextSettings&) const = default;
};

// Tab stops every 8 columns of font A at its normal size, as a printer starts with.
std::vector<int> DefaultTabStops();

// The character and line modes the store-settings command does not keep; ESC @ puts them
// back to these (with the code page chosen on the command line).
struct CharacterModes {
  enum Justification { kLeft, kCentre, kRight };
  int justification = kLeft;  // of each line as it is printed, and of images and barcodes
  bool double_strike = false;
  bool italic = false;       // slanted to the right
  bool reverse = false;      // white on black
  bool upside_down = false;  // lines printed rotated by 180 degrees
  bool rotated = false;      // characters turned 90 degrees clockwise
  // Width of the print area from the left margin; what the margin leaves limits it.
  int print_width = 65535;
  int code_page = kDefaultCodePage;
  std::vector<int> tab_stops = DefaultTabStops();  // dots from the line's start, ascending
};

struct BarcodeSettings {
  int height = 162;       // dots
  int module = 3;         // dots per narrow module
  int text_position = 0;  // 0 none, 1 above, 2 below, 3 both
  int text_font = 0;      // 0 font A, 1 font B
};

struct Fonts {
  PsfFont a;  // 12x24
  PsfFont b;  // 8x16
  // The console fonts the printer's character generator is made of.
  static Result<std::shared_ptr<const Fonts>> LoadDefault();
};

// Paper: the full roll width in dots and the printable width within it.
struct Paper {
  int printable_dots = 448;
  int Width() const { return printable_dots == 576 ? 640 : 480; }  // 80 mm or 60 mm
  int Side() const { return (Width() - printable_dots) / 2; }
};

// A ticket is drawn in parts of at most this many dot rows (12.5 m of paper); a longer one
// is handed out part by part as it is printed. With the picture held in bands, one part of
// 80 mm paper takes at most 391 bands of 256 x 640 dots: 61 MiB, within kTicketMemoryBytes.
inline constexpr int kMaxPartRows = 100000;
inline constexpr std::size_t kTicketMemoryBytes = std::size_t{64} << 20;
static_assert((kMaxPartRows + Canvas::kBandRows - 1) / Canvas::kBandRows *
                  std::size_t{Canvas::kBandRows} * 640 <=
              kTicketMemoryBytes);
// The tallest single step of drawing (a barcode of 255 dots with its text above and below);
// a part is never made shorter than this.
inline constexpr int kMinPartRows = 512;

// A block of dots to print (a decoded image, a two-dimensional code): one byte per dot,
// non-zero where the dot is burnt, row after row.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dots;
  bool At(int x, int y) const {
    return dots[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)] != 0;
  }
};

// Image data as printers receive it: one bit a dot, the most significant bit first, a set
// bit burnt; data that runs short leaves the rest blank. Raster format: rows of
// (width + 7) / 8 bytes. Column format: columns of (height + 7) / 8 bytes, top down.
Bitmap RasterToBitmap(int width, int height, std::span<const std::uint8_t> data);
Bitmap ColumnsToBitmap(int width, int height, std::span<const std::uint8_t> data);
// Each dot drawn scale_x by scale_y.
Bitmap Scaled(const Bitmap& bitmap, int scale_x, int scale_y);
// The leftmost `width` columns.
Bitmap Cropped(const Bitmap& bitmap, int width);

// The grey of a burnt dot at a print density: darker as the density rises.
std::uint8_t InkForDensity(int density);

class Renderer {
 public:
  Renderer(std::shared_ptr<const Fonts> fonts, Paper paper, int part_rows = kMaxPartRows);

  // Called with each full part of a ticket taller than the part height, as soon as nothing
  // more can be drawn on it. The rest of the ticket continues on a fresh strip.
  std::function<void(Canvas)> on_part;

  TextSettings& text() { return text_; }
  const TextSettings& text() const { return text_; }
  CharacterModes& modes() { return modes_; }
  const CharacterModes& modes() const { return modes_; }
  void ResetModes(int code_page);
  BarcodeSettings& barcode() { return barcode_; }
  const Paper& paper() const { return paper_; }
  // A roll of another width (a user setup change); the strip in progress starts afresh at
  // the new width, so only call it between tickets.
  void SetPaper(Paper paper);

  // Adds one character to the line buffer; a full line is printed first. A `pattern` (a
  // user-defined character, as tall as the font) is drawn in place of the font's glyph.
  void PutChar(char32_t code_point, std::shared_ptr<const Bitmap> pattern = nullptr);
  // Width of a character with its spacing at the settings in force.
  int Advance() const;
  // Width of the print area: the print width within what the left margin leaves.
  int Room() const;
  // Where the next character goes, in dots from the start of the line.
  int LineX() const { return line_x_; }
  // Moves there; false (and nothing moved) when `x` is outside the print area.
  bool MoveTo(int x);
  // Prints the line buffer and feeds by the line spacing (or the line's height).
  void LineFeed();
  // Prints the line buffer, if any, then feeds `dots`.
  void Feed(int dots);
  // Adds a block of dots (a bit image) to the line buffer, standing on the baseline like a
  // character and printed with the line, so that stripes printed line by line join. Returns
  // the number of columns beyond the end of the line, which are dropped.
  int PutImage(Bitmap dots);
  // Prints a pending line and marks where the cutter cut: a dashed line across the paper.
  void MarkCut();
  // Returns the number of columns cut off at the right edge of the paper.
  int PrintRaster(int width_bytes, int rows, int mode, std::span<const std::uint8_t> data);
  // Prints a block of dots, each drawn scale_x by scale_y, below the line buffer (which is
  // printed first) at BlockLeft. Returns the number of columns cut off at the right edge.
  int PrintBitmap(const Bitmap& bitmap, int scale_x, int scale_y);
  // Where a block `width_dots` wide (an image, a barcode, a code) starts on the page: at
  // the left margin, or as the justification in force puts it.
  int BlockLeft(int width_dots) const;
  // Draws a barcode with quiet zones at BlockLeft; fails when it cannot fit.
  Result<int> PrintBarcode(const BarcodeSymbol& symbol);

  // Something drawn or waiting in the line buffer, on the strip not yet handed out.
  bool HasContent() const { return !line_.empty() || page_.inked(); }
  // Ends the ticket: prints a pending line and hands over the paper, starting a new one.
  Canvas TakeTicket();

 private:
  struct Glyph {
    char32_t cp;
    const PsfFont* font;
    int x;  // from the left edge of the printable area
    int width_mul, height_mul, advance;
    int underline;
    bool bold, reverse, rotated;
    std::uint8_t ink;
    bool italic = false;
    std::shared_ptr<const Bitmap> image = nullptr;  // a bit image in the line, not a character
    // A user-defined character's dots, in place of the font's glyph.
    std::shared_ptr<const Bitmap> pattern = nullptr;
    int CellWidth() const { return pattern ? pattern->width : font->width(); }
    // The glyph's size on paper (a turned glyph swaps the font's width and height).
    int Width() const {
      return image ? image->width : (rotated ? font->height() : CellWidth()) * width_mul;
    }
    int Height() const {
      return image ? image->height : (rotated ? CellWidth() : font->height()) * height_mul;
    }
    // Whether the dot at (x, y) of the upright character is set.
    bool Dot(std::size_t glyph, int dx, int dy) const {
      if (!pattern) return font->DotOf(glyph, dx, dy);
      return dx >= 0 && dy >= 0 && dx < pattern->width && dy < pattern->height &&
             pattern->At(dx, dy);
    }
  };
  void PrintLine();
  // Draws the line buffer with its bottom at `y_ + height` and empties it.
  void DrawLine(int height);
  // Hands out the strip above the cursor as a part if `rows` more would make it taller than
  // a part. Everything drawn so far lies above the cursor, so the cut splits nothing.
  void MakeRoom(int rows);
  int LineHeight() const;
  // `x` is where the glyph's cell starts on the paper, `top` and `bottom` the line's rows.
  void DrawGlyph(const Glyph& g, int x, int top, int bottom, bool upside_down);
  // A bit image of the line, standing on the line's bottom (hanging from its top, turned,
  // upside down).
  void DrawLineImage(const Glyph& g, int x, int top, int bottom, bool upside_down);

  std::shared_ptr<const Fonts> fonts_;
  Paper paper_;
  int part_rows_;
  TextSettings text_;
  CharacterModes modes_;
  BarcodeSettings barcode_;
  Canvas page_;
  int y_ = 0;  // top of the next line
  std::vector<Glyph> line_;
  int line_x_ = 0;
  std::vector<std::uint8_t> mask_;  // one glyph's dots as drawn, reused from glyph to glyph
};

}  // namespace qw77::vprinter
