// The printer tools' command line over fakes: what is refused before any port is touched,
// and where progress is shown.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "protocol/MaintenanceCommands.h"
#include "tests/cli/CliRig.h"

namespace qw77 {
namespace {

using nlohmann::json;
using testing::CliRig;
using testing::FakeSerialControl;

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

TEST(CliTools, ProgressGoesToATerminalOnlyAndNeverWithJson) {
  for (const bool terminal : {false, true}) {
    for (const bool as_json : {false, true}) {
      CliRig rig;
      rig.terminal = terminal;
      // A printer that lists the logo A1.
      Bytes seen;
      rig.com1.peer = [&seen](FakeSerialControl& port, std::uint8_t b) {
        seen.push_back(b);
        const Bytes ask = NvKeyListRequest();
        if (seen.size() >= ask.size() &&
            std::equal(ask.begin(), ask.end(),
                       seen.end() - static_cast<std::ptrdiff_t>(ask.size()))) {
          port.Receive({0x37, 0x72, 0x40, 'A', '1', 0});
        }
      };
      std::vector<std::string> args = {"logo", "print", "--key", "A1", "--port", "COM1"};
      if (as_json) args.push_back("--json");
      EXPECT_EQ(rig.Run(args), 0) << rig.err;
      const bool shown = rig.err.find("logo print: 14 of 14 bytes (100%)") != std::string::npos;
      EXPECT_EQ(shown, terminal && !as_json) << rig.err;
      if (as_json) {
        EXPECT_EQ(json::parse(rig.out)["outcome"], "done");
      }
    }
  }
}

TEST(CliTools, AParallelPortIsRefusedAsOneThatCannotAnswer) {
  CliRig rig;
  EXPECT_EQ(rig.Run({"info", "--port", "LPT1"}), 3);
  EXPECT_NE(rig.err.find("needs a port that can answer"), std::string::npos);
  EXPECT_EQ(rig.parallel_asks, 0);
}

}  // namespace
}  // namespace qw77
