// The parallel jobs over a fake port access that models a printer's status register and
// records every register access in order.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "form/Selection.h"
#include "form/StartUp.h"
#include "jobs/Actions.h"
#include "jobs/ParallelJobs.h"
#include "jobs/PrintAction.h"
#include "tests/core/job_test_support.h"

namespace qw77 {
namespace {

using namespace qw77::testing;

// A printer on a parallel port: its status register, optionally busy from some byte on or
// for a number of polls before every byte; it counts the strobes it sees.
struct ParallelPrinter {
  std::uint16_t base = 0x378;
  std::uint8_t status = 0xDF;  // not busy, selected, no error
  int busy_from_byte = -1;     // strobes taken before it stays busy for good
  int busy_polls = 0;          // reads that answer busy before each byte
  int strobes = 0;
  int polls_this_byte = 0;

  void Attach(TestRig& rig, int lpt = 1) {
    rig.ports.bios_words[lpt == 1 ? 0x408u : 0x40Au] = base;
    rig.ports.on_read = [this](std::uint16_t port) -> std::uint8_t {
      if (port != base + 1) return 0;
      const bool stuck = busy_from_byte >= 0 && strobes >= busy_from_byte;
      const bool busy = stuck || polls_this_byte++ < busy_polls;
      return busy ? static_cast<std::uint8_t>(status & 0x7F) : status;
    };
    rig.ports.on_write = [this](std::uint16_t port, std::uint8_t value) {
      if (port == base + 2 && value == 0xCD) {
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

  // The accesses of a transfer from the given log position on: status reads, then the data
  // byte, CD and CC, for every byte. Returns the bytes, failing on any other access.
  Bytes TransferredBytes(std::size_t from) {
    Bytes out;
    const auto& log = rig.ports.log;
    const std::uint32_t data = printer.base, status = data + 1u, control = data + 2u;
    bool read_since_last = false;
    for (std::size_t i = from; i < log.size(); ++i) {
      const PortEvent& e = log[i];
      if (e.kind == PortEvent::kRead && e.address == status) {
        read_since_last = true;
        continue;
      }
      EXPECT_TRUE(read_since_last) << "byte strobed without a status read, at " << i;
      EXPECT_TRUE(e.kind == PortEvent::kWrite && e.address == data) << "unexpected access " << i;
      if (i + 2 >= log.size()) {
        ADD_FAILURE() << "strobe cut short";
        break;
      }
      EXPECT_TRUE(log[i + 1].kind == PortEvent::kWrite && log[i + 1].address == control &&
                  log[i + 1].value == 0xCD);
      EXPECT_TRUE(log[i + 2].kind == PortEvent::kWrite && log[i + 2].address == control &&
                  log[i + 2].value == 0xCC);
      out.push_back(static_cast<std::uint8_t>(e.value));
      read_since_last = false;
      i += 2;
    }
    return out;
  }

  int PhysReads() const {
    int n = 0;
    for (const PortEvent& e : rig.ports.log) n += e.kind == PortEvent::kPhysRead;
    return n;
  }

  ScopedTempDir dir;
  TestRig rig;
  SpoolDeleter deleter;
  ParallelPrinter printer;
};

// --- register access ------------------------------------------------------------------

struct BaseCase {
  const char* name;
  std::uint16_t lpt1, lpt2;
  int port;
  std::optional<std::uint16_t> base;  // data register; status and control follow it
};

const BaseCase kBaseCases[] = {
    {"Lpt1At378", 0x378, 0, 1, 0x378},
    {"Lpt1At3BC", 0x3BC, 0, 1, 0x3BC},
    {"Lpt1BesideLpt2", 0x378, 0x278, 1, 0x378},
    {"Lpt2BesideLpt1", 0x378, 0x278, 2, 0x278},
    {"Lpt2AboveTheSignBit", 0x378, 0xD010, 2, 0xD010},
    {"NoEntry", 0, 0x278, 1, std::nullopt},
    {"PortNumber3", 0x378, 0x278, 3, std::nullopt},
};

void PrintTo(const BaseCase& c, std::ostream* os) {
  *os << c.name;
}

class LptBase : public ParallelJob, public ::testing::WithParamInterface<BaseCase> {};

TEST_P(LptBase, FromTheBiosDataArea) {
  const BaseCase& c = GetParam();
  rig.ports.bios_words = {{0x408, c.lpt1}, {0x40A, c.lpt2}};
  ParallelPort port = WindowParallelPort(*rig.frm);
  const std::optional<LptRegisters> found = port.Locate(c.port);
  ASSERT_EQ(found.has_value(), c.base.has_value());
  if (found) {
    EXPECT_EQ(found->data, *c.base);
    EXPECT_EQ(found->status, *c.base + 1);
    EXPECT_EQ(found->control, *c.base + 2);
  }
  EXPECT_TRUE(rig.window.messages.empty());
  if (c.port == 3) {
    EXPECT_TRUE(rig.ports.log.empty());
  } else {
    ASSERT_EQ(rig.ports.log.size(), 1u);
    EXPECT_EQ(rig.ports.log[0].address, c.port == 1 ? 0x408u : 0x40Au);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LptBase, ::testing::ValuesIn(kBaseCases),
                         [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(ParallelJob, StrobeWritesTheByteThenCDThenCC) {
  ParallelPort port = WindowParallelPort(*rig.frm);
  port.Strobe(LptRegisters{0x378, 0x379, 0x37A}, 0x41);
  ASSERT_EQ(rig.ports.log.size(), 3u);
  EXPECT_EQ(rig.ports.log[0].address, 0x378u);
  EXPECT_EQ(rig.ports.log[0].value, 0x41u);
  EXPECT_EQ(rig.ports.log[1].address, 0x37Au);
  EXPECT_EQ(rig.ports.log[1].value, 0xCDu);
  EXPECT_EQ(rig.ports.log[2].address, 0x37Au);
  EXPECT_EQ(rig.ports.log[2].value, 0xCCu);
}

// --- sending --------------------------------------------------------------------------

TEST_F(ParallelJob, AReadyPrinterGetsEveryByteEachStrobed) {
  printer.Attach(rig);
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  WriteSpool(all);
  EXPECT_TRUE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_EQ(TransferredBytes(1), all);
  EXPECT_EQ(rig.window.do_events, 256);  // one pass per byte
  EXPECT_EQ(rig.clock.sleeps, 0);
  EXPECT_TRUE(SpoolExists());  // the caller deletes it, if it wants
}

TEST_F(ParallelJob, ABusyPrinterIsPolledWithAYieldEveryPassAndAPauseWhenNotReady) {
  printer.busy_polls = 3;
  printer.Attach(rig);
  WriteSpool({0x1B, 0x40, 0x0A});
  EXPECT_TRUE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_EQ(TransferredBytes(1), (Bytes{0x1B, 0x40, 0x0A}));
  EXPECT_EQ(rig.window.do_events, 12);
  EXPECT_EQ(rig.clock.sleeps, 9);
}

TEST_F(ParallelJob, Lpt2WithoutABaseAddressSendsNothingAndSaysNothing) {
  rig.state().Select("OptLPT2");
  rig.ports.bios_words[0x408] = 0x378;
  WriteSpool({1, 2, 3});
  EXPECT_FALSE(RunInWindow(*rig.frm, SendSpoolParallel).end == JobEnd::kDone);
  EXPECT_TRUE(rig.window.messages.empty());
  EXPECT_EQ(rig.ports.log.size(), 1u);
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
  // The status check's lookup and read, then the transfer's lookup.
  EXPECT_EQ(TransferredBytes(3), Bytes(ticket.begin(), ticket.begin() + k));
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
  ASSERT_EQ(rig.ports.log.size(), 2u);  // the lookup and one status read, nothing written
  EXPECT_EQ(rig.ports.log[1].kind, PortEvent::kRead);
  EXPECT_EQ(rig.ports.log[1].address, 0x379u);
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
  EXPECT_EQ(TransferredBytes(3), deleter.deleted);
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
  EXPECT_EQ(rig.ports.log.size(), 2u);
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
  EXPECT_EQ(rig.ports.log.size(), 2u);  // the status check only
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
    EXPECT_EQ(TransferredBytes(1), c.spool);
  } else {
    EXPECT_EQ(rig.ports.log.size(), 1u);
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
  EXPECT_EQ(TransferredBytes(1), (Bytes{0x0D, 0x08}));
  EXPECT_EQ(Buttons(rig), "R-PAC");
}

// --- a refused access ends everything ------------------------------------------------

class RefusedAccess : public ParallelJob, public ::testing::WithParamInterface<int> {};

TEST_P(RefusedAccess, ShowsTheHardwareErrorEndsTheProgramAndTouchesNothingMore) {
  // Accesses of a print: lookup, status read, lookup, then status read, data, CD, CC...
  const int allowed = GetParam();
  printer.Attach(rig);
  rig.ports.refuse_after = allowed;
  CmdPrint_Click(*rig.frm);
  ASSERT_EQ(rig.window.messages.size(), 1u);
  EXPECT_EQ(rig.window.messages[0].text, "Hardware port error");
  EXPECT_EQ(rig.window.messages[0].title, "ZOZozoDozi32");
  EXPECT_EQ(rig.window.messages[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(std::count(rig.window.calls.begin(), rig.window.calls.end(), "CloseMainWindow"), 1);
  EXPECT_TRUE(rig.frm->program_ending);
  EXPECT_EQ(rig.ports.Attempts(), allowed + 1);
  EXPECT_EQ(rig.frm->JobBusy, 0);

  // Nothing a click may start afterwards reaches the port.
  for (auto click : {CmdCheck_Click, CmdPrint_Click, CmdAutotest_Click, CmdSettings_Click}) {
    click(*rig.frm);
  }
  EXPECT_EQ(rig.ports.Attempts(), allowed + 1);
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
  EXPECT_EQ(TransferredBytes(3), deleter.deleted);
  EXPECT_EQ(PhysReads(), 2);  // the job's own two lookups, no second job's
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
  EXPECT_EQ(TransferredBytes(1), ReadSpool());
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
    accesses_at_close = rig.ports.log.size();
  };
  CmdPrint_Click(*rig.frm);
  EXPECT_EQ(rig.ports.shutdowns, 1);
  EXPECT_EQ(rig.ports.log.size(), accesses_at_close);
  EXPECT_TRUE(rig.window.messages.empty());  // no time-out or hardware error after it
}

}  // namespace
}  // namespace qw77
