// The serial jobs: the probe that opens each of them, the status request and the print job,
// with what the operator is told.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/Status.h"
#include "jobs/JobState.h"
#include "transport/Limits.h"

namespace qw77 {

class FrmMenu;

// Probes the selected serial port: configures its control, sends a status request with
// no flow control and waits up to kReplyLimit for any byte. Closes the port again after a
// reply (leaving RTS/CTS selected) and after silence ("ERROR on serial PORT
// configuration"). A refused setting or a missing or busy device shows "Error on serial
// PORT selection" and leaves the port as the failure left it; the next job reuses it.
// A parallel selection answers kDone at once and no selection kNotStarted, both untouched.
JobEnd OpenSerialPort(FrmMenu& frm);

// The report of a status request whose probe failed: a silent probe is the printer not
// answering it.
JobReport ProbeReport(JobEnd probed);

// Asks the printer on COM`port` (1..3, through MSComm`port`) for its status, into the
// check boxes and the buttons.
void CheckStatusSerial(FrmMenu& frm, int port);

// The same exchange, saying how it ended and what the printer answered: kDone only for a
// printer that answered and reports no error.
JobReport RunStatusSerial(FrmMenu& frm, int port);

// Sends tempo.txt to the printer on COM`port` (1..3) through MSComm`port` and deletes the
// file. COM1 asks the printer's status first and sends only when it reports no error.
JobReport PrintViaSerial(FrmMenu& frm, int port);

// Sends a short command on the probed serial port: opened with RTS/CTS, written, closed.
// The settings are those the probe has just applied. A failure is told to the operator
// and the port is left closed.
JobReport SendSerialCommand(FrmMenu& frm, int port, std::span<const std::uint8_t> command,
                            std::string_view what);

// Tells the operator that a serial job failed after its probe and what became of it.
void ReportSerialFailure(FrmMenu& frm, std::string_view what, const Status& why);

}  // namespace qw77
