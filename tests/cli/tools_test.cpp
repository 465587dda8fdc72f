// The printer tools' command line over fakes: what is refused before any port is touched,
// and where and how often a transfer's progress is shown, a print's included.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>
#include <sstream>
#include <utility>

#include "cli/Interrupt.h"
#include "cli/ProgressLine.h"
#include "protocol/Commands.h"
#include "protocol/MaintenanceCommands.h"
#include "tests/cli/CliRig.h"
#include "tests/fakes/TestRig.h"

namespace qw77 {
namespace {

using nlohmann::json;
using testing::CliRig;
using testing::FakeClock;
using testing::FakeSerialControl;
using testing::ScopedTempDir;
using testing::StatusResponder;

TEST(CliTools, NvWritesWithoutYesAndBadValuesAreRefusedBeforeAnyPortIsOpened) {
  const std::vector<std::vector<std::string>> refused = {
      {"logo", "delete-all", "--port", "COM1"},
      {"logo", "delete", "--key", "A1", "--port", "COM1"},
      {"logo", "store", "x.png", "--key", "A1", "--port", "COM1"},
      {"counters", "--reset", "--port", "COM1"},
      {"setup", "set", "--density", "3", "--port", "COM1"},
      {"setup", "set", "--density", "9", "--port", "COM1", "--yes"},
      {"setup", "set", "--switch", "9=00000000", "--port", "COM1", "--yes"},
      {"setup", "set", "--switch", "1=0000000", "--port", "COM1", "--yes"},
      {"setup", "set", "--port", "COM1", "--yes"},
      {"logo", "print", "--key", "ABC", "--port", "COM1"},
      {"test-print", "codepage", "256", "--port", "COM1"},
      {"test-print", "selftest", "--port", "COM1"},
      {"info", "--port", "COM1", "--baud", "1234"},
  };
  for (const auto& args : refused) {
    CliRig rig;
    std::vector<std::string> with_json = args;
    with_json.push_back("--json");
    EXPECT_EQ(rig.Run(with_json), 64) << args[0] << " " << args[1];
    EXPECT_EQ(json::parse(rig.out)["outcome"], "usage");
    EXPECT_EQ(rig.com1.opens, 0);
  }
  CliRig rig;
  rig.Run({"counters", "--reset", "--port", "COM1"});
  EXPECT_NE(rig.err.find("add --yes"), std::string::npos);
}

// Whether `err` holds the finished progress line headed `label`: every byte of the total,
// the line ended.
bool FinishedLine(const std::string& err, const std::string& label) {
  const std::size_t at = err.find("\r" + label + ": ");
  if (at == std::string::npos) return false;
  std::istringstream figures(err.substr(at + label.size() + 3));
  std::size_t done = 0, total = 0;
  std::string of, rest;
  figures >> done >> of >> total;
  std::getline(figures, rest);
  return of == "of" && total > 0 && done == total && rest == " bytes (100%)" && !figures.eof();
}

TEST(CliTools, ProgressGoesToATerminalOnlyAndNeverWithJson) {
  ScopedTempDir dir;  // where print composes its ticket
  struct Watched {
    std::vector<std::string> args;
    std::string label;
    std::function<void(CliRig&)> printer;
  } const runs[] = {
      {{"logo", "print", "--key", "A1", "--port", "COM1"},
       "logo print",
       [](CliRig& rig) {
         // A printer that lists the logo A1.
         rig.com1.peer = [seen = Bytes{}](FakeSerialControl& port, std::uint8_t b) mutable {
           seen.push_back(b);
           const Bytes ask = NvKeyListRequest();
           if (seen.size() >= ask.size() &&
               std::equal(ask.begin(), ask.end(),
                          seen.end() - static_cast<std::ptrdiff_t>(ask.size()))) {
             port.Receive({0x37, 0x72, 0x40, 'A', '1', 0});
           }
         };
       }},
      {{"print", "--port", "COM1"},
       "COM1: print",
       [](CliRig& rig) { rig.com1.peer = StatusResponder{}; }},
      {{"print", "--port", "LPT1"},
       "LPT1: print",
       [](CliRig& rig) {
         // A ready printer: not busy, selected, no error.
         rig.lpt1.present = true;
         rig.lpt1.status.select = true;
       }},
  };
  for (const Watched& run : runs) {
    for (const bool terminal : {false, true}) {
      for (const bool as_json : {false, true}) {
        CliRig rig;
        rig.terminal = terminal;
        run.printer(rig);
        std::vector<std::string> args = run.args;
        if (as_json) args.push_back("--json");
        EXPECT_EQ(rig.Run(args), 0) << rig.err;
        EXPECT_EQ(FinishedLine(rig.err, run.label), terminal && !as_json) << run.label << rig.err;
        if (as_json) {
          EXPECT_EQ(json::parse(rig.out)["outcome"], "done");
        } else {
          EXPECT_EQ(rig.err.find(run.label + ":") != std::string::npos, terminal) << rig.err;
        }
      }
    }
  }
}

// A transfer cut short leaves its line open; the failure is said on a line of its own.
TEST(CliTools, APrintCutShortEndsItsProgressLineBeforeTheFailure) {
  ScopedTempDir dir;
  CliRig rig;
  rig.terminal = true;
  rig.com2.peer = StatusResponder{};
  rig.com2.fail_after = kProbe.size() + 30;
  EXPECT_EQ(rig.Run({"print", "--port", "COM2"}), 4);
  const std::size_t at = rig.err.find("\rCOM2: print: 30 of ");
  ASSERT_NE(at, std::string::npos) << rig.err;
  EXPECT_NE(rig.err.find("%)\nqw77-cli: COM2: Serial port error: the port accepted 30 of", at),
            std::string::npos)
      << rig.err;
}

// The first figures and the last are drawn; those between once the line has stood for the
// redraw time, tried on both sides of it. The line is ended once.
TEST(CliTools, AProgressLineIsRedrawnAFewTimesASecond) {
  using std::chrono::milliseconds;
  FakeClock clock;
  std::ostringstream err;
  {
    cli::ProgressLine line(err, clock, true, "L");
    const Progress watch = line.Watch();
    const std::pair<milliseconds, std::size_t> steps[] = {
        {milliseconds(0), 100}, {milliseconds(100), 200}, {milliseconds(149), 300},
        {milliseconds(1), 400}, {milliseconds(0), 500},   {milliseconds(0), 1000}};
    EXPECT_EQ(cli::InterruptLead(), "");
    for (const auto& [after, done] : steps) {
      clock.Advance(after);
      watch(done, 1000);
      // A signal now would start its words on a line of their own while the line is open.
      EXPECT_EQ(cli::InterruptLead(), done < 1000 ? "\n" : "") << done;
    }
  }
  EXPECT_EQ(err.str(),
            "\rL: 100 of 1000 bytes (10%)\rL: 400 of 1000 bytes (40%)"
            "\rL: 1000 of 1000 bytes (100%)\n");
}

TEST(CliTools, AParallelPortIsRefusedAsOneThatCannotAnswer) {
  CliRig rig;
  EXPECT_EQ(rig.Run({"info", "--port", "LPT1"}), 3);
  EXPECT_NE(rig.err.find("needs a port that can answer"), std::string::npos);
  EXPECT_EQ(rig.parallel_asks, 0);
}

}  // namespace
}  // namespace qw77
