// Barcodes and two-dimensional codes.
#include <algorithm>

#include "vprinter/printer/LogText.h"
#include "vprinter/printer/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

namespace {

const char* TextPositionName(int position) {
  switch (position) {
    case 0:
      return "not printed";
    case 1:
      return "above the bars";
    case 2:
      return "below the bars";
    default:
      return "above and below the bars";
  }
}

// Stored data can run to kilobytes; the log shows its start and its size.
std::string QuotedData(std::span<const std::uint8_t> data) {
  constexpr std::size_t kShown = 48;
  if (data.size() <= kShown) return Quoted(data);
  return Quoted(data.first(kShown)) + " ... (" + Dec(static_cast<int>(data.size())) + " bytes)";
}

// The symbol types of GS ( k this printer knows by name but does not draw.
std::string SymbolTypeName(int cn) {
  switch (cn) {
    case 50:
      return "MaxiCode";
    case 51:
      return "GS1 DataBar";
    case 52:
      return "composite symbol";
    case 53:
      return "Aztec code";
    case 54:
      return "DataMatrix";
    default:
      return "symbol type " + Dec(cn);
  }
}

}  // namespace

void Printer::OnBarcode(Command& c) {
  const std::uint8_t m = c.params[0];
  std::span<const std::uint8_t> data;
  if (m >= 65) {
    data = c.params.subspan(2);
    c.entry.params = "m=" + Hex(m) + " n=" + Dec(c.params[1]) + " " + Quoted(data);
  } else {
    data = c.params.subspan(1);
    if (!data.empty() && data.back() == 0) data = data.first(data.size() - 1);
    c.entry.params = "m=" + Dec(m) + " " + Quoted(data);
  }
  Result<BarcodeSymbol> symbol = EncodeBarcode(m, data);
  if (!symbol) {
    const std::string name = BarcodeName(m);
    c.Malformed((name.empty() ? "" : name + ": ") + symbol.status().message());
    return;
  }
  Result<int> module = renderer_.PrintBarcode(*symbol);
  if (!module) {
    c.Malformed(symbol->name + " " + module.status().message());
    return;
  }
  c.entry.note = symbol->name + " \"" + symbol->text + "\", module " + Dec(*module) + " dots";
  if (!symbol->remark.empty()) c.entry.note += "; " + symbol->remark;
}

void Printer::OnBarcodeHeight(Command& c) {
  const std::uint8_t n = c.n();
  BarcodeSettings& b = renderer_.barcode();
  c.entry.params = "n=" + Dec(n);
  b.height = n == 0 ? BarcodeSettings{}.height : n;
  c.entry.note =
      n == 0 ? "barcode height 0 is outside 1..255; " + Dec(b.height) + " (the default) used"
             : "barcode height " + Dec(n) + " dots";
}

void Printer::OnBarcodeWidth(Command& c) {
  const std::uint8_t n = c.n();
  BarcodeSettings& b = renderer_.barcode();
  // Printers differ on 1; a width outside 2..6 is drawn with the nearest one (0 with
  // the default), as libraries that send 0 for "the default" expect.
  c.entry.params = "n=" + Dec(n);
  b.module = n == 0 ? BarcodeSettings{}.module : std::clamp<int>(n, 2, 6);
  c.entry.note = "barcode module " + Dec(b.module) + " dots";
  if (b.module != n) {
    c.entry.note = "module width " + Dec(n) + " is outside 2..6; " + Dec(b.module) + " used";
  }
}

void Printer::OnBarcodeText(Command& c) {
  const std::uint8_t n = c.n();
  BarcodeSettings& b = renderer_.barcode();
  c.entry.params = "n=" + Dec(n);
  if (n > 3 && (n < 48 || n > 51)) {
    c.Malformed("no such HRI text position");
    return;
  }
  b.text_position = n & 3;
  c.entry.note = std::string("HRI text ") + TextPositionName(b.text_position);
}

void Printer::OnBarcodeFont(Command& c) {
  const std::uint8_t n = c.n();
  BarcodeSettings& b = renderer_.barcode();
  c.entry.params = "n=" + Dec(n);
  b.text_font = n == 1 || n == 49 ? 1 : 0;
  c.entry.note = std::string("HRI text in font ") + (b.text_font ? "B" : "A");
  if (n != 0 && n != 1 && n != 48 && n != 49) {
    c.entry.note = "HRI font " + Dec(n) + " does not exist; font A used";
  }
}

// GS ( k pL pH cn fn ...: cn 49 QR code, cn 48 PDF417; the settings and the stored data
// stay until they are replaced or the printer is reset.
void Printer::OnSymbol(Command& c) {
  c.entry.params = "pL=" + Dec(c.params[0]) + " pH=" + Dec(c.params[1]);
  const auto body = c.params.subspan(2);
  if (body.size() < 2) {
    c.Malformed("needs a symbol type and a function");
    return;
  }
  const int cn = body[0], fn = body[1];
  const auto args = body.subspan(2);
  c.entry.params += " cn=" + Dec(cn) + " fn=" + Dec(fn);
  if (cn != 48 && cn != 49) {
    if (!args.empty()) c.entry.params += " " + HexBytes(args);
    c.entry.note = SymbolTypeName(cn) + " not supported by this printer; passed over";
    return;
  }
  const bool qr = cn == 49;
  if (!SymbolArgumentsFit(c, qr, fn, args)) return;
  const int a = args[0];
  if (fn == 80 || fn == 81 || fn == 82) {
    c.entry.params += " m=" + Dec(a);
    if (a != 48) {
      c.Malformed("m must be 48");
      return;
    }
  }
  if (fn == 80) {
    StoreSymbolData(c, qr, args.subspan(1));
  } else if (fn == 81) {
    PrintSymbol(c, qr);
  } else if (fn == 82) {
    c.entry.note =
        std::string(qr ? "QR code" : "PDF417") + " size information is not sent by this printer";
  } else if (qr) {
    QrSetting(c, fn, args);
  } else {
    Pdf417Setting(c, fn, args);
  }
}

// Whether the function is known and has the parameter bytes it takes (all of them fixed
// but for the stored data); logs why not.
bool Printer::SymbolArgumentsFit(Command& c, bool qr, int fn, std::span<const std::uint8_t> args) {
  const std::string name = qr ? "QR code" : "PDF417";
  const bool known =
      (fn >= 80 && fn <= 82) || (qr ? fn == 65 || fn == 67 || fn == 69 : fn >= 65 && fn <= 70);
  if (!known) {
    if (!args.empty()) c.entry.params += " " + HexBytes(args);
    c.Malformed("no such " + name + " function");
    return false;
  }
  const std::size_t want = fn == 80 ? std::max<std::size_t>(args.size(), 1)
                           : (fn == 65 && qr) || (fn == 69 && !qr) ? 2
                                                                   : 1;
  if (args.size() != want) {
    if (!args.empty()) c.entry.params += " " + HexBytes(args);
    c.Malformed(name + " function " + Dec(fn) + " takes " + Dec(static_cast<int>(want)) +
                (want == 1 ? " parameter byte, got " : " parameter bytes, got ") +
                Dec(static_cast<int>(args.size())));
    return false;
  }
  return true;
}

Result<EncodedSymbol> Printer::EncodeSymbol(bool qr) const {
  return qr ? EncodeQr(symbols_.qr) : EncodePdf417(symbols_.pdf417);
}

void Printer::StoreSymbolData(Command& c, bool qr, std::span<const std::uint8_t> data) {
  const std::string name = qr ? "QR code" : "PDF417";
  QrSettings& q = symbols_.qr;
  Pdf417Settings& p = symbols_.pdf417;
  c.entry.params += " " + QuotedData(data);
  // The data replaces what was stored only if the symbol can hold it as set now.
  std::vector<std::uint8_t>& slot = qr ? q.data : p.data;
  std::vector<std::uint8_t> old = std::move(slot);
  slot.assign(data.begin(), data.end());
  Result<EncodedSymbol> trial = EncodeSymbol(qr);
  if (!trial) {
    slot = std::move(old);
    c.Malformed(name + " cannot hold this data: " + trial.status().message());
    return;
  }
  (qr ? q.stored : p.stored) = true;
  c.entry.note = name + " data stored, " + Dec(static_cast<int>(data.size())) + " bytes";
}

void Printer::PrintSymbol(Command& c, bool qr) {
  const std::string name = qr ? "QR code" : "PDF417";
  const QrSettings& q = symbols_.qr;
  const Pdf417Settings& p = symbols_.pdf417;
  if (!(qr ? q.stored : p.stored)) {
    c.entry.note = "no " + name + " data stored; nothing printed";
    return;
  }
  Result<EncodedSymbol> symbol = EncodeSymbol(qr);
  if (!symbol) {
    c.Malformed(name + " cannot be encoded: " + symbol.status().message());
    return;
  }
  const int scale_x = qr ? q.module_dots : p.module_dots;
  const int scale_y = qr ? q.module_dots : p.module_dots * p.row_height;
  const int width = symbol->modules.width * scale_x;
  const int room = renderer_.paper().printable_dots - renderer_.text().left_margin;
  if (width > room) {
    c.Malformed(symbol->Describe() + " is " + Dec(width) + " dots wide, too wide for the " +
                Dec(room) + " dots of paper");
    return;
  }
  renderer_.PrintBitmap(symbol->modules, scale_x, scale_y);
  c.entry.note =
      symbol->Describe() + (qr ? ", " + Dec(scale_x) + " dots each"
                               : ", module " + Dec(scale_x) + "x" + Dec(scale_y) + " dots");
}

void Printer::QrSetting(Command& c, int fn, std::span<const std::uint8_t> args) {
  QrSettings& q = symbols_.qr;
  const int a = args[0];
  switch (fn) {
    case 65:
      c.entry.params += " n1=" + Dec(a) + " n2=" + Dec(args[1]);
      if (a < 49 || a > 51) {
        c.Malformed("no such QR code model");
        return;
      }
      c.entry.note = a == 50 ? "QR code model 2"
                             : std::string(a == 49 ? "model 1" : "Micro QR code") +
                                   " asked; QR code model 2 drawn";
      return;
    case 67:
      c.entry.params += " n=" + Dec(a);
      q.module_dots = std::clamp(a, 1, 16);
      c.entry.note = "QR code module " + Dec(q.module_dots) + " dots";
      if (q.module_dots != a) {
        c.entry.note =
            "QR code module size " + Dec(a) + " is outside 1..16; " + Dec(q.module_dots) + " used";
      }
      return;
    case 69:
      c.entry.params += " n=" + Dec(a);
      if (a < 48 || a > 51) {
        c.Malformed("no such error correction level");
        return;
      }
      q.level = "LMQH"[a - 48];
      c.entry.note = std::string("QR code error correction ") + q.level;
      return;
    default:
      c.entry.params += " " + HexBytes(args);
      c.Malformed("no such QR code function");
      return;
  }
}

void Printer::Pdf417Setting(Command& c, int fn, std::span<const std::uint8_t> args) {
  Pdf417Settings& p = symbols_.pdf417;
  const int a = args[0];
  // PDF417: each setting within its range, else the command is refused as printers do.
  auto set = [&](int& field, int value, bool ok, const std::string& what) {
    if (!ok) {
      c.Malformed("PDF417 " + what + " " + Dec(value) + " is out of range");
      return;
    }
    field = value;
    c.entry.note = "PDF417 " + what + " " + (value == 0 ? "chosen by the printer" : Dec(value));
  };
  switch (fn) {
    case 65:
      c.entry.params += " n=" + Dec(a);
      set(p.columns, a, a <= 30, "columns");
      return;
    case 66:
      c.entry.params += " n=" + Dec(a);
      set(p.rows, a, a == 0 || (a >= 3 && a <= 90), "rows");
      return;
    case 67:
      c.entry.params += " n=" + Dec(a);
      set(p.module_dots, a, a >= 2 && a <= 8, "module width");
      return;
    case 68:
      c.entry.params += " n=" + Dec(a);
      set(p.row_height, a, a >= 2 && a <= 8, "row height");
      return;
    case 69: {
      const int level = args[1];
      c.entry.params += " m=" + Dec(a) + " n=" + Dec(level);
      if (a == 48 && level >= 48 && level <= 56) {
        p.level = level - 48;
        c.entry.note = "PDF417 error correction level " + Dec(p.level);
      } else if (a == 49 && level >= 1 && level <= 40) {
        // A share of the data rather than a level: the encoder picks the level that
        // suits the data's size.
        p.level = -1;
        c.entry.note = "PDF417 error correction " + Dec(level * 10) +
                       "% of the data asked; level chosen by the data's size";
      } else {
        c.Malformed("no such PDF417 error correction setting");
      }
      return;
    }
    case 70:
      c.entry.params += " n=" + Dec(a);
      if (a > 1) {
        c.Malformed("no such PDF417 option");
        return;
      }
      p.truncated = a == 1;
      c.entry.note = p.truncated ? "PDF417 truncated" : "PDF417 standard";
      return;
    default:
      c.entry.params += " " + HexBytes(args);
      c.Malformed("no such PDF417 function");
      return;
  }
}

}  // namespace qw77::vprinter
