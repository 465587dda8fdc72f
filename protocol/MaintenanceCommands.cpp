#include "protocol/MaintenanceCommands.h"

#include <algorithm>
#include <cmath>

namespace qw77 {
namespace {

constexpr std::uint8_t DLE = 0x10, EOT = 0x04, GS = 0x1D;
// Function bytes of the tools' commands: GS ( L takes m = 48 before its function.
constexpr std::uint8_t kGraphicsM = 48;
constexpr std::uint8_t kSeparator = 0x1F;

std::uint8_t Lo(std::size_t v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}
std::uint8_t Hi(std::size_t v) {
  return static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// GS ( `letter` pL pH followed by `body`.
Bytes Parenthesised(char letter, const Bytes& body) {
  Bytes out = {GS, '(', static_cast<std::uint8_t>(letter), Lo(body.size()), Hi(body.size())};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Status Bad(const std::string& why) {
  return {ErrorCode::kFormat, why};
}

// The decimal digits of a reply, as a number.
Result<std::int64_t> Digits(std::span<const std::uint8_t> digits, const std::string& what) {
  if (digits.empty() || digits.size() > 18) return Bad(what + " has no number");
  std::int64_t value = 0;
  for (std::uint8_t d : digits) {
    if (d < '0' || d > '9') return Bad(what + " holds a byte that is no digit");
    value = value * 10 + (d - '0');
  }
  return value;
}

std::string HexByte(std::uint8_t b) {
  static const char* const kHex = "0123456789ABCDEF";
  return std::string{kHex[b >> 4], kHex[b & 15]} + "h";
}

}  // namespace

Result<LogoKey> ParseLogoKey(std::string_view text) {
  if (text.size() != 2) {
    return Status{ErrorCode::kInvalidArgument,
                  "a logo key is two characters, such as A1; \"" + std::string(text) + "\" is not"};
  }
  for (char ch : text) {
    if (ch < 32 || ch > 126) {
      return Status{ErrorCode::kInvalidArgument, "a logo key is two printable ASCII characters"};
    }
  }
  return LogoKey{text[0], text[1]};
}

Bytes RealTimeStatusRequest(std::uint8_t n) {
  return {DLE, EOT, n};
}
Bytes PrinterIdRequest(std::uint8_t n) {
  return {GS, 'I', n};
}
Bytes NvCapacityRequest() {
  return Parenthesised('L', {kGraphicsM, 48});
}
Bytes NvRemainingRequest() {
  return Parenthesised('L', {kGraphicsM, 51});
}
Bytes NvKeyListRequest() {
  return Parenthesised('L', {kGraphicsM, 64, 'K', 'C'});
}

Bytes NvStoreCommand(LogoKey key, const DotImage& image) {
  const Bytes data = RasterBytes(image);
  const auto w = static_cast<std::size_t>(image.width), h = static_cast<std::size_t>(image.height);
  // m fn a kc1 kc2 b xL xH yL yH c, then the data.
  Bytes body = {kGraphicsM,
                67,
                48,
                static_cast<std::uint8_t>(key.c1),
                static_cast<std::uint8_t>(key.c2),
                1,
                Lo(w),
                Hi(w),
                Lo(h),
                Hi(h),
                49};
  body.insert(body.end(), data.begin(), data.end());
  if (body.size() <= 0xFFFF) return Parenthesised('L', body);
  // The long form counts its parameters in four bytes.
  Bytes out = {GS, '8', 'L'};
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>((body.size() >> shift) & 0xFF));
  }
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes NvPrintCommand(LogoKey key, int scale_x, int scale_y) {
  return Parenthesised(
      'L', {kGraphicsM, 69, static_cast<std::uint8_t>(key.c1), static_cast<std::uint8_t>(key.c2),
            static_cast<std::uint8_t>(scale_x), static_cast<std::uint8_t>(scale_y)});
}
Bytes NvDeleteCommand(LogoKey key) {
  return Parenthesised(
      'L', {kGraphicsM, 66, static_cast<std::uint8_t>(key.c1), static_cast<std::uint8_t>(key.c2)});
}
Bytes NvDeleteAllCommand() {
  return Parenthesised('L', {kGraphicsM, 65, 'C', 'L', 'R'});
}

Bytes CounterReadCommand(int number) {
  const auto n = static_cast<std::size_t>(number);
  return {GS, 'g', '2', 0, Lo(n), Hi(n)};
}
Bytes CounterResetCommand(int number) {
  const auto n = static_cast<std::size_t>(number);
  return {GS, 'g', '0', 0, Lo(n), Hi(n)};
}

Bytes SetupEnterCommand() {
  return Parenthesised('E', {1, 'I', 'N'});
}
Bytes SetupLeaveCommand() {
  return Parenthesised('E', {2, 'O', 'U', 'T'});
}
Bytes SwitchReadCommand(int switch_number) {
  return Parenthesised('E', {4, static_cast<std::uint8_t>(switch_number)});
}
Bytes SwitchSetCommand(int switch_number, std::string_view bits) {
  Bytes body = {3, static_cast<std::uint8_t>(switch_number)};
  body.insert(body.end(), bits.begin(), bits.end());
  return Parenthesised('E', body);
}
Bytes CustomValueReadCommand(int a) {
  return Parenthesised('E', {6, static_cast<std::uint8_t>(a)});
}
Bytes CustomValueSetCommand(int a, int value) {
  const auto v = static_cast<std::size_t>(value);
  return Parenthesised('E', {5, static_cast<std::uint8_t>(a), Lo(v), Hi(v)});
}
Bytes TestPrintCommand(int pattern) {
  return Parenthesised('A', {0, static_cast<std::uint8_t>(pattern)});
}

Frame ScanFrame(std::span<const std::uint8_t> arrived, std::uint8_t header) {
  Frame f;
  if (arrived.empty()) return f;
  if (arrived[0] != header) {
    f.state = Frame::kBad;
    f.error = "the reply starts with " + HexByte(arrived[0]) + ", not " + HexByte(header);
    return f;
  }
  const auto nul = std::find(arrived.begin() + 1, arrived.end(), 0);
  const auto body_size = static_cast<std::size_t>(nul - arrived.begin() - 1);
  if (body_size > kMaxFrameBody) {
    f.state = Frame::kBad;
    f.error = "the reply runs past " + std::to_string(kMaxFrameBody) + " bytes without its end";
    return f;
  }
  if (nul == arrived.end()) return f;
  f.state = Frame::kDone;
  f.body.assign(arrived.begin() + 1, nul);
  f.used = body_size + 2;
  return f;
}

Result<std::string> DecodeInfoText(std::span<const std::uint8_t> body) {
  for (std::uint8_t b : body) {
    if (b < 0x20 || b > 0x7E) return Bad("the text holds the byte " + HexByte(b));
  }
  return std::string(body.begin(), body.end());
}

Result<std::size_t> DecodeNvSize(std::span<const std::uint8_t> body, std::uint8_t identifier) {
  if (body.empty() || body[0] != identifier) {
    return Bad("the reply is not the one asked for (identifier " +
               (body.empty() ? std::string("missing") : HexByte(body[0])) + ")");
  }
  Result<std::int64_t> value = Digits(body.subspan(1), "the size");
  if (!value) return value.status();
  return static_cast<std::size_t>(*value);
}

Result<KeyBlock> DecodeKeyBlock(std::span<const std::uint8_t> body) {
  if (body.size() < 2 || body[0] != 0x72 || (body[1] != 0x40 && body[1] != 0x41)) {
    return Bad("the reply is no block of the key code list");
  }
  const auto keys = body.subspan(2);
  if (keys.size() % 2 != 0) return Bad("the key code list ends half way through a key");
  KeyBlock block;
  block.more = body[1] == 0x41;
  for (std::size_t i = 0; i < keys.size(); i += 2) {
    if (keys[i] < 32 || keys[i] > 126 || keys[i + 1] < 32 || keys[i + 1] > 126) {
      return Bad("the key code list holds a key outside 32..126");
    }
    block.keys.push_back({static_cast<char>(keys[i]), static_cast<char>(keys[i + 1])});
  }
  return block;
}

Status DecodeSetupEntered(std::span<const std::uint8_t> body) {
  if (body.size() == 1 && body[0] == 0x20) return Status::Ok();
  return Bad("the printer did not confirm the user setting mode");
}

Result<std::string> DecodeSwitch(std::span<const std::uint8_t> body) {
  if (body.size() != 9 || body[0] != 0x21) return Bad("the reply is no memory switch setting");
  std::string bits(body.begin() + 1, body.end());
  if (bits.find_first_not_of("01") != std::string::npos) {
    return Bad("the memory switch holds a bit that is neither 0 nor 1");
  }
  return bits;
}

Result<int> DecodeCustomValue(std::span<const std::uint8_t> body, int a) {
  const auto sep = std::find(body.begin(), body.end(), kSeparator);
  if (body.empty() || body[0] != 0x27 || sep == body.end()) {
    return Bad("the reply is no customised value");
  }
  Result<std::int64_t> number = Digits({body.begin() + 1, sep}, "the value's number");
  if (!number) return number.status();
  if (*number != a) return Bad("the reply is for value " + std::to_string(*number));
  Result<std::int64_t> value = Digits({sep + 1, body.end()}, "the value");
  if (!value) return value.status();
  if (*value > 0xFFFF) return Bad("the value is out of range");
  return static_cast<int>(*value);
}

Result<std::int64_t> DecodeCounter(std::span<const std::uint8_t> body) {
  return Digits(body, "the counter");
}

std::int64_t ScaledHeight(const GrayImage& image, int width) {
  if (width <= 0 || width == image.width || image.width <= 0) return image.height;
  const double f = static_cast<double>(image.width) / width;
  return std::max<std::int64_t>(1, std::llround(image.height / f));
}

GrayImage ScaleToWidth(const GrayImage& image, int width) {
  if (width <= 0 || width == image.width || image.width <= 0) return image;
  const double f = static_cast<double>(image.width) / width;
  const int height = static_cast<int>(ScaledHeight(image, width));
  GrayImage out{width, height, std::vector<std::uint8_t>(std::size_t(width) * height)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // The source dots the target dot covers (at least one).
      const int x0 = static_cast<int>(x * f), y0 = static_cast<int>(y * f);
      const int x1 = std::clamp(static_cast<int>((x + 1) * f), x0 + 1, image.width);
      const int y1 = std::clamp(static_cast<int>((y + 1) * f), y0 + 1, image.height);
      unsigned sum = 0, n = 0;
      for (int sy = std::min(y0, image.height - 1); sy < y1; ++sy) {
        for (int sx = std::min(x0, image.width - 1); sx < x1; ++sx, ++n) {
          sum += image.gray[std::size_t(sy) * image.width + sx];
        }
      }
      out.gray[std::size_t(y) * width + x] = static_cast<std::uint8_t>(sum / std::max(n, 1u));
    }
  }
  return out;
}

DotImage Dither(const GrayImage& image) {
  const int w = image.width, h = image.height;
  DotImage out{w, h, std::vector<std::uint8_t>(std::size_t(w) * h)};
  // Two rows of carried error, one dot of margin each side.
  std::vector<int> here(std::size_t(w) + 2), next(std::size_t(w) + 2);
  for (int y = 0; y < h; ++y) {
    std::fill(next.begin(), next.end(), 0);
    for (int x = 0; x < w; ++x) {
      const std::size_t i = std::size_t(y) * w + x;
      const int want = image.gray[i] + here[std::size_t(x) + 1] / 16;
      const int got = want < 128 ? 0 : 255;
      out.dots[i] = got == 0 ? 1 : 0;
      const int e = want - got;
      here[std::size_t(x) + 2] += e * 7;
      next[std::size_t(x)] += e * 3;
      next[std::size_t(x) + 1] += e * 5;
      next[std::size_t(x) + 2] += e;
    }
    std::swap(here, next);
  }
  return out;
}

Bytes RasterBytes(const DotImage& image) {
  const std::size_t row = (std::size_t(image.width) + 7) / 8;
  Bytes out(row * std::size_t(image.height));
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!image.dots[std::size_t(y) * image.width + x]) continue;
      out[std::size_t(y) * row + std::size_t(x) / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
  }
  return out;
}

}  // namespace qw77
