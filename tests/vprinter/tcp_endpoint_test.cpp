// The TCP endpoint over a real loopback connection: the serial line's byte stream and its
// faults, per connection.
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "tests/vprinter/TcpClient.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/endpoints/Server.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;

constexpr int kRounds = 500;

struct FaultCase {
  const char* name;
  Faults faults;
  std::vector<std::uint8_t> send;   // first
  std::vector<std::uint8_t> later;  // once the printer has taken the first
  std::vector<std::uint8_t> replies;
  long taken;     // bytes the printer read of the connection
  bool hangs_up;  // the printer closed the connection
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.name;
}

const auto kProbe = Bytes("\r\x10\x04\x01\r");

class TcpFaultTest : public ::testing::TestWithParam<FaultCase> {};

INSTANTIATE_TEST_SUITE_P(
    Faults, TcpFaultTest,
    ::testing::Values(
        FaultCase{"Healthy", {}, kProbe, Bytes("\x10\x04\x04"), {0x12, 0x12}, 8, false},
        FaultCase{"Silent", {.silent = true}, kProbe, {}, {}, 5, false},
        FaultCase{"AnswersOnce", {.answer_limit = 1}, kProbe, kProbe, {0x12}, 10, false},
        FaultCase{"StallsAfterItsReply",
                  {.stall_after_reply = true},
                  kProbe,
                  Bytes("MORE"),
                  {0x12},
                  5,
                  false},
        FaultCase{
            "StallsAfterBytes", {.stall_after_bytes = 7}, kProbe, Bytes("MORE"), {0x12}, 7, false},
        FaultCase{"HangsUpAfterBytes",
                  {.hang_up_after_bytes = 7},
                  kProbe,
                  Bytes("MORE"),
                  {0x12},
                  7,
                  true}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_P(TcpFaultTest, ActsOnTheConnection) {
  const FaultCase& c = GetParam();
  testing::PrinterRig rig({}, c.faults);
  Server server(rig.printer);
  ASSERT_TRUE(server.OpenTcp("127.0.0.1", 0).ok());
  const int fd = testing::ConnectTcp(server.tcp()->port());
  ASSERT_GE(fd, 0);
  std::vector<std::uint8_t> got;
  bool closed = false;
  // Serves until the printer has taken `want` bytes (or closed), then a round more; the
  // client reads whatever came meanwhile.
  auto serve = [&](long want) {
    for (int i = 0, extra = 1; i < kRounds && extra >= 0; ++i) {
      server.RunOnce(1000);
      if (!server.tcp()->connected() || server.tcp()->bytes_received() >= want) --extra;
      std::uint8_t buf[64];
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) got.insert(got.end(), buf, buf + n);
      // A hang-up with bytes left unread resets the connection.
      closed = closed || n == 0 || (n < 0 && errno == ECONNRESET);
    }
  };
  ASSERT_EQ(write(fd, c.send.data(), c.send.size()), ssize_t(c.send.size()));
  serve(static_cast<long>(c.send.size()));
  if (!c.later.empty()) {
    ASSERT_EQ(write(fd, c.later.data(), c.later.size()), ssize_t(c.later.size()));
    serve(c.taken);
  }
  EXPECT_EQ(got, c.replies);
  EXPECT_EQ(closed, c.hangs_up);
  EXPECT_EQ(server.tcp()->connected(), !c.hangs_up);
  close(fd);
  if (!c.hangs_up) {
    EXPECT_EQ(server.tcp()->bytes_received(), c.taken);
    return;
  }
  // The next connection starts afresh.
  const int next = testing::ConnectTcp(server.tcp()->port());
  got.clear();
  ASSERT_EQ(write(next, "\x10\x04\x02", 3), 3);
  for (int i = 0; i < kRounds && got.empty(); ++i) {
    server.RunOnce(1000);
    std::uint8_t b = 0;
    if (read(next, &b, 1) == 1) got.push_back(b);
  }
  EXPECT_EQ(got, Bytes({0x12}));
  close(next);
}

}  // namespace
}  // namespace qw77::vprinter
