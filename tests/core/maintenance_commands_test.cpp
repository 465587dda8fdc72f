// The tools' command bytes and the decoding of every reply, short and malformed ones too.
#include <gtest/gtest.h>

#include "protocol/MaintenanceCommands.h"

namespace qw77 {
namespace {

Bytes B(std::initializer_list<int> v) {
  Bytes out;
  for (int b : v) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}
Bytes S(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(MaintenanceCommands, BytesOfEveryCommand) {
  const LogoKey k{'A', '1'};
  const struct {
    Bytes got, want;
  } cases[] = {
      {RealTimeStatusRequest(2), B({0x10, 0x04, 2})},
      {PrinterIdRequest(67), B({0x1D, 'I', 67})},
      {NvCapacityRequest(), B({0x1D, '(', 'L', 2, 0, 48, 48})},
      {NvRemainingRequest(), B({0x1D, '(', 'L', 2, 0, 48, 51})},
      {NvKeyListRequest(), B({0x1D, '(', 'L', 4, 0, 48, 64, 'K', 'C'})},
      {NvPrintCommand(k, 2, 1), B({0x1D, '(', 'L', 6, 0, 48, 69, 'A', '1', 2, 1})},
      {NvDeleteCommand(k), B({0x1D, '(', 'L', 4, 0, 48, 66, 'A', '1'})},
      {NvDeleteAllCommand(), B({0x1D, '(', 'L', 5, 0, 48, 65, 'C', 'L', 'R'})},
      {CounterReadCommand(178), B({0x1D, 'g', '2', 0, 178, 0})},
      {CounterResetCommand(20), B({0x1D, 'g', '0', 0, 20, 0})},
      {SetupEnterCommand(), B({0x1D, '(', 'E', 3, 0, 1, 'I', 'N'})},
      {SetupLeaveCommand(), B({0x1D, '(', 'E', 4, 0, 2, 'O', 'U', 'T'})},
      {SwitchReadCommand(3), B({0x1D, '(', 'E', 2, 0, 4, 3})},
      {SwitchSetCommand(2, "10201000"),
       B({0x1D, '(', 'E', 10, 0, 3, 2, '1', '0', '2', '0', '1', '0', '0', '0'})},
      {CustomValueReadCommand(5), B({0x1D, '(', 'E', 2, 0, 6, 5})},
      {CustomValueSetCommand(5, 65534), B({0x1D, '(', 'E', 4, 0, 5, 5, 0xFE, 0xFF})},
      {TestPrintCommand(1), B({0x1D, '(', 'A', 2, 0, 0, 1})},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(MaintenanceCommands, StoreUsesTheShortFormUpTo65535BytesAndTheLongOneBeyond) {
  // 10 x 2 dots: rows of 2 bytes, the leftmost dot the top bit, dots past the width clear.
  DotImage small{10, 2, Bytes(20, 0)};
  small.dots[0] = small.dots[9] = small.dots[19] = 1;
  EXPECT_EQ(
      NvStoreCommand({'L', 'G'}, small),
      B({0x1D, '(', 'L', 15, 0, 48, 67, 48, 'L', 'G', 1, 10, 0, 2, 0, 49, 0x80, 0x40, 0, 0x40}));
  // 11 parameter bytes + data: 65535 fits the two-byte count, 65536 does not.
  for (const int rows : {8190, 8191}) {
    const DotImage big{64, rows, Bytes(std::size_t(64) * rows, 0)};
    const Bytes cmd = NvStoreCommand({'B', 'G'}, big);
    const std::size_t p = 11 + std::size_t(8) * rows;
    if (p <= 0xFFFF) {
      EXPECT_EQ(Bytes(cmd.begin(), cmd.begin() + 5),
                B({0x1D, '(', 'L', int(p & 255), int(p >> 8)}));
    } else {
      EXPECT_EQ(Bytes(cmd.begin(), cmd.begin() + 7),
                B({0x1D, '8', 'L', int(p & 255), int((p >> 8) & 255), int(p >> 16), 0}));
    }
    EXPECT_EQ(cmd.size(), p + (p <= 0xFFFF ? 5 : 7)) << rows;
  }
}

TEST(MaintenanceCommands, LogoKeysAreTwoPrintableCharacters) {
  EXPECT_EQ(ParseLogoKey("A1")->Text(), "A1");
  EXPECT_EQ(ParseLogoKey(" ~")->Text(), " ~");
  const std::string bad_keys[] = {"", "A", "ABC", "A\x1F",
                                  "\x7F"
                                  "A"};
  for (const std::string& bad : bad_keys) {
    EXPECT_FALSE(ParseLogoKey(bad)) << bad;
  }
}

TEST(MaintenanceCommands, FramesAreFoundOrSaidToBeShortOrBad) {
  const struct {
    Bytes arrived;
    Frame::State state;
    Bytes body;
    std::size_t used;
  } cases[] = {
      {{}, Frame::kNeedMore, {}, 0},                              // nothing yet
      {B({0x5F, 'T', 'M'}), Frame::kNeedMore, {}, 0},             // no NUL yet
      {B({0x5F, 'T', 'M', 0, 0x12}), Frame::kDone, S("TM"), 4},   // a byte after it stays
      {B({0x5F, 0}), Frame::kDone, {}, 2},                        // an empty body
      {B({0x37, 'x', 0}), Frame::kBad, {}, 0},                    // another header
      {Bytes(1 + kMaxFrameBody, 0x5F), Frame::kNeedMore, {}, 0},  // at the limit
      {Bytes(2 + kMaxFrameBody, 0x5F), Frame::kBad, {}, 0},       // past it
  };
  for (const auto& c : cases) {
    const Frame f = ScanFrame(c.arrived, 0x5F);
    EXPECT_EQ(f.state, c.state) << c.arrived.size();
    EXPECT_EQ(f.body, c.body);
    EXPECT_EQ(f.used, c.used);
    EXPECT_EQ(f.error.empty(), f.state != Frame::kBad);
  }
}

TEST(MaintenanceCommands, ReplyBodiesDecodeOrAreRefused) {
  EXPECT_EQ(*DecodeInfoText(S("TM-QW77")), "TM-QW77");
  EXPECT_FALSE(DecodeInfoText(B({'A', 0x07})));
  EXPECT_EQ(*DecodeNvSize(S("0262144"), 0x30), 262144u);
  EXPECT_EQ(*DecodeNvSize(S("10"), 0x31), 0u);
  for (const Bytes& bad : {S("0"), S("1262144"), S("012a"), Bytes{}, S("01234567890123456789")}) {
    EXPECT_FALSE(DecodeNvSize(bad, 0x30));
  }
  EXPECT_EQ(*DecodeCounter(S("1234")), 1234);
  EXPECT_FALSE(DecodeCounter(S("")));
  EXPECT_FALSE(DecodeCounter(S("-1")));
  EXPECT_TRUE(DecodeSetupEntered(B({0x20})).ok());
  EXPECT_FALSE(DecodeSetupEntered(B({0x20, 0x20})).ok());
  EXPECT_EQ(*DecodeSwitch(S("!00010010")), "00010010");
  for (const Bytes& bad : {S("!0001001"), S("!000100100"), S("!00010012"), S("\"00010010")}) {
    EXPECT_FALSE(DecodeSwitch(bad));
  }
  EXPECT_EQ(*DecodeCustomValue(S("'5\x1F"
                                 "65534"),
                               5),
            65534);
  EXPECT_EQ(*DecodeCustomValue(S("'3\x1F"
                                 "6"),
                               3),
            6);
  for (const Bytes& bad : {S("'5\x1F"
                             "65536"),
                           S("'6\x1F"
                             "3"),
                           S("'5"
                             "3"),
                           S("'5\x1F"),
                           S("(5\x1F"
                             "3")}) {
    EXPECT_FALSE(DecodeCustomValue(bad, 5));
  }
}

TEST(MaintenanceCommands, KeyBlocksListKeysAndSayWhetherMoreFollow) {
  const Result<KeyBlock> last = DecodeKeyBlock(S("r@A1ZZ"));
  ASSERT_TRUE(last);
  EXPECT_FALSE(last->more);
  ASSERT_EQ(last->keys.size(), 2u);
  EXPECT_EQ(last->keys[1].Text(), "ZZ");
  EXPECT_TRUE(DecodeKeyBlock(S("rA  "))->more);
  EXPECT_TRUE(DecodeKeyBlock(S("r@"))->keys.empty());  // no logo stored
  for (const Bytes& bad : {S("r@A"), S("rBA1"), S("q@A1"), S("r"), B({'r', '@', 'A', 0x1F})}) {
    EXPECT_FALSE(DecodeKeyBlock(bad));
  }
}

TEST(MaintenanceCommands, DitherKeepsGreyLevelsAndScalingKeepsProportions) {
  // Flat grey: about the share of dots its darkness asks for.
  for (const int grey : {0, 64, 128, 192, 255}) {
    const GrayImage flat{40, 40, Bytes(1600, static_cast<std::uint8_t>(grey))};
    const DotImage d = Dither(flat);
    const auto dots = std::count(d.dots.begin(), d.dots.end(), 1);
    EXPECT_NEAR(static_cast<double>(dots) / 1600.0, (255 - grey) / 255.0, 0.03) << grey;
  }
  GrayImage wide{1000, 300, Bytes(300000, 0)};
  const GrayImage scaled = ScaleToWidth(wide, 384);
  EXPECT_EQ(scaled.width, 384);
  EXPECT_EQ(scaled.height, 115);
  EXPECT_EQ(ScaleToWidth(wide, 0).width, 1000);
  const GrayImage grown = ScaleToWidth(GrayImage{2, 1, B({0, 255})}, 4);
  EXPECT_EQ(grown.height, 2);
  EXPECT_EQ(grown.gray, B({0, 0, 255, 255, 0, 0, 255, 255}));
}

}  // namespace
}  // namespace qw77
