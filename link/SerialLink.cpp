#include "link/SerialLink.h"

#include <array>
#include <vector>

#include "link/JobState.h"
#include "link/ShellRunner.h"
#include "link/SpoolReader.h"
#include "maintenance/StatusSerial.h"
#include "ticket/SpoolFile.h"
#include "ui/FrmMenu.h"

namespace qw77 {
namespace {

// DLE EOT 1 between two CRs: the printer answers it with a status byte.
constexpr std::array<std::uint8_t, 5> kProbe = {0x0D, 0x10, 0x04, 0x01, 0x0D};

enum class ProbeEnd { kReply, kSilent, kLayerFailure };

// Steps of the probe that can fail in the serial layer; the first failure ends it.
ProbeEnd Probe(FrmMenu& frm, SerialControl& comm) {
  if (!comm.SetSettings(SerialSettingsString(frm)).ok()) return ProbeEnd::kLayerFailure;
  if (!comm.PortOpen() && !comm.SetPortOpen(true).ok()) return ProbeEnd::kLayerFailure;
  if (!comm.SetHandshaking(kHandshakeNone).ok()) return ProbeEnd::kLayerFailure;
  std::size_t sent = 0;
  if (!SendBytes(comm, kProbe, sent).ok()) return ProbeEnd::kLayerFailure;
  comm.SetInputLen(0);

  // The reply is never read: its mere arrival says that a printer is listening. The data
  // test comes before the time test, so a byte that is waiting at the limit still counts.
  // No yielding to the window here; the wait is short and ends at the limit.
  Clock& clock = *frm.Svc().clock;
  const Clock::TimePoint start = clock.Now();
  while (true) {
    if (comm.InBufferCount() != 0) {
      if (!comm.SetHandshaking(kHandshakeRtsCts).ok()) return ProbeEnd::kLayerFailure;
      if (!comm.SetPortOpen(false).ok()) return ProbeEnd::kLayerFailure;
      return ProbeEnd::kReply;
    }
    if (clock.Now() - start > kReplyLimit) return ProbeEnd::kSilent;
    clock.SleepFor(kPollStep);
  }
}

}  // namespace

int SelectedSerialPort(const FrmMenu& frm) {
  const WindowState& s = frm.State();
  if (s.Selected("OptCOM0")) return 1;
  if (s.Selected("OptCOM1")) return 2;
  if (s.Selected("OptCOM2")) return 3;
  return 0;
}

int SelectedParallelPort(const FrmMenu& frm) {
  const WindowState& s = frm.State();
  if (s.Selected("OptLPT1")) return 1;
  if (s.Selected("OptLPT2")) return 2;
  return 0;
}

std::string SerialSettingsString(const FrmMenu& frm) {
  return frm.SerialBaud + "," + frm.SerialParity + ",8,1";
}

bool OpenSerialPort(FrmMenu& frm) {
  const int port = SelectedSerialPort(frm);
  if (port == 0) return SelectedParallelPort(frm) != 0;

  SerialControl& comm = frm.MSComm(port);
  switch (Probe(frm, comm)) {
    case ProbeEnd::kReply:
      return true;
    case ProbeEnd::kSilent:
      frm.Svc().window->MsgBox("ERROR on serial PORT configuration");
      (void)comm.SetPortOpen(false);
      return false;
    case ProbeEnd::kLayerFailure:
      break;
  }
  frm.Svc().window->MsgBox("Error on serial PORT selection");
  return false;
}

Status OpenForTransfer(SerialControl& comm) {
  if (!comm.PortOpen()) {
    if (Status opened = comm.SetPortOpen(true); !opened.ok()) return opened;
  }
  return comm.SetHandshaking(kHandshakeRtsCts);
}

Status SendBytes(SerialControl& comm, std::span<const std::uint8_t> bytes, std::size_t& sent) {
  sent = 0;
  if (bytes.empty()) return Status::Ok();
  WriteResult result = comm.Output(bytes);
  sent = result.written;
  if (!result.status.ok()) return result.status;
  if (sent != bytes.size()) {
    return {ErrorCode::kIo, "the port took " + std::to_string(sent) + " of " +
                                std::to_string(bytes.size()) + " bytes"};
  }
  return Status::Ok();
}

void ReportSerialFailure(FrmMenu& frm, std::string_view what, const Status& why) {
  std::string text = "Serial port error: ";
  text += what;
  if (!why.message().empty()) text += " (" + why.message() + ")";
  text += ".";
  frm.Svc().window->MsgBox(text);
}

void PrintViaSerial(FrmMenu& frm, int port) {
  WindowState& s = frm.State();
  SetButtonsEnabled(frm, {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"},
                    false);
  // Every way out short of a completed transfer leaves the buttons as a failed probe does:
  // the operator can try again, but Save Settings waits for a ticket that really printed.
  auto end_unprinted = [&] {
    SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdAutotest", "CmdCheck"}, true);
  };

  if (!OpenSerialPort(frm)) return end_unprinted();

  if (port == 1) {
    // A probe that fails inside the status request leaves CmdPrint enabled, but the printer
    // has just not answered: sending the ticket now would only report a print that never
    // happened, so the job ends as after its own failed probe.
    const StatusOutcome outcome = RunStatusSerial(frm, 1);
    if (outcome == StatusOutcome::kProbeFailed) return;
    if (!s.Enabled("CmdPrint")) return;
  }

  SerialControl& comm = frm.MSComm(port);
  Result<std::vector<std::uint8_t>> job = ReadSpoolBytes();
  if (!job) {
    frm.Svc().window->MsgBox("Cannot read the spool file " + std::string(kSpoolFileName) + " (" +
                             job.status().message() + "). Nothing was sent.");
    return end_unprinted();
  }

  // The probe has just opened this control with these settings; if it fails now the device
  // went away in between.
  Status ready = comm.SetSettings(SerialSettingsString(frm));
  if (ready.ok()) ready = OpenForTransfer(comm);
  if (!ready.ok()) {
    (void)comm.SetPortOpen(false);
    ReportSerialFailure(frm, "the port could not be opened again for the ticket; nothing was sent",
                        ready);
    return end_unprinted();
  }

  std::size_t sent = 0;
  Status wrote = SendBytes(comm, *job, sent);
  if (!wrote.ok()) {
    (void)comm.SetPortOpen(false);
    ReportSerialFailure(frm,
                        "the printer took " + std::to_string(sent) + " of " +
                            std::to_string(job->size()) +
                            " bytes of the ticket; the ticket was not printed completely",
                        wrote);
    return end_unprinted();
  }
  // Closing lets the queued bytes drain; if they cannot, the ticket did not get out whole.
  if (Status closed = comm.SetPortOpen(false); !closed.ok()) {
    ReportSerialFailure(frm, "the last bytes of the ticket may not have reached the printer",
                        closed);
    return end_unprinted();
  }

  // A failure to start the interpreter has been reported by the runner; the ticket is out.
  (void)ShellAndWait(frm, kDeleteSpoolCommand, 0);
  SetButtonsEnabled(frm, {"CmdRestore", "CmdSettings", "CmdPrint", "CmdAutotest", "CmdCheck"},
                    true);
}

}  // namespace qw77
