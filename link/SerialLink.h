// The serial link: which port the window selects, the probe that opens every serial job,
// and the serial print job.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/SerialControl.h"
#include "platform/Status.h"

namespace qw77 {

class FrmMenu;

// The first selected port option, in the order OptCOM0, OptCOM1, OptCOM2: 1..3 (the number
// of its serial control MSComm1..3), 0 when no serial port is selected.
int SelectedSerialPort(const FrmMenu& frm);
// OptLPT1 -> 1, OptLPT2 -> 2, 0 when no parallel port is selected.
int SelectedParallelPort(const FrmMenu& frm);

// SerialBaud "," SerialParity ",8,1", built anew for every job. Empty until the operator
// has put the focus on a baud and a parity option; the control refuses it then.
std::string SerialSettingsString(const FrmMenu& frm);

// Probes the selected serial port: configures its control, sends a status request with
// no flow control and waits up to kReplyLimit for any byte. Closes the port again after a
// reply (leaving RTS/CTS selected) and after silence ("ERROR on serial PORT
// configuration"). A refused setting or a missing or busy device shows "Error on serial
// PORT selection" and leaves the port as the failure left it; the next job reuses it.
// A parallel selection answers true at once and no selection false, both untouched.
bool OpenSerialPort(FrmMenu& frm);

// Sends tempo.txt to the printer on COM`port` (1..3) through MSComm`port` and deletes the
// file. COM1 asks the printer's status first and sends only when it reports no error.
void PrintViaSerial(FrmMenu& frm, int port);

// --- shared by the serial paths of every job -------------------------------------------

// Opens the control for a transfer if it is closed and selects RTS/CTS flow control.
Status OpenForTransfer(SerialControl& comm);

// Hands `bytes` to the control in order. On failure `sent` says how many went out.
Status SendBytes(SerialControl& comm, std::span<const std::uint8_t> bytes, std::size_t& sent);

// Tells the operator that a serial job failed after its probe and what became of it.
void ReportSerialFailure(FrmMenu& frm, std::string_view what, const Status& why);

}  // namespace qw77
