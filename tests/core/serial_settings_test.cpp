// The window's line settings text and handshaking numbers as the typed configuration.
#include <gtest/gtest.h>

#include "transport/LineSettings.h"

namespace qw77 {
namespace {

struct SettingsCase {
  const char* text;
  bool accepted;
  SerialConfig config;
};

class LineSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(LineSettingsTest, ParsesOrRefuses) {
  const SettingsCase& c = GetParam();
  Result<SerialConfig> parsed = ParseLineSettings(c.text);
  ASSERT_EQ(parsed.ok(), c.accepted) << c.text;
  if (!c.accepted) {
    EXPECT_EQ(parsed.status().code(), ErrorCode::kInvalidArgument);
    EXPECT_NE(parsed.status().message().find(c.text), std::string::npos);
    return;
  }
  EXPECT_EQ(*parsed, c.config) << c.text;
  // The text reads back, upper case.
  std::string upper = c.text;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_EQ(LineSettingsText(*parsed), upper);
}

constexpr SerialConfig Config(int baud, Parity parity, int data = 8, int stop = 1) {
  return {baud, parity, data, stop, FlowControl::kNone};
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineSettingsTest,
    ::testing::Values(SettingsCase{"9600,N,8,1", true, Config(9600, Parity::kNone)},
                      SettingsCase{"4800,E,8,1", true, Config(4800, Parity::kEven)},
                      SettingsCase{"38400,O,8,1", true, Config(38400, Parity::kOdd)},
                      SettingsCase{"300,m,7,2", true, Config(300, Parity::kMark, 7, 2)},
                      SettingsCase{"460800,S,5,1", true, Config(460800, Parity::kSpace, 5)},
                      SettingsCase{",,8,1", false, {}},         // nothing picked yet
                      SettingsCase{"9600,,8,1", false, {}},     // no parity yet
                      SettingsCase{",N,8,1", false, {}},        // no baud yet
                      SettingsCase{"9600,N,,1", false, {}},     // no data bits
                      SettingsCase{"9600,N,8,", false, {}},     // no stop bits
                      SettingsCase{"", false, {}},              // nothing at all
                      SettingsCase{"9601,N,8,1", false, {}},    // no such rate
                      SettingsCase{"921600,N,8,1", false, {}},  // beyond the highest
                      SettingsCase{"9600,X,8,1", false, {}},    // unknown parity
                      SettingsCase{"9600,NN,8,1", false, {}},
                      SettingsCase{"9600,N,4,1", false, {}},  // data bits below 5
                      SettingsCase{"9600,N,9,1", false, {}},  // and above 8
                      SettingsCase{"9600,N,8,0", false, {}},  // stop bits 1 or 2 only
                      SettingsCase{"9600,N,8,3", false, {}}, SettingsCase{"9600,N,8", false, {}},
                      SettingsCase{"9600,N,8,1,", false, {}},
                      SettingsCase{"9600 ,N,8,1", false, {}}));

TEST(Handshaking, TheWindowsNumbersAsFlowControl) {
  EXPECT_EQ(*FlowControlFromHandshaking(0), FlowControl::kNone);
  EXPECT_EQ(*FlowControlFromHandshaking(2), FlowControl::kRtsCts);
  for (int refused : {-1, 1, 3, 4}) {  // 1 and 3 would turn on XON/XOFF
    const Result<FlowControl> flow = FlowControlFromHandshaking(refused);
    ASSERT_FALSE(flow.ok()) << refused;
    EXPECT_EQ(flow.status().code(), ErrorCode::kInvalidArgument);
  }
  for (FlowControl flow : {FlowControl::kNone, FlowControl::kRtsCts}) {
    EXPECT_EQ(*FlowControlFromHandshaking(HandshakingNumber(flow)), flow);
  }
}

}  // namespace
}  // namespace qw77
