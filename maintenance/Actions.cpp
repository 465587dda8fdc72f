#include "maintenance/Actions.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "link/JobState.h"
#include "link/ParallelPrint.h"
#include "link/SerialLink.h"
#include "link/SpoolReader.h"
#include "maintenance/StatusParallel.h"
#include "maintenance/StatusSerial.h"
#include "ticket/SpoolFile.h"
#include "ui/FrmMenu.h"

namespace qw77 {
namespace {

constexpr std::array<std::uint8_t, 3> kStoreSettings = {0x0D, 0x07, 0x0D};
constexpr std::array<std::uint8_t, 5> kStoreSettingsSpool = {0x0D, 0x07, 0x0D, 0x0D, 0x0A};
constexpr std::array<std::uint8_t, 1> kSelfTest = {0x08};
constexpr std::array<std::uint8_t, 5> kSelfTestSpool = {0x0D, 0x08, 0x0D, 0x0D, 0x0A};

// Sends a short command on the probed serial port: opened with RTS/CTS, written, closed.
// The settings are those the probe has just applied. A failure is told to the operator
// and the port is left closed.
void SendSerialCommand(FrmMenu& frm, int port, std::span<const std::uint8_t> command,
                       std::string_view what) {
  SerialControl& comm = frm.MSComm(port);
  Status status = OpenForTransfer(comm);
  std::size_t sent = 0;
  if (status.ok()) status = SendBytes(comm, command, sent);
  Status closed = comm.SetPortOpen(false);
  if (status.ok()) status = closed;
  if (!status.ok()) {
    ReportSerialFailure(frm, std::string(what) + " did not reach the printer", status);
  }
}

// Writes the command into tempo.txt and strobes it out. False when the file could not be
// written (said to the operator) or the transfer failed.
bool SendParallelCommand(FrmMenu& frm, std::span<const std::uint8_t> spool) {
  if (Status written = WriteSpoolFile(spool); !written.ok()) {
    frm.Svc().window->MsgBox(written.message() + " Nothing was sent.");
    return false;
  }
  return SendFileParallel(frm);
}

}  // namespace

void CmdSettings_Click(FrmMenu& frm) {
  if (JobRefused(frm)) return;
  WindowState& s = frm.State();
  s.SetEnabled("CmdSettings", false);
  if (!OpenSerialPort(frm)) return;

  if (const int port = SelectedSerialPort(frm); port != 0) {
    SendSerialCommand(frm, port, kStoreSettings, "the save command");
  }
  if (SelectedParallelPort(frm) != 0) {
    // The transfer lets the window take clicks between bytes; marking the job busy keeps
    // Print, Autotest and Check Status from rewriting tempo.txt or the port under it.
    JobBusyMark busy(frm);
    (void)SendParallelCommand(frm, kStoreSettingsSpool);
    if (frm.program_ending) return;
    s.SetEnabled("CmdSettings", false);
  }
}

void CmdAutotest_Click(FrmMenu& frm) {
  if (JobRefused(frm)) return;
  SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdSettings", "CmdAutotest", "CmdCheck"},
                    false);
  if (!OpenSerialPort(frm)) {
    SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdAutotest", "CmdCheck"}, true);
    return;
  }
  {
    JobBusyMark busy(frm);
    if (const int port = SelectedSerialPort(frm); port != 0) {
      SendSerialCommand(frm, port, kSelfTest, "the self-test command");
    }
    if (SelectedParallelPort(frm) != 0) {
      const bool sent = SendParallelCommand(frm, kSelfTestSpool);
      if (frm.program_ending) return;
      if (!sent) frm.Svc().window->MsgBox("ERROR on parallel PORT selection");
    }
  }
  SetButtonsEnabled(frm, {"CmdRestore", "CmdPrint", "CmdAutotest", "CmdCheck"}, true);
}

void CmdCheck_Click(FrmMenu& frm) {
  if (JobRefused(frm)) return;
  if (!OpenSerialPort(frm)) return;
  // Options are exclusive, so exactly one exchange runs; the serial one probes again.
  if (const int port = SelectedSerialPort(frm); port != 0) CheckStatusSerial(frm, port);
  if (SelectedParallelPort(frm) != 0) CheckStatusParallel(frm);
}

}  // namespace qw77
