// A decimal number read in the "C" locale: the decimal point stays a point whatever locale
// the front end has set. Each system's own file (picked by the build) reads it.
#pragma once

#include <string_view>

namespace qw77 {

// Reads a number already checked against the grammar of Numbers.cpp; overflow comes back
// as infinity (refused by every range check) and underflow as 0.
double CLocaleToDouble(std::string_view number);

}  // namespace qw77
