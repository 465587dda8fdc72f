// What every printer job shares: the five command buttons that carry the job state, the
// rule that keeps a second job out while one is under way, and the port the window selects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "form/ControlId.h"
#include "protocol/StatusDecode.h"

namespace qw77 {

class FrmMenu;

// The command buttons whose enable state says what the operator may do next.
enum class JobButton : std::uint8_t { kRestore, kSettings, kPrint, kAutotest, kCheck };

// The control of a job button (CmdRestore, CmdSettings, CmdPrint, CmdAutotest, CmdCheck).
ControlId ButtonControl(JobButton button);

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

// How a job ended, beyond what the window shows: for the shell front end's exit codes.
enum class JobEnd : std::uint8_t {
  kDone,              // done; the printer reports no condition (where it was asked)
  kPrinterCondition,  // the printer answered and reports a condition
  kNoAnswer,          // the printer did not answer the probe or a status request
  kPortUnusable,      // the port could not be used: missing, busy, refused, no such port
  kFailedMidway,      // the transfer was cut short or could not be confirmed
  kNotStarted,        // declined (a job under way), no port selected, or nothing to send
};

// Whether a job asked the printer for its status, and what came back.
enum class StatusAsked : std::uint8_t { kNotAsked, kNoAnswer, kAnswered };

struct PrinterStatus {
  StatusAsked asked = StatusAsked::kNotAsked;
  StatusFlags flags;  // what the printer reported, when it answered

  // The printer answered and reports a condition that keeps it from printing.
  bool ReportsError() const { return asked == StatusAsked::kAnswered && !flags.no_error; }
};

// What a job did: how it ended, the bytes the port accepted, the printer's status where the
// job asked for it, and every message the operator was shown, in order. Nobody reads a
// control back to learn any of it.
struct JobReport {
  JobReport() = default;
  JobReport(JobEnd end_, std::size_t bytes_sent_, PrinterStatus status_ = {})
      : end(end_), bytes_sent(bytes_sent_), status(status_) {}

  JobEnd end = JobEnd::kDone;
  std::size_t bytes_sent = 0;  // bytes the port accepted
  PrinterStatus status;
  std::vector<std::string> messages;
};

// Enables or disables the buttons of the set, in the order of JobButton.
void SetButtonsEnabled(FrmMenu& frm, JobButtons buttons, bool enabled);

// True when a click on a job button must be declined: a job is under way (JobBusy), or the
// program is ending after a refused hardware access. A parallel transfer lets the window
// process clicks between bytes; a second job started from such a click would interleave
// its bytes with the running one or rewrite tempo.txt under it, and waiting for the first
// job inside the click handler would deadlock it (that job only goes on once the handler
// has returned). So the click is dropped: the operator sees the running job finish and
// its buttons come back, and clicks again if still wanted.
bool JobRefused(const FrmMenu& frm);

// Marks a job under way for its lifetime: JobBusy is 1 inside, 0 afterwards.
class JobBusyMark {
 public:
  explicit JobBusyMark(FrmMenu& frm);
  ~JobBusyMark();
  JobBusyMark(const JobBusyMark&) = delete;
  JobBusyMark& operator=(const JobBusyMark&) = delete;

 private:
  FrmMenu& frm_;
};

// The first selected port option, in the order OptCOM0, OptCOM1, OptCOM2: 1..3 (the number
// of its serial control MSComm1..3), 0 when no serial port is selected.
int SelectedSerialPort(const FrmMenu& frm);
// OptLPT1 -> 1, OptLPT2 -> 2, 0 when no parallel port is selected.
int SelectedParallelPort(const FrmMenu& frm);

// SerialBaud "," SerialParity ",8,1", built anew for every job. Empty until the operator
// has put the focus on a baud and a parity option; the control refuses it then.
std::string SerialSettingsString(const FrmMenu& frm);

}  // namespace qw77
