#include "vprinter/Barcode.h"

#include <zint.h>

#include <algorithm>
#include <memory>

namespace qw77::vprinter {
namespace {

struct Kind {
  std::uint8_t old_m;  // the NUL-terminated form
  std::uint8_t m;      // the counted form
  int zint_type;
  const char* name;
};

constexpr Kind kKinds[] = {
    {0, 65, BARCODE_UPCA, "UPC-A"},         {1, 66, BARCODE_UPCE, "UPC-E"},
    {2, 67, BARCODE_EANX, "EAN-13"},        {3, 68, BARCODE_EANX, "EAN-8"},
    {4, 69, BARCODE_CODE39, "CODE-39"},     {5, 70, BARCODE_C25INTER, "ITF"},
    {6, 71, BARCODE_CODABAR, "CODABAR"},    {255, 72, BARCODE_CODE93, "CODE-93"},
    {255, 73, BARCODE_CODE128, "CODE-128"},
};

const Kind* Find(std::uint8_t m) {
  for (const Kind& k : kKinds) {
    if (k.m == m || k.old_m == m) return &k;
  }
  return nullptr;
}

bool AllDigits(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The EAN/UPC check digit: weights 3 and 1 alternating from the rightmost digit.
char CheckDigit(const std::string& digits) {
  int sum = 0;
  int weight = 3;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

Status Refuse(const std::string& why) {
  return {ErrorCode::kFormat, why};
}

// The printer's own data rules, before anything is drawn. Returns the text to encode.
Result<std::string> CheckData(const Kind& kind, std::span<const std::uint8_t> data) {
  std::string s(data.begin(), data.end());
  switch (kind.m) {
    case 65:
    case 67:
    case 68: {
      const std::size_t n = kind.m == 65 ? 11 : kind.m == 67 ? 12 : 7;
      if (!AllDigits(s)) return Refuse("data must be digits");
      if (s.size() != n && s.size() != n + 1) {
        return Refuse("needs " + std::to_string(n) + " or " + std::to_string(n + 1) +
                      " digits, got " + std::to_string(s.size()));
      }
      // The printer works out the check digit itself; one that was sent is not trusted.
      return s.substr(0, n);
    }
    case 66:
      if (!AllDigits(s) || s.size() < 6 || s.size() > 12) return Refuse("bad UPC-E data");
      return s;
    case 69: {
      if (s.size() >= 2 && s.front() == '*' && s.back() == '*') s = s.substr(1, s.size() - 2);
      if (s.empty()) return Refuse("no data");
      const std::string allowed = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -.$/+%";
      if (s.find_first_not_of(allowed) != std::string::npos) {
        return Refuse("character outside CODE-39");
      }
      return s;
    }
    case 70:
      if (s.empty() || !AllDigits(s)) return Refuse("data must be digits");
      if (s.size() % 2 != 0) return Refuse("ITF needs an even number of digits");
      return s;
    case 73: {
      // Code sets are chosen in the data: "{A", "{B" or "{C" first; in set C every byte is
      // a pair of digits 00..99; "{{" is a brace in sets A and B.
      if (s.size() < 2 || s[0] != '{' || (s[1] != 'A' && s[1] != 'B' && s[1] != 'C')) {
        return Refuse("CODE-128 data must begin with {A, {B or {C");
      }
      std::string out;
      char set = s[1];
      for (std::size_t i = 2; i < s.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if (b == '{') {
          if (i + 1 >= s.size()) return Refuse("CODE-128 data ends in a lone {");
          const char next = s[++i];
          if (next == 'A' || next == 'B' || next == 'C') {
            set = next;
          } else if (next == '{' && set != 'C') {
            out += '{';
          } else {
            return Refuse("CODE-128 function {" + std::string(1, next) + " not supported");
          }
          continue;
        }
        if (set == 'C') {
          if (b > 99) return Refuse("CODE-128 set C value above 99");
          out += static_cast<char>('0' + b / 10);
          out += static_cast<char>('0' + b % 10);
        } else {
          out += static_cast<char>(b);
        }
      }
      if (out.empty()) return Refuse("no data");
      return out;
    }
    default:
      if (s.empty()) return Refuse("no data");
      return s;
  }
}

}  // namespace

std::string BarcodeName(std::uint8_t m) {
  const Kind* k = Find(m);
  return k ? k->name : "";
}

Result<BarcodeSymbol> EncodeBarcode(std::uint8_t m, std::span<const std::uint8_t> data) {
  const Kind* kind = Find(m);
  if (!kind) return Refuse("unknown symbology");
  Result<std::string> text = CheckData(*kind, data);
  if (!text) return text.status();

  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> sym(ZBarcode_Create(), ZBarcode_Delete);
  if (!sym) return Status{ErrorCode::kIo, "barcode library out of memory"};
  sym->symbology = kind->zint_type;
  sym->show_hrt = 0;
  sym->scale = 0.5f;  // one pixel per module: the module width is applied when drawing
  sym->input_mode = DATA_MODE;
  const int rc = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(text->data()),
                                 static_cast<int>(text->size()));
  if (rc >= ZINT_ERROR) return Refuse(std::string("cannot encode: ") + sym->errtxt);
  if (ZBarcode_Buffer(sym.get(), 0) >= ZINT_ERROR) {
    return Refuse(std::string("cannot draw: ") + sym->errtxt);
  }
  BarcodeSymbol out;
  out.name = kind->name;
  out.text = *text;
  // Take the row through the middle of the bars, clear of any guard-bar extension.
  const int w = sym->bitmap_width;
  const int y = sym->bitmap_height / 3;
  int first = w, last = -1;
  std::vector<bool> row(static_cast<std::size_t>(w));
  for (int x = 0; x < w; ++x) {
    const unsigned char* px = sym->bitmap + 3 * (static_cast<std::size_t>(y) * w + x);
    const bool bar = px[0] < 128;
    row[static_cast<std::size_t>(x)] = bar;
    if (bar) first = std::min(first, x), last = std::max(last, x);
  }
  if (last < first) return Refuse("encoded to nothing");
  out.modules.assign(row.begin() + first, row.begin() + last + 1);
  // What a scanner reads: EAN and UPC with the check digit the printer added.
  if (kind->m == 65 || kind->m == 67 || kind->m == 68) out.text += CheckDigit(*text);
  return out;
}

}  // namespace qw77::vprinter
