// Every command the printer understands, with the bytes that introduce it and how long it
// is. The interpreter finds a command's end from this table alone, so a command is never
// cut short or run into the next one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qw77::vprinter {

enum class CommandId {
  kLineFeed,            // LF
  kCarriageReturn,      // CR
  kSelfTest,            // BS
  kStoreSettings,       // CR BEL CR
  kStatusRequest,       // DLE EOT n
  kInitialize,          // ESC @
  kPrintMode,           // ESC ! n
  kLineSpacing,         // ESC 3 n
  kDefaultLineSpacing,  // ESC 2
  kCharacterSpacing,    // ESC SP n
  kFont,                // ESC M n
  kEmphasis,            // ESC E n
  kUnderline,           // ESC - n
  kFeed,                // ESC J n
  kCharacterSize,       // GS ! n
  kLeftMargin,          // GS L nL nH
  kExtended,            // GS ( K pL pH fn ...
  kSpeed,               // GS E n
  kRasterImage,         // GS v 0 m xL xH yL yH d1..dk
  kBarcode,             // GS k m ...
  kBarcodeHeight,       // GS h n
  kBarcodeWidth,        // GS w n
  kBarcodeText,         // GS H n
};

// How the length of a command past its fixed parameters is found.
enum class Shape {
  kFixed,       // prefix + `params` bytes
  kLengthPair,  // prefix + pL pH + (pL + 256 pH) bytes
  kRaster,      // prefix + m xL xH yL yH + (x * y) bytes
  kBarcode,     // prefix + m; m <= 6: data up to a NUL; m >= 65: n + n bytes
};

struct CommandDef {
  CommandId id;
  std::array<std::uint8_t, 3> prefix;
  std::uint8_t prefix_length;
  std::uint8_t params;  // fixed parameter bytes after the prefix (kFixed only)
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
