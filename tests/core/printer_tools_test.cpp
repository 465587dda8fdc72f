// The printer tools over a scripted line: what they write, what they make of each reply,
// and that nothing more is written after a failed step.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "jobs/PrinterTools.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeSerialControl.h"

namespace qw77 {
namespace {

using testing::FakeClock;
using testing::FakeSerialControl;

Bytes Framed(std::uint8_t header, const std::string& body) {
  Bytes out = {header};
  out.insert(out.end(), body.begin(), body.end());
  out.push_back(0);
  return out;
}
using Steps = std::vector<std::pair<Bytes, Bytes>>;

bool EndsWith(const Bytes& all, const Bytes& tail) {
  return all.size() >= tail.size() && std::equal(tail.begin(), tail.end(), all.end() - tail.size());
}

// A printer that answers each expected command, in order, with its reply (empty: silence).
struct Script {
  Steps steps;
  std::size_t next = 0;
  Bytes seen;
  void operator()(FakeSerialControl& port, std::uint8_t b) {
    seen.push_back(b);
    if (next < steps.size() && EndsWith(seen, steps[next].first)) {
      if (!steps[next].second.empty()) port.Receive(steps[next].second);
      ++next;
    }
  }
};

class OneWayLink : public FakeSerialControl {
 public:
  std::string NoReplyReason() const override { return "the USB printer interface is one-way"; }
};

class PrinterTools : public ::testing::Test {
 protected:
  ToolPort Port() { return {&line, SerialConfig{}, &clock, "COM1"}; }
  void Answer(Steps steps) {
    script = std::make_shared<Script>();
    script->steps = std::move(steps);
    line.peer = [s = script](FakeSerialControl& p, std::uint8_t b) { (*s)(p, b); };
  }
  Steps Keys(const std::string& keys) {
    return {{NvKeyListRequest(), Framed(0x37, "r@" + keys)}, {{0x06}, {}}};
  }
  FakeSerialControl line;
  FakeClock clock;
  std::shared_ptr<Script> script;
};

Steps operator+(Steps a, const Steps& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(PrinterTools, InfoReadsEveryIdentityAndTheStatus) {
  Answer({{PrinterIdRequest(1), {0x20}},
          {PrinterIdRequest(2), {0x02}},
          {PrinterIdRequest(3), {0x41}},
          {PrinterIdRequest(65), Framed(0x5F, "2.01")},
          {PrinterIdRequest(66), Framed(0x5F, "QW")},
          {PrinterIdRequest(67), Framed(0x5F, "TM-QW77")},
          {PrinterIdRequest(68), Framed(0x5F, "SN42")},
          {PrinterIdRequest(69), Framed(0x5F, "")},
          {RealTimeStatusRequest(2), {0x16}},  // cover open or paper out
          {RealTimeStatusRequest(3), {0x12}},
          {RealTimeStatusRequest(4), {0x12}}});
  const InfoReport r = ReadPrinterInfo(Port());
  EXPECT_EQ(r.end, JobEnd::kPrinterCondition);
  EXPECT_EQ(r.info.model, "TM-QW77");
  EXPECT_EQ(r.info.serial_number, "SN42");
  EXPECT_EQ(r.info.firmware, "2.01");
  EXPECT_EQ(r.info.type_id, 0x02);
  EXPECT_EQ(TypeIdWords(*r.info.type_id), std::vector<std::string>{"autocutter"});
  EXPECT_TRUE(r.info.status->paper_out_or_head_up);
  EXPECT_FALSE(line.IsOpen());
}

TEST_F(PrinterTools, AMissingShortOrMalformedReplyEndsTheJobAndNothingMoreIsWritten) {
  const struct {
    Bytes reply;
    std::string says;
  } cases[] = {{{}, "did not answer GS I 67"},
               {{0x5F, 'T', 'M'}, "stopped short after 3 byte(s)"},
               {Framed(0x37, "TM"), "malformed: the reply starts with 37h, not 5Fh"},
               {Framed(0x5F, "T\x01"), "malformed: the text holds the byte 01h"}};
  for (const auto& c : cases) {
    Answer({{PrinterIdRequest(1), {0x20}},
            {PrinterIdRequest(2), {0x02}},
            {PrinterIdRequest(3), {0x41}},
            {PrinterIdRequest(65), Framed(0x5F, "2.01")},
            {PrinterIdRequest(66), Framed(0x5F, "QW")},
            {PrinterIdRequest(67), c.reply}});
    line.ClearLog();
    const InfoReport r = ReadPrinterInfo(Port());
    EXPECT_EQ(r.end, JobEnd::kNoAnswer);
    ASSERT_FALSE(r.messages.empty());
    EXPECT_NE(r.messages.back().find(c.says), std::string::npos) << r.messages.back();
    EXPECT_TRUE(EndsWith(line.Sent(), PrinterIdRequest(67)));
  }
}

TEST_F(PrinterTools, PortsThatCannotAnswerAreRefusedBeforeAnyByte) {
  ToolPort parallel{nullptr, SerialConfig{}, &clock, "LPT1"};
  OneWayLink usb;
  ToolPort one_way{&usb, SerialConfig{}, &clock, "COM2"};
  for (const ToolPort& port : {parallel, one_way}) {
    const ToolReport r = DeleteAllLogos(port);
    EXPECT_EQ(r.end, JobEnd::kPortUnusable);
    EXPECT_NE(r.messages.at(0).find("needs a port that can answer"), std::string::npos);
    EXPECT_EQ(r.bytes_sent, 0u);
  }
  EXPECT_TRUE(usb.Sent().empty());
}

TEST_F(PrinterTools, TheKeyListIsAcknowledgedBlockByBlock) {
  Answer({{NvCapacityRequest(), Framed(0x37, "0262144")},
          {NvRemainingRequest(), Framed(0x37, "1261000")},
          {NvKeyListRequest(), Framed(0x37, "rAA1A2")},
          {{0x06}, Framed(0x37, "r@B1")},
          {{0x06}, {}}});
  const LogoListReport r = ListLogos(Port());
  ASSERT_TRUE(r.ok()) << r.messages.at(0);
  EXPECT_EQ(r.list.capacity, 262144u);
  EXPECT_EQ(r.list.remaining, 261000u);
  ASSERT_EQ(r.list.keys.size(), 3u);
  EXPECT_EQ(r.list.keys[2].Text(), "B1");
  EXPECT_EQ(script->next, script->steps.size());  // the last block acknowledged too
}

TEST_F(PrinterTools, StoreRefusesALogoThatDoesNotFitAndSendsNothingOfIt) {
  const DotImage image{64, 64, Bytes(4096, 1)};  // 512 bytes
  Answer(Steps{{NvRemainingRequest(), Framed(0x37, "1511")}} + Keys(""));
  const LogoStoreReport r = StoreLogo(Port(), {'A', '1'}, image);
  EXPECT_EQ(r.end, JobEnd::kNotStarted);
  EXPECT_EQ(line.Sent().size(), NvRemainingRequest().size() + NvKeyListRequest().size() + 1);
}

TEST_F(PrinterTools, StoreSendsWithProgressAndConfirmsTheKey) {
  const DotImage image{64, 64, Bytes(4096, 1)};
  const Bytes store = NvStoreCommand({'A', '1'}, image);
  Answer(Steps{{NvRemainingRequest(), Framed(0x37, "1512")}} + Keys("") +
         Steps{{store, {}}, {NvRemainingRequest(), Framed(0x37, "10")}} + Keys("A1"));
  std::vector<std::size_t> seen;
  const LogoStoreReport r =
      StoreLogo(Port(), {'A', '1'}, image, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, store.size());
        seen.push_back(done);
      });
  ASSERT_TRUE(r.ok()) << r.messages.at(0);
  EXPECT_EQ(r.data_bytes, 512u);
  EXPECT_EQ(r.remaining, 0u);
  ASSERT_GT(seen.size(), 1u);
  EXPECT_EQ(seen.back(), store.size());
}

TEST_F(PrinterTools, AStoreCutShortIsSaidAndNothingFollowsIt) {
  const DotImage image{64, 64, Bytes(4096, 1)};
  Answer(Steps{{NvRemainingRequest(), Framed(0x37, "15000")}} + Keys(""));
  const std::size_t before = NvRemainingRequest().size() + NvKeyListRequest().size() + 1;
  line.fail_after = before + 300;
  const LogoStoreReport r = StoreLogo(Port(), {'A', '1'}, image);
  EXPECT_EQ(r.end, JobEnd::kFailedMidway);
  EXPECT_NE(r.messages.at(0).find("cut short after 300 of"), std::string::npos);
  EXPECT_EQ(line.Sent().size(), before + 300);
}

TEST_F(PrinterTools, ASetupThePrinterDidNotTakeIsAFailure) {
  SetupChange change;
  change.density = 3;
  Steps read = {{SetupEnterCommand(), Framed(0x37, " ")},
                {CustomValueReadCommand(3), Framed(0x37,
                                                   "'3\x1F"
                                                   "6")},
                {CustomValueReadCommand(5), Framed(0x37,
                                                   "'5\x1F"
                                                   "0")},
                {CustomValueReadCommand(6), Framed(0x37,
                                                   "'6\x1F"
                                                   "5")}};
  for (int n = 1; n <= 8; ++n) read.push_back({SwitchReadCommand(n), Framed(0x37, "!00000000")});
  read.push_back({SetupLeaveCommand(), {}});
  Answer(Steps{{SetupEnterCommand(), Framed(0x37, " ")},
               {CustomValueSetCommand(5, 3), {}},
               {SetupLeaveCommand(), {}}} +
         read);
  const SetupReport r = ChangeSetup(Port(), change);
  EXPECT_EQ(r.end, JobEnd::kFailedMidway);
  EXPECT_NE(r.messages.at(0).find("did not take the density"), std::string::npos);
  EXPECT_EQ(r.setup.paper_mm, 80);
  EXPECT_EQ(CheckSetupChange(SetupChange{}).code(), ErrorCode::kInvalidArgument);
  for (const int d : {-7, -6, 8, 9}) {
    SetupChange c;
    c.density = d;
    EXPECT_EQ(CheckSetupChange(c).ok(), d == -6 || d == 8) << d;
  }
}

// A 24-bit BMP file `w` x `h` dots, all black.
std::string WriteBmp(const std::string& path, int w, int h) {
  const std::uint32_t stride = (std::uint32_t(w) * 3 + 3) / 4 * 4, data = stride * h;
  Bytes f(54 + data, 0);
  auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  f[0] = 'B', f[1] = 'M';
  put(2, 54 + data, 4), put(10, 54, 4), put(14, 40, 4), put(18, w, 4), put(22, h, 4);
  put(26, 1, 2), put(28, 24, 2);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
  return path;
}

TEST_F(PrinterTools, LogosLargerThanAPrinterTakesAreRefusedBeforeScalingAndSending) {
  const std::string path = ::testing::TempDir() + "/logo.bmp";
  const struct {
    int w, h, fit;
    bool taken;
  } cases[] = {{1, 2304, 0, true},
               {1, 2305, 0, false},
               {2, 576, 8, true},
               {2, 577, 8, false},
               {1, 2000, 8192, false}};
  for (const auto& c : cases) {
    const Result<DotImage> logo = LoadLogo(WriteBmp(path, c.w, c.h), c.fit);
    EXPECT_EQ(logo.ok(), c.taken) << c.w << "x" << c.h << " to " << c.fit;
    if (logo) {
      EXPECT_EQ(logo->dots, Bytes(logo->dots.size(), 1));
    }
  }
  const LogoStoreReport r = StoreLogo(Port(), {'A', '1'}, DotImage{2, 2, Bytes(3, 1)});
  EXPECT_EQ(r.end, JobEnd::kNotStarted);
  EXPECT_EQ(line.opens, 0);
}

}  // namespace
}  // namespace qw77
