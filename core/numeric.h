// The few ways this program reads numbers out of text, written once.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace omb {

// The leading number of a text: leading blanks skipped, then the longest
// prefix of the form [+-]digits[.digits]; no number at all reads as 0.
// ("12ab" -> 12, " -3.5x" -> -3.5, "abc" -> 0, "" -> 0)
double leadingNumber(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double v);

// Half-to-even rounding into 16 or 32 signed bits; a result outside the
// range raises the overflow error.
std::int16_t toInt16(double v);
std::int32_t toInt32(double v);

// Reads digits of `radix` (10 or 16, upper or lower case) from the start of
// the text and stops at the first character that is not one: "1G" in
// hexadecimal reads 1, "G" reads 0.  A value beyond 32 bits raises the
// overflow error.
std::int32_t readRadix(std::string_view text, int radix);

// Number of bit-kind storage words for a number of points: points / 16,
// rounded half to even (1000 points -> 62 words, 1016 -> 64).
std::int32_t wordsForPoints(std::int64_t points);

// A whole decimal number from lo to hi and nothing else: no blanks, no
// sign but a leading '-', no point ("0042" reads 42).  Empty otherwise.
std::optional<std::int64_t> wholeNumber(std::string_view text, std::int64_t lo, std::int64_t hi);

// A word's value as a person types it: decimal -32768..65535 or
// hexadecimal 0x0..0xFFFF (0X too), read as its 16-bit pattern (65535 and
// 0xFFFF read as -1).
struct WordText {
  std::optional<std::int16_t> value;  // empty: not a word
  bool outOfRange = false;            // a number, but beyond a word
};
WordText readWordText(std::string_view text);

}  // namespace omb
