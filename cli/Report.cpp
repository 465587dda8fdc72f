#include "cli/Report.h"

#include <nlohmann/json.hpp>

namespace qw77::cli {
namespace {

bool AnyCondition(const StatusFlags& flags) {
  for (const StatusCondition& c : StatusConditions()) {
    if (flags.*(c.flag)) return true;
  }
  return false;
}

std::string_view EndName(JobEnd end) {
  switch (end) {
    case JobEnd::kDone:
      return "done";
    case JobEnd::kPrinterCondition:
      return "printer_condition";
    case JobEnd::kNoAnswer:
      return "no_answer";
    case JobEnd::kPortUnusable:
      return "port_unusable";
    case JobEnd::kFailedMidway:
      return "failed_midway";
    case JobEnd::kNotStarted:
      return "not_started";
    case JobEnd::kSpoolInUse:
      return "spool_in_use";
  }
  return "unknown";
}

std::string_view OutcomeName(const RunOutcome& o) {
  switch (o.stop) {
    case RunStop::kNone:
      break;
    case RunStop::kConfiguration:
      return "configuration";
    case RunStop::kUsage:
      return "usage";
    case RunStop::kInterrupted:
      return "interrupted";
  }
  return EndName(o.end);
}

// What a finished job did, in words.
std::string_view DoneWords(JobKind job) {
  switch (job) {
    case JobKind::kStatus:
      return "the printer answered";
    case JobKind::kPrint:
      return "ticket sent";
    case JobKind::kSaveSettings:
      return "save command sent";
    case JobKind::kAutotest:
      return "self-test command sent";
    case JobKind::kCompose:
      return "ticket written";
  }
  return "done";
}

std::string Summary(const RunOutcome& o) {
  switch (o.stop) {
    case RunStop::kNone:
      break;
    case RunStop::kConfiguration:
      return "the port's configuration is refused.";
    case RunStop::kUsage:
      return "the command line is refused.";
    case RunStop::kInterrupted:
      return "the run was interrupted.";
  }
  std::string text;
  switch (o.end) {
    case JobEnd::kDone:
      text = DoneWords(o.job);
      break;
    case JobEnd::kPrinterCondition:
      text = o.job == JobKind::kStatus ? "the printer answered" : "nothing was sent";
      break;
    case JobEnd::kNoAnswer:
      text = "the printer did not answer";
      break;
    case JobEnd::kPortUnusable:
      text = "the port could not be used";
      break;
    case JobEnd::kFailedMidway:
      text = "the job was cut short";
      break;
    case JobEnd::kNotStarted:
      text = o.job == JobKind::kCompose ? "nothing was written" : "the job could not start";
      break;
    case JobEnd::kSpoolInUse:
      text = "the spool file is in use by another run";
      break;
  }
  if (o.job != JobKind::kStatus && (o.bytes_sent != 0 || o.end == JobEnd::kDone)) {
    text += " (" + std::to_string(o.bytes_sent) + (o.bytes_sent == 1 ? " byte)" : " bytes)");
  }
  if (o.conditions) {
    const std::vector<std::string> words = ConditionWords(*o.conditions);
    if (words.empty()) {
      text += "; the printer reports no condition";
    } else {
      text += "; the printer reports: ";
      for (std::size_t i = 0; i < words.size(); ++i) text += (i ? ", " : "") + words[i];
    }
  }
  return text + ".";
}

}  // namespace

std::string_view JobName(JobKind job) {
  switch (job) {
    case JobKind::kStatus:
      return "status";
    case JobKind::kPrint:
      return "print";
    case JobKind::kSaveSettings:
      return "save-settings";
    case JobKind::kAutotest:
      return "autotest";
    case JobKind::kCompose:
      return "compose";
  }
  return "";
}

void TakeReport(RunOutcome& outcome, const JobReport& report) {
  outcome.end = report.end;
  outcome.bytes_sent = report.bytes_sent;
  if (report.status.asked == StatusAsked::kAnswered) {
    outcome.conditions = report.status.flags;
  } else {
    outcome.conditions.reset();  // not asked, or no answer: nothing is known
  }
}

int ExitCode(const RunOutcome& o) {
  switch (o.stop) {
    case RunStop::kNone:
      break;
    case RunStop::kConfiguration:
      return kExitPortUnusable;
    case RunStop::kUsage:
      return kExitUsage;
    case RunStop::kInterrupted:
      return kExitInterrupted;
  }
  switch (o.end) {
    case JobEnd::kDone:
      return o.conditions && AnyCondition(*o.conditions) ? kExitCondition : kExitDone;
    case JobEnd::kPrinterCondition:
      return kExitCondition;
    case JobEnd::kNoAnswer:
      return kExitNoAnswer;
    case JobEnd::kPortUnusable:
    case JobEnd::kSpoolInUse:
      return kExitPortUnusable;
    case JobEnd::kFailedMidway:
    case JobEnd::kNotStarted:
      return kExitFailed;
  }
  return kExitFailed;
}

std::string HumanLine(const RunOutcome& o) {
  std::string line = o.port.empty() ? o.endpoint : o.port + " (" + o.endpoint + ")";
  return line + ": " + std::string(JobName(o.job)) + ": " + Summary(o);
}

std::string JsonLine(const RunOutcome& o) {
  nlohmann::ordered_json j;
  j["port"] = o.port.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(o.port);
  j["endpoint"] =
      o.endpoint.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(o.endpoint);
  j["job"] = o.job_named ? nlohmann::ordered_json(JobName(o.job)) : nlohmann::ordered_json(nullptr);
  j["outcome"] = OutcomeName(o);
  j["exit_code"] = ExitCode(o);
  j["summary"] = Summary(o);
  j["bytes_sent"] = o.bytes_sent;
  if (o.conditions) {
    nlohmann::ordered_json conditions = nlohmann::ordered_json::object();
    for (const StatusCondition& c : StatusConditions())
      conditions[c.key] = (*o.conditions).*(c.flag);
    j["conditions"] = std::move(conditions);
  } else {
    j["conditions"] = nullptr;
  }
  if (o.messages.empty()) {
    j["message"] = nullptr;
  } else {
    std::string joined;
    for (const std::string& m : o.messages) joined += (joined.empty() ? "" : "\n") + m;
    j["message"] = joined;
  }
  j["elapsed_ms"] = o.elapsed_ms;
  // Replaced, not refused: a message quoting the operator's odd bytes still makes a line.
  return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace qw77::cli
