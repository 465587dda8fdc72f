// What every printer job shares: the five command buttons whose enable state a job leaves
// behind, the inputs a job is given, the report it returns, and the small host through which
// the window keeps up with a job while it runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "platform/Clock.h"
#include "platform/PortAccess.h"
#include "platform/SerialLink.h"
#include "platform/System.h"
#include "platform/WindowServices.h"
#include "protocol/StatusDecode.h"
#include "protocol/Ticket.h"
#include "transport/LineSettings.h"
#include "transport/SpoolFile.h"

namespace qw77 {

// The command buttons whose enable state says what the operator may do next.
enum class JobButton : std::uint8_t { kRestore, kSettings, kPrint, kAutotest, kCheck };
inline constexpr std::size_t kJobButtonCount = 5;

// A set of job buttons; a name that is not a button cannot be spelt.
class JobButtons {
 public:
  constexpr JobButtons(std::initializer_list<JobButton> buttons) {
    for (JobButton b : buttons) bits_ |= Bit(b);
  }
  constexpr bool Has(JobButton b) const { return (bits_ & Bit(b)) != 0; }

 private:
  static constexpr std::uint8_t Bit(JobButton b) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(b));
  }
  std::uint8_t bits_ = 0;
};

// Every job button: all go off while a job runs.
inline constexpr JobButtons kAllJobButtons = {JobButton::kRestore, JobButton::kSettings,
                                              JobButton::kPrint, JobButton::kAutotest,
                                              JobButton::kCheck};
// After a job that printed no ticket: everything but Save Settings, which waits for a
// ticket that really printed.
inline constexpr JobButtons kNoTicketPrinted = {JobButton::kRestore, JobButton::kPrint,
                                                JobButton::kAutotest, JobButton::kCheck};
// After a status request that got an answer, and after one that did not.
inline constexpr JobButtons kStatusAnswered = {JobButton::kRestore, JobButton::kCheck};
// Added to kStatusAnswered for a printer that reports no error.
inline constexpr JobButtons kPrinterReady = {JobButton::kPrint, JobButton::kAutotest};

// The enable state a job gives each button: on, off, or left as it was. A later change of
// the same button replaces an earlier one.
class ButtonStates {
 public:
  void Set(JobButtons buttons, bool enabled);
  std::optional<bool> Of(JobButton b) const { return states_[static_cast<std::size_t>(b)]; }
  friend bool operator==(const ButtonStates&, const ButtonStates&) = default;

 private:
  std::array<std::optional<bool>, kJobButtonCount> states_{};
};

// How a job ended, beyond what the window shows: for the shell front end's exit codes.
enum class JobEnd : std::uint8_t {
  kDone,              // done; the printer reports no condition (where it was asked)
  kPrinterCondition,  // the printer answered and reports a condition
  kNoAnswer,          // the printer did not answer the probe or a status request
  kPortUnusable,      // the port could not be used: missing, busy, refused, no such port
  kFailedMidway,      // the transfer was cut short or could not be confirmed
  kNotStarted,        // declined (a job under way), no port selected, or nothing to send
  kSpoolInUse,        // another run held the spool file for longer than the job waits
};

// Whether a job asked the printer for its status, and what came back.
enum class StatusAsked : std::uint8_t { kNotAsked, kNoAnswer, kAnswered };

struct PrinterStatus {
  StatusAsked asked = StatusAsked::kNotAsked;
  StatusFlags flags;  // what the printer reported, when it answered

  // The printer answered and reports a condition that keeps it from printing.
  bool ReportsError() const { return asked == StatusAsked::kAnswered && !flags.no_error; }
};

// One message for the operator: a box's text, the cause behind it (empty for none), its
// icon and its title (empty: the application's title).
struct JobMessage {
  std::string text;
  std::string detail;
  MessageIcon icon = MessageIcon::kNone;
  std::string title;
  bool shown = false;  // shown while the job ran; whoever draws the report does not repeat it
};

// What a job did: how it ended, the bytes the port accepted, the printer's status where the
// job asked for it, every message for the operator in order, the job buttons' enable state
// afterwards, and whether the port access was refused (which ends the program).
struct JobReport {
  JobReport() = default;
  JobReport(JobEnd end_, std::size_t bytes_sent_, PrinterStatus status_ = {})
      : end(end_), bytes_sent(bytes_sent_), status(status_) {}

  JobEnd end = JobEnd::kDone;
  std::size_t bytes_sent = 0;  // bytes the port accepted
  PrinterStatus status;
  std::vector<JobMessage> messages;
  ButtonStates buttons;
  bool access_refused = false;

  // The messages' texts, in order.
  std::vector<std::string> MessageTexts() const;
};

// What a job may ask of whoever runs it while it runs.
class JobHost {
 public:
  virtual ~JobHost() = default;
  // Draws what the report holds so far (the buttons as they now are, the status, any
  // message not shown yet), before the job goes on with something that waits.
  virtual void Show(JobReport& so_far) = 0;
  // Lets the window take its events once (between parallel bytes, during a wait).
  virtual void TakeEvents() = 0;
  // Disables (false) or enables the main window around a command the job waits for.
  virtual void HoldWindow(bool enabled) = 0;
  // True once the program is ending: no port access may follow.
  virtual bool Ending() const = 0;
};

// Everything a job works with, translated once from the window (or the command line).
struct JobInputs {
  int serial_port = 0;    // COM 1..3 (the link serial[serial_port - 1]), 0 for none
  int parallel_port = 0;  // LPT 1..2, 0 for none
  // The line configuration; refused while the operator has picked no baud rate or parity.
  Result<SerialConfig> line = Status(ErrorCode::kInvalidArgument, "no line settings");
  SampleTicketSettings ticket;  // what the ticket a print composes looks like
  std::string spool_file = "tempo.txt";
  std::array<SerialLink*, 3> serial{};
  PortAccess* port_access = nullptr;
  System* system = nullptr;
  Clock* clock = nullptr;

  SerialLink& Link() const { return *serial[static_cast<std::size_t>(serial_port - 1)]; }
};

// One job under way: its host and the report it builds.
class JobRun {
 public:
  explicit JobRun(JobHost& host) : host_(host) {}

  JobHost& Host() { return host_; }
  JobReport& Report() { return report_; }

  void Buttons(JobButtons buttons, bool enabled) { report_.buttons.Set(buttons, enabled); }
  void Tell(std::string_view text, std::string_view detail = {},
            MessageIcon icon = MessageIcon::kNone, std::string_view title = {});
  // The window catches up with the report so far before the job goes on.
  void ShowNow() { host_.Show(report_); }
  // The report: how the job ended, the bytes and the status from `outcome`, with the
  // messages and buttons gathered on the way.
  JobReport Finish(const JobReport& outcome);

 private:
  JobHost& host_;
  JobReport report_;
};

// Shows the report's messages not shown yet, in order, through `window`, and marks them.
void ShowNewMessages(JobReport& report, WindowServices& window);

// The job functions' shape, and a job run to its end on `host`: the report it returns.
using Job = JobReport (*)(const JobInputs&, JobRun&);
JobReport RunJob(Job job, const JobInputs& in, JobHost& host);

// The buttons after a status request that got an answer: CmdRestore and CmdCheck, and
// CmdPrint and CmdAutotest only for a printer that reports no error. CmdSettings stays off.
void EnableAfterStatus(JobRun& run, bool no_error);

// Takes the run's spool file for a job that writes it, waiting for another run to let go of
// it (letting the window take events meanwhile). On failure the operator is told why and
// nothing is held: the job sends nothing.
Result<SpoolLock> HoldSpoolFile(const JobInputs& in, JobRun& run);

// The end of a job whose spool file could not be held.
JobEnd SpoolNotHeld(const Status& why);

}  // namespace qw77
