// Characters, the line buffer and paper feeds.
#include "vprinter/LogText.h"
#include "vprinter/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

void Printer::TextCommand(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  switch (c.def.id) {
    case CommandId::kLineFeed:
      renderer_.LineFeed();
      c.entry.note = "print line, feed";
      break;
    case CommandId::kCarriageReturn:
      c.entry.note = "ignored";
      break;
    case CommandId::kPrintMode:
      c.entry.params = "n=" + Hex(n);
      t.font = n & 0x01;
      t.emphasized = (n & 0x08) != 0;
      t.height_mul = (n & 0x10) ? 2 : 1;
      t.width_mul = (n & 0x20) ? 2 : 1;
      t.underline = (n & 0x80) != 0;
      c.entry.note = std::string("font ") + (t.font ? "B" : "A") + ", size " + Dec(t.width_mul) +
                     "x" + Dec(t.height_mul) + (t.emphasized ? ", emphasized" : "") +
                     (t.underline ? ", underlined" : "");
      break;
    case CommandId::kCharacterSize: {
      c.entry.params = "n=" + Hex(n);
      const int w = (n >> 4) + 1, h = (n & 0x0F) + 1;
      if (w > 8 || h > 8) {
        c.Malformed("magnification above 8");
        break;
      }
      t.width_mul = w;
      t.height_mul = h;
      c.entry.note = "width x" + Dec(w) + ", height x" + Dec(h);
      break;
    }
    case CommandId::kLineSpacing:
      c.entry.params = "n=" + Dec(n);
      t.line_spacing = n;
      c.entry.note = "line spacing " + Dec(n) + " dots";
      break;
    case CommandId::kDefaultLineSpacing:
      t.line_spacing = TextSettings{}.line_spacing;
      c.entry.note = "line spacing " + Dec(t.line_spacing) + " dots";
      break;
    case CommandId::kCharacterSpacing:
      c.entry.params = "n=" + Dec(n);
      t.char_spacing = n;
      c.entry.note = "character spacing " + Dec(n) + " dots";
      break;
    case CommandId::kFont:
      c.entry.params = "n=" + Dec(n);
      if (n == 0 || n == '0') {
        t.font = 0;
        c.entry.note = "font A (12x24)";
      } else if (n == 1 || n == '1') {
        t.font = 1;
        c.entry.note = "font B (8x16)";
      } else {
        c.Malformed("no such font");
      }
      break;
    case CommandId::kEmphasis:
      c.entry.params = "n=" + Dec(n);
      t.emphasized = (n & 1) != 0;
      c.entry.note = t.emphasized ? "emphasized on" : "emphasized off";
      break;
    case CommandId::kUnderline:
      c.entry.params = "n=" + Dec(n);
      t.underline = (n & 3) != 0;
      c.entry.note = t.underline ? "underline on" : "underline off";
      break;
    case CommandId::kLeftMargin: {
      const int nl = c.params[0], nh = c.params[1];
      c.entry.params = "nL=" + Dec(nl) + " nH=" + Dec(nh);
      int margin = nl + 256 * nh;
      // A margin that leaves no room for a character is cut back to leave one.
      const int widest = renderer_.paper().printable_dots - fonts_->a.width();
      c.entry.note = "left margin " + Dec(margin) + " dots";
      if (margin > widest) {
        margin = widest;
        c.entry.note += ", limited to " + Dec(widest);
      }
      t.left_margin = margin;
      break;
    }
    case CommandId::kFeed:
      c.entry.params = "n=" + Dec(n);
      renderer_.Feed(n);
      c.entry.note = "print and feed " + Dec(n) + " dots; the ticket ends";
      c.then = [this, src = c.src] { EndTicket(src, "closing feed"); };
      break;
    default:
      c.entry.note = "understood, not carried out yet";
      break;
  }
}

}  // namespace qw77::vprinter
