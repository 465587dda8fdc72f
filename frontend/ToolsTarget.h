// The port the printer tools work on: the one the main window selects, with its line
// settings read the way the window's own jobs read them.
#pragma once

#include <string>

#include "base/Status.h"
#include "jobs/PrinterTools.h"

namespace qw77 {
class FrmMenu;
}

namespace qw77::frontend {

struct ToolsTarget {
  ToolPort port;         // the link, its configuration and clock, and "COM1"
  std::string settings;  // "9600,N,8,1", as the window builds it
  std::string reaches;   // what the port is bound to, as its option's tool-tip says ("" unknown)
};

// The selected serial port and its settings, or why the tools cannot use what is selected:
// no port, a parallel port (it cannot answer), a baud rate or parity not picked yet. Every
// refusal is a sentence for the operator. (A link that is one-way, such as a USB printer
// interface, is refused by the jobs themselves before they write.)
Result<ToolsTarget> SelectedToolsTarget(FrmMenu& frm);

// "COM1 (/dev/ttyUSB0) at 9600,N,8,1", or the refusal, for the top of the tools window.
std::string DescribeToolsTarget(FrmMenu& frm);

}  // namespace qw77::frontend
