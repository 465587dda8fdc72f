// Characters, the line buffer and paper feeds.
#include <algorithm>

#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

// The many switches that take 0..k both as bytes and as the digits '0'..'k'; -1 otherwise.
int Choice(std::uint8_t n, int highest) {
  const int v = n >= '0' ? n - '0' : n;
  return v >= 0 && v <= highest ? v : -1;
}

std::string OnOff(const std::string& what, bool on) {
  return what + (on ? " on" : " off");
}

}  // namespace

void Printer::OnLineFeed(Command& c) {
  renderer_.LineFeed();
  c.entry.note = "print line, feed";
}

void Printer::OnCarriageReturn(Command& c) {
  c.entry.note = "ignored";
}

void Printer::OnPrintMode(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Hex(n);
  t.font = n & 0x01;
  t.emphasized = (n & 0x08) != 0;
  t.height_mul = (n & 0x10) ? 2 : 1;
  t.width_mul = (n & 0x20) ? 2 : 1;
  t.underline = (n & 0x80) ? 1 : 0;
  c.entry.note = std::string("font ") + (t.font ? "B" : "A") + ", size " + Dec(t.width_mul) + "x" +
                 Dec(t.height_mul) + (t.emphasized ? ", emphasized" : "") +
                 (t.underline ? ", underlined" : "");
}

void Printer::OnCharacterSize(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Hex(n);
  const int w = (n >> 4) + 1, h = (n & 0x0F) + 1;
  if (w > 8 || h > 8) {
    c.Malformed("magnification above 8");
    return;
  }
  t.width_mul = w;
  t.height_mul = h;
  c.entry.note = "width x" + Dec(w) + ", height x" + Dec(h);
}

void Printer::OnLineSpacing(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Dec(n);
  t.line_spacing = n;
  c.entry.note = "line spacing " + Dec(n) + " dots";
}

void Printer::OnDefaultLineSpacing(Command& c) {
  TextSettings& t = renderer_.text();
  t.line_spacing = TextSettings{}.line_spacing;
  c.entry.note = "line spacing " + Dec(t.line_spacing) + " dots";
}

void Printer::OnCharacterSpacing(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Dec(n);
  t.char_spacing = n;
  c.entry.note = "character spacing " + Dec(n) + " dots";
}

void Printer::OnFont(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
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
}

void Printer::OnEmphasis(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Dec(n);
  t.emphasized = (n & 1) != 0;
  c.entry.note = t.emphasized ? "emphasized on" : "emphasized off";
}

void Printer::OnDoubleStrike(Command& c) {
  const std::uint8_t n = c.n();
  CharacterModes& m = renderer_.modes();
  c.entry.params = "n=" + Dec(n);
  m.double_strike = (n & 1) != 0;
  c.entry.note =
      m.double_strike ? "double strike on (drawn bold, as emphasis is)" : "double strike off";
}

void Printer::OnItalic(Command& c) {
  CharacterModes& m = renderer_.modes();
  // ESC 4 alone turns italic on, ESC 4 n by n's lowest bit; ESC 5 turns it off.
  if (!c.params.empty()) c.entry.params = "n=" + Dec(c.params[0]);
  m.italic = c.def.id == CommandId::kItalic && (c.params.empty() || (c.params[0] & 1) != 0);
  c.entry.note = OnOff("italic", m.italic);
}

void Printer::OnUnderline(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Dec(n);
  const int dots = Choice(n, 2);
  if (dots < 0) {
    c.Malformed("no such underline");
    return;
  }
  t.underline = dots;
  c.entry.note = dots ? "underline on, " + Dec(dots) + (dots == 1 ? " dot" : " dots") + " thick"
                      : "underline off";
}

void Printer::OnReverse(Command& c) {
  const std::uint8_t n = c.n();
  CharacterModes& m = renderer_.modes();
  c.entry.params = "n=" + Dec(n);
  m.reverse = (n & 1) != 0;
  c.entry.note = OnOff("reverse printing (white on black)", m.reverse);
}

void Printer::OnUpsideDown(Command& c) {
  const std::uint8_t n = c.n();
  CharacterModes& m = renderer_.modes();
  c.entry.params = "n=" + Dec(n);
  m.upside_down = (n & 1) != 0;
  c.entry.note = OnOff("upside-down printing", m.upside_down);
}

void Printer::OnRotation(Command& c) {
  const std::uint8_t n = c.n();
  CharacterModes& m = renderer_.modes();
  c.entry.params = "n=" + Dec(n);
  const int v = Choice(n, 2);
  if (v < 0) {
    c.Malformed("no such rotation");
    return;
  }
  m.rotated = v != 0;
  c.entry.note = !m.rotated ? "characters not rotated"
                 : v == 1   ? "characters rotated 90 degrees clockwise"
                            : "characters rotated 90 degrees clockwise (2 is taken as 1)";
}

void Printer::OnJustification(Command& c) {
  const std::uint8_t n = c.n();
  CharacterModes& m = renderer_.modes();
  c.entry.params = "n=" + Dec(n);
  const int v = Choice(n, 2);
  if (v < 0) {
    c.Malformed("no such justification");
    return;
  }
  m.justification = v;
  c.entry.note = v == CharacterModes::kLeft     ? "left justified"
                 : v == CharacterModes::kCentre ? "centred"
                                                : "right justified";
}

void Printer::OnPosition(Command& c) {
  const int nl = c.params[0], nh = c.params[1];
  c.entry.params = "nL=" + Dec(nl) + " nH=" + Dec(nh);
  const bool relative = c.def.id == CommandId::kRelativePosition;
  // The relative move is a signed 16-bit number (two's complement).
  const int value = relative ? static_cast<std::int16_t>(nl + 256 * nh) : nl + 256 * nh;
  const int x = relative ? renderer_.LineX() + value : value;
  if (!renderer_.MoveTo(x)) {
    c.Malformed("position " + Dec(x) + " is outside the print area of " + Dec(renderer_.Room()) +
                " dots");
    return;
  }
  c.entry.note = (relative ? "moved by " + Dec(value) + " dots, to " : "to ") + Dec(x) +
                 " dots from the line's start";
}

void Printer::OnTab(Command& c) {
  CharacterModes& m = renderer_.modes();
  const int x = renderer_.LineX();
  const auto stop =
      std::find_if(m.tab_stops.begin(), m.tab_stops.end(), [x](int s) { return s > x; });
  if (stop == m.tab_stops.end() || !renderer_.MoveTo(*stop)) {
    c.entry.note = "no tab stop further on the line; ignored";
    return;
  }
  c.entry.note = "to the tab stop at " + Dec(*stop) + " dots";
}

void Printer::OnCodePage(Command& c) {
  const std::uint8_t n = c.n();
  CharacterModes& m = renderer_.modes();
  c.entry.params = "n=" + Dec(n);
  const char* name = CodePageName(n);
  if (!name) {
    c.Malformed(std::string("no such code page, ") + CodePageName(m.code_page) + " kept");
    return;
  }
  m.code_page = n;
  c.entry.note = std::string("code page ") + name;
}

void Printer::OnInternational(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  c.entry.note = n == 0 ? "international character set USA"
                        : "international character set " + Dec(n) + " not supported, USA kept";
}

void Printer::OnLeftMargin(Command& c) {
  TextSettings& t = renderer_.text();
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
}

void Printer::OnPrintWidth(Command& c) {
  TextSettings& t = renderer_.text();
  CharacterModes& m = renderer_.modes();
  const int nl = c.params[0], nh = c.params[1];
  c.entry.params = "nL=" + Dec(nl) + " nH=" + Dec(nh);
  int width = nl + 256 * nh;
  c.entry.note = "print area " + Dec(width) + " dots wide";
  // Narrower than a character, no character could be printed: one always fits.
  if (width < fonts_->a.width()) {
    width = fonts_->a.width();
    c.entry.note += ", widened to " + Dec(width);
  }
  m.print_width = width;
  const int widest = renderer_.paper().printable_dots - t.left_margin;
  if (width > widest) c.entry.note += ", " + Dec(widest) + " within the left margin";
}

void Printer::OnFeed(Command& c) {
  const std::uint8_t n = c.n();
  c.entry.params = "n=" + Dec(n);
  renderer_.Feed(n);
  c.entry.note = "print and feed " + Dec(n) + " dots";
  if (n >= kTearOffFeedDots) {
    c.entry.note += "; past the tear bar, the ticket ends";
    c.then = [this, src = c.src] { EndTicket(src, "closing feed"); };
  }
}

void Printer::OnFeedLines(Command& c) {
  const std::uint8_t n = c.n();
  TextSettings& t = renderer_.text();
  c.entry.params = "n=" + Dec(n);
  // The first line printed and fed as LF does it, the rest at the line spacing.
  if (n == 0) {
    renderer_.Feed(0);
  } else {
    renderer_.LineFeed();
    for (int i = 1; i < n; ++i) renderer_.Feed(t.line_spacing);
  }
  c.entry.note = "print and feed " + Dec(n) + (n == 1 ? " line" : " lines") + " of " +
                 Dec(t.line_spacing) + " dots";
}

void Printer::OnTabStops(Command& c) {
  CharacterModes& m = renderer_.modes();
  // Stops are counted in columns as wide as a character with its spacing is now.
  const int column = renderer_.Advance();
  std::vector<int> stops;
  std::string list;
  std::string cut;
  for (std::uint8_t v : c.params) {
    if (v == 0) break;
    if (!list.empty()) list += ",";
    list += Dec(v);
    if (!cut.empty()) continue;
    if (!stops.empty() && v * column <= stops.back()) {
      cut = "; " + Dec(v) + " is not above the stop before it, the list ends there";
      continue;
    }
    stops.push_back(v * column);
  }
  c.entry.params = list.empty() ? "NUL" : "n=" + list;
  m.tab_stops = stops;
  if (stops.empty()) {
    c.entry.note = "tab stops cleared";
    return;
  }
  c.entry.note = Dec(static_cast<int>(stops.size())) + " tab stops in columns of " + Dec(column) +
                 " dots, the first at " + Dec(stops.front()) + ", the last at " +
                 Dec(stops.back()) + cut;
}

}  // namespace qw77::vprinter
