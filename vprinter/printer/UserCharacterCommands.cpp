// User-defined characters (ESC &, ESC %, ESC ?) and what a deselected printer still takes.
#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

bool Printer::IgnoredWhileDeselected(const CommandDef& def) const {
  switch (def.id) {
    // ESC = selects the printer again; the real-time commands act whatever state it is in.
    case CommandId::kSelectPrinter:
    case CommandId::kStatusRequest:
    case CommandId::kRealTimeRequest:
    case CommandId::kRealTimePulse:
      return false;
    default:
      return true;
  }
}

void Printer::OnUserCharacters(Command& c) {
  const auto& p = c.params;
  if (p.size() >= 3) {
    c.entry.params = "y=" + Dec(p[0]) + " c1=" + Dec(p[1]) + " c2=" + Dec(p[2]);
  }
  const Result<std::string> defined = user_chars_.Define(p, *fonts_);
  if (!defined) {
    c.Malformed(defined.status().message());
    return;
  }
  c.entry.note = *defined;
}

void Printer::OnUserCharacterSet(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  user_chars_.Select((n & 1) != 0);
  c.entry.note = user_chars_.selected() ? "user-defined characters selected"
                                        : "the font's own characters selected";
}

void Printer::OnCancelUserCharacter(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  if (!UserCharacters::Definable(n)) {
    c.Malformed("code " + Dec(n) + " cannot be user-defined");
    return;
  }
  user_chars_.Cancel(n);
  c.entry.note = "user-defined character " + Dec(n) + " cancelled";
}

}  // namespace qw77::vprinter
