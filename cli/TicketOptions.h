// The ticket's settings as the shell front end takes them, and how they reach the window's
// record: through the same controls and handlers an operator's gestures go through, so
// that the record holds exactly what the window would hold for the same settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace qw77 {
class FrmMenu;
}

namespace qw77::cli {

// One value per setting of the window, as typed; unset keeps the window's start-up value.
// Enumerations are checked by the command line already; numbers, the text and the barcode
// are checked here, against the record's own ranges and the barcode field's key rules.
struct TicketOptions {
  std::optional<std::string> paper;         // 60 | 80
  std::optional<std::string> baud;          // 4800 | 9600 | 19200 | 38400
  std::optional<std::string> parity;        // E | O | N
  std::optional<std::string> speed;         // 50 | 80 | 100 | 150
  std::optional<std::string> font;          // A | B
  std::optional<std::string> x_scale;       // HscrXscale
  std::optional<std::string> y_scale;       // HscrYscale
  std::optional<std::string> line_spacing;  // HscrLinesp
  std::optional<std::string> char_spacing;  // HscrCharsp
  std::optional<std::string> left_margin;   // HscrLeftMgn, range by paper width
  std::optional<std::string> density;       // HscrDensity
  std::optional<std::string> lines;         // HscrLines
  std::optional<std::string> text;          // TxtSample
  std::optional<std::string> logo;          // space | orval | squares
  std::optional<std::string> barcode;       // <type>:<data>
};

// A printer port by name: COM1..COM3 or LPT1, LPT2 (any case).
struct PortChoice {
  bool parallel = false;
  int number = 1;  // 1..3 for COM, 1..2 for LPT

  std::string Name() const;
  friend bool operator==(const PortChoice&, const PortChoice&) = default;
};
Result<PortChoice> ParsePort(std::string_view text);

// Selects the port's option and runs its focus handler, as a click on it would.
void SelectPort(FrmMenu& frm, const PortChoice& port);

// Writes the settings into the record: options selected with their focus handlers run,
// bars moved with their change handlers run, the text typed, the logo and the barcode
// chosen. The baud and parity handlers run for the chosen or the selected option, so the
// line settings are those the window shows. On a refused value (kInvalidArgument, a
// sentence naming the option and why) the record may be half written: check on a scratch
// record first.
Status ApplyTicketOptions(FrmMenu& frm, const TicketOptions& options);

}  // namespace qw77::cli
