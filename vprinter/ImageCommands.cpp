// Images: raster and bit images, graphics.
#include "vprinter/LogText.h"
#include "vprinter/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

void Printer::ImageCommand(Command& c) {
  switch (c.def.id) {
    case CommandId::kRasterImage: {
      const int m = c.params[0], x = c.params[1] + 256 * c.params[2],
                y = c.params[3] + 256 * c.params[4];
      c.entry.params = RasterParams(c.params);
      const int mode = m >= '0' ? m - '0' : m;
      if (mode < 0 || mode > 3) {
        c.Malformed("no such mode; " + Dec(x * y) + " data bytes skipped");
        break;
      }
      if (x == 0 || y == 0) {
        c.entry.note = "empty image, nothing printed";
        break;
      }
      const int cut = renderer_.PrintRaster(x, y, mode, c.params.subspan(5));
      c.entry.note = "image " + Dec(x * 8) + "x" + Dec(y) + " dots, " + Dec(x * y) + " data bytes";
      if (cut > 0) c.entry.note += ", " + Dec(cut) + " dots beyond the paper cut off";
      break;
    }
    default:
      c.entry.note = "understood, not carried out yet";
      break;
  }
}

}  // namespace qw77::vprinter
