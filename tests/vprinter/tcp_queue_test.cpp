// The TCP endpoint as a printer's raw port: connections served in turn, a bounded queue, a
// silent client let go; and one interface per ticket when serial and TCP print at once.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vprinter/TcpClient.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/endpoints/Server.h"

namespace qw77::vprinter {
namespace {

using testing::ConnectTcp;
using testing::PrinterRig;
using testing::TempDir;

constexpr int kRounds = 2000;
constexpr char kCut[] = "\x1DV\x00";

void Send(int fd, const std::string& bytes) {
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string Receipt(int n) {
  return "RECEIPT " + std::to_string(n) + "\n" + std::string(kCut, 3);
}

// The text lines of the log, in order, each with the interface it came from.
std::vector<std::string> TextLines(const Printer& printer) {
  std::vector<std::string> lines;
  for (const LogEntry& e : printer.log()) {
    if (e.kind == LogEntry::kText)
      lines.push_back(e.Format().substr(0, e.Format().find(' ')) + " " + e.params);
  }
  return lines;
}

int CountLogged(const Printer& printer, const std::string& part) {
  int n = 0;
  for (const LogEntry& e : printer.log()) n += e.command.find(part) != std::string::npos;
  return n;
}

struct TcpRig {
  explicit TcpRig(Micros idle_us = Micros{30} * 1000000) : server(rig.printer) {
    const Status s = server.OpenTcp("127.0.0.1", 0, idle_us);
    EXPECT_TRUE(s.ok()) << s.message();
  }
  void ServeUntilTickets(std::size_t want) {
    for (int i = 0; i < kRounds && rig.printer.tickets().size() < want; ++i) server.RunOnce(1000);
  }
  PrinterRig rig;
  Server server;
};

// A point-of-sale program opens one connection per receipt, sends it and closes, without
// waiting for the printer: every receipt is printed, in the order the connections came.
TEST(TcpQueueTest, TwentyBackToBackConnectionsEachPrintTheirTicket) {
  TcpRig t;
  for (int n = 1; n <= 20; ++n) {
    const int fd = ConnectTcp(t.server.tcp()->port());
    ASSERT_GE(fd, 0);
    Send(fd, Receipt(n));
    close(fd);
    t.server.RunOnce(0);
  }
  t.ServeUntilTickets(20);
  ASSERT_EQ(t.rig.printer.tickets().size(), 20u);
  std::vector<std::string> want;
  for (int n = 1; n <= 20; ++n) want.push_back("tcp \"RECEIPT " + std::to_string(n) + "\"");
  EXPECT_EQ(TextLines(t.rig.printer), want);
  EXPECT_EQ(CountLogged(t.rig.printer, "refused"), 0);
}

// While one connection is served, 16 more wait; the one after them is refused and logged.
TEST(TcpQueueTest, SixteenWaitTheNextIsRefused) {
  TcpRig t;
  std::vector<int> fds;
  for (std::size_t i = 0; i < 1 + kMaxWaitingConnections + 1; ++i) {
    fds.push_back(ConnectTcp(t.server.tcp()->port()));
    ASSERT_GE(fds.back(), 0);
    t.server.RunOnce(0);
    const std::size_t waiting = std::min(i, kMaxWaitingConnections);
    EXPECT_EQ(t.server.tcp()->waiting(), waiting) << "after connection " << i + 1;
    EXPECT_EQ(CountLogged(t.rig.printer, "refused"), i > kMaxWaitingConnections ? 1 : 0);
  }
  for (int fd : fds) close(fd);
}

// A client that connects and sends nothing is let go after the idle time (to the
// microsecond, on the endpoint's own clock), and the one waiting behind it is served.
TEST(TcpQueueTest, ASilentClientIsReleasedAfterTheIdleTime) {
  const Micros idle = Micros{30} * 1000000;
  TcpRig t(idle);
  const int silent = ConnectTcp(t.server.tcp()->port());
  const Micros before = NowMicros();
  t.server.RunOnce(0);
  const Micros after = NowMicros();
  const int next = ConnectTcp(t.server.tcp()->port());
  t.server.RunOnce(0);
  ASSERT_TRUE(t.server.tcp()->connected());
  ASSERT_EQ(t.server.tcp()->waiting(), 1u);
  t.server.tcp()->Service({}, before + idle - 1);
  EXPECT_TRUE(t.server.tcp()->connected());
  EXPECT_EQ(t.server.tcp()->waiting(), 1u);
  t.server.tcp()->Service({}, after + idle);
  EXPECT_EQ(CountLogged(t.rig.printer, "silent for 30 s"), 1);
  EXPECT_EQ(t.server.tcp()->waiting(), 0u);
  EXPECT_TRUE(t.server.tcp()->connected());  // the next one, served now
  Send(next, Receipt(1));
  t.ServeUntilTickets(1);
  EXPECT_EQ(t.rig.printer.tickets().size(), 1u);
  close(silent);
  close(next);
}

// What holds the other interfaces back: anything for a ticket, until the ticket ends;
// a status request alone holds nothing.
TEST(InterfacePerTicketTest, WhatHoldsTheOtherInterfacesBack) {
  const struct {
    const char* name;
    std::vector<std::uint8_t> serial;
    bool tcp_accepted;
  } cases[] = {
      {"StatusRequest", testing::Bytes("\x10\x04\x01"), true},
      {"Text", testing::Bytes("X"), false},
      {"Setting", testing::Bytes("\x1B!\x08"), false},
      {"TextThenCut", testing::Bytes("X\n\x1DV\x00"), true},
      {"TextThenClosingFeed", testing::Bytes("X\x1BJ\xA0"), true},
      {"BlankCut", testing::Bytes("\x1DV\x00"), true},
  };
  for (const auto& c : cases) {
    PrinterRig rig;
    rig.Feed(c.serial, Source::kSerial);
    EXPECT_EQ(rig.printer.Accepts(Source::kTcp), c.tcp_accepted) << c.name;
    EXPECT_TRUE(rig.printer.Accepts(Source::kSerial)) << c.name;
  }
  // A stream that ends with nothing printed lets go at once; idle time lets go of any.
  PrinterRig rig;
  rig.Feed(testing::Bytes("\x1B!\x08"), Source::kSerial);
  rig.printer.EndOfStream(Source::kSerial);
  EXPECT_TRUE(rig.printer.Accepts(Source::kTcp));
  rig.Feed(testing::Bytes("X"), Source::kSerial);
  rig.printer.Tick(rig.printer.NextDeadline() - 1);
  EXPECT_FALSE(rig.printer.Accepts(Source::kTcp));
  rig.printer.Tick(rig.printer.NextDeadline());
  EXPECT_TRUE(rig.printer.Accepts(Source::kTcp));
}

// A serial client and a TCP client printing at once: the TCP ticket waits until the serial
// one ends, and each is a ticket of its own.
TEST(InterfacePerTicketTest, SerialAndTcpAtOnceGiveTwoTickets) {
  TempDir dir;
  TcpRig t;
  ASSERT_TRUE(t.server.OpenSerial({dir / "com1", 0, false}).ok());
  const int serial = open((dir / "com1").c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(serial, 0);
  Send(serial, "SERIAL ONE\n");
  for (int i = 0; i < kRounds && t.server.serial()->bytes_received() < 11; ++i) {
    t.server.RunOnce(1000);
  }
  const int tcp = ConnectTcp(t.server.tcp()->port());
  Send(tcp, "TCP LINE\n" + std::string(kCut, 3));
  for (int i = 0; i < 20; ++i) t.server.RunOnce(1000);
  Send(serial, "SERIAL TWO\n" + std::string(kCut, 3));
  t.ServeUntilTickets(2);
  EXPECT_EQ(t.rig.printer.tickets().size(), 2u);
  EXPECT_EQ(TextLines(t.rig.printer),
            (std::vector<std::string>{"serial \"SERIAL ONE\"", "serial \"SERIAL TWO\"",
                                      "tcp \"TCP LINE\""}));
  close(tcp);
  close(serial);
}

}  // namespace
}  // namespace qw77::vprinter
