// The window's edge of the jobs: its controls and members translated once into a job's
// inputs, the host through which it keeps up with a job while it runs, and the report drawn
// into its controls afterwards.
#pragma once

#include <string>

#include "form/ControlId.h"
#include "jobs/JobState.h"

namespace qw77 {

class FrmMenu;

// The control of a job button (CmdRestore, CmdSettings, CmdPrint, CmdAutotest, CmdCheck).
ControlId ButtonControl(JobButton button);

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
// has put the focus on a baud and a parity option; the line settings refuse it then.
std::string SerialSettingsString(const FrmMenu& frm);

// The inputs of a job as the window's controls and members give them: the ports selected,
// the line settings, the ticket's settings, the spool file and the services.
JobInputs WindowJobInputs(FrmMenu& frm);

// Draws a report into the window: the check boxes of an answered status, the messages not
// yet shown (each marked shown), the job buttons' enable states. A refused port access sets
// program_ending.
void DrawReport(FrmMenu& frm, JobReport& report);

// The window as a job's host: it draws the report so far, takes its events, disables
// itself around a command, and is ending once program_ending is set.
class WindowJobHost : public JobHost {
 public:
  explicit WindowJobHost(FrmMenu& frm) : frm_(frm) {}
  void Show(JobReport& so_far) override { DrawReport(frm_, so_far); }
  void TakeEvents() override;
  void HoldWindow(bool enabled) override;
  bool Ending() const override;

 private:
  FrmMenu& frm_;
};

// Runs the job on the window's inputs and draws its report; a refused port access closes
// the main window afterwards.
JobReport RunInWindow(FrmMenu& frm, Job job);

// A job button's click: declined (kNotStarted, nothing drawn) while a job is under way or
// the program is ending; otherwise the job runs with JobBusy set.
JobReport RunWindowJob(FrmMenu& frm, Job job);

}  // namespace qw77
