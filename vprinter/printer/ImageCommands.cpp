// Images: raster and bit images, graphics.
#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

int Word(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] + 256 * b[at + 1];
}

std::string Size(int width, int height) {
  return Dec(width) + "x" + Dec(height) + " dots";
}

std::string Key(std::uint8_t kc1, std::uint8_t kc2) {
  const std::uint8_t key[] = {kc1, kc2};
  return "key " + Quoted(key);
}

std::string Scale(int scale_x, int scale_y) {
  return scale_x == 1 && scale_y == 1 ? "" : ", drawn " + Dec(scale_x) + "x" + Dec(scale_y);
}

std::string CutOff(int dots) {
  return dots > 0 ? ", " + Dec(dots) + " dots beyond the paper cut off" : "";
}

// The tone, scale and colour bytes of a graphic; empty when they are fine.
std::string RefusedFormat(int tone, int scale_x, int scale_y, int colour) {
  if (tone == 52) return "multi-tone graphics not supported";
  if (tone != 48) return "no such tone " + Dec(tone);
  if ((scale_x != 1 && scale_x != 2) || (scale_y != 1 && scale_y != 2)) {
    return "scale " + Dec(scale_x) + "x" + Dec(scale_y) + " is not 1 or 2";
  }
  if (colour >= 50 && colour <= 52) return "colour " + Dec(colour) + " on a one-colour printer";
  if (colour != 49) return "no such colour " + Dec(colour);
  return "";
}

}  // namespace

bool Printer::ArgsPresent(Command& c, std::span<const std::uint8_t> args, std::size_t bytes) {
  if (args.size() >= bytes) return true;
  c.Malformed("parameters missing");
  return false;
}

void Printer::OnRasterImage(Command& c) {
  const int m = c.params[0], x = c.params[1] + 256 * c.params[2],
            y = c.params[3] + 256 * c.params[4];
  c.entry.params = RasterParams(c.params);
  const int mode = m >= '0' ? m - '0' : m;
  if (mode < 0 || mode > 3) {
    c.Malformed("no such mode; " + Dec(x * y) + " data bytes skipped");
    return;
  }
  if (x == 0 || y == 0) {
    c.entry.note = "empty image, nothing printed";
    return;
  }
  const int cut = renderer_.PrintRaster(x, y, mode, c.params.subspan(5));
  c.entry.note = "image " + Dec(x * 8) + "x" + Dec(y) + " dots, " + Dec(x * y) + " data bytes";
  if (cut > 0) c.entry.note += ", " + Dec(cut) + " dots beyond the paper cut off";
}

void Printer::OnBitImage(Command& c) {
  const int m = c.params[0], columns = Word(c.params, 1);
  c.entry.params = "m=" + Dec(m) + " nL=" + Dec(c.params[1]) + " nH=" + Dec(c.params[2]);
  if (m != 0 && m != 1 && m != 32 && m != 33) {
    c.Malformed("no such bit-image mode");
    return;
  }
  if (columns == 0) {
    c.entry.note = "empty image, nothing printed";
    return;
  }
  // On a head of 8 dots a millimetre, single density prints each column two dots wide,
  // and the 8-dot modes print each dot three rows tall: every mode makes a stripe 24
  // dots tall, so stripes sent line by line join.
  const bool tall = m >= 32;
  const int scale_x = m == 0 || m == 32 ? 2 : 1, scale_y = tall ? 1 : 3;
  Bitmap dots =
      Scaled(ColumnsToBitmap(columns, tall ? 24 : 8, c.params.subspan(3)), scale_x, scale_y);
  const int width = dots.width, height = dots.height;
  const int cut = renderer_.PutImage(std::move(dots));
  c.entry.note = std::string("bit image, ") + (tall ? "24" : "8") + "-dot " +
                 (scale_x == 2 ? "single" : "double") + " density, " + Dec(columns) +
                 " columns: " + Size(width - cut, height) + " in the line";
  if (cut > 0) c.entry.note += ", " + Dec(cut) + " dots beyond the line dropped";
}

void Printer::OnGraphics(Command& c) {
  const bool long_form = c.def.id == CommandId::kGraphicsLong;
  const std::size_t count_bytes = long_form ? 4 : 2;
  c.entry.params = long_form ? "p1=" + Dec(c.params[0]) + " p2=" + Dec(c.params[1]) +
                                   " p3=" + Dec(c.params[2]) + " p4=" + Dec(c.params[3])
                             : "pL=" + Dec(c.params[0]) + " pH=" + Dec(c.params[1]);
  const auto body = c.params.subspan(count_bytes);
  if (c.def.prefix[0] == 0x1C) {  // FS ( L: labels and black marks
    if (!body.empty()) c.entry.params += " fn=" + Dec(body[0]);
    c.entry.note = "label and black mark control: no effect, no black mark sensor";
    return;
  }
  GraphicsFunction(c, body);
}

void Printer::OnNvImage(Command& c) {
  PrintNvBitImage(c);
}

void Printer::GraphicsFunction(Command& c, std::span<const std::uint8_t> body) {
  if (body.size() < 2) {
    c.Malformed("no function byte");
    return;
  }
  const int m = body[0], fn = body[1];
  const auto args = body.subspan(2);
  c.entry.params += " m=" + Dec(m) + " fn=" + Dec(fn);
  if (m != 48) {
    c.Malformed("m is not 48");
    return;
  }
  switch (fn) {
    case 0:
    case 3:
    case 48:
    case 51:
    case 64:
      NvGraphicsQuery(c, fn, args);
      return;
    case 4:
    case 52:
      c.entry.note = "download graphics memory query: not answered, no download graphics";
      return;
    case 49:
      c.entry.note = "reference dot density: no effect, this head has one density";
      return;
    case 50:
      PrintGraphicsBuffer(c);
      return;
    case 112:
    case 113:
      StoreGraphic(c, fn, args);
      return;
    case 67:
    case 68:
      DefineNvGraphic(c, fn, args);
      return;
    case 69:
      PrintNvGraphic(c, args);
      return;
    case 65:
      DeleteAllNvGraphics(c, args);
      return;
    case 66:
      DeleteNvGraphic(c, args);
      return;
    default:
      c.Malformed("function not supported by this printer");
      return;
  }
}

void Printer::PrintGraphicsBuffer(Command& c) {
  GraphicsMemory& g = graphics_;
  if (g.buffer.width == 0) {
    c.entry.note = "no graphic in the print buffer, nothing printed";
    return;
  }
  const int cut = renderer_.PrintBitmap(g.buffer, g.buffer_scale_x, g.buffer_scale_y);
  c.entry.note = "graphic " + Size(g.buffer.width, g.buffer.height) + " printed" +
                 Scale(g.buffer_scale_x, g.buffer_scale_y) + CutOff(cut);
  // Printing empties the buffer, as it does text.
  g.buffer = Bitmap{};
}

void Printer::StoreGraphic(Command& c, int fn, std::span<const std::uint8_t> args) {
  if (!ArgsPresent(c, args, 8)) return;
  const int x = Word(args, 4), y = Word(args, 6);
  c.entry.params += " a=" + Dec(args[0]) + " bx=" + Dec(args[1]) + " by=" + Dec(args[2]) +
                    " c=" + Dec(args[3]) + " x=" + Dec(x) + " y=" + Dec(y);
  const bool raster = fn == 112;
  const std::string refused = RefusedFormat(args[0], args[1], args[2], args[3]);
  if (!refused.empty() || x == 0 || y == 0) {
    c.Malformed(refused.empty() ? "empty graphic" : refused);
    return;
  }
  const std::size_t bytes = raster ? std::size_t((x + 7) / 8) * std::size_t(y)
                                   : std::size_t(x) * std::size_t((y + 7) / 8);
  const auto data = args.subspan(8);
  if (data.size() < bytes) {
    c.Malformed(Dec(static_cast<int>(data.size())) + " data bytes of " +
                Dec(static_cast<int>(bytes)));
    return;
  }
  graphics_.buffer = raster ? RasterToBitmap(x, y, data) : ColumnsToBitmap(x, y, data);
  graphics_.buffer_scale_x = args[1];
  graphics_.buffer_scale_y = args[2];
  c.entry.note = std::string(raster ? "raster" : "column") + " graphic " + Size(x, y) +
                 " stored in the print buffer" + Scale(args[1], args[2]);
}

void Printer::DefineNvGraphic(Command& c, int fn, std::span<const std::uint8_t> args) {
  if (!ArgsPresent(c, args, 9)) return;
  const int x = Word(args, 4), y = Word(args, 6);
  const std::uint8_t kc1 = args[1], kc2 = args[2];
  c.entry.params += " a=" + Dec(args[0]) + " kc1=" + Dec(kc1) + " kc2=" + Dec(kc2) +
                    " b=" + Dec(args[3]) + " x=" + Dec(x) + " y=" + Dec(y) + " c=" + Dec(args[8]);
  const bool raster = fn == 67;
  std::string refused = RefusedFormat(args[0], 1, 1, args[8]);
  if (kc1 < 32 || kc1 > 126 || kc2 < 32 || kc2 > 126) refused = "key code outside 32..126";
  if (args[3] != 1) refused = Dec(args[3]) + " colours on a one-colour printer";
  if (x < 1 || x > 8192 || y < 1 || y > 2304) refused = "size outside 1..8192 x 1..2304";
  if (!refused.empty()) {
    c.Malformed(refused);
    return;
  }
  const std::size_t bytes = raster ? std::size_t((x + 7) / 8) * std::size_t(y)
                                   : std::size_t(x) * std::size_t((y + 7) / 8);
  const auto data = args.subspan(9);
  if (data.size() < bytes) {
    c.Malformed(Dec(static_cast<int>(data.size())) + " data bytes of " +
                Dec(static_cast<int>(bytes)));
    return;
  }
  NvGraphics& nv = graphics_.nv;
  Bitmap dots = raster ? RasterToBitmap(x, y, data) : ColumnsToBitmap(x, y, data);
  if (!nv.Define(kc1 * 256 + kc2, std::move(dots), bytes)) {
    c.Malformed("NV graphics memory full: " + Dec(static_cast<int>(nv.used_bytes())) + " of " +
                Dec(static_cast<int>(kNvGraphicsBytes)) + " bytes used, " +
                Dec(static_cast<int>(bytes)) + " more needed");
    return;
  }
  c.entry.note = "NV graphic " + Key(kc1, kc2) + " defined, " + Size(x, y) + "; " +
                 Dec(static_cast<int>(nv.used_bytes())) + " of " +
                 Dec(static_cast<int>(kNvGraphicsBytes)) + " bytes used";
  NvWritten(c);
}

void Printer::PrintNvGraphic(Command& c, std::span<const std::uint8_t> args) {
  if (!ArgsPresent(c, args, 4)) return;
  const std::uint8_t kc1 = args[0], kc2 = args[1];
  const int scale_x = args[2], scale_y = args[3];
  c.entry.params +=
      " kc1=" + Dec(kc1) + " kc2=" + Dec(kc2) + " x=" + Dec(scale_x) + " y=" + Dec(scale_y);
  const Bitmap* dots = graphics_.nv.Find(kc1 * 256 + kc2);
  if ((scale_x != 1 && scale_x != 2) || (scale_y != 1 && scale_y != 2) || !dots) {
    c.Malformed(dots ? "scale is not 1 or 2" : "no NV graphic with " + Key(kc1, kc2));
    return;
  }
  const int cut = renderer_.PrintBitmap(*dots, scale_x, scale_y);
  c.entry.note = "NV graphic " + Key(kc1, kc2) + ", " + Size(dots->width, dots->height) +
                 " printed" + Scale(scale_x, scale_y) + CutOff(cut);
}

void Printer::DeleteAllNvGraphics(Command& c, std::span<const std::uint8_t> args) {
  if (!ArgsPresent(c, args, 3)) return;
  c.entry.params += " " + Quoted(args.first(3));
  if (args[0] != 'C' || args[1] != 'L' || args[2] != 'R') {
    c.Malformed("not followed by \"CLR\"");
    return;
  }
  c.entry.note = "all NV graphics deleted (" + Dec(static_cast<int>(graphics_.nv.count())) + ")";
  graphics_.nv.Clear();
  NvWritten(c);
}

void Printer::DeleteNvGraphic(Command& c, std::span<const std::uint8_t> args) {
  if (!ArgsPresent(c, args, 2)) return;
  c.entry.params += " kc1=" + Dec(args[0]) + " kc2=" + Dec(args[1]);
  if (graphics_.nv.Erase(args[0] * 256 + args[1])) {
    c.entry.note = "NV graphic " + Key(args[0], args[1]) + " deleted";
    NvWritten(c);
  } else {
    c.entry.note = "no NV graphic with " + Key(args[0], args[1]) + ", nothing deleted";
  }
}

}  // namespace qw77::vprinter
