// The printer's error flags as the status check boxes show them, and the two decoders
// that turn a serial or a parallel status into them.
#pragma once

#include <cstdint>

namespace qw77 {

class FrmMenu;

struct StatusFlags {
  int ChkHead = 0;
  int ChkVp = 0;
  int ChkCutter = 0;
  int ChkBM = 0;
  int ChkTemp = 0;
  int ChkHard = 0;
  int ChkPNEnd = 0;
  // False when any condition but paper-near-end is reported: the printer can't print.
  bool no_error = true;

  friend bool operator==(const StatusFlags&, const StatusFlags&) = default;
};

// Replies to the status requests 2, 3 and 4 (the first byte of each).
StatusFlags DecodeSerialStatus(std::uint8_t reply2, std::uint8_t reply3, std::uint8_t reply4);

// The parallel port's status register; only bits 3 to 6 carry the printer's lines.
StatusFlags DecodeParallelStatus(std::uint8_t status);

// Writes the seven check boxes.
void ShowStatusFlags(FrmMenu& frm, const StatusFlags& flags);

// The buttons after a status request that got an answer: CmdRestore and CmdCheck, and
// CmdPrint and CmdAutotest only for a printer that reports no error. CmdSettings stays off.
void EnableAfterStatus(FrmMenu& frm, bool no_error);

// How a serial status request ended, for a job that runs one before it prints.
enum class StatusOutcome {
  kProbeFailed,   // the probe before it failed (its message shown)
  kNoAnswer,      // a reply did not begin in time, or the link failed during the exchange
  kPrinterError,  // decoded, with an error flag
  kReady,         // decoded, no error (paper-near-end at most)
};

}  // namespace qw77
