// Lays printed matter out on the paper the way the mechanism does: a line buffer of
// characters printed at LF, raster images and barcodes at the left margin, paper feeds.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "vprinter/Barcode.h"
#include "vprinter/Canvas.h"
#include "vprinter/PsfFont.h"

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
  bool underline = false;

  std::string Describe() const;
  bool operator==(const TextSettings&) const = default;
};

struct BarcodeSettings {
  int height = 162;       // dots
  int module = 3;         // dots per narrow module
  int text_position = 0;  // 0 none, 1 above, 2 below, 3 both
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

// The grey of a burnt dot at a print density: darker as the density rises.
std::uint8_t InkForDensity(int density);

class Renderer {
 public:
  Renderer(std::shared_ptr<const Fonts> fonts, Paper paper);

  TextSettings& text() { return text_; }
  const TextSettings& text() const { return text_; }
  BarcodeSettings& barcode() { return barcode_; }
  const Paper& paper() const { return paper_; }

  // Adds one character to the line buffer; a full line is printed first.
  void PutChar(char32_t code_point);
  // Prints the line buffer and feeds by the line spacing (or the line's height).
  void LineFeed();
  // Prints the line buffer, if any, then feeds `dots`.
  void Feed(int dots);
  // Returns the number of columns cut off at the right edge of the paper.
  int PrintRaster(int width_bytes, int rows, int mode, std::span<const std::uint8_t> data);
  // Draws a barcode at the left margin with quiet zones; fails when it cannot fit.
  Result<int> PrintBarcode(const BarcodeSymbol& symbol);

  bool HasContent() const { return !line_.empty() || page_.inked(); }
  bool LineEmpty() const { return line_.empty(); }
  // Ends the ticket: prints a pending line and hands over the paper, starting a new one.
  Canvas TakeTicket();
  int CursorY() const { return y_; }

 private:
  struct Glyph {
    char32_t cp;
    const PsfFont* font;
    int x;  // from the left edge of the printable area
    int width_mul, height_mul, advance;
    bool emphasized, underline;
    std::uint8_t ink;
  };
  void PrintLine();
  int LineWidth() const;
  void DrawGlyph(const Glyph& g, int baseline);

  std::shared_ptr<const Fonts> fonts_;
  Paper paper_;
  TextSettings text_;
  BarcodeSettings barcode_;
  Canvas page_;
  int y_ = 0;  // top of the next line
  std::vector<Glyph> line_;
  int line_x_ = 0;
};

}  // namespace qw77::vprinter
