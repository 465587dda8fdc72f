#include "transport/LineSettings.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace qw77 {
namespace {

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
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

struct ParityLetter {
  char letter;
  Parity parity;
};
constexpr ParityLetter kParityLetters[] = {{'N', Parity::kNone},
                                           {'E', Parity::kEven},
                                           {'O', Parity::kOdd},
                                           {'M', Parity::kMark},
                                           {'S', Parity::kSpace}};

}  // namespace

Result<SerialConfig> ParseLineSettings(std::string_view text) {
  const std::vector<std::string_view> fields = SplitFields(text);
  if (fields.size() != 4) return Refuse(text, "four fields expected");
  SerialConfig config;
  if (!ParseInt(fields[0], config.baud)) return Refuse(text, "no baud rate");
  if (fields[1].size() != 1) return Refuse(text, "no parity letter");
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[1][0])));
  const ParityLetter* found = nullptr;
  for (const ParityLetter& p : kParityLetters) {
    if (p.letter == letter) found = &p;
  }
  if (found == nullptr) return Refuse(text, "unknown parity letter");
  config.parity = found->parity;
  if (!ParseInt(fields[2], config.data_bits)) return Refuse(text, "data bits must be 5 to 8");
  if (!ParseInt(fields[3], config.stop_bits)) return Refuse(text, "stop bits must be 1 or 2");
  if (Status checked = CheckSerialConfig(config); !checked.ok()) {
    return Refuse(text, checked.message());
  }
  return config;
}

std::string LineSettingsText(const SerialConfig& config) {
  char letter = 'N';
  for (const ParityLetter& p : kParityLetters) {
    if (p.parity == config.parity) letter = p.letter;
  }
  return std::to_string(config.baud) + "," + letter + "," + std::to_string(config.data_bits) + "," +
         std::to_string(config.stop_bits);
}

Result<FlowControl> FlowControlFromHandshaking(int handshaking) {
  switch (handshaking) {
    case kHandshakeNone:
      return FlowControl::kNone;
    case kHandshakeRtsCts:
      return FlowControl::kRtsCts;
    default:
      return Status(ErrorCode::kInvalidArgument,
                    "unknown handshaking mode " + std::to_string(handshaking));
  }
}

int HandshakingNumber(FlowControl flow) {
  return flow == FlowControl::kRtsCts ? kHandshakeRtsCts : kHandshakeNone;
}

}  // namespace qw77
