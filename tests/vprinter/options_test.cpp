#include <gtest/gtest.h>

#include "vprinter/app/Options.h"

namespace qw77::vprinter {
namespace {

TEST(OptionsTest, ReadsInterfacesConditionsAndFaults) {
  Result<CommandLine> cl =
      ParseCommandLine({"--serial-link", "/tmp/com1", "--parallel-socket", "/tmp/lpt", "--paper",
                        "80", "--cutter", "--near-end", "--answer", "1", "--busy-ms", "2500",
                        "--hang-up-after", "40", "--baud", "38400"});
  ASSERT_TRUE(cl) << cl.status().message();
  EXPECT_EQ(cl->serial_options.link_path, "/tmp/com1");
  EXPECT_EQ(cl->parallel_socket, "/tmp/lpt");
  EXPECT_EQ(cl->paper_dots, 576);
  EXPECT_TRUE(cl->conditions.cutter && cl->conditions.near_end && !cl->conditions.paper_out);
  EXPECT_EQ(cl->faults.answer_limit, 1);
  EXPECT_EQ(cl->faults.busy_ms, 2500);
  EXPECT_EQ(cl->faults.hang_up_after_bytes, 40);
  EXPECT_EQ(cl->serial_options.baud, 38400);
}

struct TcpCase {
  const char* value;
  const char* host;
  int port;
};

class TcpOptionTest : public ::testing::TestWithParam<TcpCase> {};

INSTANTIATE_TEST_SUITE_P(Addresses, TcpOptionTest,
                         ::testing::Values(TcpCase{"9100", "127.0.0.1", 9100},
                                           TcpCase{"0.0.0.0:0", "0.0.0.0", 0},
                                           TcpCase{"[::1]:9100", "::1", 9100},
                                           TcpCase{"localhost:65535", "localhost", 65535}));

TEST_P(TcpOptionTest, TakesHostAndPort) {
  Result<CommandLine> cl = ParseCommandLine({"--no-serial", "--tcp", GetParam().value});
  ASSERT_TRUE(cl) << cl.status().message();
  EXPECT_EQ(cl->tcp_host, GetParam().host);
  EXPECT_EQ(cl->tcp_port, GetParam().port);
}

// The web view's address is read as the TCP port's is, and is an interface of its own.
TEST_P(TcpOptionTest, TheWebViewTakesHostAndPortToo) {
  Result<CommandLine> cl = ParseCommandLine({"--no-serial", "--http", GetParam().value});
  ASSERT_TRUE(cl) << cl.status().message();
  EXPECT_EQ(cl->http_host, GetParam().host);
  EXPECT_EQ(cl->http_port, GetParam().port);
  EXPECT_EQ(cl->tcp_port, -1);
}

class BadOptionTest : public ::testing::TestWithParam<std::vector<std::string>> {};

INSTANTIATE_TEST_SUITE_P(
    Refused, BadOptionTest,
    ::testing::Values(
        std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"--paper", "70"},
        std::vector<std::string>{"--answer", "-1"}, std::vector<std::string>{"--answer", "3x"},
        std::vector<std::string>{"--busy-ms"}, std::vector<std::string>{"--out", ""},
        std::vector<std::string>{"--no-serial"}, std::vector<std::string>{"--tcp", "65536"},
        std::vector<std::string>{"--tcp", ":9100"}, std::vector<std::string>{"--tcp", "::1:9100"},
        std::vector<std::string>{"--tcp", "host:"}, std::vector<std::string>{"--http", "65536"},
        std::vector<std::string>{"--http", ":8080"}, std::vector<std::string>{"--http", ""},
        std::vector<std::string>{"--tcp-idle-s", "0"},
        std::vector<std::string>{"--tcp-idle-s", "86401"}));

TEST_P(BadOptionTest, ComesBackWithAReason) {
  Result<CommandLine> cl = ParseCommandLine(GetParam());
  ASSERT_FALSE(cl);
  EXPECT_EQ(cl.status().code(), ErrorCode::kInvalidArgument);
  EXPECT_FALSE(cl.status().message().empty());
}

// The idle limit of a TCP connection at both ends of its range, and its default.
TEST(OptionsTest, TakesTheTcpIdleTimeWithinItsRange) {
  EXPECT_EQ(ParseCommandLine({"--tcp", "0"})->tcp_idle_s, 30);
  for (const char* n : {"1", "86400"}) {
    Result<CommandLine> cl = ParseCommandLine({"--tcp", "0", "--tcp-idle-s", n});
    ASSERT_TRUE(cl) << cl.status().message();
    EXPECT_EQ(cl->tcp_idle_s, std::stoi(n));
  }
}

// An IPv6 address in brackets with no port: the message says how to write it.
TEST(OptionsTest, AnIpv6AddressWithoutAPortIsExplained) {
  Result<CommandLine> cl = ParseCommandLine({"--tcp", "[::1]"});
  ASSERT_FALSE(cl);
  EXPECT_NE(cl.status().message().find("[::1]:9100"), std::string::npos) << cl.status().message();
}

}  // namespace
}  // namespace qw77::vprinter
