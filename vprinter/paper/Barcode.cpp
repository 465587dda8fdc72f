#include "vprinter/paper/Barcode.h"

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

// What the printer makes of the data: the text to encode, and the check digit it prints
// when one was sent that does not match.
struct Checked {
  std::string text;
  std::string remark;
};

// CODE-128 code sets are chosen in the data: "{A", "{B" or "{C" first; in set C every byte
// is a pair of digits 00..99; "{{" is a brace, "{S" takes the next byte from the other of
// sets A and B and "{4" (FNC4) the next byte from the upper half of the character set.
// Returns the characters a scanner reads; the library picks the code sets again, which
// gives the same characters.
Result<Checked> Code128Data(const std::string& s) {
  if (s.size() < 2 || s[0] != '{' || (s[1] != 'A' && s[1] != 'B' && s[1] != 'C')) {
    return Refuse("CODE-128 data must begin with {A, {B or {C");
  }
  std::string out;
  char set = s[1];
  for (std::size_t i = 2; i < s.size(); ++i) {
    auto b = static_cast<std::uint8_t>(s[i]);
    if (b == '{') {
      if (i + 1 >= s.size()) return Refuse("CODE-128 data ends in a lone {");
      const char next = s[++i];
      if (next == 'A' || next == 'B' || next == 'C') {
        set = next;
        continue;
      }
      if (next == '{' && set != 'C') {
        out += '{';
        continue;
      }
      if ((next == 'S' || next == '4') && set != 'C') {
        if (i + 1 >= s.size()) return Refuse(std::string("CODE-128 data ends in {") + next);
        b = static_cast<std::uint8_t>(s[++i]);
        out += static_cast<char>(next == '4' ? (b | 0x80) : b);
        continue;
      }
      if (next >= '1' && next <= '3') {
        return Refuse(std::string("CODE-128 function {") + next + " (FNC" + next +
                      ") not supported");
      }
      return Refuse("CODE-128 {" + std::string(1, next) + " not allowed in code set " + set);
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
  return Checked{out, ""};
}

// The UPC-A number (number system and ten digits) a UPC-E symbol stands for.
std::string ExpandUpcE(char system, const std::string& e) {
  const std::string d = e;
  switch (d[5]) {
    case '0':
    case '1':
    case '2':
      return system + d.substr(0, 2) + d[5] + "0000" + d.substr(2, 3);
    case '3':
      return system + d.substr(0, 3) + "00000" + d.substr(3, 2);
    case '4':
      return system + d.substr(0, 4) + "00000" + d[4];
    default:
      return system + d.substr(0, 5) + "0000" + d[5];
  }
}

// The six UPC-E digits of an 11-digit UPC-A number (check digit excluded), or "" when the
// number has no zero-suppressed form.
std::string CompressUpcA(const std::string& a) {
  const std::string m = a.substr(1, 5), p = a.substr(6, 5);
  std::string e;
  if (m[2] <= '2' && m.substr(3) == "00" && p.substr(0, 2) == "00") {
    e = m.substr(0, 2) + p.substr(2) + m[2];
  } else if (m.substr(3) == "00" && p.substr(0, 3) == "000") {
    e = m.substr(0, 3) + p.substr(3) + "3";
  } else if (m[4] == '0' && p.substr(0, 4) == "0000") {
    e = m.substr(0, 4) + p[4] + "4";
  } else if (p.substr(0, 4) == "0000" && p[4] >= '5') {
    e = m + p[4];
  }
  return !e.empty() && ExpandUpcE(a[0], e) == a ? e : "";
}

// A sent check digit is not trusted: the printer works out its own, and says when the two
// differ, since a scanner would otherwise read a number other than the one sent.
std::string CheckDigitRemark(const std::string& digits, char sent) {
  const char right = CheckDigit(digits);
  if (sent == right) return "";
  return std::string("check digit ") + sent + " sent, " + right + " printed";
}

// The printer's own data rules, before anything is drawn.
Result<Checked> CheckData(const Kind& kind, std::span<const std::uint8_t> data) {
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
      const std::string digits = s.substr(0, n);
      return Checked{digits, s.size() > n ? CheckDigitRemark(digits, s[n]) : ""};
    }
    case 66: {
      // Six digits (number system 0), seven (number system first), eight (and the check
      // digit), or the UPC-A number of 11 or 12 digits, zero-suppressed by the printer.
      if (!AllDigits(s)) return Refuse("data must be digits");
      const std::size_t n = s.size();
      if (n != 6 && n != 7 && n != 8 && n != 11 && n != 12) {
        return Refuse("needs 6, 7, 8, 11 or 12 digits, got " + std::to_string(n));
      }
      if (n >= 7 && s[0] != '0' && s[0] != '1') return Refuse("number system must be 0 or 1");
      std::string six;
      if (n <= 8) {
        six = n == 6 ? s : s.substr(1, 6);
      } else {
        six = CompressUpcA(s.substr(0, 11));
        if (six.empty()) return Refuse("UPC-A number " + s.substr(0, 11) + " has no UPC-E form");
      }
      const char system = n == 6 ? '0' : s[0];
      const std::string upca = ExpandUpcE(system, six);
      std::string remark;
      if (n == 8 || n == 12) remark = CheckDigitRemark(upca, s.back());
      return Checked{system + six, remark};
    }
    case 69: {
      if (s.size() >= 2 && s.front() == '*' && s.back() == '*') s = s.substr(1, s.size() - 2);
      if (s.empty()) return Refuse("no data");
      const std::string allowed = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -.$/+%";
      if (s.find_first_not_of(allowed) != std::string::npos) {
        return Refuse("character outside CODE-39");
      }
      return Checked{s, ""};
    }
    case 70:
      if (s.empty() || !AllDigits(s)) return Refuse("data must be digits");
      if (s.size() % 2 != 0) return Refuse("ITF needs an even number of digits");
      return Checked{s, ""};
    case 71: {
      for (char& ch : s) {
        if (ch >= 'a' && ch <= 'd') ch = static_cast<char>(ch - 'a' + 'A');
      }
      auto start_stop = [](char ch) { return ch >= 'A' && ch <= 'D'; };
      if (s.size() < 3 || !start_stop(s.front()) || !start_stop(s.back())) {
        return Refuse("CODABAR data must begin and end with a start/stop character A..D");
      }
      if (s.substr(1, s.size() - 2).find_first_not_of("0123456789-$:/.+") != std::string::npos) {
        return Refuse("character outside CODABAR");
      }
      return Checked{s, ""};
    }
    case 73:
      return Code128Data(s);
    default:
      if (s.empty()) return Refuse("no data");
      return Checked{s, ""};
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
  Result<Checked> checked = CheckData(*kind, data);
  if (!checked) return checked.status();
  const std::string& text = checked->text;

  std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> sym(ZBarcode_Create(), ZBarcode_Delete);
  if (!sym) return Status{ErrorCode::kIo, "barcode library out of memory"};
  sym->symbology = kind->zint_type;
  sym->show_hrt = 0;
  sym->input_mode = DATA_MODE;
  const int rc = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(text.data()),
                                 static_cast<int>(text.size()));
  if (rc >= ZINT_ERROR) return Refuse(std::string("cannot encode: ") + sym->errtxt);
  if (sym->rows < 1 || sym->width < 1) return Refuse("encoded to nothing");
  BarcodeSymbol out;
  out.name = kind->name;
  out.text = text;
  out.remark = checked->remark;
  // The library's module row, one entry per module; a linear symbol has a single row.
  out.modules.resize(static_cast<std::size_t>(sym->width));
  for (int x = 0; x < sym->width; ++x) {
    out.modules[static_cast<std::size_t>(x)] = (sym->encoded_data[0][x >> 3] >> (x & 7)) & 1;
  }
  // What a scanner reads: EAN and UPC with the check digit the printer added; UPC-E's is
  // that of the UPC-A number it stands for.
  if (kind->m == 65 || kind->m == 67 || kind->m == 68) out.text += CheckDigit(text);
  if (kind->m == 66) out.text += CheckDigit(ExpandUpcE(text[0], text.substr(1)));
  return out;
}

}  // namespace qw77::vprinter
