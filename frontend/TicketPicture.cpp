#include "frontend/TicketPicture.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "vprinter/printer/Printer.h"
#include "vprinter/printer/StatusModel.h"

namespace qw77::frontend {
namespace {

// The fonts are read once per process: every redraw of the preview needs them, and a
// failure to read them does not mend itself while the program runs.
const Result<std::shared_ptr<const vprinter::Fonts>>& SharedFonts() {
  static const Result<std::shared_ptr<const vprinter::Fonts>> fonts =
      vprinter::Fonts::LoadDefault();
  return fonts;
}

// Copies at most `max_rows` rows of a picture; rows nothing was drawn on are paper.
QImage ToImage(const vprinter::Canvas& canvas, int max_rows) {
  const int rows = std::min(canvas.height(), max_rows);
  QImage image(canvas.width(), rows, QImage::Format_Grayscale8);
  for (int y = 0; y < rows; ++y) {
    std::uint8_t* line = image.scanLine(y);
    if (const std::uint8_t* row = canvas.Row(y)) {
      std::memcpy(line, row, static_cast<std::size_t>(canvas.width()));
    } else {
      std::memset(line, 255, static_cast<std::size_t>(canvas.width()));
    }
  }
  return image;
}

}  // namespace

Result<TicketPicture> DrawTicket(std::span<const std::uint8_t> bytes, int printable_dots) {
  const auto& fonts = SharedFonts();
  if (!fonts) {
    return Status(fonts.status().code(),
                  "The preview cannot be drawn: " + fonts.status().message());
  }
  vprinter::StatusModel status;  // a healthy printer: the preview shows the paper, not faults
  vprinter::PrinterOptions options;
  options.paper.printable_dots = printable_dots;
  options.keep_tickets = false;  // each picture is taken below as it is finished
  vprinter::Printer printer(*fonts, status, options);

  TicketPicture picture;
  picture.byte_count = bytes.size();
  std::vector<QImage> pieces;
  int rows_kept = 0;
  printer.on_picture = [&](const vprinter::Canvas& canvas) {
    picture.rows_printed += canvas.height();
    if (rows_kept >= kMaxPictureRows) return;
    pieces.push_back(ToImage(canvas, kMaxPictureRows - rows_kept));
    rows_kept += pieces.back().height();
  };
  printer.Feed(vprinter::Source::kSerial, bytes, 0);
  printer.EndOfStream(vprinter::Source::kSerial);
  printer.Shutdown();

  const int width = vprinter::Paper{printable_dots}.Width();
  if (pieces.size() == 1) {
    picture.image = std::move(pieces.front());
    return picture;
  }
  // Several tickets (a cut in the stream) or parts: one below the other, as on the roll.
  picture.image = QImage(width, rows_kept, QImage::Format_Grayscale8);
  picture.image.fill(255);
  int y = 0;
  for (const QImage& piece : pieces) {
    const int copy = std::min(piece.width(), width);
    for (int row = 0; row < piece.height(); ++row, ++y) {
      std::memcpy(picture.image.scanLine(y), piece.constScanLine(row),
                  static_cast<std::size_t>(copy));
    }
  }
  return picture;
}

QString WireTime(std::size_t byte_count, const std::string& baud) {
  int rate = 0;
  try {
    std::size_t used = 0;
    rate = baud.empty() ? 0 : std::stoi(baud, &used);
    if (used != baud.size()) rate = 0;
  } catch (const std::exception&) {
    rate = 0;
  }
  if (rate <= 0) return QStringLiteral("—");
  const double seconds = static_cast<double>(byte_count) * 10.0 / rate;
  return QStringLiteral("%1 s at %2 baud").arg(seconds, 0, 'f', 2).arg(rate);
}

}  // namespace qw77::frontend
