// Every command the printer understands, with the bytes that introduce it and how long it
// is. The interpreter finds a command's end from this table alone, so a command is never
// cut short or run into the next one, and no command's parameters are taken for text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qw77::vprinter {

// What a command is, and so which of the printer's handlers carries it out: several rows
// may share one (the same command under two prefixes).
enum class CommandId {
  // Control and settings
  kSelfTest,       // BS
  kStoreSettings,  // CR BEL CR
  kStatusRequest,  // DLE EOT n
  kInitialize,     // ESC @
  kExtended,       // GS ( K pL pH fn ... (print density)
  kSpeed,          // GS E n
  kControlByte,    // NUL and the other control bytes below 20h no command begins with
  kSelectPrinter,  // ESC = n
  // Characters and the line
  kLineFeed,             // LF
  kCarriageReturn,       // CR
  kTab,                  // HT
  kPrintMode,            // ESC ! n
  kLineSpacing,          // ESC 3 n
  kDefaultLineSpacing,   // ESC 2
  kCharacterSpacing,     // ESC SP n
  kFont,                 // ESC M n
  kEmphasis,             // ESC E n
  kDoubleStrike,         // ESC G n
  kUnderline,            // ESC - n
  kKanjiUnderline,       // FS - n
  kReverse,              // GS B n
  kUpsideDown,           // ESC { n
  kRotation,             // ESC V n
  kJustification,        // ESC a n
  kAbsolutePosition,     // ESC $ nL nH
  kRelativePosition,     // ESC \ nL nH
  kTabStops,             // ESC D n1 .. nk NUL
  kCodePage,             // ESC t n
  kInternational,        // ESC R n
  kCharacterSize,        // GS ! n
  kLeftMargin,           // GS L nL nH
  kPrintWidth,           // GS W nL nH
  kFeed,                 // ESC J n
  kFeedLines,            // ESC d n
  kItalic,               // ESC 4 [n]
  kItalicOff,            // ESC 5
  kUserCharacters,       // ESC & y c1 c2 [x d1 .. d(y x)] ...
  kUserCharacterSet,     // ESC % n
  kCancelUserCharacter,  // ESC ? n
  // Barcodes and two-dimensional codes
  kBarcode,        // GS k m ...
  kBarcodeHeight,  // GS h n
  kBarcodeWidth,   // GS w n
  kBarcodeText,    // GS H n
  kBarcodeFont,    // GS f n
  kSymbol,         // GS ( k pL pH cn fn ...
  // Images
  kRasterImage,   // GS v 0 m xL xH yL yH d1..dk
  kBitImage,      // ESC * m nL nH d1..dk
  kGraphics,      // GS ( L pL pH m fn ...
  kGraphicsLong,  // GS 8 L p1 p2 p3 p4 m fn ...
  kNvImage,       // FS p n m
  // Paper, drawer and status
  kCut,              // GS V m [n]
  kCutOld,           // ESC i, ESC m
  kDrawerKick,       // ESC p m t1 t2
  kTransmitStatus,   // GS r n
  kPrinterId,        // GS I n
  kAutoStatus,       // GS a n
  kRealTimeRequest,  // DLE ENQ n
  kRealTimePulse,    // DLE DC4 fn m t
  // Maintenance: what a technician's setting utility sends
  kUserSetup,      // GS ( E pL pH fn ...
  kCounterReset,   // GS g 0 m nL nH
  kCounterRead,    // GS g 2 m nL nH
  kTestPrint,      // GS ( A pL pH n m
  kNvImageDefine,  // FS q n [xL xH yL yH d1..dk]1..n
  // Known, with no effect on this printer; their parameters are passed over.
  kNoEffect,
  kNoEffectLong,  // prefix pL pH ...
};
inline constexpr std::size_t kCommandIds = static_cast<std::size_t>(CommandId::kNoEffectLong) + 1;

// How the length of a command past its fixed parameters is found.
enum class Shape {
  kFixed,           // prefix + `params` bytes
  kLengthPair,      // prefix + pL pH + (pL + 256 pH) bytes
  kLengthQuad,      // prefix + p1..p4 + (p1 + 256 p2 + 65536 p3 + 16777216 p4) bytes
  kRaster,          // prefix + m xL xH yL yH + (x * y) bytes
  kBarcode,         // prefix + m; m <= 6: data up to a NUL; m >= 65: n + n bytes
  kNulList,         // prefix + bytes up to and including a NUL, at most `params` before it
  kBitImage,        // prefix + m nL nH + n bytes (8-dot m) or 3n bytes (24-dot m)
  kCut,             // prefix + m, and n after the m that feed before cutting
  kOptionalSwitch,  // prefix, and n when the next byte is 0 or 1 (an older form has none)
  kUserChars,       // prefix + y c1 c2, then for each code c1..c2: x and y * x bytes
  kNvImages,        // prefix + n, then n images of xL xH yL yH + (x * y * 8) bytes
};

struct CommandDef {
  CommandId id;
  std::array<std::uint8_t, 3> prefix;
  std::uint8_t prefix_length;
  std::uint8_t params;  // fixed parameter bytes after the prefix (kFixed, and kNulList's limit)
  Shape shape;
  const char* name;  // as the log writes it
};

std::span<const CommandDef> CommandTable();

// What the head of a byte stream holds.
struct Match {
  enum Kind {
    kCommand,    // a whole command of `def`, `length` bytes
    kText,       // one printable byte
    kUnknown,    // bytes no command begins with; `length` of them are skipped
    kNeedMore,   // a command has begun and needs more bytes
    kTruncated,  // (only at the end of the stream) a command that never completed
  } kind;
  std::size_t length = 0;
  const CommandDef* def = nullptr;
  // kTruncated and kNeedMore: the length the command has (or would have had), when known.
  std::size_t needed = 0;
};

// Looks at the head of `bytes`. With `at_end` no more bytes will come, so an open command
// is truncated rather than waited for.
Match MatchCommand(std::span<const std::uint8_t> bytes, bool at_end);

}  // namespace qw77::vprinter
