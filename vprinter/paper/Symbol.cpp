#include "vprinter/paper/Symbol.h"

#include <zint.h>

#include <memory>

namespace qw77::vprinter {
namespace {

// Scanners find a symbol only with blank space round it: four modules for a QR code, two
// for PDF417 (one row above and below, each at least two modules tall).
constexpr int kQrQuiet = 4;
constexpr int kPdfQuietColumns = 2;

using SymbolPtr = std::unique_ptr<zint_symbol, void (*)(zint_symbol*)>;

Result<SymbolPtr> Encode(int type, int option_1, int option_2, int option_3,
                         const std::vector<std::uint8_t>& data) {
  SymbolPtr sym(ZBarcode_Create(), ZBarcode_Delete);
  if (!sym) return Status{ErrorCode::kIo, "barcode library out of memory"};
  sym->symbology = type;
  sym->input_mode = DATA_MODE;
  sym->option_1 = option_1;
  sym->option_2 = option_2;
  sym->option_3 = option_3;
  const int rc = ZBarcode_Encode(sym.get(), data.data(), static_cast<int>(data.size()));
  if (rc >= ZINT_ERROR) return Status{ErrorCode::kFormat, sym->errtxt};
  if (sym->rows < 1 || sym->width < 1) return Status{ErrorCode::kFormat, "encoded to nothing"};
  return sym;
}

// The library's modules, `quiet_x` blank modules either side and `quiet_y` blank rows
// above and below.
Bitmap Modules(const zint_symbol& sym, int quiet_x, int quiet_y) {
  Bitmap b;
  b.width = sym.width + 2 * quiet_x;
  b.height = sym.rows + 2 * quiet_y;
  b.dots.assign(static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height), 0);
  for (int y = 0; y < sym.rows; ++y) {
    for (int x = 0; x < sym.width; ++x) {
      const bool set = (sym.encoded_data[y][x >> 3] >> (x & 7)) & 1;
      b.dots[static_cast<std::size_t>(y + quiet_y) * static_cast<std::size_t>(b.width) +
             static_cast<std::size_t>(x + quiet_x)] = set ? 1 : 0;
    }
  }
  return b;
}

}  // namespace

std::string EncodedSymbol::Describe() const {
  if (kind.rfind("QR", 0) == 0) {
    return kind + ", " + std::to_string(symbol_columns) + "x" + std::to_string(symbol_rows) +
           " modules";
  }
  return kind + ", " + std::to_string(symbol_columns) + " columns x " +
         std::to_string(symbol_rows) + " rows";
}

Result<EncodedSymbol> EncodeQr(const QrSettings& qr) {
  if (qr.data.empty()) return Status{ErrorCode::kFormat, "no data"};
  const int level = qr.level == 'L' ? 1 : qr.level == 'M' ? 2 : qr.level == 'Q' ? 3 : 4;
  Result<SymbolPtr> sym = Encode(BARCODE_QRCODE, level, 0, 0, qr.data);
  if (!sym) return sym.status();
  EncodedSymbol out;
  out.modules = Modules(**sym, kQrQuiet, kQrQuiet);
  out.symbol_rows = (*sym)->rows;
  out.symbol_columns = (*sym)->width;
  out.kind = "QR code version " + std::to_string(((*sym)->width - 17) / 4);
  return out;
}

Result<EncodedSymbol> EncodePdf417(const Pdf417Settings& pdf) {
  if (pdf.data.empty()) return Status{ErrorCode::kFormat, "no data"};
  Result<SymbolPtr> sym = Encode(pdf.truncated ? BARCODE_PDF417COMP : BARCODE_PDF417, pdf.level,
                                 pdf.columns, pdf.rows, pdf.data);
  if (!sym) return sym.status();
  EncodedSymbol out;
  out.modules = Modules(**sym, kPdfQuietColumns, 1);
  out.symbol_rows = (*sym)->rows;
  // Start and stop patterns and the two row indicators take 69 modules (35 truncated);
  // each data column 17.
  out.symbol_columns = ((*sym)->width - (pdf.truncated ? 35 : 69)) / 17;
  out.kind = pdf.truncated ? "truncated PDF417" : "PDF417";
  return out;
}

}  // namespace qw77::vprinter
