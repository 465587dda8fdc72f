// Barcodes as the printer draws them: the data of a GS k command checked the way the
// printer checks it, then encoded into a row of bars.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "vprinter/paper/Status.h"

namespace qw77::vprinter {

struct BarcodeSymbol {
  std::string name;           // "EAN-13", "CODE-39", ...
  std::string text;           // the data as a scanner reads it back (check digit included)
  std::vector<bool> modules;  // one entry per module, true for a bar, quiet zones excluded
  std::string remark;         // "" or what the printer changed ("check digit 3 sent, 5 printed")
};

// `m` is the symbology byte of GS k; `data` the bytes after it (the count byte excluded).
// Fails with kFormat and a reason when the printer would refuse the data.
Result<BarcodeSymbol> EncodeBarcode(std::uint8_t m, std::span<const std::uint8_t> data);

// The name of a symbology byte, or "" for one this printer lacks.
std::string BarcodeName(std::uint8_t m);

}  // namespace qw77::vprinter
