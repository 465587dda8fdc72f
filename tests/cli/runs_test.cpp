// How a run ends, as the shell sees it: the exit code, the sentence and the JSON object,
// for the ways a printer and a port can answer, over fakes (the limits on a fake clock).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "tests/cli/CliRig.h"
#include "tests/fakes/TestRig.h"
#include "transport/SpoolFile.h"

namespace qw77 {
namespace {

using nlohmann::json;
using testing::CliRig;
using testing::ScopedTempDir;
using testing::StatusResponder;

// Replies of a printer: DLE EOT 2 bit 04h is paper out, DLE EOT 4 bits 0Ch paper near end.
StatusResponder Printer(std::uint8_t reply2 = 0x12, std::uint8_t reply4 = 0x12) {
  StatusResponder r;
  r.reply[2] = {reply2};
  r.reply[4] = {reply4};
  return r;
}

struct RunCase {
  const char* name;
  std::vector<std::string> args;  // --json is added
  std::function<void(CliRig&)> setup;
  int exit_code;
  const char* outcome;
  json conditions;  // null: the printer was not asked, or did not answer
  json message;
  const char* words;  // part of the sentence without --json
};

const json kNoCondition = {
    {"no_paper_or_head_up", false}, {"head_voltage", false}, {"cutter", false},
    {"black_mark", false},          {"temperature", false},  {"hardware", false},
    {"paper_near_end", false}};

json With(const char* key) {
  json c = kNoCondition;
  c[key] = true;
  return c;
}

class Runs : public ::testing::TestWithParam<RunCase> {};

TEST_P(Runs, SayHowTheyEnded) {
  ScopedTempDir dir;
  const RunCase& c = GetParam();
  std::vector<std::string> args = c.args;
  args.push_back("--json");
  CliRig cli;
  c.setup(cli);
  EXPECT_EQ(cli.Run(args), c.exit_code) << cli.err;
  const json line = json::parse(cli.out);
  EXPECT_EQ(line["exit_code"], c.exit_code);
  EXPECT_EQ(line["outcome"], c.outcome);
  EXPECT_EQ(line["port"], "COM" + std::string(1, args[2].back()));
  EXPECT_EQ(line["endpoint"], "/dev/fake" + std::string(1, args[2].back()));
  EXPECT_EQ(line["conditions"], c.conditions);
  EXPECT_EQ(line["message"], c.message);
  // What a box would have shown is on standard error too.
  if (c.message.is_string()) {
    EXPECT_NE(cli.err.find(c.message.get<std::string>()), std::string::npos);
  }

  CliRig again;
  c.setup(again);
  args.pop_back();
  EXPECT_EQ(again.Run(args), c.exit_code);
  EXPECT_NE(again.out.find(c.words), std::string::npos) << again.out;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Runs,
    ::testing::Values(
        RunCase{"StatusClean",
                {"status", "--port", "COM1"},
                [](CliRig& r) { r.com1.peer = Printer(); },
                0,
                "done",
                kNoCondition,
                nullptr,
                "the printer reports no condition."},
        RunCase{"StatusPaperOut",
                {"status", "--port", "COM1"},
                [](CliRig& r) { r.com1.peer = Printer(0x16); },
                1,
                "printer_condition",
                With("no_paper_or_head_up"),
                nullptr,
                "the printer reports: no paper or head up."},
        // Near end stops no ticket, yet it is a condition the printer reports.
        RunCase{"StatusNearEnd",
                {"status", "--port", "COM2"},
                [](CliRig& r) { r.com2.peer = Printer(0x12, 0x1E); },
                1,
                "done",
                With("paper_near_end"),
                nullptr,
                "the printer reports: paper near end."},
        RunCase{"StatusSilent",
                {"status", "--port", "COM1"},
                [](CliRig&) {},
                2,
                "no_answer",
                nullptr,
                "ERROR on serial PORT configuration",
                "the printer did not answer."},
        // Answers to the two probes and the first request only: no box, yet a message.
        RunCase{"StatusSilentAfterTheProbe",
                {"status", "--port", "COM1"},
                [](CliRig& r) {
                  StatusResponder printer = Printer();
                  printer.answers_left = 3;
                  r.com1.peer = printer;
                },
                2,
                "no_answer",
                nullptr,
                "The printer answered the probe, then did not answer a status request within "
                "the reply limit.",
                "the printer did not answer."},
        RunCase{"StatusNoDevice",
                {"status", "--port", "COM3"},
                [](CliRig& r) {
                  r.com3.open_error = {ErrorCode::kNotFound, "no such device"};
                },
                3,
                "port_unusable",
                nullptr,
                "Error on serial PORT selection",
                "the port could not be used."},
        // COM2 asks no status before the ticket: nothing is known of the conditions.
        RunCase{"PrintWithoutStatus",
                {"print", "--port", "COM2"},
                [](CliRig& r) { r.com2.peer = Printer(); },
                0,
                "done",
                nullptr,
                nullptr,
                "ticket sent (52 bytes)."},
        RunCase{"PrintRefusedForPaperOut",
                {"print", "--port", "COM1"},
                [](CliRig& r) { r.com1.peer = Printer(0x16); },
                1,
                "printer_condition",
                With("no_paper_or_head_up"),
                nullptr,
                "nothing was sent;"},
        RunCase{"PrintCutShort",
                {"print", "--port", "COM1"},
                [](CliRig& r) {
                  r.com1.peer = Printer();
                  r.com1.fail_after = 27 + 20;  // two probes, the status, 20 ticket bytes
                },
                4,
                "failed_midway",
                kNoCondition,
                "Serial port error: the port accepted 20 of 52 bytes of the ticket; the ticket "
                "was not printed completely (write failed).",
                "the job was cut short (20 bytes)"},
        RunCase{"AutotestSent",
                {"autotest", "--port", "COM1"},
                [](CliRig& r) { r.com1.peer = Printer(); },
                0,
                "done",
                nullptr,
                nullptr,
                "self-test command sent (1 byte)."}),
    [](const auto& p) { return std::string(p.param.name); });

// Each port in turn, one line each; the exit code is the worst, whatever the order.
TEST(Runs, SeveralPortsReportEachAndExitWithTheWorst) {
  CliRig cli;
  cli.com1.peer = Printer();
  cli.com2.open_error = {ErrorCode::kBusy, "busy"};
  cli.com3.peer = Printer(0x16);
  EXPECT_EQ(cli.Run({"status", "--port", "COM2,COM1", "--port", "COM3"}), 3);
  EXPECT_EQ(cli.out,
            "COM2 (/dev/fake2): status: the port could not be used.\n"
            "COM1 (/dev/fake1): status: the printer answered; the printer reports no "
            "condition.\n"
            "COM3 (/dev/fake3): status: the printer answered; the printer reports: no paper "
            "or head up.\n");
}

// A reply counts only with the fixed bits of a status byte (1 and 4 set, 0 and 7 clear),
// to the probe as to each status request; anything else is no answer.
TEST(Runs, OnlyAStatusByteIsAnAnswer) {
  struct Case {
    int request;  // whose reply is `reply`
    std::uint8_t reply;
    int exit_code;
  } cases[] = {
      {1, 0x12, 0}, {1, 0x16, 0}, {1, 0x7E, 0},  // the fixed bits right, whatever else
      {1, 0x0D, 2}, {1, 0x10, 2},                // the request's own bytes, echoed
      {1, 0x13, 2}, {1, 0x92, 2}, {1, 0x02, 2}, {1, 0x10, 2}, {1, 0x00, 2},
      {1, 0xFF, 2}, {3, 0x16, 1}, {3, 0x04, 2},  // black mark, with and without the fixed bits
      {4, 0x1E, 1}, {4, 0x0C, 2},                // paper near end, likewise
  };
  for (const Case& c : cases) {
    CliRig cli;
    StatusResponder printer = Printer();
    printer.reply[c.request] = {c.reply};
    cli.com1.peer = printer;
    EXPECT_EQ(cli.Run({"status", "--port", "COM1", "--json"}), c.exit_code)
        << "reply " << c.request << ": " << int{c.reply} << "\n"
        << cli.err;
    if (c.exit_code == 2) {
      EXPECT_EQ(json::parse(cli.out)["conditions"], nullptr);
    }
  }
}

// Another run holds tempo.txt: the print waits for it up to the limit, then sends nothing.
// Let go at the limit, the file is taken and the ticket printed.
struct SpoolCase {
  const char* name;
  bool released_at_limit;
  int exit_code;
  const char* outcome;
};

class SpoolHeld : public ::testing::TestWithParam<SpoolCase> {};

TEST_P(SpoolHeld, ThePrintWaitsUpToTheLimit) {
  ScopedTempDir dir;
  CliRig cli;
  cli.com1.peer = Printer();
  std::optional<SpoolLock> other;
  other.emplace(std::move(TryLockSpoolFile("tempo.txt").value()));
  if (GetParam().released_at_limit) {
    cli.clock.on_sleep = [&] {
      if (cli.clock.Elapsed() >= kSpoolWaitLimit) other.reset();
    };
  }
  EXPECT_EQ(cli.Run({"print", "--port", "COM1", "--json"}), GetParam().exit_code) << cli.err;
  const json line = json::parse(cli.out);
  EXPECT_EQ(line["outcome"], GetParam().outcome);
  if (!GetParam().released_at_limit) {
    EXPECT_EQ(line["message"], "The spool file tempo.txt in " +
                                   std::filesystem::current_path().string() +
                                   " is in use by another run. Nothing was sent.");
    EXPECT_TRUE(cli.com1.Sent().empty());
    EXPECT_LE(cli.clock.Elapsed(), kSpoolWaitLimit + 2 * kPollStep);
  }
  EXPECT_GE(cli.clock.Elapsed(), kSpoolWaitLimit);
}

INSTANTIATE_TEST_SUITE_P(Limit, SpoolHeld,
                         ::testing::Values(SpoolCase{"NeverLetGo", false, 3, "spool_in_use"},
                                           SpoolCase{"LetGoAtTheLimit", true, 0, "done"}),
                         [](const auto& p) { return std::string(p.param.name); });

// A run with a spool file of its own does not wait for tempo.txt, and leaves no lock behind.
TEST(Runs, ARunWithItsOwnSpoolFileGoesAhead) {
  ScopedTempDir dir;
  const Result<SpoolLock> other = TryLockSpoolFile("tempo.txt");
  ASSERT_TRUE(other.ok());
  CliRig cli;
  cli.com2.peer = Printer();
  EXPECT_EQ(cli.Run({"print", "--port", "COM2", "--spool", "own.txt"}), 0) << cli.err;
  EXPECT_EQ(cli.clock.Elapsed(), Clock::Duration{0});
  EXPECT_EQ(cli.system.processes.back().argv.back(), "rm -f -- 'own.txt'");
  EXPECT_FALSE(std::filesystem::exists(".own.txt.lock"));
}

// A serial run starts up without parallel port access, even where that access would fail.
TEST(Runs, ASerialRunNeverAsksForParallelPortAccess) {
  CliRig cli;
  cli.lpt1.open_result = Status(ErrorCode::kPermission, "cannot open /dev/parport0");
  cli.com1.peer = Printer();
  EXPECT_EQ(cli.Run({"status", "--port", "COM1"}), 0) << cli.err;
  EXPECT_EQ(cli.parallel_asks, 0);
  EXPECT_EQ(cli.lpt1.opens, 0);

  EXPECT_EQ(cli.Run({"status", "--port", "LPT1", "--json"}), 3);
  EXPECT_EQ(json::parse(cli.out)["message"], "Problemas de acceso al hardware");
  EXPECT_EQ(cli.lpt1.opens, 1);
}

// A script reading the lines must not take a lost line for a clean run.
TEST(Runs, AReportThatCannotBeWrittenFailsTheRun) {
  CliRig cli;
  cli.com1.peer = Printer();
  std::ostream nowhere(nullptr);
  std::ostringstream err;
  const char* argv[] = {"qw77-cli", "status", "--port", "COM1"};
  EXPECT_EQ(cli::RunCli(4, argv, cli, nowhere, err), 4);
  EXPECT_NE(err.str().find("the report of COM1 could not be written"), std::string::npos);
}

TEST(Runs, ComposeToStandardOutputWritesTheTicketAlone) {
  ScopedTempDir dir;
  CliRig cli;
  ASSERT_EQ(cli.Run({"compose", "--out", "t.bin", "--text", "AB", "--lines", "2"}), 0);
  std::ifstream in("t.bin", std::ios::binary);
  const std::string file(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(cli.Run({"compose", "--out", "-", "--text", "AB", "--lines", "2"}), 0);
  EXPECT_EQ(cli.out, file);
}

// The file replaced keeps its mode; a compose run names no port in its JSON.
TEST(Runs, ComposeOverAFileKeepsItsMode) {
  ScopedTempDir dir;
  { std::ofstream("t.bin") << "before"; }
  ASSERT_EQ(::chmod("t.bin", 0600), 0);
  CliRig cli;
  ASSERT_EQ(cli.Run({"compose", "--out", "t.bin", "--json"}), 0) << cli.err;
  struct stat after {};
  ASSERT_EQ(::stat("t.bin", &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  const json line = json::parse(cli.out);
  EXPECT_EQ(line["port"], nullptr);
  EXPECT_EQ(line["endpoint"], "t.bin");
  EXPECT_EQ(line["job"], "compose");
}

// The file is the whole ticket or what it was before: a logo that cannot be read leaves
// an earlier file alone and says why.
TEST(Runs, ComposeThatFailsLeavesTheFileAsItWas) {
  ScopedTempDir dir;
  CliRig cli;
  cli.system.program_directory = "no-such-folder";
  { std::ofstream("t.bin") << "before"; }
  EXPECT_EQ(cli.Run({"compose", "--out", "t.bin", "--logo", "orval"}), 4);
  EXPECT_NE(cli.err.find("The sample ticket cannot be printed."), std::string::npos);
  std::ifstream in("t.bin");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "before");
  EXPECT_EQ(cli.Run({"compose", "--out", "."}), 4);
}

}  // namespace
}  // namespace qw77
