// The application's own serial control (termios) against the virtual printer: the probe,
// the status requests and a sample ticket, as the jobs drive them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/posix/TermiosSerialControl.h"
#include "tests/vprinter/VPrinterTestUtil.h"
#include "vprinter/endpoints/Server.h"

namespace qw77::vprinter {
namespace {

using testing::Bytes;

struct LinkRig {
  explicit LinkRig(Conditions c = {}) : rig(c), server(rig.printer) {
    link = std::filesystem::temp_directory_path() / ("qw77-com-" + std::to_string(getpid()));
    const Status s = server.OpenSerial({link, 0, true});
    EXPECT_TRUE(s.ok()) << s.message();
    thread = std::thread([this] { server.Run(); });
  }
  ~LinkRig() { Stop(); }
  void Stop() {
    if (!thread.joinable()) return;
    server.Stop();
    thread.join();
  }
  // Waits for the first reply byte as the status exchange does, without its time limit:
  // the printer is expected to answer, so only a broken one makes this run long.
  std::uint8_t Reply(qw77::SerialLink& port) {
    for (int i = 0; i < 5000 && port.Available() == 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::vector<std::uint8_t> in = port.Read();
    return in.empty() ? 0 : in[0];
  }
  testing::PrinterRig rig;
  Server server;
  std::string link;
  std::thread thread;
};

TEST(TermiosLinkTest, StatusExchangeGetsTheConditionBits) {
  Conditions c;
  c.cutter = c.near_end = true;
  LinkRig r(c);
  TermiosSerialControl port(1, TermiosOptions{.device = r.link});
  // Even parity: a pseudo-terminal drops the parity flag, and applying the settings again
  // on the open port must still succeed.
  const SerialConfig even{38400, Parity::kEven};
  ASSERT_TRUE(port.Open(even).ok());
  const Status again = port.Open(even);
  ASSERT_TRUE(again.ok()) << again.message();
  std::vector<std::uint8_t> replies;
  for (int n = 1; n <= 4; ++n) {
    ASSERT_EQ(port.Write(Bytes({0x10, 0x04, n, 0x0D})).written, 4u);
    replies.push_back(r.Reply(port));
  }
  ASSERT_TRUE(port.Close().ok());
  EXPECT_EQ(replies[2] & 0x08, 0x08) << "cutter";
  EXPECT_EQ(replies[3] & 0x0C, 0x0C) << "paper near end";
  EXPECT_EQ(replies[1] & 0x0C, 0x00) << "no head or hardware fault";
}

TEST(TermiosLinkTest, SampleTicketArrivesWithEveryCommand) {
  LinkRig r;
  TermiosSerialControl port(1, TermiosOptions{.device = r.link});
  const SerialConfig config{38400, Parity::kNone};
  // The probe, in a job of its own.
  ASSERT_TRUE(port.Open(config).ok());
  for (std::uint8_t b : Bytes({0x0D, 0x10, 0x04, 0x01, 0x0D})) port.Write({&b, 1});
  EXPECT_EQ(r.Reply(port), 0x12);
  ASSERT_TRUE(port.Close().ok());
  // Then the ticket, with hardware flow control, and a close right after the last byte.
  ASSERT_TRUE(port.Open(WithFlow(config, FlowControl::kRtsCts)).ok());
  const auto ticket = Bytes(
      "\x1B!\x00\x1D!\x10\x1B\x33\x01\x1B \x01\x1BM\x00\x1DL\x00\x00\x1D(K\x02\x00\x01\x00"
      "\x1D\x45\x00"
      "AB\nAB\n\x1B\x4A\xE1");
  EXPECT_EQ(port.Write(ticket).written, ticket.size());
  ASSERT_TRUE(port.Close().ok());
  const long expected = 5 + static_cast<long>(ticket.size());
  for (int i = 0; i < 5000 && r.server.serial()->bytes_received() < expected; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  r.Stop();
  std::vector<std::string> lines;
  for (const LogEntry& e : r.rig.Commands()) lines.push_back(e.command + " " + e.params);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "CR ", "DLE EOT n=1", "CR ", "ESC ! n=0x00", "GS ! n=0x10", "ESC 3 n=1",
                       "ESC SP n=1", "ESC M n=0", "GS L nL=0 nH=0", "GS ( K pL=2 pH=0 fn=1 d=0",
                       "GS E n=0x00", "TEXT \"AB\"", "LF ", "TEXT \"AB\"", "LF ", "ESC J n=225"}));
  EXPECT_EQ(r.rig.printer.tickets().size(), 1u);
}

}  // namespace
}  // namespace qw77::vprinter
