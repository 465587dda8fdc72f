// The status exchange over a serial port: four requests, three decoded replies, the
// error flags into the check boxes and the buttons set by the outcome.
#pragma once

#include "maintenance/StatusFlags.h"

namespace qw77 {

class FrmMenu;

// Asks the printer on COM`port` (1..3, through MSComm`port`) for its status. A caller
// learns the outcome from CmdPrint: disabled afterwards means an error flag or no answer.
void CheckStatusSerial(FrmMenu& frm, int port);

// The same exchange, also saying how it ended.
StatusOutcome RunStatusSerial(FrmMenu& frm, int port);

}  // namespace qw77
