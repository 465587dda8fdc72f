#include "platform/SerialSettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <vector>

namespace qw77 {
namespace {

constexpr std::array<int, 12> kBaudRates = {300,   600,   1200,  2400,   4800,   9600,
                                            19200, 38400, 57600, 115200, 230400, 460800};

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

bool ParseInt(std::string_view field, int& out) {
  if (field.empty()) return false;
  auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), out);
  return ec == std::errc() && end == field.data() + field.size();
}

Status Refuse(std::string_view text, std::string_view why) {
  return {ErrorCode::kInvalidArgument,
          "serial settings \"" + std::string(text) + "\" refused: " + std::string(why)};
}

}  // namespace

std::string SerialSettings::ToString() const {
  return std::to_string(baud) + "," + parity + "," + std::to_string(data_bits) + "," +
         std::to_string(stop_bits);
}

Result<SerialSettings> ParseSerialSettings(std::string_view text) {
  std::vector<std::string_view> fields = SplitFields(text);
  if (fields.size() != 4) return Refuse(text, "four fields expected");
  SerialSettings s;
  if (!ParseInt(fields[0], s.baud)) return Refuse(text, "no baud rate");
  if (std::find(kBaudRates.begin(), kBaudRates.end(), s.baud) == kBaudRates.end()) {
    return Refuse(text, "unsupported baud rate");
  }
  if (fields[1].size() != 1) return Refuse(text, "no parity letter");
  s.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[1][0])));
  if (std::string_view("NEOMS").find(s.parity) == std::string_view::npos) {
    return Refuse(text, "unknown parity letter");
  }
  if (!ParseInt(fields[2], s.data_bits) || s.data_bits < 5 || s.data_bits > 8) {
    return Refuse(text, "data bits must be 5 to 8");
  }
  if (!ParseInt(fields[3], s.stop_bits) || (s.stop_bits != 1 && s.stop_bits != 2)) {
    return Refuse(text, "stop bits must be 1 or 2");
  }
  return s;
}

}  // namespace qw77
