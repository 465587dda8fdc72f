// The termios serial control over real pseudo-terminals: the test holds the master side
// as the printer would hold the far end of the cable.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/TermiosSerialControl.h"

namespace qw77 {
namespace {

using namespace std::chrono_literals;

class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      slave_path_ = ptsname(master_);
    }
  }
  ~Pty() {
    if (master_ >= 0) close(master_);
  }
  bool ok() const { return !slave_path_.empty(); }
  const std::string& slave() const { return slave_path_; }
  int master() const { return master_; }

  void Write(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Reads until `count` bytes have come or nothing more comes for a while.
  std::vector<std::uint8_t> Read(std::size_t count) {
    std::vector<std::uint8_t> got;
    while (got.size() < count) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) break;
      std::uint8_t chunk[256];
      ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0) break;
      got.insert(got.end(), chunk, chunk + n);
    }
    return got;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
};

TermiosSerialControl MakeControl(const Pty& pty,
                                 std::chrono::milliseconds write_limit = kSerialWriteLimit) {
  TermiosOptions options;
  options.device = pty.slave();
  options.write_limit = write_limit;
  // A limit given by the test is the whole limit: no allowance for the line's buffer.
  if (write_limit != kSerialWriteLimit) options.line_buffer_bytes = 0;
  return TermiosSerialControl(1, options);
}

// Waits (on the device, not on a limit) until the control has seen `count` bytes.
bool WaitForInput(TermiosSerialControl& port, std::size_t count) {
  for (int i = 0; i < 400 && port.Available() < count; ++i) usleep(5000);
  return port.Available() >= count;
}

#define REQUIRE_PTY(pty) \
  if (!(pty).ok()) GTEST_SKIP() << "no pseudo-terminals here"

struct PathCase {
  int port;
  std::optional<std::string_view> env;
  const char* expected;
};

TEST(SerialDevicePath, PortNumberOrEnvironmentNamesTheDevice) {
  const PathCase cases[] = {
      {1, std::nullopt, "/dev/ttyS0"}, {3, std::nullopt, "/dev/ttyS2"},
      {7, std::nullopt, "/dev/ttyS6"}, {2, "/dev/ttyUSB0", "/dev/ttyUSB0"},
      {1, "", "/dev/ttyS0"},           {0, std::nullopt, ""},
      {-1, "/dev/pts/3", ""},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(SerialDevicePath(c.port, c.env), c.expected) << c.port;
  }
}

TEST(TermiosSerial, EnvironmentVariableChoosesTheDevice) {
  Pty pty;
  REQUIRE_PTY(pty);
  setenv("QW77_COM3", pty.slave().c_str(), 1);
  TermiosSerialControl port(3);
  EXPECT_EQ(port.DevicePath(), pty.slave());
  ASSERT_TRUE(port.Open({}).ok());
  EXPECT_TRUE(port.IsOpen());
  EXPECT_TRUE(port.Close().ok());
  unsetenv("QW77_COM3");
  EXPECT_EQ(port.DevicePath(), "/dev/ttyS2");
}

TEST(TermiosSerial, MissingDeviceIsNotFound) {
  TermiosOptions options;
  options.device = "/dev/qw77-no-such-tty";
  TermiosSerialControl port(1, options);
  Status s = port.Open({});
  EXPECT_EQ(s.code(), ErrorCode::kNotFound);
  EXPECT_NE(s.message().find("/dev/qw77-no-such-tty"), std::string::npos);
  EXPECT_FALSE(port.IsOpen());
}

TEST(TermiosSerial, ANonTerminalIsRefusedAndLeftClosed) {
  TermiosOptions options;
  options.device = "/dev/null";
  TermiosSerialControl port(1, options);
  EXPECT_FALSE(port.Open({}).ok());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Available(), 0u);
}

TEST(TermiosSerial, SettingsAcceptedAppliedAndRefused) {
  Pty pty;
  REQUIRE_PTY(pty);
  TermiosSerialControl port = MakeControl(pty);
  ASSERT_TRUE(port.Open({}).ok());

  struct Accepted {
    SerialConfig config;
    speed_t speed;
    tcflag_t parity;
  };
  for (const Accepted& a : {Accepted{{4800, Parity::kOdd}, B4800, PARENB | PARODD},
                            Accepted{{38400, Parity::kEven}, B38400, PARENB},
                            Accepted{{9600, Parity::kNone}, B9600, 0}}) {
    ASSERT_TRUE(port.Open(a.config).ok()) << a.config.baud;
    EXPECT_EQ(port.Config(), a.config);
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.master(), &tio), 0);  // the master reports the line's setup
    EXPECT_EQ(cfgetospeed(&tio), a.speed) << a.config.baud;
    // A pseudo-terminal clears PARENB and forces CS8 on its own; PARODD survives.
    EXPECT_EQ(tio.c_cflag & PARODD, a.parity & PARODD) << a.config.baud;
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
  }
  for (const SerialConfig& bad :
       {SerialConfig{9601}, SerialConfig{0}, SerialConfig{9600, Parity::kNone, 9},
        SerialConfig{9600, Parity::kNone, 4}, SerialConfig{9600, Parity::kNone, 8, 3}}) {
    EXPECT_EQ(port.Open(bad).code(), ErrorCode::kInvalidArgument) << bad.baud;
    EXPECT_EQ(port.Config(), SerialConfig{}) << bad.baud;
    EXPECT_TRUE(port.IsOpen());
  }
}

TEST(TermiosSerial, EveryByteArrivesInOrderWithEitherHandshaking) {
  Pty pty;
  REQUIRE_PTY(pty);
  std::vector<std::uint8_t> all(256);
  std::iota(all.begin(), all.end(), std::uint8_t{0});
  for (FlowControl flow : {FlowControl::kNone, FlowControl::kRtsCts}) {
    // Software flow control left on by someone else must not swallow 11h and 13h.
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.master(), &tio), 0);
    tio.c_iflag |= IXON | IXOFF;
    ASSERT_EQ(tcsetattr(pty.master(), TCSANOW, &tio), 0);

    TermiosSerialControl port = MakeControl(pty);
    ASSERT_TRUE(port.Open(SerialConfig{.flow = flow}).ok());
    ASSERT_EQ(tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);

    WriteResult sent = port.Write(all);
    ASSERT_TRUE(sent.status.ok()) << sent.status.message();
    EXPECT_EQ(sent.written, 256u);
    EXPECT_EQ(pty.Read(256), all) << "flow control " << static_cast<int>(flow);
    ASSERT_TRUE(port.Close().ok());
  }
}

TEST(TermiosSerial, AvailableCountsAndReadTakesEverything) {
  Pty pty;
  REQUIRE_PTY(pty);
  TermiosSerialControl port = MakeControl(pty);
  EXPECT_EQ(port.Available(), 0u);  // closed
  ASSERT_TRUE(port.Open({}).ok());
  EXPECT_EQ(port.Available(), 0u);
  pty.Write({0x12, 0x00, 0x16, 0x11, 0x13});
  ASSERT_TRUE(WaitForInput(port, 5));
  EXPECT_EQ(port.Available(), 5u);

  EXPECT_EQ(port.Read(), (std::vector<std::uint8_t>{0x12, 0x00, 0x16, 0x11, 0x13}));
  EXPECT_EQ(port.Available(), 0u);
  EXPECT_TRUE(port.Read().empty());
}

TEST(TermiosSerial, ASecondOpenIsRefusedWhileTheFirstHoldsThePort) {
  Pty pty;
  REQUIRE_PTY(pty);
  TermiosSerialControl first = MakeControl(pty);
  TermiosSerialControl second = MakeControl(pty);
  ASSERT_TRUE(first.Open({}).ok());
  Status refused = second.Open({});
  EXPECT_EQ(refused.code(), ErrorCode::kBusy) << refused.message();
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.Write(std::vector<std::uint8_t>{1}).status.code(), ErrorCode::kNotOpen);

  ASSERT_TRUE(first.Close().ok());
  EXPECT_TRUE(second.Open({}).ok());
}

TEST(TermiosSerial, ClosingDiscardsUnreadInput) {
  Pty pty;
  REQUIRE_PTY(pty);
  TermiosSerialControl port = MakeControl(pty);
  ASSERT_TRUE(port.Open({}).ok());
  pty.Write({1, 2, 3, 4});
  ASSERT_TRUE(WaitForInput(port, 4));
  ASSERT_EQ(port.Read().size(), 4u);
  pty.Write({5, 6});
  ASSERT_TRUE(WaitForInput(port, 2));
  ASSERT_TRUE(port.Close().ok());
  EXPECT_EQ(port.Available(), 0u);

  // Look at the driver directly: nothing is left for the next opener.
  int fd = open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  int pending = -1;
  EXPECT_EQ(ioctl(fd, FIONREAD, &pending), 0);
  EXPECT_EQ(pending, 0);
  close(fd);
}

TEST(TermiosSerial, AWriteNobodyReadsEndsAtTheLimit) {
  Pty pty;
  REQUIRE_PTY(pty);
  // The pseudo-terminal stalls for real once its buffer is full; the limit is short here.
  constexpr auto kLimit = 200ms;
  TermiosSerialControl port = MakeControl(pty, kLimit);
  ASSERT_TRUE(port.Open({}).ok());
  std::vector<std::uint8_t> big(4 << 20, 0x55);
  const auto start = std::chrono::steady_clock::now();
  WriteResult result = port.Write(big);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.status.code(), ErrorCode::kTimedOut);
  EXPECT_GT(result.written, 0u);
  EXPECT_LT(result.written, big.size());
  EXPECT_GE(took, kLimit);
  EXPECT_LT(took, kLimit + 3s);
  // Closing with the line still held must not hang either.
  const auto close_start = std::chrono::steady_clock::now();
  (void)port.Close();
  EXPECT_LT(std::chrono::steady_clock::now() - close_start, kSerialCloseCap);
  EXPECT_FALSE(port.IsOpen());
}

// The line's buffer is counted at the settings in force: a line moving at its baud never
// runs out of the limit, whatever the floor.
TEST(SerialStallLimit, CoversTwiceTheBufferAtTheBaudInForce) {
  struct Case {
    int baud;
    Parity parity;
    std::size_t buffer;
    long long expected_ms;
  } cases[] = {
      {4800, Parity::kNone, 4096, 17066},  // 10 bits a character
      {4800, Parity::kEven, 4096, 18772},  // 11 with the parity bit
      {38400, Parity::kNone, 4096, 5000},  // drains in 1 s: the floor holds
      {9600, Parity::kNone, 0, 5000},      // no buffer counted
      {0, Parity::kNone, 4096, 5000},      // no rate known
  };
  for (const Case& c : cases) {
    const SerialConfig config{c.baud, c.parity};
    EXPECT_EQ(SerialStallLimit(config, c.buffer, kSerialWriteLimit).count(), c.expected_ms)
        << c.baud << " " << c.buffer;
  }
}

// Bytes that sat in the buffer of a line that hung up never reached the other end; an empty
// output queue must not pass for a delivered ticket.
TEST(TermiosSerial, ClosingALineThatHungUpIsAFailure) {
  auto pty = std::make_unique<Pty>();
  REQUIRE_PTY(*pty);
  TermiosSerialControl port = MakeControl(*pty);
  ASSERT_TRUE(port.Open({}).ok());
  const std::vector<std::uint8_t> bytes(64, 0x41);
  ASSERT_TRUE(port.Write(bytes).status.ok());
  pty.reset();  // the other end goes away with the bytes unread
  const Status closed = port.Close();
  EXPECT_EQ(closed.code(), ErrorCode::kIo);
  EXPECT_NE(closed.message().find("hung up"), std::string::npos) << closed.message();
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace qw77
