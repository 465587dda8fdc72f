// UTF-8 decoding, one character at a time.
#pragma once

#include <cstddef>
#include <string_view>

namespace qw77 {

// The code point of the character at `i`, advancing `i` past it; kMalformedUtf8 (and `i`
// one byte on) where the bytes there are not well-formed: a stray continuation byte, a
// truncated sequence, an overlong form, a surrogate or a value beyond 10FFFFh.
inline constexpr char32_t kMalformedUtf8 = 0xFFFFFFFFu;
char32_t DecodeUtf8(std::string_view text, std::size_t& i);

}  // namespace qw77
