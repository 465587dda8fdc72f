// The parallel jobs over fake links that model a printer's status lines and record every
// access in order.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "form/Selection.h"
#include "form/StartUp.h"
#include "jobs/Actions.h"
#include "jobs/ParallelJobs.h"
#include "jobs/PrintAction.h"
#include "platform/ParallelRegisters.h"
#include "tests/core/job_test_support.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

// A printer on a parallel port: its status lines (as the status register shows them),
// optionally busy from some byte on or for a number of polls before every byte; it counts
// the strobes it sees.
struct ParallelPrinter {
  std::uint8_t status = 0xDF;  // not busy, selected, no error
  int busy_from_byte = -1;     // strobes taken before it stays busy for good
  int busy_polls = 0;          // reads that answer busy before each byte
  int strobes = 0;
  int polls_this_byte = 0;

  void Attach(TestRig& rig, int lpt = 1) {
    FakeParallelLink& link = rig.lpt(lpt);
    link.present = true;
    link.on_status = [this] {
      const bool stuck = busy_from_byte >= 0 && strobes >= busy_from_byte;
      const bool busy = stuck || polls_this_byte++ < busy_polls;
      return StatusFromRegister(busy ? static_cast<std::uint8_t>(status & 0x7F) : status);
    };
    link.on_control = [this](const ParallelControlLines& lines) {
      if (lines.strobe) {
        ++strobes;
        polls_this_byte = 0;
      }
    };
  }
};

class ParallelJob : public ::testing::Test {
 protected:
  void SetUp() override {
    deleter.Arm(rig);
    rig.state().Select("OptLPT1");
  }

  // The accesses of a transfer on LPT`lpt` from the given log position on: status reads,
  // then the data byte, the strobe asserted and released, for every byte. Returns the bytes,
  // failing on any other access.
  Bytes TransferredBytes(std::size_t from, int lpt = 1) {
    Bytes out;
    const auto& log = rig.lpt(lpt).log;
    const ParallelControlLines asserted{.strobe = true, .select_in = true};
    const ParallelControlLines released{.select_in = true};
    auto is_control = [&](std::size_t i, const ParallelControlLines& lines) {
      return log[i].kind == ParallelEvent::kControl && log[i].control == lines;
    };
    bool read_since_last = false;
    for (std::size_t i = from; i < log.size(); ++i) {
      const ParallelEvent& e = log[i];
      if (e.kind == ParallelEvent::kStatus) {
        read_since_last = true;
        continue;
      }
      EXPECT_TRUE(read_since_last) << "byte strobed without a status read, at " << i;
      EXPECT_EQ(e.kind, ParallelEvent::kData) << "unexpected access " << i;
      if (i + 2 >= log.size()) {
        ADD_FAILURE() << "strobe cut short";
        break;
      }
      EXPECT_TRUE(is_control(i + 1, asserted)) << i + 1;
      EXPECT_TRUE(is_control(i + 2, released)) << i + 2;
      out.push_back(e.data);
      read_since_last = false;
      i += 2;
    }
    return out;
  }

  ScopedTempDir dir;
  TestRig rig;
  SpoolDeleter deleter;
  ParallelPrinter printer;
};

// --- which port -------------------------------------------------------------------------

TEST(LptLinkIndex, OnlyOneAndTwoNameAPort) {
  const std::pair<int, std::optional<std::size_t>> cases[] = {
      {-1, std::nullopt}, {0, std::nullopt}, {1, 0}, {2, 1}, {3, std::nullopt}};
  for (const auto& [lpt, index] : cases) EXPECT_EQ(LptLinkIndex(lpt), index) << lpt;
}

struct PortCase {
  const char* name;
  bool lpt1_present, lpt2_present;
  int lpt;
  int link_read;  // 1 or 2: the link the status read went to; 0: the port is absent
};

const PortCase kPortCases[] = {
    {"Lpt1", true, false, 1, 1},          {"Lpt2BesideLpt1", true, true, 2, 2},
    {"Lpt1BesideLpt2", true, true, 1, 1}, {"Lpt2Absent", true, false, 2, 0},
    {"Lpt1Absent", false, true, 1, 0},    {"PortNumber0", true, true, 0, 0},
    {"PortNumber3", true, true, 3, 0},
};

void PrintTo(const PortCase& c, std::ostream* os) {
  *os << c.name;
}

class LptPort : public ParallelJob, public ::testing::WithParamInterface<PortCase> {};

TEST_P(LptPort, ThePortNumberPicksItsLink) {
  const PortCase& c = GetParam();
  rig.lpt1.present = c.lpt1_present;
  rig.lpt2.present = c.lpt2_present;
  ParallelPort port = WindowParallelPort(*rig.frm, c.lpt);
  EXPECT_EQ(port.Present(), c.link_read != 0);
  if (port.Present()) (void)port.ReadStatus();
  EXPECT_EQ(rig.lpt1.log.size(), c.link_read == 1 ? 1u : 0u);
  EXPECT_EQ(rig.lpt2.log.size(), c.link_read == 2 ? 1u : 0u);
  EXPECT_TRUE(rig.window.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, LptPort, ::testing::ValuesIn(kPortCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(ParallelJob, AStrobeIsTheByteThenTheStrobeAssertedThenReleased) {
  rig.lpt1.present = true;
  ParallelPort port = WindowParallelPort(*rig.frm, 1);
  port.Strobe(0x41);
  ASSERT_EQ(rig.lpt1.log.size(), 3u);
  EXPECT_EQ(rig.lpt1.log[0].data, 0x41);
  EXPECT_EQ(rig.lpt1.log[1].control, (ParallelControlLines{.strobe = true, .select_in = true}));
  EXPECT_EQ(rig.lpt1.log[2].control, (ParallelControlLines{.select_in = true}));
}

// --- sending --------------------------------------------------------------------------

TEST_F(ParallelJob, AReadyPrinterGetsEveryByteEachStrobed) {
  printer.Attach(rig);
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  WriteSpool(all);
  EXPECT_TRUE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_EQ(TransferredBytes(0), all);
  EXPECT_EQ(rig.window.do_events, 256);  // one pass per byte
  EXPECT_EQ(rig.clock.sleeps, 0);
  EXPECT_TRUE(SpoolExists());  // the caller deletes it, if it wants
}

TEST_F(ParallelJob, ABusyPrinterIsPolledWithAYieldEveryPassAndAPauseWhenNotReady) {
  printer.busy_polls = 3;
  printer.Attach(rig);
  WriteSpool({0x1B, 0x40, 0x0A});
  EXPECT_TRUE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_EQ(TransferredBytes(0), (Bytes{0x1B, 0x40, 0x0A}));
  EXPECT_EQ(rig.window.do_events, 12);
  EXPECT_EQ(rig.clock.sleeps, 9);
}

TEST_F(ParallelJob, AnAbsentLpt2SendsNothingAndSaysNothing) {
  rig.state().Select("OptLPT2");
  rig.lpt1.present = true;
  WriteSpool({1, 2, 3});
  EXPECT_FALSE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_TRUE(rig.lpt1.log.empty());
  EXPECT_TRUE(rig.lpt2.log.empty());
}

struct TimeoutCase {
  const char* name;
  int busy_from_byte;
};

void PrintTo(const TimeoutCase& c, std::ostream* os) {
  *os << c.name;
}

class ParallelTimeout : public ParallelJob, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(ParallelTimeout, StopsAtTheByteThatWasNotTaken) {
  const int k = GetParam().busy_from_byte;
  printer.busy_from_byte = k;
  printer.Attach(rig);
  CmdPrint_Click(*rig.frm);
  ASSERT_EQ(deleter.runs, 1);
  const Bytes& ticket = deleter.deleted;
  ASSERT_GT(ticket.size(), static_cast<std::size_t>(k));
  // The status check's read, then the transfer.
  EXPECT_EQ(TransferredBytes(1), Bytes(ticket.begin(), ticket.begin() + k));
  EXPECT_EQ(rig.window.MessageTexts(),
            (std::vector<std::string>{"Timeout ERROR on parallel port"}));
  EXPECT_FALSE(SpoolExists());
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_EQ(rig.frm->JobBusy, 0);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ParallelTimeout,
                         ::testing::Values(TimeoutCase{"FirstByte", 0},
                                           TimeoutCase{"FourthByte", 3}),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(ParallelJob, TheLimitIsMeasuredPerByte) {
  // Each byte waits just under the limit: the whole transfer takes far longer than one limit.
  printer.busy_polls = static_cast<int>(kReplyLimit / kPollStep) - 2;
  printer.Attach(rig);
  WriteSpool({1, 2, 3});
  EXPECT_TRUE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_GT(rig.clock.Elapsed(), 2 * kReplyLimit);
  EXPECT_TRUE(rig.window.messages.empty());
}

// --- status ---------------------------------------------------------------------------

struct ParallelDecodeCase {
  const char* name;
  std::uint8_t status;
  std::string boxes;  // Head Vp Cutter BM Temp Hard PNEnd
  std::string buttons;
};

const ParallelDecodeCase kParallelDecodeCases[] = {
    {"ReadyDF", 0xDF, "0000000", "R-PAC"},
    {"Head78", 0x78, "1000000", "R---C"},
    {"Head38", 0x38, "1000000", "R---C"},
    {"VoltageAndHardware10", 0x10, "0100010", "R---C"},
    {"BlackMark07", 0x07, "0001000", "R---C"},
    {"PaperNearEnd18", 0x18, "0000001", "R-PAC"},
    {"Cutter50", 0x50, "0010000", "R---C"},
    {"Temperature40", 0x40, "0000100", "R---C"},
    // The ignored bits ride on a status that decodes to a condition: over 58h (ready) they
    // would change nothing even if they were read.
    {"LowBitsIgnored1F", 0x1F, "0000001", "R-PAC"},
    {"TopBitIgnoredD0", 0xD0, "0010000", "R---C"},
};

void PrintTo(const ParallelDecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class ParallelDecode : public ParallelJob,
                       public ::testing::WithParamInterface<ParallelDecodeCase> {};

TEST_P(ParallelDecode, OneReadBecomesCheckBoxesAndButtons) {
  const ParallelDecodeCase& c = GetParam();
  printer.status = c.status;
  printer.Attach(rig);
  CmdCheck_Click(*rig.frm);
  EXPECT_EQ(CheckBoxes(rig), c.boxes);
  EXPECT_EQ(Buttons(rig), c.buttons);
  ASSERT_EQ(rig.lpt1.log.size(), 1u);  // one status read, nothing written
  EXPECT_EQ(rig.lpt1.log[0].kind, ParallelEvent::kStatus);
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(rig.com(n).log.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, ParallelDecode, ::testing::ValuesIn(kParallelDecodeCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(ParallelJob, CheckStatusWithoutAPortSaysSoAndKeepsTheCheckBoxes) {
  rig.state().Select("OptLPT2");
  rig.state().SetValue("ChkTemp", 1);
  rig.state().SetEnabled("CmdPrint", false);
  CmdCheck_Click(*rig.frm);
  EXPECT_EQ(rig.window.MessageTexts(),
            (std::vector<std::string>{"ERROR on parallel PORT selection"}));
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_EQ(CheckBoxes(rig), "0000100");
}

// --- the print job --------------------------------------------------------------------

TEST_F(ParallelJob, PrintSendsTheTicketDeletesItAndEnablesSaveSettings) {
  printer.Attach(rig);
  CmdPrint_Click(*rig.frm);
  ASSERT_EQ(deleter.runs, 1);
  EXPECT_FALSE(deleter.deleted.empty());
  EXPECT_EQ(TransferredBytes(1), deleter.deleted);
  EXPECT_FALSE(SpoolExists());
  EXPECT_EQ(Buttons(rig), "RSPAC");
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_EQ(rig.frm->JobBusy, 0);
}

TEST_F(ParallelJob, APrinterInErrorGetsNoTicketAtAll) {
  printer.status = 0x78;
  printer.Attach(rig);
  CmdPrint_Click(*rig.frm);
  EXPECT_FALSE(SpoolExists());
  EXPECT_EQ(deleter.runs, 0);
  EXPECT_EQ(rig.lpt1.log.size(), 1u);
  EXPECT_EQ(Buttons(rig), "R---C");
  EXPECT_EQ(CheckBoxes(rig), "1000000");
  EXPECT_EQ(rig.frm->JobBusy, 0);
}

TEST_F(ParallelJob, ATicketThatCannotBeComposedIsReportedAfterTheStatusCheck) {
  printer.Attach(rig);
  rig.state().SetText("TxtLines", "many");
  CmdPrint_Click(*rig.frm);
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_EQ(rig.window.messages[0].text.rfind("The sample ticket cannot be printed.", 0), 0u);
  EXPECT_EQ(rig.lpt1.log.size(), 1u);  // the status check only
  EXPECT_EQ(Buttons(rig), "R-PAC");
  EXPECT_EQ(rig.frm->JobBusy, 0);
}

struct CommandCase {
  const char* name;
  void (*click)(FrmMenu&);
  int lpt;
  bool port_present;
  Bytes spool;
  std::string buttons_before, buttons_after;
  std::vector<std::string> messages;
};

const CommandCase kCommandCases[] = {
    {"AutotestOverLpt2",
     CmdAutotest_Click,
     2,
     true,
     {0x0D, 0x08, 0x0D, 0x0D, 0x0A},
     "RSPAC",
     "R-PAC",
     {}},
    {"AutotestWithoutAPort",
     CmdAutotest_Click,
     1,
     false,
     {0x0D, 0x08, 0x0D, 0x0D, 0x0A},
     "RSPAC",
     "R-PAC",
     {"ERROR on parallel PORT selection"}},
    {"SaveOverLpt1",
     CmdSettings_Click,
     1,
     true,
     {0x0D, 0x07, 0x0D, 0x0D, 0x0A},
     "RSPAC",
     "R-PAC",
     {}},
    {"SaveTouchesOnlyItsButton",
     CmdSettings_Click,
     2,
     true,
     {0x0D, 0x07, 0x0D, 0x0D, 0x0A},
     "-S-A-",
     "---A-",
     {}},
};

void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << c.name;
}

class ParallelCommand : public ParallelJob, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ParallelCommand, LeavesExactlyItsBytesInTheSpoolFileAndSendsThem) {
  const CommandCase& c = GetParam();
  rig.state().Select(c.lpt == 1 ? Ctl("OptLPT1") : Ctl("OptLPT2"));
  if (c.port_present) printer.Attach(rig, c.lpt);
  WriteSpool(Bytes(300, 0x55));  // an earlier ticket
  const char* names[] = {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"};
  for (int i = 0; i < 5; ++i) rig.state().SetEnabled(names[i], c.buttons_before[i] != '-');
  c.click(*rig.frm);
  EXPECT_EQ(ReadSpool(), c.spool);
  if (c.port_present) {
    EXPECT_EQ(TransferredBytes(0, c.lpt), c.spool);
  } else {
    EXPECT_TRUE(rig.lpt(c.lpt).log.empty());
  }
  EXPECT_EQ(Buttons(rig), c.buttons_after);
  EXPECT_EQ(rig.window.MessageTexts(), c.messages);
  EXPECT_EQ(rig.frm->JobBusy, 0);
  EXPECT_EQ(deleter.runs, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParallelCommand, ::testing::ValuesIn(kCommandCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(ParallelJob, AnAutotestThatTimesOutSaysBoth) {
  printer.busy_from_byte = 2;
  printer.Attach(rig);
  CmdAutotest_Click(*rig.frm);
  EXPECT_EQ(rig.window.MessageTexts(),
            (std::vector<std::string>{"Timeout ERROR on parallel port",
                                      "ERROR on parallel PORT selection"}));
  EXPECT_EQ(TransferredBytes(0), (Bytes{0x0D, 0x08}));
  EXPECT_EQ(Buttons(rig), "R-PAC");
}

// --- a refused access ends everything ------------------------------------------------

class RefusedAccess : public ParallelJob, public ::testing::WithParamInterface<int> {};

TEST_P(RefusedAccess, ShowsTheHardwareErrorEndsTheProgramAndTouchesNothingMore) {
  // Accesses of a print: the check's status read, then status read, data, strobe asserted
  // and released, for every byte.
  const int allowed = GetParam();
  printer.Attach(rig);
  rig.lpt1.refuse_after = allowed;
  CmdPrint_Click(*rig.frm);
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_EQ(rig.window.messages[0].text, "Hardware port error");
  EXPECT_EQ(rig.window.messages[0].title, "ZOZozoDozi32");
  EXPECT_EQ(rig.window.messages[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(rig.window.messages[0].detail, "the port refused the access");
  EXPECT_EQ(std::count(rig.window.calls.begin(), rig.window.calls.end(), "CloseMainWindow"), 1);
  EXPECT_TRUE(rig.frm->program_ending);
  EXPECT_EQ(rig.lpt1.Attempts(), allowed + 1);
  EXPECT_EQ(rig.frm->JobBusy, 0);

  // Nothing a click may start afterwards reaches the port.
  for (auto click : {CmdCheck_Click, CmdPrint_Click, CmdAutotest_Click, CmdSettings_Click}) {
    click(*rig.frm);
  }
  EXPECT_EQ(rig.lpt1.Attempts(), allowed + 1);
  EXPECT_EQ(rig.window.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(AtAccess, RefusedAccess, ::testing::Values(0, 1, 2, 3, 4, 5, 6, 9));

// --- clicks that arrive while a transfer yields to the window -------------------------

TEST_F(ParallelJob, ClicksDuringATransferAreDeclinedAndTheTransferRunsOnUndisturbed) {
  printer.busy_polls = 1;
  printer.Attach(rig);
  Bytes spool_seen;
  int nested_clicks = 0;
  bool changed_under_transfer = false;
  rig.window.on_do_events = [&] {
    if (SpoolExists()) {
      if (spool_seen.empty()) spool_seen = ReadSpool();
      changed_under_transfer |= ReadSpool() != spool_seen;
    }
    if (rig.frm->JobBusy == 0) return;
    ++nested_clicks;
    CmdCheck_Click(*rig.frm);
    CmdPrint_Click(*rig.frm);
    CmdAutotest_Click(*rig.frm);
    CmdSettings_Click(*rig.frm);
    // Restore Default may run: it only selects options (COM1 among them), and the job
    // has taken its port addresses already.
    CmdRestore_Click(*rig.frm);
  };
  CmdPrint_Click(*rig.frm);

  ASSERT_EQ(deleter.runs, 1);
  EXPECT_EQ(TransferredBytes(1), deleter.deleted);
  // Two reads (busy, then ready) and a strobe for every byte, the check's read being the
  // first byte's busy answer: no second job's access.
  EXPECT_EQ(rig.lpt1.log.size(), 5 * deleter.deleted.size());
  EXPECT_FALSE(changed_under_transfer);
  EXPECT_EQ(nested_clicks, rig.window.do_events);  // every yield came back
  EXPECT_GT(nested_clicks, static_cast<int>(deleter.deleted.size()));
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(rig.com(n).log.empty());
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_EQ(Buttons(rig), "RSPAC");
  EXPECT_EQ(rig.frm->JobBusy, 0);
}

TEST_F(ParallelJob, ClicksDuringASaveOverLptAreDeclinedToo) {
  printer.busy_polls = 2;
  printer.Attach(rig);
  rig.state().SetEnabled("CmdSettings", true);
  int declined = 0;
  rig.window.on_do_events = [&] {
    ++declined;
    CmdPrint_Click(*rig.frm);
    CmdAutotest_Click(*rig.frm);
  };
  CmdSettings_Click(*rig.frm);
  EXPECT_EQ(ReadSpool(), (Bytes{0x0D, 0x07, 0x0D, 0x0D, 0x0A}));
  EXPECT_EQ(TransferredBytes(0), ReadSpool());
  EXPECT_GT(declined, 0);
  EXPECT_EQ(Buttons(rig), "R-PAC");
}

}  // namespace
}  // namespace qw77

namespace qw77 {
namespace {

TEST_F(ParallelJob, ClosingTheWindowDuringATransferStopsItWithoutAnotherAccess) {
  printer.busy_polls = 1;
  printer.Attach(rig);
  std::size_t accesses_at_close = 0;
  rig.window.on_do_events = [&] {
    if (rig.frm->program_ending || printer.strobes < 2) return;
    Form_Unload(*rig.frm);  // the operator closes the window between two bytes
    accesses_at_close = rig.lpt1.log.size();
  };
  CmdPrint_Click(*rig.frm);
  EXPECT_EQ(rig.lpt1.closes, 1);
  EXPECT_EQ(rig.lpt1.log.size(), accesses_at_close);
  EXPECT_TRUE(rig.window.messages.empty());  // no time-out or hardware error after it
}

}  // namespace
}  // namespace qw77
