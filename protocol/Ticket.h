// The sample ticket: text-format choices turned into the printer's command bytes, followed
// by the sample text, an optional logo, an optional barcode and a feed. Pure: plain values
// in, bytes out; reading the window and writing the spool file happen in the jobs.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace qw77 {

enum class TicketFont : std::uint8_t { kA = 0, kB = 1 };

// The speed byte the printer takes for each of the four speed options.
enum class PrintSpeed : std::uint8_t {
  k50mm = 0x30,
  k80mm = 0x20,
  k100mm = 0x10,
  k150mm = 0x00,
};

// The ticket's settings as the window shows them. Numeric fields keep the text of their text
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

// The command stream of one ticket. `logo_file` is the chosen bitmap file's content and is
// read only when the settings ask for a logo; `logo_label` names it in error messages.
// Fails, before producing anything, on a numeric field that holds no number or a value the
// printer cannot take, on a logo file that is not a usable bitmap and on barcode data that
// cannot be encoded. Every message is a sentence for the operator.
Result<std::vector<std::uint8_t>> ComposeSampleTicket(
    const SampleTicketSettings& settings, std::span<const std::uint8_t> logo_file,
    std::string_view logo_label = "The logo file");

}  // namespace qw77
