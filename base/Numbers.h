// Numbers as the window's text boxes hold them, and the printer's two-byte parameters.
#pragma once

#include <cstdint>
#include <string_view>

namespace qw77 {

// Splits a 16-bit value into the printer's low/high parameter pair: low = value minus 256
// times the quotient, high = value / 256 truncated toward zero (for 0..32767 the usual low
// and high bytes; for a negative value both carry its sign).
void SplitLowHigh(std::int16_t value, std::int16_t& low, std::int16_t& high);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The whole text as a decimal number: blanks around it, an optional sign, digits with an
// optional fraction and an optional exponent. False (value untouched) for anything else.
bool ParseDecimal(std::string_view text, double& value);

// The longest decimal number that starts the text after leading blanks; 0 when none does
// ("12abc" -> 12, "abc" -> 0, " 2.5x" -> 2.5).
double LeadingNumber(std::string_view text);

}  // namespace qw77
