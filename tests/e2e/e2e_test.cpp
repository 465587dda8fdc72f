// The application's handlers, its termios serial control and its virtual-printer port
// access against a running virtual printer: what the operator clicks arrives at the
// printer, and what the printer reports reaches the window.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "jobs/Actions.h"
#include "jobs/PrintAction.h"
#include "jobs/SerialJobs.h"
#include "jobs/WindowJobs.h"
#include "platform/posix/TcpSerialControl.h"
#include "platform/posix/TermiosSerialControl.h"
#include "platform/posix/VPrinterParallelLink.h"
#include "tests/TestPaths.h"
#include "tests/fakes/TestRig.h"
#include "transport/SpoolFile.h"
#include "vprinter/endpoints/Server.h"

namespace qw77 {
namespace {

using testing::FakeClock;
using testing::FakeParallelLink;
using testing::FakeSerialControl;
using testing::FakeSystem;
using testing::FakeWindowServices;
using testing::ScopedTempDir;
using vprinter::Conditions;
using vprinter::Faults;
using vprinter::LogEntry;

// COM1 on the printer's pseudo-terminal, LPT1 on its parallel socket, or COM1 bound to the
// printer's TCP endpoint as to a network printer.
enum class Link { kCom1, kLpt1, kTcp };

std::string LinkName(Link link) {
  switch (link) {
    case Link::kCom1:
      return "COM1";
    case Link::kLpt1:
      return "LPT1";
    case Link::kTcp:
      return "TCP";
  }
  return {};
}

class EndToEnd : public ::testing::Test {
 protected:
  void Start(Link link, Conditions conditions = {}, Faults faults = {},
             std::chrono::milliseconds write_limit = kSerialWriteLimit, bool paced = false) {
    static auto fonts = vprinter::Fonts::LoadDefault();
    ASSERT_TRUE(fonts) << fonts.status().message();
    status_ = std::make_unique<vprinter::StatusModel>(conditions, faults);
    printer_ = std::make_unique<vprinter::Printer>(*fonts, *status_, vprinter::PrinterOptions{});
    server_ = std::make_unique<vprinter::Server>(*printer_);
    const std::string com1 = (dir_.path() / "com1").string();
    const std::string lpt = (dir_.path() / "lpt.sock").string();
    // Unpaced unless a test is about the line's speed: the tests are about what arrives,
    // the benchmark is about how fast.
    ASSERT_TRUE(server_->OpenSerial({com1, 0, paced}).ok());
    ASSERT_TRUE(server_->OpenParallel(lpt).ok());
    if (link == Link::kTcp) {
      ASSERT_TRUE(server_->OpenTcp("127.0.0.1", 0).ok());
    }
    thread_ = std::thread([this] { server_->Run(); });

    TermiosOptions options;
    options.device = com1;
    options.write_limit = write_limit;
    // A limit given by the test is the whole limit: no allowance for the line's buffer.
    if (write_limit != kSerialWriteLimit) options.line_buffer_bytes = 0;
    if (link == Link::kTcp) {
      com1_ = std::make_unique<TcpSerialControl>(
          "127.0.0.1", tcp_port_.value_or(static_cast<std::uint16_t>(server_->tcp()->port())));
    } else {
      com1_ = std::make_unique<TermiosSerialControl>(1, options);
    }
    lpt1_ = MakeVPrinterLink(lpt);
    const Status opened = lpt1_->Open();
    ASSERT_TRUE(opened.ok()) << opened.message();
    // The limits run on the fake clock; each poll step also gives the printer's thread
    // a moment of real time to answer in.
    clock_.on_sleep = [] { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    system_.program_directory = test::BinDir();
    system_.on_start = [](FakeSystem::Process& p) {
      if (p.argv.size() == 3 && p.argv[2] == "rm -f tempo.txt") {
        std::filesystem::remove("tempo.txt");
      }
    };
    Services s;
    s.serial = {com1_.get(), &com2_, &com3_};
    s.parallel = {lpt1_.get(), &lpt2_};
    s.system = &system_;
    s.clock = &clock_;
    s.window = &window_;
    frm_ = std::make_unique<FrmMenu>(s);
    frm_->SerialBaud = "38400";
    frm_->SerialParity = "E";  // the pseudo-terminal cannot keep parity; the job goes on
    frm_->State().Select(link == Link::kLpt1 ? Ctl("OptLPT1") : Ctl("OptCOM0"));
  }

  // Lets the printer take what is still on its way, then stops it; its log is ours after.
  void StopPrinter() {
    if (!thread_.joinable()) return;
    server_->Stop(/*drain=*/true);
    thread_.join();
  }
  void TearDown() override { StopPrinter(); }

  // The commands the printer understood, as "NAME params", without line-level noise.
  std::vector<std::string> Commands() {
    StopPrinter();
    std::vector<std::string> out;
    for (const LogEntry& e : printer_->log()) {
      if (e.kind == LogEntry::kEvent || e.command == "CR" || e.command == "DLE EOT") continue;
      out.push_back(e.command + (e.params.empty() ? "" : " " + e.params));
    }
    return out;
  }
  std::vector<LogEntry> Problems() {
    StopPrinter();
    std::vector<LogEntry> out;
    for (const LogEntry& e : printer_->log()) {
      if (e.kind == LogEntry::kUnknown || e.kind == LogEntry::kMalformed ||
          e.kind == LogEntry::kTruncated) {
        out.push_back(e);
      }
    }
    return out;
  }
  std::string Buttons() {
    std::string out;
    for (const char* name : {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"}) {
      out += frm_->State().Enabled(name) ? name[3] : '-';
    }
    return out;
  }
  std::string CheckBoxes() {
    std::string out;
    for (const char* name :
         {"ChkHead", "ChkVp", "ChkCutter", "ChkBM", "ChkTemp", "ChkHard", "ChkPNEnd"}) {
      out += static_cast<char>('0' + frm_->State().Value(name));
    }
    return out;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const auto& m : window_.messages) out.push_back(m.text);
    return out;
  }
  std::vector<std::string> ExpectedTicket() {
    return {"ESC ! n=0x00",
            "GS ! n=0x00",
            "ESC 3 n=1",
            "ESC SP n=1",
            "ESC M n=0",
            "GS L nL=0 nH=0",
            "GS ( K pL=2 pH=0 fn=1 d=0",
            "GS E n=0x00",
            "TEXT \"" + frm_->State().Text("TxtSample") + "\"",
            "LF",
            "ESC J n=225"};
  }

  ScopedTempDir dir_;
  std::unique_ptr<vprinter::StatusModel> status_;
  std::unique_ptr<vprinter::Printer> printer_;
  std::unique_ptr<vprinter::Server> server_;
  std::thread thread_;
  std::unique_ptr<SerialLink> com1_;
  std::optional<std::uint16_t> tcp_port_;  // COM1 over TCP connects here instead
  FakeSerialControl com2_{2}, com3_{3};
  std::unique_ptr<ParallelLink> lpt1_;
  FakeParallelLink lpt2_;  // no second port
  FakeSystem system_;
  FakeClock clock_;
  FakeWindowServices window_;
  std::unique_ptr<FrmMenu> frm_;
};

class PrintOverEachLink : public EndToEnd, public ::testing::WithParamInterface<Link> {};

INSTANTIATE_TEST_SUITE_P(Links, PrintOverEachLink,
                         ::testing::Values(Link::kCom1, Link::kLpt1, Link::kTcp),
                         [](const ::testing::TestParamInfo<Link>& p) { return LinkName(p.param); });

TEST_P(PrintOverEachLink, TheSampleTicketArrivesCommandByCommand) {
  Start(GetParam());
  CmdPrint_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Buttons(), "RSPAC");
  EXPECT_EQ(Commands(), ExpectedTicket());
  EXPECT_TRUE(Problems().empty());
  EXPECT_EQ(printer_->tickets().size(), 1u);
}

TEST_P(PrintOverEachLink, LogoAndBarcodeArriveWithTheirParameters) {
  Start(GetParam());
  WindowState& s = frm_->State();
  s.SetValue("CheckGraphic", 1);
  s.Select("Option1", 0);  // SPACE.BMP, 384 x 192
  s.SetValue("ChkBarCode", 1);
  s.SetListIndex("Combo1", 0);
  s.SetText("TxtBarCode", "590123412345");
  CmdPrint_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  const auto log = Commands();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "GS v 0 m=0 xL=48 xH=0 yL=192 yH=0");
  EXPECT_EQ(log[log.size() - 2], "GS k m=0x43 n=12 \"590123412345\"");
  EXPECT_EQ(log.back(), "ESC J n=225");
  bool ean_drawn = false;
  for (const LogEntry& e : printer_->log()) {
    ean_drawn = ean_drawn || e.note.find("EAN-13 \"5901234123457\"") != std::string::npos;
  }
  EXPECT_TRUE(ean_drawn) << "the printer completes the check digit";
  EXPECT_TRUE(Problems().empty());
}

TEST_P(PrintOverEachLink, SaveSettingsStoresWhatTheTicketSet) {
  Start(GetParam());
  CmdPrint_Click(*frm_);
  ASSERT_TRUE(frm_->State().Enabled("CmdSettings"));
  CmdSettings_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  const auto log = Commands();
  ASSERT_FALSE(log.empty());
  // Over the parallel port the spool file carries a line end after the command.
  EXPECT_EQ(log[ExpectedTicket().size()], "CR BEL CR");
  EXPECT_EQ(printer_->stored_settings(), printer_->settings());
  EXPECT_EQ(printer_->stored_settings().char_spacing, 1);
}

TEST_P(PrintOverEachLink, AutotestPrintsTheTestPage) {
  Start(GetParam());
  CmdAutotest_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Buttons(), "R-PAC");
  const auto log = Commands();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "BS");
  EXPECT_EQ(printer_->self_tests(), 1);
  EXPECT_TRUE(Problems().empty());
}

struct ConditionCase {
  const char* name;
  bool Conditions::*condition;
  const char* serial_boxes;    // ChkHead ChkVp ChkCutter ChkBM ChkTemp ChkHard ChkPNEnd
  const char* parallel_boxes;  // the four status lines cannot tell voltage from hardware
  bool is_error;
};

class CheckStatusTest : public EndToEnd,
                        public ::testing::WithParamInterface<std::tuple<Link, ConditionCase>> {};

INSTANTIATE_TEST_SUITE_P(
    EachCondition, CheckStatusTest,
    ::testing::Combine(
        ::testing::Values(Link::kCom1, Link::kLpt1, Link::kTcp),
        ::testing::Values(
            ConditionCase{"none", nullptr, "0000000", "0000000", false},
            ConditionCase{"paper_out", &Conditions::paper_out, "1000000", "1000000", true},
            ConditionCase{"head_voltage", &Conditions::head_voltage, "0100000", "0100010", true},
            ConditionCase{"cutter", &Conditions::cutter, "0010000", "0010000", true},
            ConditionCase{"black_mark", &Conditions::black_mark, "0001000", "0001000", true},
            ConditionCase{"temperature", &Conditions::temperature, "0000100", "0000100", true},
            ConditionCase{"hardware", &Conditions::hardware, "0000010", "0100010", true},
            ConditionCase{"near_end", &Conditions::near_end, "0000001", "0000001", false})),
    [](const ::testing::TestParamInfo<std::tuple<Link, ConditionCase>>& p) {
      return LinkName(std::get<0>(p.param)) + "_" + std::get<1>(p.param).name;
    });

TEST_P(CheckStatusTest, TheWindowShowsWhatThePrinterReports) {
  const auto& [link, c] = GetParam();
  Conditions conditions;
  if (c.condition) conditions.*(c.condition) = true;
  Start(link, conditions);
  CmdCheck_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(CheckBoxes(), link == Link::kLpt1 ? c.parallel_boxes : c.serial_boxes);
  EXPECT_EQ(Buttons(), c.is_error ? "R---C" : "R-PAC");
}

TEST_F(EndToEnd, APrinterShowingAnErrorGetsNoTicketOverThePort) {
  Conditions c;
  c.paper_out = true;
  Start(Link::kCom1, c);
  CmdPrint_Click(*frm_);
  EXPECT_EQ(CheckBoxes(), "1000000");
  for (const std::string& command : Commands()) {
    EXPECT_EQ(command.rfind("ESC J", 0), std::string::npos) << "no ticket may be sent";
  }
  EXPECT_EQ(printer_->tickets().size(), 0u);
}

TEST_F(EndToEnd, ASilentPrinterFailsTheProbeWithinItsLimit) {
  Start(Link::kCom1, {}, Faults{.silent = true});
  CmdCheck_Click(*frm_);
  EXPECT_EQ(Messages(), std::vector<std::string>{"ERROR on serial PORT configuration"});
  EXPECT_EQ(Buttons(), "R-PAC");
  EXPECT_GE(clock_.Elapsed(), kReplyLimit);
  EXPECT_LT(clock_.Elapsed(), kReplyLimit + std::chrono::milliseconds(100));
  EXPECT_FALSE(com1_->IsOpen());
}

// Answers the probe and status request 1, then nothing: the exchange times out quietly and
// leaves the check boxes as they were.
TEST_F(EndToEnd, APrinterFallingSilentMidExchangeTimesOutWithoutAMessage) {
  Start(Link::kCom1, {}, Faults{.answer_limit = 2});
  frm_->State().SetValue("ChkCutter", 1);
  CmdCheck_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Buttons(), "R---C");
  EXPECT_EQ(CheckBoxes(), "0010000");
  EXPECT_EQ(status_->requests_seen(), 3);
}

// Over COM1 the print job probes twice and asks the status (27 bytes) before the ticket;
// a printer that holds the line after those leaves the ticket unsent, and the sender gives
// up after its write limit with a message saying how far it got.
TEST_F(EndToEnd, AStalledLineEndsThePrintWithAMessage) {
  const auto limit = std::chrono::milliseconds(300);
  Start(Link::kCom1, {}, Faults{.stall_after_bytes = 27}, limit);
  const auto started = std::chrono::steady_clock::now();
  CmdPrint_Click(*frm_);
  const auto took = std::chrono::steady_clock::now() - started;
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Serial port error: the port accepted 0 of ", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find("not printed completely"), std::string::npos) << messages[0];
  EXPECT_EQ(Buttons(), "R-PAC");
  EXPECT_LT(took, limit * 5) << "the write limit bounds the wait";
  EXPECT_TRUE(std::filesystem::exists("tempo.txt")) << "an unsent ticket is kept";
  EXPECT_EQ(printer_->tickets().size(), 0u);
}

// Held right after the probe's reply, the line takes none of the status requests.
TEST_F(EndToEnd, ALineHeldAfterTheProbeFailsTheStatusExchange) {
  const auto limit = std::chrono::milliseconds(300);
  Start(Link::kCom1, {}, Faults{.stall_after_reply = true}, limit);
  CmdCheck_Click(*frm_);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Error on serial PORT selection"});
  EXPECT_EQ(Buttons(), "R-PAC");
}

// The printer closes its line after 100 bytes of a logo ticket: the bytes the port accepted
// after that never reach it, so the ticket is not reported as printed.
TEST_F(EndToEnd, APrinterThatHangsUpMidTicketIsNotReportedAsPrinted) {
  Start(Link::kCom1, {}, Faults{.hang_up_after_bytes = 100}, kSerialWriteLimit, /*paced=*/true);
  frm_->SerialBaud = "19200";
  frm_->State().SetValue("CheckGraphic", 1);
  frm_->State().Select("Option1", 0);
  CmdPrint_Click(*frm_);
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Serial port error: the port accepted ", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find("hung up"), std::string::npos) << messages[0];
  EXPECT_EQ(Buttons(), "R-PAC");
  EXPECT_TRUE(std::filesystem::exists("tempo.txt")) << "an unprinted ticket is kept";
}

// A pseudo-terminal takes a writer's bytes about 4 KiB at a time; at 4800 baud the steps are
// 8.5 s apart while the line works steadily, longer than the plain write limit.
TEST_F(EndToEnd, A40KilobyteStreamAt4800BaudGoesThroughAtLineRate) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "a minute and a half of line time; the debug build runs it";
#endif
  Start(Link::kCom1, {}, {}, kSerialWriteLimit, /*paced=*/true);
  frm_->SerialBaud = "4800";
  frm_->SerialParity = "N";
  std::vector<std::uint8_t> stream;
  const std::string line = "0123456789 line of a long stream, forty columns\n";
  while (stream.size() + line.size() <= 40 * 1024)
    stream.insert(stream.end(), line.begin(), line.end());
  ASSERT_TRUE(WriteSpoolFile(stream).ok());
  const JobReport report = RunInWindow(*frm_, PrintViaSerial);
  EXPECT_TRUE(Messages().empty()) << Messages().front();
  EXPECT_EQ(report.end, JobEnd::kDone);
  EXPECT_EQ(report.bytes_sent, stream.size());
  // The virtual printer paces itself a little behind the nominal rate; give it the tail.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  std::size_t line_ends = 0;
  for (const std::string& c : Commands()) line_ends += c == "LF";
  EXPECT_EQ(line_ends, stream.size() / line.size()) << "every line arrived";
}

TEST_F(EndToEnd, APrinterBusyForGoodTimesOutOnTheParallelPort) {
  Start(Link::kLpt1, {}, Faults{.busy_forever = true});
  CmdPrint_Click(*frm_);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Timeout ERROR on parallel port"});
  EXPECT_EQ(Buttons(), "R-PAC");
  EXPECT_EQ(printer_->tickets().size(), 0u);
}

TEST_F(EndToEnd, APrinterBusyForAMomentStillPrintsOverTheParallelPort) {
  Start(Link::kLpt1, {}, Faults{.busy_ms = 50});
  CmdPrint_Click(*frm_);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Commands(), ExpectedTicket());
}

// --- a network printer's failures: each ends with its message, within its limit ----------

// A loopback port nothing listens on: bound, then let go.
std::uint16_t RefusingPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  (void)::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  (void)::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

TEST_F(EndToEnd, ARefusedConnectionIsAPortThatCannotBeUsedWithItsCause) {
  tcp_port_ = RefusingPort();
  Start(Link::kTcp);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(RunPrint(*frm_).end, JobEnd::kPortUnusable);
  EXPECT_LT(std::chrono::steady_clock::now() - started, kTcpConnectLimit);
  ASSERT_EQ(window_.messages.size(), 1u);
  EXPECT_EQ(window_.messages[0].text, "Error on serial PORT selection");
  EXPECT_NE(window_.messages[0].detail.find("refused"), std::string::npos)
      << window_.messages[0].detail;
}

TEST_F(EndToEnd, ASilentNetworkPrinterIsNotConfiguredWithinTheReplyLimit) {
  Start(Link::kTcp, {}, Faults{.silent = true});
  EXPECT_EQ(RunCheckStatus(*frm_).end, JobEnd::kNoAnswer);
  EXPECT_EQ(Messages(), std::vector<std::string>{"ERROR on serial PORT configuration"});
  EXPECT_LT(clock_.Elapsed(), kReplyLimit + std::chrono::milliseconds(100));
}

TEST_F(EndToEnd, ANetworkPrinterThatClosesMidTicketIsNotReportedAsPrinted) {
  // Each connection counts its own bytes: the probe and the status exchange get through,
  // the ticket's connection is closed after 100 of its bytes.
  Start(Link::kTcp, {}, Faults{.hang_up_after_bytes = 100});
  frm_->State().SetValue("CheckGraphic", 1);
  frm_->State().Select("Option1", 0);
  const auto started = std::chrono::steady_clock::now();
  const JobReport report = RunPrint(*frm_);
  EXPECT_LT(std::chrono::steady_clock::now() - started, kTcpWriteLimit + kTcpDrainLimit);
  EXPECT_EQ(report.end, JobEnd::kFailedMidway);
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Serial port error: ", 0), 0u) << messages[0];
  EXPECT_NE(messages[0].find("closed the connection"), std::string::npos) << messages[0];
  EXPECT_EQ(Buttons(), "R-PAC");
  EXPECT_TRUE(std::filesystem::exists("tempo.txt")) << "an unprinted ticket is kept";
}

}  // namespace
}  // namespace qw77
