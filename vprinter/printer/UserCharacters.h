// The characters a program defines for itself (ESC &) and selects in place of the font's
// (ESC %): one set for each font, kept until they are cancelled (ESC ?) or the printer is
// initialized.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "vprinter/paper/Renderer.h"
#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

class UserCharacters {
 public:
  // Codes a definition may take: 20h..7Eh, and 80h..FFh for the user-defined page.
  static bool Definable(int code) { return (code >= 0x20 && code <= 0x7E) || code >= 0x80; }

  // Takes ESC &'s parameters (y c1 c2, then for each code x and x columns of y bytes, the
  // top dot in the highest bit). y is the font's height in bytes, 3 for font A and 2 for
  // font B, and x at most its width. Returns what was defined, for the log.
  Result<std::string> Define(std::span<const std::uint8_t> params, const Fonts& fonts);
  // ESC ?: the font's character again in place of a definition.
  void Cancel(std::uint8_t code);
  void Clear();

  bool selected() const { return selected_; }
  void Select(bool on) { selected_ = on; }

  // The definition of `code` in `font` (0 A, 1 B), drawn as it stands on the line: as wide
  // as defined and as tall as the font; null where there is none.
  std::shared_ptr<const Bitmap> Find(int font, std::uint8_t code) const {
    return sets_[font == 0 ? 0 : 1][code];
  }

 private:
  std::array<std::array<std::shared_ptr<const Bitmap>, 256>, 2> sets_;
  bool selected_ = false;
};

}  // namespace qw77::vprinter
