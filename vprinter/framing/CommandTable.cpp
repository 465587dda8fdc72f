#include "vprinter/framing/CommandTable.h"

#include <algorithm>

#include "vprinter/framing/Interpreter.h"

namespace qw77::vprinter {
namespace {

constexpr std::uint8_t ESC = 0x1B, GS = 0x1D, DLE = 0x10, FS = 0x1C;

using enum CommandId;
using S = Shape;

constexpr CommandDef kTable[] = {
    // Control and settings
    {kSelfTest, {0x08}, 1, 0, S::kFixed, "BS"},
    {kStoreSettings, {0x0D, 0x07, 0x0D}, 3, 0, S::kFixed, "CR BEL CR"},
    {kStatusRequest, {DLE, 0x04}, 2, 1, S::kFixed, "DLE EOT"},
    {kInitialize, {ESC, '@'}, 2, 0, S::kFixed, "ESC @"},
    {kExtended, {GS, '(', 'K'}, 3, 0, S::kLengthPair, "GS ( K"},
    {kSpeed, {GS, 'E'}, 2, 1, S::kFixed, "GS E"},
    {kSelectPrinter, {ESC, '='}, 2, 1, S::kFixed, "ESC ="},
    // Control bytes printers pass over between commands (a NUL after a barcode, DC2 that
    // ends a dot-matrix mode, BEL): taken, never printed.
    {kControlByte, {0x00}, 1, 0, S::kFixed, "NUL"},
    {kControlByte, {0x01}, 1, 0, S::kFixed, "SOH"},
    {kControlByte, {0x02}, 1, 0, S::kFixed, "STX"},
    {kControlByte, {0x03}, 1, 0, S::kFixed, "ETX"},
    {kControlByte, {0x04}, 1, 0, S::kFixed, "EOT"},
    {kControlByte, {0x05}, 1, 0, S::kFixed, "ENQ"},
    {kControlByte, {0x06}, 1, 0, S::kFixed, "ACK"},
    {kControlByte, {0x07}, 1, 0, S::kFixed, "BEL"},
    {kControlByte, {0x0B}, 1, 0, S::kFixed, "VT"},
    {kControlByte, {0x0C}, 1, 0, S::kFixed, "FF"},
    {kControlByte, {0x0E}, 1, 0, S::kFixed, "SO"},
    {kControlByte, {0x0F}, 1, 0, S::kFixed, "SI"},
    {kControlByte, {0x11}, 1, 0, S::kFixed, "DC1"},
    {kControlByte, {0x12}, 1, 0, S::kFixed, "DC2"},
    {kControlByte, {0x13}, 1, 0, S::kFixed, "DC3"},
    {kControlByte, {0x14}, 1, 0, S::kFixed, "DC4"},
    {kControlByte, {0x15}, 1, 0, S::kFixed, "NAK"},
    {kControlByte, {0x16}, 1, 0, S::kFixed, "SYN"},
    {kControlByte, {0x17}, 1, 0, S::kFixed, "ETB"},
    {kControlByte, {0x18}, 1, 0, S::kFixed, "CAN"},
    {kControlByte, {0x19}, 1, 0, S::kFixed, "EM"},
    {kControlByte, {0x1A}, 1, 0, S::kFixed, "SUB"},
    {kControlByte, {0x1E}, 1, 0, S::kFixed, "RS"},
    {kControlByte, {0x1F}, 1, 0, S::kFixed, "US"},
    // Characters and the line
    {kLineFeed, {0x0A}, 1, 0, S::kFixed, "LF"},
    {kCarriageReturn, {0x0D}, 1, 0, S::kFixed, "CR"},
    {kTab, {0x09}, 1, 0, S::kFixed, "HT"},
    {kPrintMode, {ESC, '!'}, 2, 1, S::kFixed, "ESC !"},
    {kLineSpacing, {ESC, '3'}, 2, 1, S::kFixed, "ESC 3"},
    {kDefaultLineSpacing, {ESC, '2'}, 2, 0, S::kFixed, "ESC 2"},
    {kCharacterSpacing, {ESC, ' '}, 2, 1, S::kFixed, "ESC SP"},
    {kFont, {ESC, 'M'}, 2, 1, S::kFixed, "ESC M"},
    {kEmphasis, {ESC, 'E'}, 2, 1, S::kFixed, "ESC E"},
    {kDoubleStrike, {ESC, 'G'}, 2, 1, S::kFixed, "ESC G"},
    {kUnderline, {ESC, '-'}, 2, 1, S::kFixed, "ESC -"},
    {kKanjiUnderline, {FS, '-'}, 2, 1, S::kFixed, "FS -"},
    {kReverse, {GS, 'B'}, 2, 1, S::kFixed, "GS B"},
    {kUpsideDown, {ESC, '{'}, 2, 1, S::kFixed, "ESC {"},
    {kRotation, {ESC, 'V'}, 2, 1, S::kFixed, "ESC V"},
    {kJustification, {ESC, 'a'}, 2, 1, S::kFixed, "ESC a"},
    {kAbsolutePosition, {ESC, '$'}, 2, 2, S::kFixed, "ESC $"},
    {kRelativePosition, {ESC, '\\'}, 2, 2, S::kFixed, "ESC \\"},
    {kTabStops, {ESC, 'D'}, 2, 32, S::kNulList, "ESC D"},
    {kCodePage, {ESC, 't'}, 2, 1, S::kFixed, "ESC t"},
    {kInternational, {ESC, 'R'}, 2, 1, S::kFixed, "ESC R"},
    {kCharacterSize, {GS, '!'}, 2, 1, S::kFixed, "GS !"},
    {kLeftMargin, {GS, 'L'}, 2, 2, S::kFixed, "GS L"},
    {kPrintWidth, {GS, 'W'}, 2, 2, S::kFixed, "GS W"},
    {kFeed, {ESC, 'J'}, 2, 1, S::kFixed, "ESC J"},
    {kFeedLines, {ESC, 'd'}, 2, 1, S::kFixed, "ESC d"},
    {kItalic, {ESC, '4'}, 2, 0, S::kOptionalSwitch, "ESC 4"},
    {kItalicOff, {ESC, '5'}, 2, 0, S::kFixed, "ESC 5"},
    {kUserCharacters, {ESC, '&'}, 2, 0, S::kUserChars, "ESC &"},
    {kUserCharacterSet, {ESC, '%'}, 2, 1, S::kFixed, "ESC %"},
    {kCancelUserCharacter, {ESC, '?'}, 2, 1, S::kFixed, "ESC ?"},
    // Barcodes and two-dimensional codes
    {kBarcode, {GS, 'k'}, 2, 0, S::kBarcode, "GS k"},
    {kBarcodeHeight, {GS, 'h'}, 2, 1, S::kFixed, "GS h"},
    {kBarcodeWidth, {GS, 'w'}, 2, 1, S::kFixed, "GS w"},
    {kBarcodeText, {GS, 'H'}, 2, 1, S::kFixed, "GS H"},
    {kBarcodeFont, {GS, 'f'}, 2, 1, S::kFixed, "GS f"},
    {kSymbol, {GS, '(', 'k'}, 3, 0, S::kLengthPair, "GS ( k"},
    // Images
    {kRasterImage, {GS, 'v', '0'}, 3, 0, S::kRaster, "GS v 0"},
    {kBitImage, {ESC, '*'}, 2, 0, S::kBitImage, "ESC *"},
    {kGraphics, {GS, '(', 'L'}, 3, 0, S::kLengthPair, "GS ( L"},
    {kGraphicsLong, {GS, '8', 'L'}, 3, 0, S::kLengthQuad, "GS 8 L"},
    {kGraphics, {FS, '(', 'L'}, 3, 0, S::kLengthPair, "FS ( L"},
    {kNvImage, {FS, 'p'}, 2, 2, S::kFixed, "FS p"},
    // Paper, drawer and status
    {kCut, {GS, 'V'}, 2, 0, S::kCut, "GS V"},
    {kCutOld, {ESC, 'i'}, 2, 0, S::kFixed, "ESC i"},
    {kCutOld, {ESC, 'm'}, 2, 0, S::kFixed, "ESC m"},
    {kDrawerKick, {ESC, 'p'}, 2, 3, S::kFixed, "ESC p"},
    {kTransmitStatus, {GS, 'r'}, 2, 1, S::kFixed, "GS r"},
    {kPrinterId, {GS, 'I'}, 2, 1, S::kFixed, "GS I"},
    {kAutoStatus, {GS, 'a'}, 2, 1, S::kFixed, "GS a"},
    {kRealTimeRequest, {DLE, 0x05}, 2, 1, S::kFixed, "DLE ENQ"},
    {kRealTimePulse, {DLE, 0x14}, 2, 3, S::kFixed, "DLE DC4"},
    // Maintenance
    {kUserSetup, {GS, '(', 'E'}, 3, 0, S::kLengthPair, "GS ( E"},
    {kCounterReset, {GS, 'g', '0'}, 3, 3, S::kFixed, "GS g 0"},
    {kCounterRead, {GS, 'g', '2'}, 3, 3, S::kFixed, "GS g 2"},
    {kTestPrint, {GS, '(', 'A'}, 3, 0, S::kLengthPair, "GS ( A"},
    {kNvImageDefine, {FS, 'q'}, 2, 0, S::kNvImages, "FS q"},
    // Clear buffers: fn 8 followed by seven fixed bytes ("\x02\x03\x14\x01\x06\x02\x08").
    {kNoEffect, {DLE, 0x14, 0x08}, 3, 7, S::kFixed, "DLE DC4 8"},
    // Known commands with no effect on this printer (peripherals, page mode, panel keys,
    // macros, user-defined characters, maintenance): understood, logged, passed over.
    {kNoEffect, {ESC, 'B'}, 2, 2, S::kFixed, "ESC B"},    // beeper
    {kNoEffect, {ESC, 0x0F}, 2, 0, S::kFixed, "ESC SI"},  // condensed (dot-matrix)
    {kNoEffect, {GS, '|'}, 2, 1, S::kFixed, "GS |"},      // print density, older form
    {kNoEffect, {ESC, 'U'}, 2, 1, S::kFixed, "ESC U"},
    {kNoEffect, {ESC, 'r'}, 2, 1, S::kFixed, "ESC r"},
    {kNoEffect, {ESC, 'c', '3'}, 3, 1, S::kFixed, "ESC c 3"},
    {kNoEffect, {ESC, 'c', '4'}, 3, 1, S::kFixed, "ESC c 4"},
    {kNoEffect, {ESC, 'c', '5'}, 3, 1, S::kFixed, "ESC c 5"},
    {kNoEffect, {ESC, 'L'}, 2, 0, S::kFixed, "ESC L"},
    {kNoEffect, {ESC, 'S'}, 2, 0, S::kFixed, "ESC S"},
    {kNoEffect, {ESC, 'T'}, 2, 1, S::kFixed, "ESC T"},
    {kNoEffect, {ESC, 'W'}, 2, 8, S::kFixed, "ESC W"},
    {kNoEffect, {FS, '.'}, 2, 0, S::kFixed, "FS ."},
    {kNoEffect, {FS, '&'}, 2, 0, S::kFixed, "FS &"},
    {kNoEffect, {FS, '!'}, 2, 1, S::kFixed, "FS !"},
    {kNoEffect, {FS, 'C'}, 2, 1, S::kFixed, "FS C"},
    {kNoEffect, {FS, 'S'}, 2, 2, S::kFixed, "FS S"},
    {kNoEffect, {FS, 'W'}, 2, 1, S::kFixed, "FS W"},
    {kNoEffect, {GS, 'P'}, 2, 2, S::kFixed, "GS P"},
    {kNoEffect, {GS, '/'}, 2, 1, S::kFixed, "GS /"},
    {kNoEffect, {GS, 'b'}, 2, 1, S::kFixed, "GS b"},
    {kNoEffect, {GS, 'T'}, 2, 1, S::kFixed, "GS T"},
    {kNoEffect, {GS, '$'}, 2, 2, S::kFixed, "GS $"},
    {kNoEffect, {GS, '\\'}, 2, 2, S::kFixed, "GS \\"},
    {kNoEffect, {GS, '^'}, 2, 3, S::kFixed, "GS ^"},
    {kNoEffect, {GS, ':'}, 2, 0, S::kFixed, "GS :"},
    {kNoEffectLong, {GS, '(', 'C'}, 3, 0, S::kLengthPair, "GS ( C"},
    {kNoEffectLong, {GS, '(', 'D'}, 3, 0, S::kLengthPair, "GS ( D"},
    {kNoEffectLong, {GS, '(', 'H'}, 3, 0, S::kLengthPair, "GS ( H"},
    {kNoEffectLong, {GS, '(', 'M'}, 3, 0, S::kLengthPair, "GS ( M"},
    {kNoEffectLong, {GS, '(', 'N'}, 3, 0, S::kLengthPair, "GS ( N"},
    {kNoEffectLong, {GS, '(', 'P'}, 3, 0, S::kLengthPair, "GS ( P"},
    {kNoEffectLong, {GS, '(', 'Q'}, 3, 0, S::kLengthPair, "GS ( Q"},
    {kNoEffectLong, {FS, '(', 'A'}, 3, 0, S::kLengthPair, "FS ( A"},
    {kNoEffectLong, {FS, '(', 'C'}, 3, 0, S::kLengthPair, "FS ( C"},
    {kNoEffectLong, {FS, '(', 'E'}, 3, 0, S::kLengthPair, "FS ( E"},
    {kNoEffectLong, {ESC, '(', 'A'}, 3, 0, S::kLengthPair, "ESC ( A"},
    {kNoEffectLong, {ESC, '(', 'Y'}, 3, 0, S::kLengthPair, "ESC ( Y"},
};

// Stands for "more than one command could still follow".
constexpr CommandDef kAmbiguous{CommandId::kCarriageReturn, {}, 0, 0, Shape::kFixed, ""};

// Longest data of a NUL-terminated barcode before the command counts as malformed.
constexpr std::size_t kMaxNulBarcode = 255;

// Total length of a command whose prefix matched, or 0 while the bytes seen cannot tell.
// `complete` says whether the bytes seen are enough to know the length.
// ESC &: y c1 c2, then for each code an x and x columns of y bytes; 0 while the bytes seen
// end before that does. A header no printer takes (no codes, or y beyond any font) stands
// alone, so that its handler can refuse it without swallowing what follows.
std::size_t UserCharsLength(std::span<const std::uint8_t> b, std::size_t p) {
  if (b.size() < p + 3) return 0;
  const std::size_t y = b[p], c1 = b[p + 1], c2 = b[p + 2];
  if (y == 0 || y > 3 || c1 > c2 || c1 < 0x20) return p + 3;
  std::size_t at = p + 3;
  for (std::size_t code = c1; code <= c2; ++code) {
    if (at >= b.size()) return 0;
    at += 1 + y * b[at];
  }
  return at;
}

std::size_t CommandLength(const CommandDef& def, std::span<const std::uint8_t> b, bool at_end,
                          bool& known) {
  const std::size_t p = def.prefix_length;
  known = true;
  switch (def.shape) {
    case Shape::kFixed:
      return p + def.params;
    case Shape::kLengthPair:
      if (b.size() < p + 2) break;
      return p + 2 + b[p] + 256u * b[p + 1];
    case Shape::kLengthQuad:
      if (b.size() < p + 4) break;
      return p + 4 + b[p] + (std::size_t{b[p + 1]} << 8) + (std::size_t{b[p + 2]} << 16) +
             (std::size_t{b[p + 3]} << 24);
    case Shape::kNulList: {
      // Up to `params` bytes and the NUL that closes the list; a list that never closes
      // ends at its longest, so it cannot swallow what follows.
      const std::size_t limit = std::min(b.size(), p + def.params + 1);
      for (std::size_t i = p; i < limit; ++i) {
        if (b[i] == 0) return i + 1;
      }
      if (b.size() >= p + def.params + 1) return p + def.params + 1;
      break;
    }
    case Shape::kBitImage: {
      if (b.size() < p + 3) break;
      const std::size_t n = b[p + 1] + 256u * b[p + 2];
      const std::uint8_t m = b[p];
      // 8-dot modes take one byte a column, 24-dot modes three. Any other mode is refused
      // by the printer with its three parameter bytes.
      if (m == 0 || m == 1) return p + 3 + n;
      if (m == 32 || m == 33) return p + 3 + 3 * n;
      return p + 3;
    }
    case Shape::kCut: {
      if (b.size() < p + 1) break;
      const std::uint8_t m = b[p];
      // Function B (65, 66) and the later functions C and D (97, 98, 103, 104) carry a
      // feed amount after m.
      const bool with_feed = m == 65 || m == 66 || m == 97 || m == 98 || m == 103 || m == 104;
      return p + 1 + (with_feed ? 1 : 0);
    }
    case Shape::kNvImages: {
      // n images, each as long as its own header says. A header far beyond the longest
      // command is enough to know the command is overlong.
      if (b.size() < p + 1) break;
      std::size_t at = p + 1;
      for (int i = 0; i < b[p]; ++i) {
        if (b.size() < at + 4) {
          if (at > kMaxCommandBytes) return at;
          known = false;
          return 0;
        }
        at += 4 + std::size_t{b[at] + 256u * b[at + 1]} * (b[at + 2] + 256u * b[at + 3]) * 8;
      }
      return at;
    }
    case Shape::kOptionalSwitch:
      // Whether n follows can only be told by the next byte; at the stream's end none does.
      if (b.size() < p + 1) {
        if (at_end) return p;
        break;
      }
      return p + (b[p] <= 1 ? 1 : 0);
    case Shape::kUserChars:
      if (const std::size_t length = UserCharsLength(b, p)) return length;
      break;
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
  return b == ESC || b == GS || b == DLE || b == FS;
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
    const std::size_t length = CommandLength(*best, bytes, at_end, known);
    if (known && bytes.size() >= length) return {Match::kCommand, length, best};
    if (!at_end) return {Match::kNeedMore, 0, best, known ? length : 0};
    return {Match::kTruncated, bytes.size(), best, known ? length : 0};
  }
  const std::uint8_t b = bytes[0];
  // ESC (, GS ( and FS ( introduce families whose every member counts its own length, so
  // one this printer does not know can still be passed over whole.
  if ((b == ESC || b == GS || b == FS) && bytes.size() >= 2 && bytes[1] == '(') {
    if (bytes.size() >= 5) {
      const std::size_t length = 5 + bytes[3] + 256u * bytes[4];
      if (bytes.size() >= length) return {Match::kUnknown, length};
      if (!at_end) return {Match::kNeedMore, 0, nullptr, length};
      return {Match::kTruncated, bytes.size(), nullptr, length};
    }
    if (!at_end) return {Match::kNeedMore};
    return {Match::kTruncated, bytes.size()};
  }
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
