#include <gtest/gtest.h>

#include "vprinter/endpoints/ParallelEndpoint.h"
#include "vprinter/printer/StatusModel.h"

namespace qw77::vprinter {
namespace {

// The check boxes as the application reads them; written from its decode tables so the
// printer is checked against the reader, not against itself.
struct Boxes {
  int head = 0, vp = 0, cutter = 0, bm = 0, temp = 0, hard = 0, pn_end = 0;
  bool operator==(const Boxes&) const = default;
};

Boxes DecodeSerial(std::uint8_t r2, std::uint8_t r3, std::uint8_t r4) {
  Boxes b;
  b.head = (r2 & 0x04) != 0;
  b.cutter = (r3 & 0x08) != 0;
  b.bm = (r3 & 0x04) != 0;
  b.temp = (r3 & 0x40) != 0;
  b.vp = (r3 & 0x20) != 0;
  b.hard = (r2 & 0x08) != 0;
  b.pn_end = b.head == 0 && (r4 & 0x0C) != 0;
  return b;
}

Boxes DecodeParallel(std::uint8_t status) {
  const int s = status & 0x78;
  Boxes b;
  b.head = (s & 0x28) == 0x28;
  b.vp = b.hard = s == 0x10;
  b.cutter = s == 0x50;
  b.temp = s == 0x40;
  b.bm = s == 0x00;
  b.pn_end = b.head == 0 && s == 0x18;
  return b;
}

struct ConditionCase {
  const char* name;
  Conditions conditions;
  Boxes serial;
  Boxes parallel;  // one condition at a time shows on the four status lines
};

Conditions Only(bool Conditions::*member) {
  Conditions c;
  c.*member = true;
  return c;
}

class ConditionTest : public ::testing::TestWithParam<ConditionCase> {};

INSTANTIATE_TEST_SUITE_P(
    EachCondition, ConditionTest,
    ::testing::Values(
        ConditionCase{"ready", {}, {}, {}},
        ConditionCase{"paper_out", Only(&Conditions::paper_out), {.head = 1}, {.head = 1}},
        ConditionCase{"cover_open", Only(&Conditions::cover_open), {.head = 1}, {.head = 1}},
        ConditionCase{
            "head_voltage", Only(&Conditions::head_voltage), {.vp = 1}, {.vp = 1, .hard = 1}},
        ConditionCase{"cutter", Only(&Conditions::cutter), {.cutter = 1}, {.cutter = 1}},
        ConditionCase{"black_mark", Only(&Conditions::black_mark), {.bm = 1}, {.bm = 1}},
        ConditionCase{"temperature", Only(&Conditions::temperature), {.temp = 1}, {.temp = 1}},
        ConditionCase{"hardware", Only(&Conditions::hardware), {.hard = 1}, {.vp = 1, .hard = 1}},
        ConditionCase{"near_end", Only(&Conditions::near_end), {.pn_end = 1}, {.pn_end = 1}},
        ConditionCase{"paper_out_and_near_end",
                      [] {
                        Conditions c;
                        c.paper_out = c.near_end = true;
                        return c;
                      }(),
                      {.head = 1},
                      {.head = 1}},
        ConditionCase{"several_errors",
                      [] {
                        Conditions c;
                        c.cutter = c.temperature = c.black_mark = c.head_voltage = true;
                        return c;
                      }(),
                      {.vp = 1, .cutter = 1, .bm = 1, .temp = 1},
                      {.vp = 1, .hard = 1}}),
    [](const ::testing::TestParamInfo<ConditionCase>& p) { return std::string(p.param.name); });

TEST_P(ConditionTest, SerialRepliesSetTheBitsTheApplicationDecodes) {
  const StatusModel model(GetParam().conditions, {});
  EXPECT_EQ(DecodeSerial(model.SerialReply(2), model.SerialReply(3), model.SerialReply(4)),
            GetParam().serial);
  // Request 1 is answered too, offline exactly when an error stands.
  EXPECT_EQ((model.SerialReply(1) & 0x08) != 0, GetParam().conditions.AnyError());
}

TEST_P(ConditionTest, ParallelStatusLinesSetTheBitsTheApplicationDecodes) {
  const StatusModel model(GetParam().conditions, {});
  EXPECT_EQ(DecodeParallel(model.ParallelStatus(false)), GetParam().parallel);
  EXPECT_EQ(model.ParallelStatus(false) & 0x80, 0x80) << "bit 7 high: not busy";
  EXPECT_EQ(model.ParallelStatus(true) & 0x80, 0x00);
  EXPECT_EQ(model.ParallelStatus(true) & 0x7F, model.ParallelStatus(false) & 0x7F);
}

// Every reply of one condition, as a printer gives it: DLE EOT 1..4, GS r 1, GS a's four
// bytes, the parallel status register.
struct ReplyCase {
  const char* name;
  bool Conditions::*condition;
  std::array<std::uint8_t, 4> real_time;
  std::uint8_t paper_sensors;
  std::array<std::uint8_t, 4> automatic;
  std::uint8_t parallel;
};

class ReplyBitsTest : public ::testing::TestWithParam<ReplyCase> {};

INSTANTIATE_TEST_SUITE_P(
    EachCondition, ReplyBitsTest,
    ::testing::Values(
        ReplyCase{"ready", nullptr, {0x12, 0x12, 0x12, 0x12}, 0x00, {0x10, 0, 0, 0}, 0xDF},
        // Stopped by the paper end (EOT 2 bit 5), both paper sensors (EOT 4 bits 5, 6 and
        // 2, 3; GS r 1 bits 2, 3 and 0, 1); the head drops without paper (EOT 2 bit 2).
        ReplyCase{"paper_out",
                  &Conditions::paper_out,
                  {0x1A, 0x76, 0x12, 0x7E},
                  0x0F,
                  {0x18, 0, 0x0F, 0},
                  0xBF},
        ReplyCase{"cover_open",
                  &Conditions::cover_open,
                  {0x1A, 0x56, 0x12, 0x12},
                  0x00,
                  {0x38, 0, 0, 0},
                  0xBF},
        ReplyCase{"near_end",
                  &Conditions::near_end,
                  {0x12, 0x12, 0x12, 0x1E},
                  0x03,
                  {0x10, 0, 0x03, 0},
                  0x9F},
        ReplyCase{"head_voltage",
                  &Conditions::head_voltage,
                  {0x1A, 0x52, 0x32, 0x12},
                  0x00,
                  {0x18, 0x20, 0, 0},
                  0x97},
        ReplyCase{"hardware",
                  &Conditions::hardware,
                  {0x1A, 0x5A, 0x12, 0x12},
                  0x00,
                  {0x18, 0x20, 0, 0},
                  0x97},
        ReplyCase{"cutter",
                  &Conditions::cutter,
                  {0x1A, 0x52, 0x1A, 0x12},
                  0x00,
                  {0x18, 0x08, 0, 0},
                  0xD7},
        ReplyCase{"temperature",
                  &Conditions::temperature,
                  {0x1A, 0x52, 0x52, 0x12},
                  0x00,
                  {0x18, 0x40, 0, 0},
                  0xC7},
        ReplyCase{"black_mark",
                  &Conditions::black_mark,
                  {0x1A, 0x52, 0x16, 0x12},
                  0x00,
                  {0x18, 0x04, 0, 0},
                  0x87}),
    [](const ::testing::TestParamInfo<ReplyCase>& p) { return std::string(p.param.name); });

TEST_P(ReplyBitsTest, EveryReplyReadsTheSameState) {
  const ReplyCase& c = GetParam();
  Conditions conditions;
  if (c.condition) conditions.*(c.condition) = true;
  const StatusModel model(conditions, {});
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(model.SerialReply(n), c.real_time[static_cast<std::size_t>(n - 1)])
        << "DLE EOT " << n;
  }
  EXPECT_EQ(model.PaperSensorStatus(), c.paper_sensors);
  EXPECT_EQ(DrawerStatus(model.State()), 0x00);
  EXPECT_EQ(model.AutoStatus(), c.automatic);
  EXPECT_EQ(model.ParallelStatus(false), c.parallel);
}

TEST(StatusModelTest, SilentPrinterAnswersNothing) {
  StatusModel model({}, Faults{.silent = true});
  for (int n = 1; n <= 4; ++n) EXPECT_FALSE(model.AnswerRequest(n));
  EXPECT_EQ(model.requests_seen(), 4);
}

TEST(StatusModelTest, AnswersTheFirstRequestsThenFallsSilent) {
  StatusModel model({}, Faults{.answer_limit = 2});
  EXPECT_TRUE(model.AnswerRequest(1));
  EXPECT_TRUE(model.AnswerRequest(1));
  EXPECT_FALSE(model.AnswerRequest(2));
  EXPECT_FALSE(model.AnswerRequest(1));
}

TEST(ParallelRegistersTest, StrobeHandsOverTheDataByteOnItsLeadingEdgeOnly) {
  StatusModel model;
  ParallelRegisters port(model);
  EXPECT_FALSE(port.Write(0, 0x41, 0));
  EXPECT_EQ(port.Read(0, 0), 0x41);
  EXPECT_EQ(port.Write(2, 0xCD, 0), std::optional<std::uint8_t>(0x41));
  EXPECT_FALSE(port.Write(2, 0xCD, 0)) << "strobe held, no second byte";
  EXPECT_FALSE(port.Write(2, 0xCC, 0));
  EXPECT_EQ(port.Read(2, 0), 0xCC);
  EXPECT_FALSE(port.Write(1, 0x00, 0)) << "status is read-only";
  EXPECT_EQ(port.Read(1, 0), 0xDF);
}

TEST(ParallelRegistersTest, BusyForAWhileAfterTheFirstByteOfAJob) {
  StatusModel model({}, Faults{.busy_ms = 3000});
  ParallelRegisters port(model);
  port.Write(0, 0x41, 1000);
  EXPECT_TRUE(port.Write(2, 0xCD, 1000));
  port.Write(2, 0xCC, 1000);
  EXPECT_TRUE(port.Busy(3999));
  EXPECT_EQ(port.Read(1, 3999) & 0x80, 0);
  EXPECT_FALSE(port.Write(2, 0xCD, 3999)) << "a byte strobed while busy is lost";
  EXPECT_EQ(port.bytes_lost(), 1);
  port.Write(2, 0xCC, 4000);
  EXPECT_FALSE(port.Busy(4000));
  EXPECT_TRUE(port.Write(2, 0xCD, 4000));  // within the job: no new pause
  port.Write(2, 0xCC, 4000);
  EXPECT_FALSE(port.Busy(4001));
}

TEST(ParallelRegistersTest, BusyForGood) {
  StatusModel model({}, Faults{.busy_forever = true});
  ParallelRegisters port(model);
  EXPECT_EQ(port.Read(1, 0) & 0x80, 0);
  EXPECT_EQ(port.Read(1, 1000000) & 0x80, 0);
  EXPECT_FALSE(port.Write(2, 0xCD, 5));
}

}  // namespace
}  // namespace qw77::vprinter
