// Printer information and the logos in NV graphics memory.
#include "jobs/PrinterTools.h"

#include <algorithm>

#include "jobs/ToolSession.h"
#include "transport/ImageFile.h"

namespace qw77 {
namespace {

// An NV write may keep the printer busy before it answers the next question.
constexpr Clock::Duration kNvWriteTime = std::chrono::seconds(3);
// Blocks of the key list taken before the list is given up: the most keys there can be.
constexpr int kMaxKeyBlocks = (95 * 95 + 39) / 40;

std::optional<std::string> InfoText(ToolSession& s, std::uint8_t n, const std::string& what) {
  const Bytes ask = PrinterIdRequest(n);
  std::optional<Bytes> body =
      s.AskFrame(ask, kInfoHeader, "GS I " + std::to_string(n) + " (" + what + ")");
  if (!body) return std::nullopt;
  return s.Take(DecodeInfoText(*body), what);
}

std::optional<std::size_t> NvSize(ToolSession& s, bool capacity, Clock::Duration extra = {}) {
  const Bytes ask = capacity ? NvCapacityRequest() : NvRemainingRequest();
  const std::string what = capacity ? "the NV graphics capacity" : "the NV graphics space left";
  std::optional<Bytes> body = s.AskFrame(ask, kSetupHeader, what, extra);
  if (!body) return std::nullopt;
  return s.Take(DecodeNvSize(*body, capacity ? 0x30 : 0x31), what);
}

// The key list, block by block: each block is acknowledged, the last one too (which ends
// the printer's sending).
std::optional<std::vector<LogoKey>> KeyList(ToolSession& s, Clock::Duration extra = {}) {
  std::vector<LogoKey> keys;
  Bytes ask = NvKeyListRequest();
  for (int block = 0; block < kMaxKeyBlocks; ++block) {
    const std::string what = "the key code list";
    std::optional<Bytes> body =
        s.AskFrame(ask, kSetupHeader, what, block == 0 ? extra : Clock::Duration{});
    if (!body) return std::nullopt;
    std::optional<KeyBlock> got = s.Take(DecodeKeyBlock(*body), what);
    if (!got) return std::nullopt;
    keys.insert(keys.end(), got->keys.begin(), got->keys.end());
    if (!got->more) {
      const Bytes ack = {kAck};
      if (!s.Send(ack, "the key code list's acknowledgement")) return std::nullopt;
      return keys;
    }
    ask = {kAck};
  }
  s.Fail(JobEnd::kNoAnswer, "the key code list does not end.");
  return std::nullopt;
}

bool Listed(const std::vector<LogoKey>& keys, LogoKey key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::optional<StatusFlags> AskStatus(ToolSession& s) {
  std::uint8_t replies[5] = {};
  for (std::uint8_t n = 2; n <= 4; ++n) {
    const Bytes ask = RealTimeStatusRequest(n);
    const std::string what = "DLE EOT " + std::to_string(n);
    const std::optional<std::uint8_t> b = s.AskByte(ask, what);
    if (!b) return std::nullopt;
    if (!IsStatusByte(*b)) {
      s.Fail(JobEnd::kNoAnswer, "the reply to " + what + " is no status byte.");
      return std::nullopt;
    }
    replies[n] = *b;
  }
  return DecodeSerialStatus(replies[2], replies[3], replies[4]);
}

}  // namespace

std::vector<std::string> TypeIdWords(std::uint8_t type_id) {
  std::vector<std::string> words;
  if (type_id & 0x01) words.emplace_back("two-byte characters");
  if (type_id & 0x02) words.emplace_back("autocutter");
  if (type_id & 0x04) words.emplace_back("black mark sensor");
  return words;
}

InfoReport ReadPrinterInfo(const ToolPort& port) {
  InfoReport r;
  ToolSession s(port, r);
  PrinterInfo& info = r.info;
  std::optional<std::uint8_t>* ids[] = {&info.model_id, &info.type_id, &info.version_id};
  for (std::uint8_t n = 1; n <= 3 && !s.failed(); ++n) {
    const Bytes ask = PrinterIdRequest(n);
    *ids[n - 1] = s.AskByte(ask, "GS I " + std::to_string(n));
  }
  const std::pair<std::string*, const char*> texts[] = {{&info.firmware, "the firmware version"},
                                                        {&info.maker, "the maker"},
                                                        {&info.model, "the model name"},
                                                        {&info.serial_number, "the serial number"},
                                                        {&info.fonts, "the fonts"}};
  for (std::uint8_t i = 0; i < 5 && !s.failed(); ++i) {
    if (auto text = InfoText(s, static_cast<std::uint8_t>(65 + i), texts[i].second)) {
      *texts[i].first = *text;
    }
  }
  if (!s.failed()) info.status = AskStatus(s);
  if (info.status && !info.status->no_error) r.end = JobEnd::kPrinterCondition;
  return r;
}

LogoListReport ListLogos(const ToolPort& port) {
  LogoListReport r;
  ToolSession s(port, r);
  if (s.failed()) return r;
  if (auto capacity = NvSize(s, true)) r.list.capacity = *capacity;
  if (auto remaining = NvSize(s, false)) r.list.remaining = *remaining;
  if (auto keys = KeyList(s)) r.list.keys = std::move(*keys);
  return r;
}

Result<DotImage> LoadLogo(const std::string& path, int fit_width) {
  Result<GrayImage> picture = ReadPicture(path);
  if (!picture) return picture.status();
  // Checked before scaling: a thin picture made wide would not fit in memory either.
  const std::int64_t width = fit_width > 0 ? fit_width : picture->width;
  const std::int64_t height = ScaledHeight(*picture, fit_width);
  if (width > kMaxNvGraphicWidth || height > kMaxNvGraphicHeight) {
    return Status{ErrorCode::kInvalidArgument,
                  "The picture " + path + " is " + std::to_string(width) + "x" +
                      std::to_string(height) + " dots; a stored logo is at most " +
                      std::to_string(kMaxNvGraphicWidth) + "x" +
                      std::to_string(kMaxNvGraphicHeight) + ": scale it to a smaller width."};
  }
  return Dither(ScaleToWidth(*picture, fit_width));
}

Status WriteDotImagePng(const DotImage& image, const std::string& path) {
  return WritePng(image, path);
}

LogoStoreReport StoreLogo(const ToolPort& port, LogoKey key, const DotImage& image,
                          const Progress& progress) {
  LogoStoreReport r;
  if (image.width < 1 || image.height < 1 || image.width > kMaxNvGraphicWidth ||
      image.height > kMaxNvGraphicHeight ||
      image.dots.size() != std::size_t(image.width) * std::size_t(image.height)) {
    r.end = JobEnd::kNotStarted;
    r.messages.push_back("a stored logo is 1x1 to 8192x2304 dots; nothing was sent.");
    return r;
  }
  ToolSession s(port, r);
  const Bytes command = NvStoreCommand(key, image);
  r.data_bytes = RasterBytes(image).size();
  std::optional<std::size_t> free_before = NvSize(s, false);
  std::optional<std::vector<LogoKey>> keys = KeyList(s);
  if (!keys) return r;
  // A logo under the same key gives its room back, though nobody can say how much.
  if (!Listed(*keys, key) && r.data_bytes > *free_before) {
    s.Fail(JobEnd::kNotStarted, "the logo needs " + std::to_string(r.data_bytes) +
                                    " bytes and the printer has " + std::to_string(*free_before) +
                                    " free; nothing was stored.");
    return r;
  }
  if (!s.Send(command, "the logo", progress)) return r;
  r.remaining = NvSize(s, false, kNvWriteTime + s.LineTime(command.size()));
  keys = KeyList(s);
  if (!keys) return r;
  if (!Listed(*keys, key)) {
    s.Fail(JobEnd::kFailedMidway,
           "the printer does not list the logo " + key.Text() + " after storing it.");
    return r;
  }
  s.Say("logo " + key.Text() + " stored: " + std::to_string(image.width) + "x" +
        std::to_string(image.height) + " dots, " + std::to_string(r.data_bytes) + " bytes; " +
        std::to_string(*r.remaining) + " bytes free.");
  return r;
}

ToolReport PrintLogo(const ToolPort& port, LogoKey key, const Progress& progress) {
  ToolReport r;
  ToolSession s(port, r);
  std::optional<std::vector<LogoKey>> keys = KeyList(s);
  if (!keys) return r;
  if (!Listed(*keys, key)) {
    s.Fail(JobEnd::kNotStarted, "the printer holds no logo " + key.Text() + "; nothing printed.");
    return r;
  }
  // The logo, then six lines fed so that it clears the tear bar.
  Bytes command = NvPrintCommand(key);
  command.insert(command.end(), {0x1B, 'd', 6});
  if (s.Send(command, "the logo's print command", progress)) {
    s.Say("logo " + key.Text() + " printed.");
  }
  return r;
}

ToolReport DeleteLogo(const ToolPort& port, LogoKey key) {
  ToolReport r;
  ToolSession s(port, r);
  std::optional<std::vector<LogoKey>> keys = KeyList(s);
  if (!keys) return r;
  if (!Listed(*keys, key)) {
    s.Fail(JobEnd::kNotStarted, "the printer holds no logo " + key.Text() + "; nothing deleted.");
    return r;
  }
  const Bytes command = NvDeleteCommand(key);
  if (!s.Send(command, "the delete command")) return r;
  keys = KeyList(s, kNvWriteTime);
  if (keys && Listed(*keys, key)) {
    s.Fail(JobEnd::kFailedMidway, "the printer still lists the logo " + key.Text() + ".");
  } else if (keys) {
    s.Say("logo " + key.Text() + " deleted.");
  }
  return r;
}

ToolReport DeleteAllLogos(const ToolPort& port) {
  ToolReport r;
  ToolSession s(port, r);
  const Bytes command = NvDeleteAllCommand();
  if (!s.Send(command, "the delete command")) return r;
  std::optional<std::vector<LogoKey>> keys = KeyList(s, kNvWriteTime);
  if (keys && !keys->empty()) {
    s.Fail(JobEnd::kFailedMidway,
           "the printer still lists " + std::to_string(keys->size()) + " logo(s).");
  } else if (keys) {
    s.Say("every logo deleted.");
  }
  return r;
}

}  // namespace qw77
