#include "vprinter/printer/NvMemory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <vector>

#include "base/Errno.h"
#include "base/FileReplace.h"

namespace qw77::vprinter {
namespace {

using Json = nlohmann::json;

constexpr int kStateVersion = 1;
// Largest graphic the printer defines (8192 x 2304 dots); a file claiming more is damaged.
constexpr int kMaxGraphicWidth = 8192, kMaxGraphicHeight = 2304;

Status Bad(const std::string& why) {
  return Status(ErrorCode::kFormat, why);
}

// A bitmap as rows of (width + 7) / 8 bytes in hexadecimal, the most significant bit first.
std::string PackedHex(const Bitmap& b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  const int row_bytes = (b.width + 7) / 8;
  std::string s;
  s.reserve(static_cast<std::size_t>(row_bytes) * static_cast<std::size_t>(b.height) * 2);
  for (int y = 0; y < b.height; ++y) {
    for (int xb = 0; xb < row_bytes; ++xb) {
      unsigned byte = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = xb * 8 + bit;
        if (x < b.width && b.At(x, y)) byte |= 0x80u >> bit;
      }
      s += kDigits[byte >> 4];
      s += kDigits[byte & 15];
    }
  }
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a bitmap written by PackedHex; throws (as the JSON reader does) when it is damaged.
Bitmap BitmapFromJson(const Json& j, int max_width, int max_height) {
  const int width = j.at("width").get<int>(), height = j.at("height").get<int>();
  if (width < 1 || width > max_width || height < 1 || height > max_height) {
    throw std::out_of_range("size " + std::to_string(width) + "x" + std::to_string(height) +
                            " out of range");
  }
  const std::string& hex = j.at("dots").get_ref<const std::string&>();
  const std::size_t bytes = std::size_t((width + 7) / 8) * std::size_t(height);
  if (hex.size() != bytes * 2) throw std::out_of_range("dots of the wrong length");
  // Unpacked straight into the dots: a state full of graphics is read at start-up.
  Bitmap b;
  b.width = width;
  b.height = height;
  b.dots.resize(std::size_t(width) * std::size_t(height));
  const std::size_t row_bytes = std::size_t((width + 7) / 8);
  for (std::size_t i = 0; i < bytes; ++i) {
    const int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) throw std::out_of_range("dots that are not hexadecimal");
    const unsigned byte = static_cast<unsigned>(hi * 16 + lo);
    const std::size_t y = i / row_bytes, x0 = (i % row_bytes) * 8;
    std::uint8_t* row = b.dots.data() + y * std::size_t(width);
    for (std::size_t bit = 0; bit < 8 && x0 + bit < std::size_t(width); ++bit) {
      row[x0 + bit] = static_cast<std::uint8_t>((byte >> (7 - bit)) & 1);
    }
  }
  return b;
}

Json BitmapToJson(const Bitmap& b) {
  return Json{{"width", b.width}, {"height", b.height}, {"dots", PackedHex(b)}};
}

Json CountersToJson(const Counters& c) {
  Json j = Json::object();
  for (std::size_t i = 0; i < kCounterCount; ++i) {
    j[std::to_string(kCounterNumbers[i])] = c.resettable[i];
    j[std::to_string(kCounterNumbers[i] + kCumulativeOffset)] = c.cumulative[i];
  }
  return j;
}

Counters CountersFromJson(const Json& j) {
  Counters c;
  for (std::size_t i = 0; i < kCounterCount; ++i) {
    c.resettable[i] = j.at(std::to_string(kCounterNumbers[i])).get<std::int64_t>();
    c.cumulative[i] =
        j.at(std::to_string(kCounterNumbers[i] + kCumulativeOffset)).get<std::int64_t>();
    if (c.resettable[i] < 0 || c.cumulative[i] < 0) throw std::out_of_range("negative counter");
  }
  return c;
}

void ReadInto(const Json& j, NvMemory& m, NvGraphics& g) {
  if (j.at("version").get<int>() != kStateVersion) {
    throw std::out_of_range("version " + j.at("version").dump() + " is not " +
                            std::to_string(kStateVersion));
  }
  const Json& sw = j.at("memory_switches");
  if (!sw.is_array() || sw.size() != m.switches.size()) {
    throw std::out_of_range("memory_switches is not 8 values");
  }
  for (std::size_t i = 0; i < m.switches.size(); ++i) {
    const int v = sw[i].get<int>();
    if (v < 0 || v > 255) throw std::out_of_range("memory switch out of 0..255");
    m.switches[i] = static_cast<std::uint8_t>(v);
  }
  for (const auto& [key, value] : j.at("customised").items()) {
    const int a = std::stoi(key), v = value.get<int>();
    if (!ValidCustomValue(a, v))
      throw std::out_of_range("customised value " + key + " = " + value.dump());
    m.customised[a] = v;
  }
  for (const auto& [key, value] : j.at("serial").items()) {
    const int a = std::stoi(key);
    const std::string& v = value.get_ref<const std::string&>();
    if (ValidSerialValue(a, {reinterpret_cast<const std::uint8_t*>(v.data()), v.size()}).empty()) {
      throw std::out_of_range("serial setting " + key + " = " + value.dump());
    }
    m.serial[a] = v;
  }
  m.counters = CountersFromJson(j.at("counters"));
  for (const Json& image : j.at("nv_bit_images")) {
    m.bit_images.push_back(
        BitmapFromJson(image, kMaxNvImageWidthBytes * 8, kMaxNvImageHeightBytes * 8));
  }
  const Json& writes = j.at("nv_writes");
  m.write_day = writes.at("day").get<std::string>();
  m.writes_today = writes.at("today").get<int>();
  m.writes_total = writes.at("total").get<std::int64_t>();
  if (m.writes_today < 0 || m.writes_total < 0) throw std::out_of_range("negative count of writes");
  for (const Json& graphic : j.at("nv_graphics")) {
    const int key = graphic.at("key").get<int>();
    if (key / 256 < 32 || key / 256 > 126 || key % 256 < 32 || key % 256 > 126) {
      throw std::out_of_range("NV graphic key " + std::to_string(key));
    }
    const auto data_bytes = graphic.at("data_bytes").get<std::size_t>();
    if (!g.Define(key, BitmapFromJson(graphic, kMaxGraphicWidth, kMaxGraphicHeight), data_bytes)) {
      throw std::out_of_range("NV graphics beyond the memory's capacity");
    }
  }
}

}  // namespace

std::string StateToJson(const NvMemory& m, const NvGraphics& g) {
  Json j;
  j["version"] = kStateVersion;
  j["memory_switches"] = m.switches;
  Json custom = Json::object(), serial = Json::object();
  for (const auto& [a, v] : m.customised) custom[std::to_string(a)] = v;
  for (const auto& [a, v] : m.serial) serial[std::to_string(a)] = v;
  j["customised"] = custom;
  j["serial"] = serial;
  j["counters"] = CountersToJson(m.counters);
  j["nv_bit_images"] = Json::array();
  for (const Bitmap& b : m.bit_images) j["nv_bit_images"].push_back(BitmapToJson(b));
  j["nv_writes"] = {{"day", m.write_day}, {"today", m.writes_today}, {"total", m.writes_total}};
  j["nv_graphics"] = Json::array();
  g.ForEach([&](int key, const Bitmap& dots, std::size_t data_bytes) {
    Json graphic = BitmapToJson(dots);
    graphic["key"] = key;
    graphic["data_bytes"] = data_bytes;
    j["nv_graphics"].push_back(std::move(graphic));
  });
  return j.dump(1) + "\n";
}

Status StateFromJson(const std::string& text, NvMemory& memory, NvGraphics& graphics) {
  NvMemory m;
  NvGraphics g;
  try {
    ReadInto(Json::parse(text), m, g);
  } catch (const Json::parse_error& e) {
    return Bad(text.empty() ? "it is empty"
                            : "it is not whole JSON (" + std::string(e.what()) + ")");
  } catch (const std::exception& e) {
    return Bad(std::string("it does not hold a printer's memory (") + e.what() + ")");
  }
  memory = std::move(m);
  graphics = std::move(g);
  return Status::Ok();
}

Status LoadStateFile(const std::string& path, NvMemory& memory, NvGraphics& graphics, bool& found) {
  found = false;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    return Status(ErrorCode::kInvalidArgument,
                  "cannot read state file " + path + ": it is a folder, not a file");
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file && errno == ENOENT) return Status::Ok();
  if (!file) {
    return Status(ErrorCode::kPermission,
                  "cannot read state file " + path + ": " + std::strerror(errno));
  }
  std::string text;
  std::vector<char> buf(65536);
  for (;;) {
    const std::size_t n = std::fread(buf.data(), 1, buf.size(), file);
    if (n == 0 && std::ferror(file)) {
      const int error = errno;
      std::fclose(file);
      return ErrnoStatus(error, "cannot read state file " + path);
    }
    if (n == 0) break;
    text.append(buf.data(), n);
  }
  std::fclose(file);
  const Status s = StateFromJson(text, memory, graphics);
  if (!s) {
    return Bad("state file " + path + " is damaged: " + s.message() +
               "; it is left as it is (move it away to start with empty memory)");
  }
  found = true;
  return Status::Ok();
}

Status SaveStateFile(const std::string& path, const NvMemory& memory, const NvGraphics& graphics) {
  const std::string text = StateToJson(memory, graphics);
  const int error =
      ReplaceFile(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  if (error != 0) {
    return ErrnoStatus(error, "cannot write state file " + path);
  }
  return Status::Ok();
}

bool ValidCustomValue(int a, int v) {
  switch (a) {
    case kCustomPaperWidth:
      return v == 2 || v == 3 || v == 6;
    case kCustomDensity:
      return (v >= 0 && v <= 8) || (v >= 65530 && v <= 65535);
    case kCustomSpeed:
      return v >= 1 && v <= 9;
    default:
      return false;
  }
}

std::string ValidSerialValue(int a, std::span<const std::uint8_t> d) {
  const std::string s(d.begin(), d.end());
  switch (a) {
    case 1:
      for (const char* baud : {"2400", "4800", "9600", "19200", "38400", "57600", "115200"}) {
        if (s == baud) return s;
      }
      return "";
    case 2:
      return s == "0" || s == "1" || s == "2" ? s : "";
    case 3:
      return s == "0" || s == "1" ? s : "";
    case 4:
      return s == "7" || s == "8" ? s : "";
    default:
      return "";
  }
}

Paper PaperForWidth(int value, Paper current) {
  if (value == 2 || value == 3) current.printable_dots = 448;
  if (value == 6) current.printable_dots = 576;
  return current;
}

int DensityFromCustom(int value) {
  return value >= 65530 ? value - 65536 : value;
}

}  // namespace qw77::vprinter
