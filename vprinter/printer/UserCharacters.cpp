#include "vprinter/printer/UserCharacters.h"

namespace qw77::vprinter {

Result<std::string> UserCharacters::Define(std::span<const std::uint8_t> p, const Fonts& fonts) {
  if (p.size() < 3) return Status{ErrorCode::kFormat, "no y c1 c2"};
  const int y = p[0], c1 = p[1], c2 = p[2];
  const int font = y == fonts.a.height() / 8 ? 0 : y == fonts.b.height() / 8 ? 1 : -1;
  if (font < 0) {
    return Status{ErrorCode::kFormat,
                  "y=" + std::to_string(y) + " fits no font (3 for A, 2 for B)"};
  }
  if (c1 > c2 || !Definable(c1) || !Definable(c2) || (c1 <= 0x7E && c2 >= 0x80)) {
    return Status{ErrorCode::kFormat, "codes " + std::to_string(c1) + ".." + std::to_string(c2) +
                                          " are not a range of definable codes"};
  }
  const PsfFont& f = font == 0 ? fonts.a : fonts.b;
  // Checked whole before anything is defined: a definition that runs short changes nothing.
  std::array<std::shared_ptr<const Bitmap>, 256> defined;
  std::size_t at = 3;
  for (int code = c1; code <= c2; ++code) {
    if (at >= p.size()) return Status{ErrorCode::kFormat, "the data ends before its last code"};
    const int x = p[at++];
    if (x > f.width()) {
      return Status{ErrorCode::kFormat, "code " + std::to_string(code) + " is " +
                                            std::to_string(x) + " dots wide, the font " +
                                            std::to_string(f.width())};
    }
    const std::size_t bytes = static_cast<std::size_t>(x) * static_cast<std::size_t>(y);
    if (p.size() - at < bytes) return Status{ErrorCode::kFormat, "the data ends inside a code"};
    // A definition of no columns is a blank as wide as the font's characters.
    defined[static_cast<std::size_t>(code)] = std::make_shared<const Bitmap>(
        ColumnsToBitmap(x == 0 ? f.width() : x, 8 * y, p.subspan(at, bytes)));
    at += bytes;
  }
  for (int code = c1; code <= c2; ++code) {
    sets_[static_cast<std::size_t>(font)][static_cast<std::size_t>(code)] =
        std::move(defined[static_cast<std::size_t>(code)]);
  }
  return std::to_string(c2 - c1 + 1) + " characters of font " + (font == 0 ? "A" : "B") +
         " defined, " + std::to_string(c1) + ".." + std::to_string(c2);
}

void UserCharacters::Cancel(std::uint8_t code) {
  for (auto& set : sets_) set[code] = nullptr;
}

void UserCharacters::Clear() {
  for (auto& set : sets_) set.fill(nullptr);
  selected_ = false;
}

}  // namespace qw77::vprinter
