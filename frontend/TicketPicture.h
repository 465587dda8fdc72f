// The picture of a ticket drawn from its bytes by the virtual printer: an independent
// reading of what the application would send, not a second run of its composition. What
// the preview shows is therefore what a printer makes of the bytes.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include <QString>

#include "base/Status.h"

namespace qw77::frontend {

// Printable widths of the two paper rolls, in dots (8 dots per mm).
inline constexpr int kPrintableDots60mm = 448;
inline constexpr int kPrintableDots80mm = 576;

// Tallest picture kept: Qt paints nothing past 32767 pixels, and a preview of several
// metres of paper helps nobody. A longer ticket is shown cut short, and says so.
inline constexpr int kMaxPictureRows = 32000;

struct TicketPicture {
  QImage image;  // the full paper width, one pixel a dot, 8-bit grey (255 paper)
  std::size_t byte_count = 0;
  long long rows_printed = 0;  // paper length drawn, also beyond what `image` holds
  bool cut_short() const { return rows_printed > image.height(); }
};

// Feeds `bytes` to a fresh virtual printer with paper of `printable_dots` and returns what
// it printed, every ticket and part one below the other. Fails when the printer's fonts
// cannot be loaded.
Result<TicketPicture> DrawTicket(std::span<const std::uint8_t> bytes, int printable_dots);

// Seconds the bytes take on a serial line of `baud` at 10 bits a byte (start, 8 data,
// stop); "—" when no baud rate is set or it is not a number.
QString WireTime(std::size_t byte_count, const std::string& baud);

}  // namespace qw77::frontend
