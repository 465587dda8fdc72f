#include <gtest/gtest.h>

#include "platform/SerialSettings.h"

namespace qw77 {
namespace {

struct SettingsCase {
  const char* text;
  bool accepted;
  int baud;
  char parity;
};

class SerialSettingsTest : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SerialSettingsTest, ParsesOrRefuses) {
  const SettingsCase& c = GetParam();
  Result<SerialSettings> parsed = ParseSerialSettings(c.text);
  ASSERT_EQ(parsed.ok(), c.accepted) << c.text;
  if (!c.accepted) {
    EXPECT_EQ(parsed.status().code(), ErrorCode::kInvalidArgument);
    return;
  }
  EXPECT_EQ(parsed->baud, c.baud);
  EXPECT_EQ(parsed->parity, c.parity);
  EXPECT_EQ(parsed->ToString(), std::string(c.text));
}

INSTANTIATE_TEST_SUITE_P(Texts, SerialSettingsTest,
                         ::testing::Values(SettingsCase{"9600,N,8,1", true, 9600, 'N'},
                                           SettingsCase{"4800,E,8,1", true, 4800, 'E'},
                                           SettingsCase{"38400,O,8,1", true, 38400, 'O'},
                                           SettingsCase{"19200,N,8,1", true, 19200, 'N'},
                                           SettingsCase{",,8,1", false, 0,
                                                        0},  // nothing focused yet
                                           SettingsCase{"9600,,8,1", false, 0, 0},  // no parity yet
                                           SettingsCase{",N,8,1", false, 0, 0},     // no baud yet
                                           SettingsCase{"9601,N,8,1", false, 0, 0},  // no such rate
                                           SettingsCase{"9600,X,8,1", false, 0, 0},
                                           SettingsCase{"9600,N,9,1", false, 0, 0},
                                           SettingsCase{"9600,N,8,3", false, 0, 0},
                                           SettingsCase{"9600,N,8", false, 0, 0},
                                           SettingsCase{"9600,N,8,1,", false, 0, 0}));

}  // namespace
}  // namespace qw77
