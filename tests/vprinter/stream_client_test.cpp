// A client of an interface that does not play along: one that sends requests without
// reading the replies, and a second client while the first is connected.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/vprinter/TcpClient.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/endpoints/Server.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;
using testing::ConnectTcp;
using testing::TempDir;

constexpr int kRounds = 500;

int ConnectUnix(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

struct EndpointCase {
  const char* name;
  std::function<Status(Server&, const TempDir&)> open;
  // A client's descriptor, non-blocking.
  std::function<int(Server&, const TempDir&)> connect;
  // One request, answered with one byte.
  std::vector<std::uint8_t> request;
  std::function<std::size_t(Server&)> unsent;
};

void PrintTo(const EndpointCase& c, std::ostream* os) {
  *os << c.name;
}

const EndpointCase kParallel{
    "Parallel", [](Server& s, const TempDir& d) { return s.OpenParallel(d / "lpt.sock"); },
    [](Server&, const TempDir& d) { return ConnectUnix(d / "lpt.sock"); }, Bytes({'R', 1, 0}),
    [](Server& s) { return s.parallel()->unsent_bytes(); }};

const EndpointCase kSerial{
    "Serial",
    [](Server& s, const TempDir& d) {
      return s.OpenSerial({d / "com1", 0, false});
    },
    [](Server&, const TempDir& d) {
      return open((d / "com1").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    },
    Bytes({0x10, 0x04, 0x01}), [](Server& s) { return s.serial()->unsent_bytes(); }};

const EndpointCase kTcp{"Tcp", [](Server& s, const TempDir&) { return s.OpenTcp("127.0.0.1", 0); },
                        [](Server& s, const TempDir&) { return ConnectTcp(s.tcp()->port()); },
                        Bytes({0x10, 0x04, 0x01}),
                        [](Server& s) { return s.tcp()->unsent_bytes(); }};

std::string Name(const ::testing::TestParamInfo<EndpointCase>& info) {
  return info.param.name;
}

struct Rig {
  explicit Rig(const EndpointCase& c) : server(rig.printer) {
    const Status s = c.open(server, dir);
    EXPECT_TRUE(s.ok()) << s.message();
  }
  void Serve(int rounds = 5) {
    for (int i = 0; i < rounds; ++i) server.RunOnce(0);
  }
  // Serves until `fd` has `want` bytes or is closed; what came (closed: -1 appended).
  std::vector<int> Read(int fd, std::size_t want) {
    std::vector<int> got;
    for (int i = 0; i < kRounds && got.size() < want; ++i) {
      server.RunOnce(10000);
      std::uint8_t buf[65536];
      const ssize_t n = read(fd, buf, sizeof buf);
      if (n == 0 || (n < 0 && errno != EAGAIN)) {
        got.push_back(-1);
        break;
      }
      if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
  }
  bool Logged(const std::string& part) const {
    for (const LogEntry& e : rig.printer.log()) {
      if (e.command.find(part) != std::string::npos) return true;
    }
    return false;
  }
  TempDir dir;
  testing::PrinterRig rig;
  Server server;
};

class UnreadRepliesTest : public ::testing::TestWithParam<EndpointCase> {};

INSTANTIATE_TEST_SUITE_P(Endpoints, UnreadRepliesTest, ::testing::Values(kParallel, kSerial, kTcp),
                         Name);

// The printer stops taking requests from a client that leaves its replies unread, instead
// of keeping the replies in memory; once the client reads, every request is answered.
TEST_P(UnreadRepliesTest, HoldBackTheClientAndLoseNothing) {
  const EndpointCase& c = GetParam();
  Rig r(c);
  const int fd = c.connect(r.server, r.dir);
  ASSERT_GE(fd, 0);
  std::vector<std::uint8_t> burst;
  for (int i = 0; i < 1024; ++i) burst.insert(burst.end(), c.request.begin(), c.request.end());
  const std::size_t kEnough = std::size_t{16} << 20;
  std::size_t sent = 0, most_unsent = 0;
  for (int refused = 0; sent < kEnough && refused < 50;) {
    const std::size_t at = sent % burst.size();
    const ssize_t n = write(fd, burst.data() + at, burst.size() - at);
    refused = n > 0 ? 0 : refused + 1;
    if (n > 0) sent += static_cast<std::size_t>(n);
    r.server.RunOnce(0);
    most_unsent = std::max(most_unsent, c.unsent(r.server));
  }
  EXPECT_LT(sent, kEnough) << "the printer went on taking requests";
  EXPECT_LE(most_unsent, kMaxUnsentReplyBytes);
  const std::size_t requests = sent / c.request.size();
  EXPECT_EQ(r.Read(fd, requests).size(), requests);
  close(fd);
}

class SecondClientTest : public ::testing::TestWithParam<EndpointCase> {};

// The parallel port only: a TCP connection that comes while one is served waits its turn
// (tcp_queue_test.cpp).
INSTANTIATE_TEST_SUITE_P(Endpoints, SecondClientTest, ::testing::Values(kParallel), Name);

// One client at a time: a second is closed at once, with a log line, and the first goes
// on as if nothing happened; once the first has gone, the next is served.
TEST_P(SecondClientTest, IsRefusedWhileTheFirstIsConnected) {
  const EndpointCase& c = GetParam();
  Rig r(c);
  const int first = c.connect(r.server, r.dir);
  r.Serve();
  const int second = c.connect(r.server, r.dir);
  ASSERT_GE(second, 0);
  EXPECT_EQ(r.Read(second, 1), std::vector<int>{-1});
  EXPECT_TRUE(r.Logged("refused"));
  ASSERT_EQ(write(first, c.request.data(), c.request.size()), ssize_t(c.request.size()));
  EXPECT_EQ(r.Read(first, 1).size(), 1u);
  close(first);
  close(second);
  r.Serve();
  const int third = c.connect(r.server, r.dir);
  ASSERT_EQ(write(third, c.request.data(), c.request.size()), ssize_t(c.request.size()));
  const std::vector<int> reply = r.Read(third, 1);
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_NE(reply[0], -1);
  close(third);
}

}  // namespace
}  // namespace qw77::vprinter
