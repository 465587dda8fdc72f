// The ticket's barcode: the block that prints it (GS k). The printer computes check digits and
// draws start and stop patterns itself; we send the operator's characters, and only the numeric
// CODE-128 set C packs them into pairs.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace qw77 {

// List indexes of Combo1.
inline constexpr int kBarcodeEan13 = 0;
inline constexpr int kBarcodeCode39 = 1;
inline constexpr int kBarcodeItf = 2;
inline constexpr int kBarcodeCode128C = 3;

// The longest TxtBarCode text for a barcode type; 0 for an index outside the list.
int BarcodeMaxLength(int type_index);

// Appends GS k for the given Combo1 index and TxtBarCode text (UTF-8). Lengths and check
// digits are not validated: a short or empty text is sent with its real count. Fails with
// kInvalidArgument when no type is chosen (index outside 0..3), when the text is longer than
// the one-byte count can say, or when CODE-128 set C data holds anything but digits (its
// pairs would otherwise become meaningless bytes).
Status AppendBarcodeBlock(std::vector<std::uint8_t>& out, int type_index, std::string_view text);

// The value 0..99 of the k-th code set C pair (k from 0). An even-length text pairs from its
// start; an odd-length text sends its first digit alone and pairs from the second digit on.
// A digit's value is its character code minus 48; a position past the end reads as 0.
std::int16_t DigitPairValue(std::string_view text, std::int16_t k);

}  // namespace qw77
