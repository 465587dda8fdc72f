// The shell's JSON object and exit code, built from a job's report alone.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/Report.h"

namespace qw77::cli {
namespace {

using nlohmann::json;

struct ReportCase {
  const char* name;
  JobReport report;
  const char* outcome;
  int exit_code;
  json conditions;  // null when the printer was not asked or did not answer
};

StatusFlags Cutter() {
  StatusFlags flags;
  flags.cutter = true;
  flags.no_error = false;
  return flags;
}

StatusFlags NearEnd() {
  StatusFlags flags;
  flags.paper_near_end = true;
  return flags;
}

json Conditions(const char* set) {
  json c = {{"no_paper_or_head_up", false}, {"head_voltage", false}, {"cutter", false},
            {"black_mark", false},          {"temperature", false},  {"hardware", false},
            {"paper_near_end", false}};
  if (set != nullptr) c[set] = true;
  return c;
}

TEST(ReportJson, IsBuiltFromTheJobsReport) {
  const ReportCase cases[] = {
      {"answered, no condition",
       {JobEnd::kDone, 0, {StatusAsked::kAnswered, {}}},
       "done",
       0,
       Conditions(nullptr)},
      {"answered, cutter",
       {JobEnd::kPrinterCondition, 0, {StatusAsked::kAnswered, Cutter()}},
       "printer_condition",
       1,
       Conditions("cutter")},
      // A warning only, but one of the seven: the run still says so.
      {"printed, near end",
       {JobEnd::kDone, 120, {StatusAsked::kAnswered, NearEnd()}},
       "done",
       1,
       Conditions("paper_near_end")},
      {"no answer", {JobEnd::kNoAnswer, 0, {StatusAsked::kNoAnswer, {}}}, "no_answer", 2, nullptr},
      {"not asked", {JobEnd::kDone, 120, {}}, "done", 0, nullptr},
      {"cut short", {JobEnd::kFailedMidway, 7, {}}, "failed_midway", 4, nullptr},
  };
  for (const ReportCase& c : cases) {
    RunOutcome outcome;
    outcome.job = JobKind::kPrint;
    outcome.port = "COM1";
    outcome.endpoint = "/dev/ttyS0";
    // An earlier value is not kept when the report knows nothing of the printer.
    outcome.conditions = Cutter();
    TakeReport(outcome, c.report);
    const json j = json::parse(JsonLine(outcome));
    EXPECT_EQ(j["outcome"], c.outcome) << c.name;
    EXPECT_EQ(j["exit_code"], c.exit_code) << c.name;
    EXPECT_EQ(ExitCode(outcome), c.exit_code) << c.name;
    EXPECT_EQ(j["bytes_sent"], c.report.bytes_sent) << c.name;
    EXPECT_EQ(j["conditions"], c.conditions) << c.name;
  }
}

}  // namespace
}  // namespace qw77::cli
