#include "base/Numbers.h"

#include "base/CLocaleNumber.h"

#include <cmath>
#include <string>

namespace qw77 {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of `text` (sign, digits, fraction, exponent),
// 0 when none starts there.
std::size_t NumberLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // An exponent counts only when digits follow it ("2e" is the number 2 and a letter).
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  return i;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void SplitLowHigh(std::int16_t value, std::int16_t& low, std::int16_t& high) {
  high = static_cast<std::int16_t>(value / 256);  // C++ division truncates toward zero
  low = static_cast<std::int16_t>(value - 256 * high);
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction < 0.5) return floor;
  if (fraction > 0.5) return floor + 1;
  return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

bool ParseDecimal(std::string_view text, double& value) {
  text = TrimBlanks(text);
  if (text.empty() || NumberLength(text) != text.size()) return false;
  value = CLocaleToDouble(text);
  return std::isfinite(value);
}

double LeadingNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  const std::size_t length = NumberLength(text);
  if (length == 0) return 0;
  // An overflow stays infinite, so the range checks refuse it.
  return CLocaleToDouble(text.substr(0, length));
}

}  // namespace qw77
