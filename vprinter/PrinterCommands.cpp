// What each command does to the paper and the settings, as the log tells it, and the self
// test page.
#include "vprinter/LogText.h"
#include "vprinter/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

const char* SpeedName(std::uint8_t n) {
  switch (n) {
    case 0x30:
      return "50 mm/s";
    case 0x20:
      return "80 mm/s";
    case 0x10:
      return "100 mm/s";
    case 0x00:
      return "150 mm/s";
    default:
      return nullptr;
  }
}

// m xL xH yL yH of an image command.
std::string RasterParams(std::span<const std::uint8_t> b) {
  return "m=" + Dec(b[0]) + " xL=" + Dec(b[1]) + " xH=" + Dec(b[2]) + " yL=" + Dec(b[3]) +
         " yH=" + Dec(b[4]);
}

int SpeedValue(std::uint8_t n) {
  return n == 0x30 ? 50 : n == 0x20 ? 80 : n == 0x10 ? 100 : 150;
}

}  // namespace

void Printer::OnOverlong(Source src, const CommandDef& def, std::size_t offset,
                         std::span<const std::uint8_t> head, std::size_t length) {
  LogEntry e{LogEntry::kMalformed, src, offset, def.name, "", ""};
  const std::size_t p = def.prefix_length;
  if (def.id == CommandId::kRasterImage && head.size() >= p + 5) {
    e.params = RasterParams(head.subspan(p));
    e.note = "image " + std::to_string((head[p + 1] + 256 * head[p + 2]) * 8) + "x" +
             std::to_string(head[p + 3] + 256 * head[p + 4]) + " dots, ";
  }
  e.note += std::to_string(length) + " bytes, more than the " + std::to_string(kMaxCommandBytes) +
            " a command may have; skipped, nothing printed";
  Log(std::move(e));
}

void Printer::OnCommand(Source src, const CommandDef& def, std::size_t offset,
                        std::span<const std::uint8_t> b) {
  const std::size_t p = def.prefix_length;
  const std::uint8_t n = b.size() > p ? b[p] : 0;
  LogEntry e{LogEntry::kCommand, src, offset, def.name, "", ""};
  auto malformed = [&](const std::string& why) {
    e.kind = LogEntry::kMalformed;
    e.note = why + "; ignored";
  };
  TextSettings& t = renderer_.text();

  switch (def.id) {
    case CommandId::kLineFeed:
      renderer_.LineFeed();
      e.note = "print line, feed";
      break;
    case CommandId::kCarriageReturn:
      e.note = "ignored";
      break;
    case CommandId::kInitialize:
      t = stored_;
      renderer_.barcode() = BarcodeSettings{};
      e.note = "settings back to the stored ones";
      break;
    case CommandId::kPrintMode:
      e.params = "n=" + Hex(n);
      t.font = n & 0x01;
      t.emphasized = (n & 0x08) != 0;
      t.height_mul = (n & 0x10) ? 2 : 1;
      t.width_mul = (n & 0x20) ? 2 : 1;
      t.underline = (n & 0x80) != 0;
      e.note = std::string("font ") + (t.font ? "B" : "A") + ", size " + Dec(t.width_mul) + "x" +
               Dec(t.height_mul) + (t.emphasized ? ", emphasized" : "") +
               (t.underline ? ", underlined" : "");
      break;
    case CommandId::kCharacterSize: {
      e.params = "n=" + Hex(n);
      const int w = (n >> 4) + 1, h = (n & 0x0F) + 1;
      if (w > 8 || h > 8) {
        malformed("magnification above 8");
        break;
      }
      t.width_mul = w;
      t.height_mul = h;
      e.note = "width x" + Dec(w) + ", height x" + Dec(h);
      break;
    }
    case CommandId::kLineSpacing:
      e.params = "n=" + Dec(n);
      t.line_spacing = n;
      e.note = "line spacing " + Dec(n) + " dots";
      break;
    case CommandId::kDefaultLineSpacing:
      t.line_spacing = TextSettings{}.line_spacing;
      e.note = "line spacing " + Dec(t.line_spacing) + " dots";
      break;
    case CommandId::kCharacterSpacing:
      e.params = "n=" + Dec(n);
      t.char_spacing = n;
      e.note = "character spacing " + Dec(n) + " dots";
      break;
    case CommandId::kFont:
      e.params = "n=" + Dec(n);
      if (n == 0 || n == '0') {
        t.font = 0;
        e.note = "font A (12x24)";
      } else if (n == 1 || n == '1') {
        t.font = 1;
        e.note = "font B (8x16)";
      } else {
        malformed("no such font");
      }
      break;
    case CommandId::kEmphasis:
      e.params = "n=" + Dec(n);
      t.emphasized = (n & 1) != 0;
      e.note = t.emphasized ? "emphasized on" : "emphasized off";
      break;
    case CommandId::kUnderline:
      e.params = "n=" + Dec(n);
      t.underline = (n & 3) != 0;
      e.note = t.underline ? "underline on" : "underline off";
      break;
    case CommandId::kLeftMargin: {
      const int nl = b[p], nh = b[p + 1];
      e.params = "nL=" + Dec(nl) + " nH=" + Dec(nh);
      int margin = nl + 256 * nh;
      // A margin that leaves no room for a character is cut back to leave one.
      const int widest = renderer_.paper().printable_dots - fonts_->a.width();
      e.note = "left margin " + Dec(margin) + " dots";
      if (margin > widest) {
        margin = widest;
        e.note += ", limited to " + Dec(widest);
      }
      t.left_margin = margin;
      break;
    }
    case CommandId::kExtended: {
      const int pl = b[p], ph = b[p + 1];
      const auto body = b.subspan(p + 2);
      e.params = "pL=" + Dec(pl) + " pH=" + Dec(ph);
      if (body.empty()) {
        malformed("no function byte");
        break;
      }
      e.params += " fn=" + Dec(body[0]);
      if (body[0] == 0x01 && body.size() == 2) {
        const int d = static_cast<std::int8_t>(body[1]);
        e.params += " d=" + Dec(body[1]);
        if (d < -10 || d > 10) {
          malformed("density " + Dec(d) + " outside -10..10");
          break;
        }
        t.density = d;
        e.note = "print density " + Dec(d);
      } else {
        e.params += " " + HexBytes(body.subspan(1));
        malformed("function not supported by this printer");
      }
      break;
    }
    case CommandId::kSpeed: {
      e.params = "n=" + Hex(n);
      const char* name = SpeedName(n);
      if (!name) {
        malformed("no such speed");
        break;
      }
      t.speed_mm_s = SpeedValue(n);
      e.note = std::string("print speed ") + name;
      break;
    }
    case CommandId::kFeed:
      e.params = "n=" + Dec(n);
      renderer_.Feed(n);
      e.note = "print and feed " + Dec(n) + " dots; the ticket ends";
      Log(std::move(e));
      EndTicket(src, "closing feed");
      return;
    case CommandId::kRasterImage: {
      const int m = b[p], x = b[p + 1] + 256 * b[p + 2], y = b[p + 3] + 256 * b[p + 4];
      e.params = RasterParams(b.subspan(p));
      const int mode = m >= '0' ? m - '0' : m;
      if (mode < 0 || mode > 3) {
        malformed("no such mode; " + Dec(x * y) + " data bytes skipped");
        break;
      }
      if (x == 0 || y == 0) {
        e.note = "empty image, nothing printed";
        break;
      }
      const int cut = renderer_.PrintRaster(x, y, mode, b.subspan(p + 5));
      e.note = "image " + Dec(x * 8) + "x" + Dec(y) + " dots, " + Dec(x * y) + " data bytes";
      if (cut > 0) e.note += ", " + Dec(cut) + " dots beyond the paper cut off";
      break;
    }
    case CommandId::kBarcode: {
      const std::uint8_t m = b[p];
      std::span<const std::uint8_t> data;
      if (m >= 65) {
        data = b.subspan(p + 2);
        e.params = "m=" + Hex(m) + " n=" + Dec(b[p + 1]) + " " + Quoted(data);
      } else {
        data = b.subspan(p + 1);
        if (!data.empty() && data.back() == 0) data = data.first(data.size() - 1);
        e.params = "m=" + Dec(m) + " " + Quoted(data);
      }
      Result<BarcodeSymbol> symbol = EncodeBarcode(m, data);
      if (!symbol) {
        const std::string name = BarcodeName(m);
        malformed((name.empty() ? "" : name + ": ") + symbol.status().message());
        break;
      }
      Result<int> module = renderer_.PrintBarcode(*symbol);
      if (!module) {
        malformed(symbol->name + " " + module.status().message());
        break;
      }
      e.note = symbol->name + " \"" + symbol->text + "\", module " + Dec(*module) + " dots";
      break;
    }
    case CommandId::kBarcodeHeight:
      e.params = "n=" + Dec(n);
      if (n == 0) {
        malformed("height 0");
        break;
      }
      renderer_.barcode().height = n;
      e.note = "barcode height " + Dec(n) + " dots";
      break;
    case CommandId::kBarcodeWidth:
      e.params = "n=" + Dec(n);
      if (n < 2 || n > 6) {
        malformed("module width outside 2..6");
        break;
      }
      renderer_.barcode().module = n;
      e.note = "barcode module " + Dec(n) + " dots";
      break;
    case CommandId::kBarcodeText:
      e.params = "n=" + Dec(n);
      renderer_.barcode().text_position = n & 3;
      e.note = "barcode text position " + Dec(n & 3);
      break;
    case CommandId::kStatusRequest: {
      e.params = "n=" + Dec(n);
      if (n < 1 || n > 4) {
        malformed("no such status request");
        break;
      }
      const auto& reply_to = src == Source::kTcp ? on_tcp_reply : on_serial_reply;
      if (src != Source::kSerial && src != Source::kTcp) {
        e.note = "no reply channel on this interface";
        break;
      }
      const std::optional<std::uint8_t> reply = status_.AnswerRequest(n);
      if (reply) {
        ++replies_sent_;
        e.note = "status " + Dec(n) + " answered " + Hex(*reply);
        Log(std::move(e));
        if (reply_to) reply_to(*reply);
        return;
      }
      e.note = "status " + Dec(n) + " NOT answered (silent)";
      break;
    }
    case CommandId::kStoreSettings:
      stored_ = t;
      e.note = "text settings stored: " + stored_.Describe();
      break;
    case CommandId::kSelfTest:
      e.note = "self test";
      Log(std::move(e));
      SelfTest(src);
      return;
  }
  Log(std::move(e));
}

void Printer::SelfTest(Source src) {
  ++self_tests_;
  if (TicketInProgress()) EndTicket(src, "self test starts");
  // The test page is printed with the stored settings' layout in a plain font, then the
  // settings in force come back.
  const TextSettings in_force = renderer_.text();
  TextSettings& t = renderer_.text();
  t = TextSettings{};
  auto line = [&](const std::string& s) {
    for (char c : s) renderer_.PutChar(CodePageToUnicode(static_cast<std::uint8_t>(c)));
    renderer_.LineFeed();
  };
  t.width_mul = 2;
  t.height_mul = 2;
  line("SELF TEST");
  t.width_mul = t.height_mul = 1;
  line("qw77 virtual thermal printer");
  line("Paper " + std::string(options_.paper.printable_dots == 576 ? "80" : "60") + " mm, " +
       Dec(options_.paper.printable_dots) + " dots, 8 dots/mm");
  line("Status: " + status_.conditions().Describe());
  renderer_.Feed(12);
  line("Stored text settings:");
  line(std::string(" Font ") + (stored_.font ? "B (8x16)" : "A (12x24)"));
  line(" Size " + Dec(stored_.width_mul) + "x" + Dec(stored_.height_mul));
  line(" Line spacing " + Dec(stored_.line_spacing) + " dots");
  line(" Char spacing " + Dec(stored_.char_spacing) + " dots");
  line(" Left margin " + Dec(stored_.left_margin) + " dots");
  line(" Density " + Dec(stored_.density));
  line(" Speed " + Dec(stored_.speed_mm_s) + " mm/s");
  renderer_.Feed(12);
  for (int font = 0; font < 2; ++font) {
    t.font = font;
    for (int c = 0x20; c < 0x7F; ++c) renderer_.PutChar(static_cast<char32_t>(c));
    renderer_.LineFeed();
  }
  renderer_.Feed(120);
  renderer_.text() = in_force;
  EndTicket(src, "self test page", "-selftest");
}

}  // namespace qw77::vprinter
