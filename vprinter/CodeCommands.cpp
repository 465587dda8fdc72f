// Barcodes and two-dimensional codes.
#include "vprinter/LogText.h"
#include "vprinter/Printer.h"

namespace qw77::vprinter {

using namespace log_text;

void Printer::CodeCommand(Command& c) {
  const std::uint8_t n = c.n();
  switch (c.def.id) {
    case CommandId::kBarcode: {
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
        break;
      }
      Result<int> module = renderer_.PrintBarcode(*symbol);
      if (!module) {
        c.Malformed(symbol->name + " " + module.status().message());
        break;
      }
      c.entry.note = symbol->name + " \"" + symbol->text + "\", module " + Dec(*module) + " dots";
      break;
    }
    case CommandId::kBarcodeHeight:
      c.entry.params = "n=" + Dec(n);
      if (n == 0) {
        c.Malformed("height 0");
        break;
      }
      renderer_.barcode().height = n;
      c.entry.note = "barcode height " + Dec(n) + " dots";
      break;
    case CommandId::kBarcodeWidth:
      c.entry.params = "n=" + Dec(n);
      if (n < 2 || n > 6) {
        c.Malformed("module width outside 2..6");
        break;
      }
      renderer_.barcode().module = n;
      c.entry.note = "barcode module " + Dec(n) + " dots";
      break;
    case CommandId::kBarcodeText:
      c.entry.params = "n=" + Dec(n);
      renderer_.barcode().text_position = n & 3;
      c.entry.note = "barcode text position " + Dec(n & 3);
      break;
    default:
      c.entry.note = "understood, not carried out yet";
      break;
  }
}

}  // namespace qw77::vprinter
