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

// Probes the selected serial port: configures its link, sends a status request with no
// flow control and waits up to kReplyLimit for any byte. Closes the port again after a
// reply (leaving RTS/CTS selected) and after silence ("ERROR on serial PORT
// configuration"). A refused setting or a missing or busy device tells "Error on serial
// PORT selection" and leaves the port as the failure left it; the next job reuses it.
// A parallel selection answers kDone at once and no selection kNotStarted, both untouched.
JobEnd OpenSerialPort(const JobInputs& in, JobRun& run);

// The report of a status request whose probe failed: a silent probe is the printer not
// answering it.
JobReport ProbeReport(JobEnd probed);

// Asks the printer on the selected COM port for its status (probing it first): kDone only
// for a printer that answered and reports no error. The buttons follow the answer.
JobReport RunStatusSerial(const JobInputs& in, JobRun& run);

// Sends the spool file to the printer on the selected COM port and deletes the file. COM1
// asks the printer's status first and sends only when it reports no error.
JobReport PrintViaSerial(const JobInputs& in, JobRun& run);

// Sends a short command on the probed serial port: opened with RTS/CTS, written, closed.
// The settings are those the probe has just applied. A failure is told to the operator
// and the port is left closed.
JobReport SendSerialCommand(const JobInputs& in, JobRun& run, std::span<const std::uint8_t> command,
                            std::string_view what);

// Tells the operator that a serial job failed after its probe and what became of it.
void ReportSerialFailure(const JobInputs& in, JobRun& run, std::string_view what,
                         const Status& why);

}  // namespace qw77
