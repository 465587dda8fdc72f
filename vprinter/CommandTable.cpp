#include "vprinter/CommandTable.h"

#include <algorithm>

namespace qw77::vprinter {
namespace {

constexpr std::uint8_t ESC = 0x1B, GS = 0x1D, DLE = 0x10;

constexpr CommandDef kTable[] = {
    {CommandId::kLineFeed, {0x0A}, 1, 0, Shape::kFixed, "LF"},
    {CommandId::kCarriageReturn, {0x0D}, 1, 0, Shape::kFixed, "CR"},
    {CommandId::kSelfTest, {0x08}, 1, 0, Shape::kFixed, "BS"},
    {CommandId::kStoreSettings, {0x0D, 0x07, 0x0D}, 3, 0, Shape::kFixed, "CR BEL CR"},
    {CommandId::kStatusRequest, {DLE, 0x04}, 2, 1, Shape::kFixed, "DLE EOT"},
    {CommandId::kInitialize, {ESC, '@'}, 2, 0, Shape::kFixed, "ESC @"},
    {CommandId::kPrintMode, {ESC, '!'}, 2, 1, Shape::kFixed, "ESC !"},
    {CommandId::kLineSpacing, {ESC, '3'}, 2, 1, Shape::kFixed, "ESC 3"},
    {CommandId::kDefaultLineSpacing, {ESC, '2'}, 2, 0, Shape::kFixed, "ESC 2"},
    {CommandId::kCharacterSpacing, {ESC, ' '}, 2, 1, Shape::kFixed, "ESC SP"},
    {CommandId::kFont, {ESC, 'M'}, 2, 1, Shape::kFixed, "ESC M"},
    {CommandId::kEmphasis, {ESC, 'E'}, 2, 1, Shape::kFixed, "ESC E"},
    {CommandId::kUnderline, {ESC, '-'}, 2, 1, Shape::kFixed, "ESC -"},
    {CommandId::kFeed, {ESC, 'J'}, 2, 1, Shape::kFixed, "ESC J"},
    {CommandId::kCharacterSize, {GS, '!'}, 2, 1, Shape::kFixed, "GS !"},
    {CommandId::kLeftMargin, {GS, 'L'}, 2, 2, Shape::kFixed, "GS L"},
    {CommandId::kExtended, {GS, '(', 'K'}, 3, 0, Shape::kLengthPair, "GS ( K"},
    {CommandId::kSpeed, {GS, 'E'}, 2, 1, Shape::kFixed, "GS E"},
    {CommandId::kRasterImage, {GS, 'v', '0'}, 3, 0, Shape::kRaster, "GS v 0"},
    {CommandId::kBarcode, {GS, 'k'}, 2, 0, Shape::kBarcode, "GS k"},
    {CommandId::kBarcodeHeight, {GS, 'h'}, 2, 1, Shape::kFixed, "GS h"},
    {CommandId::kBarcodeWidth, {GS, 'w'}, 2, 1, Shape::kFixed, "GS w"},
    {CommandId::kBarcodeText, {GS, 'H'}, 2, 1, Shape::kFixed, "GS H"},
};

// Stands for "more than one command could still follow".
constexpr CommandDef kAmbiguous{CommandId::kCarriageReturn, {}, 0, 0, Shape::kFixed, ""};

// Longest data of a NUL-terminated barcode before the command counts as malformed.
constexpr std::size_t kMaxNulBarcode = 255;

// Total length of a command whose prefix matched, or 0 while the bytes seen cannot tell.
// `complete` says whether the bytes seen are enough to know the length.
std::size_t CommandLength(const CommandDef& def, std::span<const std::uint8_t> b, bool& known) {
  const std::size_t p = def.prefix_length;
  known = true;
  switch (def.shape) {
    case Shape::kFixed:
      return p + def.params;
    case Shape::kLengthPair:
      if (b.size() < p + 2) break;
      return p + 2 + b[p] + 256u * b[p + 1];
    case Shape::kRaster:
      if (b.size() < p + 5) break;
      return p + 5 + std::size_t{b[p + 1] + 256u * b[p + 2]} * (b[p + 3] + 256u * b[p + 4]);
    case Shape::kBarcode: {
      if (b.size() < p + 1) break;
      const std::uint8_t m = b[p];
      if (m >= 65) {
        if (b.size() < p + 2) break;
        return p + 2 + b[p + 1];
      }
      // The older form: data closed by a NUL. A stream that never closes it is cut
      // at the longest data a printer accepts, so it cannot swallow the rest.
      const std::size_t limit = std::min(b.size(), p + 1 + kMaxNulBarcode + 1);
      for (std::size_t i = p + 1; i < limit; ++i) {
        if (b[i] == 0) return i + 1;
      }
      if (b.size() >= p + 1 + kMaxNulBarcode + 1) return p + 1 + kMaxNulBarcode + 1;
      break;
    }
  }
  known = false;
  return 0;
}

bool IsIntroducer(std::uint8_t b) {
  return b == ESC || b == GS || b == DLE || b == 0x1C;
}

}  // namespace

std::span<const CommandDef> CommandTable() {
  return kTable;
}

Match MatchCommand(std::span<const std::uint8_t> bytes, bool at_end) {
  if (bytes.empty()) return {Match::kNeedMore};
  const CommandDef* best = nullptr;     // longest prefix matched in full
  const CommandDef* partial = nullptr;  // a longer prefix matches what has arrived so far
  for (const CommandDef& def : kTable) {
    const std::size_t seen = std::min<std::size_t>(def.prefix_length, bytes.size());
    if (!std::equal(def.prefix.begin(), def.prefix.begin() + seen, bytes.begin())) continue;
    if (seen == def.prefix_length) {
      if (!best || def.prefix_length > best->prefix_length) best = &def;
    } else {
      // Several longer commands still possible: none of them can be named yet.
      partial = partial ? &kAmbiguous : &def;
    }
  }
  // CR alone and CR BEL CR share their first byte: only the next bytes tell them apart.
  if (partial && !at_end) return {Match::kNeedMore};
  if (partial && !best) {
    return {Match::kTruncated, bytes.size(), partial == &kAmbiguous ? nullptr : partial};
  }
  if (best) {
    bool known = false;
    const std::size_t length = CommandLength(*best, bytes, known);
    if (known && bytes.size() >= length) return {Match::kCommand, length, best};
    if (!at_end) return {Match::kNeedMore, 0, best, known ? length : 0};
    return {Match::kTruncated, bytes.size(), best, known ? length : 0};
  }
  const std::uint8_t b = bytes[0];
  if (IsIntroducer(b)) {
    // An escape sequence this printer does not know: its parameters cannot be counted, so
    // only the two bytes that name it are skipped.
    if (bytes.size() >= 2) return {Match::kUnknown, 2};
    if (!at_end) return {Match::kNeedMore};
    return {Match::kTruncated, 1};
  }
  if (b < 0x20 || b == 0x7F) return {Match::kUnknown, 1};
  return {Match::kText, 1};
}

}  // namespace qw77::vprinter
