// The commands a technician's tools send (printer information, NV graphics, maintenance
// counters, user setup, test prints) as bytes, and the decoding of the printer's replies.
// Everything here is pure: no port, no clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace qw77 {

using Bytes = std::vector<std::uint8_t>;

// The two characters that name a logo in NV graphics memory, each printable ASCII (32..126).
struct LogoKey {
  char c1 = 'A';
  char c2 = '1';
  std::string Text() const { return std::string{c1, c2}; }
  friend bool operator==(const LogoKey&, const LogoKey&) = default;
};
// "XY": exactly two printable ASCII characters; kInvalidArgument, saying why, otherwise.
Result<LogoKey> ParseLogoKey(std::string_view text);

// A one-bit picture, top row first: dots[y * width + x] is 1 where a dot prints.
struct DotImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dots;
  friend bool operator==(const DotImage&, const DotImage&) = default;
};

// A grey picture, top row first: 0 black .. 255 white.
struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> gray;
};

// The largest NV graphic a printer takes: 8192 x 2304 dots.
inline constexpr int kMaxNvGraphicWidth = 8192;
inline constexpr int kMaxNvGraphicHeight = 2304;

// Scales `image` to `width` dots wide keeping its proportions (area averaging when it
// shrinks, nearest dot when it grows); width <= 0 leaves it as it is.
GrayImage ScaleToWidth(const GrayImage& image, int width);
// The height ScaleToWidth gives `image` at `width` (its own height for width <= 0), worked
// out without scaling it, so that a size no printer takes is refused first.
std::int64_t ScaledHeight(const GrayImage& image, int width);
// Floyd-Steinberg error diffusion to one bit: a dot prints where the grey is dark.
DotImage Dither(const GrayImage& image);
// The raster bytes of a picture: rows of (width + 7) / 8 bytes, the leftmost dot the top bit.
Bytes RasterBytes(const DotImage& image);

// --- Command bytes -------------------------------------------------------------------------

Bytes RealTimeStatusRequest(std::uint8_t n);  // DLE EOT n
Bytes PrinterIdRequest(std::uint8_t n);       // GS I n
Bytes NvCapacityRequest();                    // GS ( L fn 48
Bytes NvRemainingRequest();                   // GS ( L fn 51
Bytes NvKeyListRequest();                     // GS ( L fn 64 "KC"
// GS ( L (or GS 8 L when the data needs more than 65535 bytes) fn 67: one raster NV graphic,
// one colour. The picture must be 1..8192 x 1..2304 dots.
Bytes NvStoreCommand(LogoKey key, const DotImage& image);
Bytes NvPrintCommand(LogoKey key, int scale_x = 1, int scale_y = 1);  // fn 69
Bytes NvDeleteCommand(LogoKey key);                                   // fn 66
Bytes NvDeleteAllCommand();                                           // fn 65 "CLR"
Bytes CounterReadCommand(int number);                                 // GS g 2
Bytes CounterResetCommand(int number);                                // GS g 0
Bytes SetupEnterCommand();                                            // GS ( E fn 1 "IN"
Bytes SetupLeaveCommand();                                            // GS ( E fn 2 "OUT"
Bytes SwitchReadCommand(int switch_number);                           // GS ( E fn 4
// GS ( E fn 3: `bits` is 8 characters, bit 8 first, each '0', '1' or '2' (left as it is).
Bytes SwitchSetCommand(int switch_number, std::string_view bits);
Bytes CustomValueReadCommand(int a);            // GS ( E fn 6
Bytes CustomValueSetCommand(int a, int value);  // GS ( E fn 5; value 0..65535
Bytes TestPrintCommand(int pattern);  // GS ( A, roll paper; 1 hex dump, 2 status, 3 rolling

// --- Replies -------------------------------------------------------------------------------

// One framed reply (a header byte, its body, a NUL) looked for at the start of what arrived.
struct Frame {
  enum State : std::uint8_t { kNeedMore, kBad, kDone } state = kNeedMore;
  Bytes body;            // between the header and the NUL (kDone)
  std::size_t used = 0;  // bytes the frame took (kDone)
  std::string error;     // why it is no such reply (kBad)
};
inline constexpr std::uint8_t kInfoHeader = 0x5F;   // GS I 65..69, GS g 2
inline constexpr std::uint8_t kSetupHeader = 0x37;  // GS ( E, GS ( L
// The longest body a reply may have before it is taken for garbage rather than a reply.
inline constexpr std::size_t kMaxFrameBody = 256;
Frame ScanFrame(std::span<const std::uint8_t> arrived, std::uint8_t header);

// Bodies of the framed replies.
Result<std::string> DecodeInfoText(std::span<const std::uint8_t> body);  // printable text
Result<std::size_t> DecodeNvSize(std::span<const std::uint8_t> body, std::uint8_t identifier);
struct KeyBlock {
  std::vector<LogoKey> keys;
  bool more = false;  // another block follows once it is acknowledged
};
Result<KeyBlock> DecodeKeyBlock(std::span<const std::uint8_t> body);
Status DecodeSetupEntered(std::span<const std::uint8_t> body);
Result<std::string> DecodeSwitch(std::span<const std::uint8_t> body);  // 8 of '0'/'1'
// Customised value `a`: its value.
Result<int> DecodeCustomValue(std::span<const std::uint8_t> body, int a);
Result<std::int64_t> DecodeCounter(std::span<const std::uint8_t> body);

// Answers to a block of the key list.
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kCan = 0x18;

}  // namespace qw77
