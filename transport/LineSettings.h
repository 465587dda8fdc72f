// The window's shapes of a serial line's configuration, turned into SerialConfig: the line
// settings text "baud,parity,data,stop" and the handshaking numbers.
#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"
#include "platform/SerialLink.h"

namespace qw77 {

// "9600,N,8,1" and the like, with no flow control. Refuses an empty field (the window builds
// the text from its baud and parity members, empty until the operator picks one), a baud
// rate the line cannot run at, a parity letter other than N, E, O, M or S (either case), or
// data and stop bits outside their ranges: kInvalidArgument, naming the text and the reason.
Result<SerialConfig> ParseLineSettings(std::string_view text);

// The text ParseLineSettings reads back as `config` (its flow control aside).
std::string LineSettingsText(const SerialConfig& config);

// The window's handshaking numbers: 0 none, 2 RTS/CTS. 1 (XON/XOFF) and 3 (both) are refused:
// the printer's data holds 11h and 13h as plain bytes.
inline constexpr int kHandshakeNone = 0;
inline constexpr int kHandshakeRtsCts = 2;
Result<FlowControl> FlowControlFromHandshaking(int handshaking);
int HandshakingNumber(FlowControl flow);

}  // namespace qw77
