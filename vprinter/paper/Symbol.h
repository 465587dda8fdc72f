// Two-dimensional codes (QR code, PDF417) as the printer keeps and draws them: the settings
// and stored data of each, changed by GS ( k, and their encoding into a block of modules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vprinter/paper/Renderer.h"

namespace qw77::vprinter {

struct QrSettings {
  int module_dots = 3;  // 1..16
  char level = 'L';     // error correction L, M, Q or H
  bool stored = false;  // data has been stored since the last reset
  std::vector<std::uint8_t> data;
};

struct Pdf417Settings {
  int columns = 0;      // data columns 1..30, 0 chosen by the printer
  int rows = 0;         // 3..90, 0 chosen by the printer
  int module_dots = 3;  // module width 2..8
  int row_height = 3;   // in module widths, 2..8
  int level = 1;        // error correction level 0..8, -1 chosen from the data's size
  bool truncated = false;
  bool stored = false;
  std::vector<std::uint8_t> data;
};

// What GS ( k keeps until it is replaced or the printer is reset.
struct SymbolSettings {
  QrSettings qr;
  Pdf417Settings pdf417;
};

// An encoded symbol: one entry of `modules` per module, its quiet zone included.
struct EncodedSymbol {
  std::string kind;  // "QR code version 3", "PDF417"
  Bitmap modules;
  int symbol_rows = 0;     // without the quiet zone
  int symbol_columns = 0;  // modules across (QR), data columns (PDF417)
  // "QR code version 3, 29x29 modules", "PDF417, 4 columns x 12 rows"
  std::string Describe() const;
};

// Fail with kFormat and the library's reason when the data cannot be encoded so.
Result<EncodedSymbol> EncodeQr(const QrSettings& qr);
Result<EncodedSymbol> EncodePdf417(const Pdf417Settings& pdf);

}  // namespace qw77::vprinter
