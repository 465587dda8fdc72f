// Cutting, the cash drawer and the status the printer sends back.
#include "vprinter/LogText.h"
#include "vprinter/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

void Printer::PaperCommand(Command& c) {
  switch (c.def.id) {
    default:
      c.entry.note = "understood, not carried out yet";
      break;
  }
}

}  // namespace qw77::vprinter
