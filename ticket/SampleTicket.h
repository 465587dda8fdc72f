// The sample ticket: the window's text-format choices turned into the printer's command
// bytes, followed by the sample text, an optional logo, an optional barcode and a feed.
//
// Three layers, so that each rule can be tested on its own:
//   ReadSampleTicketSettings  the window's controls -> one plain record (texts as shown)
//   ComposeSampleTicket       record + logo file bytes -> the byte stream (pure)
//   BuildSampleTicket         both of the above, then the spool file "tempo.txt"
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

namespace qw77 {

class FrmMenu;
class WindowState;

enum class TicketFont : std::uint8_t { kA = 0, kB = 1 };

// The speed byte the printer takes for each of the four speed options.
enum class PrintSpeed : std::uint8_t {
  k50mm = 0x30,
  k80mm = 0x20,
  k100mm = 0x10,
  k150mm = 0x00,
};

// What the composition reads from the window. Numeric fields keep the text of their text
// box: converting them is the composer's job, so that a bad value is reported by name.
// Texts are UTF-8, as the window record holds them.
struct SampleTicketSettings {
  std::string x_scale = "1";       // TxtXScale
  std::string y_scale = "1";       // TxtYScale
  std::string line_spacing = "1";  // TxtLinesp
  std::string char_spacing = "1";  // TxtCharsp
  TicketFont font = TicketFont::kA;
  std::string left_margin = "0";  // TxtLeftMgn
  std::string density = "0";      // TxtDensity
  PrintSpeed speed = PrintSpeed::k150mm;
  std::string lines = "1";      // TxtLines
  std::string sample_text;      // TxtSample
  bool logo_wanted = false;     // CheckGraphic checked
  int logo_choice = 0;          // selected index of Option1
  bool barcode_wanted = false;  // ChkBarCode checked
  int barcode_type = 0;         // list index of Combo1
  std::string barcode_data;     // TxtBarCode
};

SampleTicketSettings ReadSampleTicketSettings(const WindowState& state);

// The command stream of one ticket. `logo_file` is the chosen bitmap file's content and is
// read only when the settings ask for a logo; `logo_label` names it in error messages.
// Fails, before producing anything, on a numeric field that holds no number or a value the
// printer cannot take, on a logo file that is not a usable bitmap and on barcode data that
// cannot be encoded. Every message is a sentence for the operator.
Result<std::vector<std::uint8_t>> ComposeSampleTicket(
    const SampleTicketSettings& settings, std::span<const std::uint8_t> logo_file,
    std::string_view logo_label = "The logo file");

// Composes the ticket from the window and writes it to "tempo.txt" in the current
// directory. Either the file afterwards holds exactly the new ticket, or the result says why
// not and any earlier tempo.txt is left as it was (the new stream is written to a temporary
// file beside it and renamed into place). Shows nothing and never yields; the caller tells
// the operator: the message starts "The sample ticket cannot be printed." and gives the cause.
Status BuildSampleTicket(FrmMenu& frm);

// --- helpers, shared with the barcode and logo blocks ---------------------------------

// Splits a 16-bit value into the printer's low/high parameter pair: low = value minus 256
// times the quotient, high = value / 256 truncated toward zero (for 0..32767 the usual low
// and high bytes; for a negative value both carry its sign).
void SplitLowHigh(std::int16_t value, std::int16_t& low, std::int16_t& high);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The whole text as a decimal number: blanks around it, an optional sign, digits with an
// optional fraction and an optional exponent. False (value untouched) for anything else.
bool ParseDecimal(std::string_view text, double& value);

// The longest decimal number that starts the text after leading blanks; 0 when none does
// ("12abc" -> 12, "abc" -> 0, " 2.5x" -> 2.5).
double LeadingNumber(std::string_view text);

// The text as one byte per character in the Windows-1252 code page (ISO-8859-1 plus the
// typographic characters at 80h..9Fh), the 8-bit code page the ticket text is sent in.
// A character that has no code there, and every byte of malformed UTF-8, becomes '?'.
std::string EncodeCp1252(std::string_view utf8);

}  // namespace qw77
