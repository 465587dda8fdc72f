// The serial jobs over fake serial controls and the fake clock: what goes on the wire, with
// which flow control, and what the window shows afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "jobs/Actions.h"
#include "jobs/PrintAction.h"
#include "jobs/SerialJobs.h"
#include "tests/core/job_test_support.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

const char* const kPortOption[] = {"", "OptCOM0", "OptCOM1", "OptCOM2"};

class SerialJob : public ::testing::Test {
 protected:
  void SetUp() override {
    // The settings members as the focus handlers leave them once the operator has been there.
    rig.frm->SerialBaud = "9600";
    rig.frm->SerialParity = "N";
    deleter.Arm(rig);
  }
  void Use(int port) { rig.state().Select(kPortOption[port]); }

  // Expands tokens into the bytes expected on the wire, with the flow control for each.
  std::vector<std::pair<int, int>> Expected(const std::vector<std::string>& tokens,
                                            const Bytes& ticket) {
    std::vector<std::pair<int, int>> out;
    auto add = [&](const Bytes& bytes, int handshaking) {
      for (std::uint8_t b : bytes) out.emplace_back(b, handshaking);
    };
    for (const std::string& t : tokens) {
      if (t == "probe") {
        add(kProbe, 0);
      } else if (t.rfind("req", 0) == 0) {
        add(kRequest[t[3] - '0'], 0);
      } else if (t == "ticket") {
        add(ticket, 2);
      } else if (t.rfind("ticket:", 0) == 0) {
        add(Bytes(ticket.begin(), ticket.begin() + std::stoi(t.substr(7))), 2);
      } else if (t == "save") {
        add({0x0D, 0x07, 0x0D}, 2);
      } else if (t == "selftest") {
        add({0x08}, 2);
      } else {
        ADD_FAILURE() << "unknown token " << t;
      }
    }
    return out;
  }

  static std::vector<std::pair<int, int>> Wire(const FakeSerialControl& comm) {
    std::vector<std::pair<int, int>> out;
    for (const LineEvent& e : comm.log) {
      if (e.kind == LineEvent::kByte) out.emplace_back(e.value, e.handshaking);
    }
    return out;
  }

  void ExpectMessages(const std::vector<std::string>& prefixes) {
    const auto shown = rig.window.MessageTexts();
    ASSERT_EQ(shown.size(), prefixes.size()) << ::testing::PrintToString(shown);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(shown[i].rfind(prefixes[i], 0), 0u) << shown[i];
    }
  }

  void ExpectOnlyControlTouched(int port) {
    for (int n = 1; n <= 3; ++n) {
      if (n != port) {
        EXPECT_TRUE(rig.com(n).log.empty()) << "MSComm" << n << " was touched";
      }
      EXPECT_FALSE(rig.com(n).IsOpen()) << "MSComm" << n << " left open";
    }
  }

  ScopedTempDir dir;
  TestRig rig;
  SpoolDeleter deleter;
};

// --- the Print action over a serial port ----------------------------------------------

struct PrintCase {
  const char* name;
  int port;
  std::function<void(TestRig&)> arrange;
  std::vector<std::string> wire;
  std::string buttons;
  std::vector<std::string> messages;  // prefixes, in order
  bool spool_kept;
};

StatusResponder Answering(int answers = 1 << 30, std::uint8_t reply2 = 0x12) {
  StatusResponder r;
  r.answers_left = answers;
  r.reply[2] = {reply2};
  return r;
}

const char kSerialError[] = "Serial port error: ";

const PrintCase kPrintCases[] = {
    {"Com2Answers",
     2,
     [](TestRig& r) { r.com2.peer = Answering(); },
     {"probe", "ticket"},
     "RSPAC",
     {},
     false},
    {"Com3Answers",
     3,
     [](TestRig& r) { r.com3.peer = Answering(); },
     {"probe", "ticket"},
     "RSPAC",
     {},
     false},
    {"Com1AsksStatusFirst",
     1,
     [](TestRig& r) { r.com1.peer = Answering(); },
     {"probe", "probe", "req1", "req2", "req3", "req4", "ticket"},
     "RSPAC",
     {},
     false},
    {"Com1PaperOutSendsNothing",
     1,
     [](TestRig& r) { r.com1.peer = Answering(1 << 30, 0x16); },
     {"probe", "probe", "req1", "req2", "req3", "req4"},
     "R---C",
     {},
     true},
    {"Com1SilentAfterRequest1",
     1,
     [](TestRig& r) { r.com1.peer = Answering(3); },
     {"probe", "probe", "req1", "req2"},
     "R---C",
     {},
     true},
    // The printer answered the job's probe but not the status request's: no ticket.
    {"Com1SecondProbeUnanswered",
     1,
     [](TestRig& r) { r.com1.peer = Answering(1); },
     {"probe", "probe"},
     "R-PAC",
     {"ERROR on serial PORT configuration"},
     true},
    {"SilentPrinter",
     2,
     [](TestRig&) {},
     {"probe"},
     "R-PAC",
     {"ERROR on serial PORT configuration"},
     true},
    {"EmptySettingsRightAfterStartUp",
     2,
     [](TestRig& r) { r.frm->SerialBaud.clear(); },
     {},
     "R-PAC",
     {"Error on serial PORT selection"},
     true},
    {"MissingPort",
     3,
     [](TestRig& r) { r.com3.open_error = Status(ErrorCode::kNotFound, "no /dev/ttyS2"); },
     {},
     "R-PAC",
     {"Error on serial PORT selection"},
     true},
    {"BusyPort",
     2,
     [](TestRig& r) { r.com2.open_error = Status(ErrorCode::kBusy, "held by another program"); },
     {},
     "R-PAC",
     {"Error on serial PORT selection"},
     true},
    {"WriteRefusedMidTicket",
     2,
     [](TestRig& r) {
       r.com2.peer = Answering();
       r.com2.fail_after = kProbe.size() + 3;
     },
     {"probe", "ticket:3"},
     "R-PAC",
     {kSerialError},
     true},
    {"LineHeldPastTheWriteLimit",
     2,
     [](TestRig& r) {
       r.com2.peer = Answering();
       r.com2.fail_after = kProbe.size() + 1;
       r.com2.write_error = Status(ErrorCode::kTimedOut, "no progress for 10 s");
     },
     {"probe", "ticket:1"},
     "R-PAC",
     {kSerialError},
     true},
    {"DeviceGoneAfterTheProbe",
     2,
     [](TestRig& r) {
       StatusResponder answer = Answering();
       r.com2.peer = [answer](FakeSerialControl& port, std::uint8_t b) mutable {
         answer(port, b);
         port.open_error = Status(ErrorCode::kNotFound, "device unplugged");
       };
     },
     {"probe"},
     "R-PAC",
     {kSerialError},
     true},
    {"SettingsRefusedAfterTheProbe",
     3,
     [](TestRig& r) {
       StatusResponder answer = Answering();
       r.com3.peer = [answer](FakeSerialControl& port, std::uint8_t b) mutable {
         answer(port, b);
         port.settings_error = Status(ErrorCode::kIo, "device unplugged");
       };
     },
     {"probe"},
     "R-PAC",
     {kSerialError},
     true},
    {"QueuedBytesCannotDrain",
     2,
     [](TestRig& r) {
       StatusResponder answer = Answering();
       r.com2.peer = [answer](FakeSerialControl& port, std::uint8_t b) mutable {
         answer(port, b);
         if (port.Handshaking() == kHandshakeRtsCts) {
           port.close_error = Status(ErrorCode::kTimedOut, "output did not drain");
         }
       };
     },
     {"probe", "ticket"},
     "R-PAC",
     {kSerialError},
     true},
};

void PrintTo(const PrintCase& c, std::ostream* os) {
  *os << c.name;
}

class SerialPrint : public SerialJob, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(SerialPrint, WireButtonsMessagesAndSpoolFile) {
  const PrintCase& c = GetParam();
  Use(c.port);
  c.arrange(rig);
  CmdPrint_Click(*rig.frm);

  const Bytes ticket = c.spool_kept ? ReadSpool() : deleter.deleted;
  ASSERT_FALSE(ticket.empty());
  EXPECT_EQ(Wire(rig.com(c.port)), Expected(c.wire, ticket));
  EXPECT_EQ(Buttons(rig), c.buttons);
  ExpectMessages(c.messages);
  EXPECT_EQ(SpoolExists(), c.spool_kept);
  EXPECT_EQ(deleter.runs, c.spool_kept ? 0 : 1);
  EXPECT_EQ(rig.frm->JobBusy, 0);
  // Every line setting the job made is the one built from the members.
  for (const LineEvent& e : rig.com(c.port).log) {
    if (e.kind == LineEvent::kSettings) {
      EXPECT_EQ(e.settings, "9600,N,8,1");
    }
  }
  if (c.name != std::string("MissingPort") && c.name != std::string("BusyPort")) {
    ExpectOnlyControlTouched(c.port);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialPrint, ::testing::ValuesIn(kPrintCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(SerialJob, EveryByteValueArrivesInFileOrderAndTheSettingsFollowTheMembers) {
  Use(2);
  rig.frm->SerialBaud = "19200";
  rig.frm->SerialParity = "E";
  rig.com2.peer = Answering();
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  WriteSpool(all);
  RunInWindow(*rig.frm, PrintViaSerial);
  EXPECT_EQ(Wire(rig.com2), Expected({"probe", "ticket"}, all));
  EXPECT_EQ(rig.com2.Settings(), "19200,E,8,1");
  EXPECT_FALSE(SpoolExists());
}

TEST_F(SerialJob, AnEmptySpoolFileOpensAndClosesThePortAndIsStillDeleted) {
  Use(3);
  rig.com3.peer = Answering();
  WriteSpool({});
  RunInWindow(*rig.frm, PrintViaSerial);
  EXPECT_EQ(Wire(rig.com3), Expected({"probe"}, {}));
  EXPECT_EQ(rig.com3.opens, 2);
  EXPECT_EQ(rig.com3.closes, 2);
  EXPECT_FALSE(SpoolExists());
  EXPECT_EQ(Buttons(rig), "RSPAC");
}

TEST_F(SerialJob, ASpoolFileThatCannotBeReadSendsNothing) {
  Use(2);
  StatusResponder answer = Answering();
  rig.com2.peer = [answer](FakeSerialControl& port, std::uint8_t b) mutable {
    answer(port, b);
    std::filesystem::remove("tempo.txt");
  };
  WriteSpool({1, 2, 3});
  RunInWindow(*rig.frm, PrintViaSerial);
  EXPECT_EQ(Wire(rig.com2), Expected({"probe"}, {}));
  ExpectMessages({"Cannot read the spool file tempo.txt"});
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_FALSE(rig.com2.IsOpen());
}

TEST_F(SerialJob, AShellThatCannotStartStillGivesTheButtonsBack) {
  Use(2);
  rig.com2.peer = Answering();
  rig.system.start_error = Status(ErrorCode::kNotFound, "no shell");
  WriteSpool({0x41});
  RunInWindow(*rig.frm, PrintViaSerial);
  EXPECT_EQ(Buttons(rig), "RSPAC");
  EXPECT_EQ(rig.window.messages.size(), 1u);  // the runner's own
}

TEST_F(SerialJob, ATicketThatCannotBeComposedIsReportedAndNothingIsSent) {
  Use(2);
  rig.com2.peer = Answering();
  rig.state().SetText("TxtXScale", "x");
  CmdPrint_Click(*rig.frm);
  ExpectMessages({"The sample ticket cannot be printed."});
  EXPECT_TRUE(rig.com2.log.empty());
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_EQ(rig.frm->JobBusy, 0);
}

// --- the probe -----------------------------------------------------------------------

TEST_F(SerialJob, ProbeWaitsTheReplyLimitWithoutYieldingAndClosesThePort) {
  Use(2);
  EXPECT_EQ(ProbeInWindow(*rig.frm), JobEnd::kNoAnswer);
  EXPECT_GT(rig.clock.Elapsed(), kReplyLimit);
  EXPECT_LT(rig.clock.Elapsed(), kReplyLimit + 2 * kPollStep);
  EXPECT_EQ(rig.window.do_events, 0);
  EXPECT_FALSE(rig.com2.IsOpen());
  EXPECT_EQ(rig.com2.Handshaking(), kHandshakeNone);
}

TEST_F(SerialJob, APortLeftOpenByAnEarlierFailureIsReusedAndClosed) {
  Use(2);
  rig.com2.peer = Answering();
  rig.com2.fail_after = 0;  // the probe's first write fails with the port open
  EXPECT_EQ(ProbeInWindow(*rig.frm), JobEnd::kPortUnusable);
  ExpectMessages({"Error on serial PORT selection"});
  EXPECT_TRUE(rig.com2.IsOpen());

  rig.com2.fail_after.reset();
  EXPECT_EQ(ProbeInWindow(*rig.frm), JobEnd::kDone);
  EXPECT_EQ(rig.com2.opens, 1);  // not reopened
  EXPECT_FALSE(rig.com2.IsOpen());
}

// --- the status exchange ---------------------------------------------------------------

// The flags of each reply; the printer sends them beside the fixed bits (12h) of a status
// byte, which the test adds to the first byte.
struct DecodeCase {
  const char* name;
  Bytes reply2, reply3, reply4;
  std::string boxes;  // Head Vp Cutter BM Temp Hard PNEnd
  std::string buttons;
};

const DecodeCase kDecodeCases[] = {
    {"AllClear", {0x00}, {0x00}, {0x00}, "0000000", "R-PAC"},
    {"HeadUpHidesPaperNearEnd", {0x04}, {0x00}, {0x0C}, "1000000", "R---C"},
    {"PaperNearEndIsNoError", {0x00}, {0x00}, {0x04}, "0000001", "R-PAC"},
    {"PaperNearEndOtherSensor", {0x00}, {0x00}, {0x08}, "0000001", "R-PAC"},
    {"FourFlagsOfReply3", {0x00}, {0x6C}, {0x00}, "0111100", "R---C"},
    {"BlackMarkAlone", {0x00}, {0x04}, {0x00}, "0001000", "R---C"},
    {"CutterAlone", {0x00}, {0x08}, {0x00}, "0010000", "R---C"},
    {"TemperatureAlone", {0x00}, {0x40}, {0x00}, "0000100", "R---C"},
    {"HeadVoltageAlone", {0x00}, {0x20}, {0x00}, "0100000", "R---C"},
    {"HeadAndHardware", {0x0C}, {0x00}, {0x00}, "1000010", "R---C"},
    {"UnnamedBitsIgnored", {0x60}, {0x00}, {0x60}, "0000000", "R-PAC"},
    {"OnlyTheFirstByteOfAReplyCounts",
     {0x00, 0x04},
     {0x12, 0x34},
     {0x00, 0x0C},
     "0000000",
     "R-PAC"},
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class SerialDecode : public SerialJob, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(SerialDecode, RepliesBecomeCheckBoxesAndButtons) {
  const DecodeCase& c = GetParam();
  Use(3);
  StatusResponder printer;
  auto with_fixed_bits = [](Bytes reply) {
    reply.front() |= 0x12;
    return reply;
  };
  printer.reply[2] = with_fixed_bits(c.reply2);
  printer.reply[3] = with_fixed_bits(c.reply3);
  printer.reply[4] = with_fixed_bits(c.reply4);
  rig.com3.peer = printer;
  RunInWindow(*rig.frm, RunStatusSerial);
  EXPECT_EQ(CheckBoxes(rig), c.boxes);
  EXPECT_EQ(Buttons(rig), c.buttons);
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_EQ(Wire(rig.com3), Expected({"probe", "req1", "req2", "req3", "req4"}, {}));
  ExpectOnlyControlTouched(3);
}

INSTANTIATE_TEST_SUITE_P(Rows, SerialDecode, ::testing::ValuesIn(kDecodeCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(SerialJob, EachRequestWaitsForTheReplyToTheOneBefore) {
  Use(2);
  // A printer that begins each reply ten polls after the request's closing CR; nothing
  // may go out while a reply is still awaited.
  StatusResponder printer;
  Bytes answer;
  bool awaited = false;
  int polls_left = 0;
  int bytes_while_awaited = 0;
  rig.com2.peer = [&, printer](FakeSerialControl&, std::uint8_t b) mutable {
    if (awaited) ++bytes_while_awaited;
    if (!answer.empty() && b == 0x0D) {
      awaited = true;
      polls_left = 10;
      return;
    }
    FakeSerialControl capture;  // collects the answer instead of delivering it
    (void)capture.Open({});
    printer(capture, b);
    if (capture.Available() > 0) answer = capture.Read();
  };
  rig.clock.on_sleep = [&] {
    if (awaited && --polls_left == 0) {
      rig.com2.Receive(answer);
      answer.clear();
      awaited = false;
    }
  };
  RunInWindow(*rig.frm, RunStatusSerial);
  EXPECT_EQ(bytes_while_awaited, 0);
  EXPECT_EQ(rig.clock.sleeps, 50);  // the probe and four requests, ten polls each
  EXPECT_EQ(Wire(rig.com2), Expected({"probe", "req1", "req2", "req3", "req4"}, {}));
  EXPECT_EQ(Buttons(rig), "R-PAC");
}

TEST_F(SerialJob, ATimedOutExchangeKeepsTheCheckBoxesAndShowsNothing) {
  Use(1);
  rig.state().SetValue("ChkCutter", 1);
  rig.com1.peer = Answering(2);  // the probe and request 1
  RunInWindow(*rig.frm, RunStatusSerial);
  EXPECT_EQ(CheckBoxes(rig), "0010000");
  EXPECT_EQ(Buttons(rig), "R---C");
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_FALSE(rig.com1.IsOpen());
}

TEST_F(SerialJob, APortThatFailsDuringTheExchangeIsReported) {
  Use(2);
  rig.com2.peer = Answering();
  rig.com2.fail_after = kProbe.size() + 6;
  RunInWindow(*rig.frm, RunStatusSerial);
  ExpectMessages({kSerialError});
  EXPECT_EQ(Buttons(rig), "R---C");
  EXPECT_FALSE(rig.com2.IsOpen());
}

// --- Check Status, Save Settings and Autotest over a serial port ----------------------

TEST_F(SerialJob, CheckStatusOverCom1ProbesTwiceThenAsks) {
  Use(1);
  rig.com1.peer = Answering();
  CmdCheck_Click(*rig.frm);
  EXPECT_EQ(Wire(rig.com1), Expected({"probe", "probe", "req1", "req2", "req3", "req4"}, {}));
  EXPECT_EQ(Buttons(rig), "R-PAC");
}

TEST_F(SerialJob, CheckStatusWithNoPrinterChangesNoButton) {
  Use(2);
  rig.state().SetEnabled("CmdPrint", false);
  rig.state().SetValue("ChkHead", 1);
  CmdCheck_Click(*rig.frm);
  ExpectMessages({"ERROR on serial PORT configuration"});
  EXPECT_EQ(Buttons(rig), "R--AC");
  EXPECT_EQ(CheckBoxes(rig), "1000000");
}

struct CommandCase {
  const char* name;
  void (*click)(FrmMenu&);
  int port;
  bool answering;
  std::vector<std::string> wire;
  std::string buttons_before, buttons_after;
  std::vector<std::string> messages;
};

const CommandCase kCommandCases[] = {
    {"SaveOverCom2", CmdSettings_Click, 2, true, {"probe", "save"}, "RSPAC", "R-PAC", {}},
    {"SaveSilentPrinter",
     CmdSettings_Click,
     2,
     false,
     {"probe"},
     "RSPAC",
     "R-PAC",
     {"ERROR on serial PORT configuration"}},
    {"SaveLeavesOtherButtons", CmdSettings_Click, 3, true, {"probe", "save"}, "-S-A-", "---A-", {}},
    {"AutotestOverCom1", CmdAutotest_Click, 1, true, {"probe", "selftest"}, "RSPAC", "R-PAC", {}},
    {"AutotestSilentPrinter",
     CmdAutotest_Click,
     1,
     false,
     {"probe"},
     "-S--C",
     "R-PAC",
     {"ERROR on serial PORT configuration"}},
};

void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << c.name;
}

class SerialCommand : public SerialJob, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(SerialCommand, SendsItsBytesAfterTheProbe) {
  const CommandCase& c = GetParam();
  Use(c.port);
  if (c.answering) rig.com(c.port).peer = Answering();
  const char* names[] = {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"};
  for (int i = 0; i < 5; ++i) rig.state().SetEnabled(names[i], c.buttons_before[i] != '-');
  c.click(*rig.frm);
  EXPECT_EQ(Wire(rig.com(c.port)), Expected(c.wire, {}));
  EXPECT_EQ(Buttons(rig), c.buttons_after);
  ExpectMessages(c.messages);
  EXPECT_EQ(rig.frm->JobBusy, 0);
  ExpectOnlyControlTouched(c.port);
}

INSTANTIATE_TEST_SUITE_P(Cases, SerialCommand, ::testing::ValuesIn(kCommandCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(SerialJob, ASelfTestThatCannotBeWrittenIsReported) {
  Use(2);
  rig.com2.peer = Answering();
  rig.com2.fail_after = kProbe.size();
  CmdAutotest_Click(*rig.frm);
  ExpectMessages({kSerialError});
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_FALSE(rig.com2.IsOpen());
}

TEST_F(SerialJob, ClicksWhileAJobRunsAreDeclined) {
  Use(2);
  rig.com2.peer = Answering();
  rig.frm->JobBusy = 1;
  for (auto click : {CmdPrint_Click, CmdCheck_Click, CmdSettings_Click, CmdAutotest_Click}) {
    click(*rig.frm);
  }
  EXPECT_TRUE(rig.com2.log.empty());
  EXPECT_FALSE(SpoolExists());
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_EQ(rig.frm->JobBusy, 1);
}

}  // namespace
}  // namespace qw77
