#include "jobs/WindowJobs.h"

#include <utility>

#include "form/FrmMenu.h"
#include "form/StartUp.h"
#include "jobs/ParallelJobs.h"
#include "jobs/SampleTicketJob.h"

namespace qw77 {
namespace {

// Each condition's check box, in the order the boxes have always been written.
void DrawStatusFlags(WindowState& s, const StatusFlags& flags) {
  static constexpr std::pair<ControlId, bool StatusFlags::*> kBoxes[] = {
      {ControlId::kChkHead, &StatusFlags::paper_out_or_head_up},
      {ControlId::kChkCutter, &StatusFlags::cutter},
      {ControlId::kChkBM, &StatusFlags::black_mark},
      {ControlId::kChkTemp, &StatusFlags::temperature},
      {ControlId::kChkVp, &StatusFlags::head_voltage},
      {ControlId::kChkHard, &StatusFlags::hardware},
      {ControlId::kChkPNEnd, &StatusFlags::paper_near_end},
  };
  for (const auto& [box, flag] : kBoxes) s.SetValue(box, flags.*flag ? 1 : 0);
}

constexpr JobButton kButtonOrder[] = {JobButton::kRestore, JobButton::kSettings, JobButton::kPrint,
                                      JobButton::kAutotest, JobButton::kCheck};

}  // namespace

ControlId ButtonControl(JobButton button) {
  switch (button) {
    case JobButton::kRestore:
      return ControlId::kCmdRestore;
    case JobButton::kSettings:
      return ControlId::kCmdSettings;
    case JobButton::kPrint:
      return ControlId::kCmdPrint;
    case JobButton::kAutotest:
      return ControlId::kCmdAutotest;
    case JobButton::kCheck:
      return ControlId::kCmdCheck;
  }
  return ControlId::kCmdPrint;
}

void SetButtonsEnabled(FrmMenu& frm, JobButtons buttons, bool enabled) {
  for (JobButton b : kButtonOrder) {
    if (buttons.Has(b)) frm.State().SetEnabled(ButtonControl(b), enabled);
  }
}

bool JobRefused(const FrmMenu& frm) {
  return frm.JobBusy != 0 || frm.program_ending;
}

JobBusyMark::JobBusyMark(FrmMenu& frm) : frm_(frm) {
  frm_.JobBusy = 1;
}
JobBusyMark::~JobBusyMark() {
  frm_.JobBusy = 0;
}

int SelectedSerialPort(const FrmMenu& frm) {
  const WindowState& s = frm.State();
  if (s.Selected(ControlId::kOptCOM0)) return 1;
  if (s.Selected(ControlId::kOptCOM1)) return 2;
  if (s.Selected(ControlId::kOptCOM2)) return 3;
  return 0;
}

int SelectedParallelPort(const FrmMenu& frm) {
  const WindowState& s = frm.State();
  if (s.Selected(ControlId::kOptLPT1)) return 1;
  if (s.Selected(ControlId::kOptLPT2)) return 2;
  return 0;
}

std::string SerialSettingsString(const FrmMenu& frm) {
  return frm.SerialBaud + "," + frm.SerialParity + ",8,1";
}

JobInputs WindowJobInputs(FrmMenu& frm) {
  JobInputs in;
  in.serial_port = SelectedSerialPort(frm);
  in.parallel_port = SelectedParallelPort(frm);
  in.line = ParseLineSettings(SerialSettingsString(frm));
  in.ticket = ReadSampleTicketSettings(frm.State());
  in.spool_file = frm.spool_file;
  const Services& svc = frm.Svc();
  in.serial = svc.serial;
  in.port_access = svc.port_access;
  in.system = svc.system;
  in.clock = svc.clock;
  return in;
}

void DrawReport(FrmMenu& frm, JobReport& report) {
  if (report.access_refused) frm.program_ending = true;
  if (report.status.asked == StatusAsked::kAnswered)
    DrawStatusFlags(frm.State(), report.status.flags);
  if (frm.Svc().window != nullptr) ShowNewMessages(report, *frm.Svc().window);
  for (JobButton b : kButtonOrder) {
    if (const std::optional<bool> on = report.buttons.Of(b)) {
      frm.State().SetEnabled(ButtonControl(b), *on);
    }
  }
}

void WindowJobHost::TakeEvents() {
  if (frm_.Svc().window != nullptr) frm_.Svc().window->DoEvents();
}

void WindowJobHost::HoldWindow(bool enabled) {
  if (frm_.Svc().window != nullptr) frm_.Svc().window->SetMainWindowEnabled(enabled);
}

bool WindowJobHost::Ending() const {
  return frm_.program_ending;
}

JobReport RunInWindow(FrmMenu& frm, Job job) {
  WindowJobHost host(frm);
  JobReport report = RunJob(job, WindowJobInputs(frm), host);
  DrawReport(frm, report);
  if (report.access_refused && frm.Svc().window != nullptr) frm.Svc().window->CloseMainWindow();
  return report;
}

JobReport RunWindowJob(FrmMenu& frm, Job job) {
  if (JobRefused(frm)) return {JobEnd::kNotStarted, 0};
  JobBusyMark busy(frm);
  return RunInWindow(frm, job);
}

ParallelPort WindowParallelPort(FrmMenu& frm) {
  return ParallelPort(
      *frm.Svc().port_access, [&frm] { return frm.program_ending; },
      [&frm] {
        frm.program_ending = true;
        frm.Svc().window->MsgBoxDetailed("Hardware port error",
                                         frm.Svc().port_access->FailureReason(),
                                         MessageIcon::kCritical, kHardwareErrorTitle);
        frm.Svc().window->CloseMainWindow();
      });
}

}  // namespace qw77
