#include "core/numeric.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace omb {
namespace {

TEST(Numeric, LeadingNumberReadsTheLongestNumericPrefix) {
  struct Case { const char* text; double value; };
  for (auto c : {Case{"", 0}, Case{"abc", 0}, Case{"12ab", 12}, Case{"  -3.5x", -3.5}, Case{"+7", 7},
                 Case{"0100", 100}, Case{"1.2.3", 1.2}, Case{"-", 0}})
    EXPECT_DOUBLE_EQ(leadingNumber(c.text), c.value) << c.text;
}

TEST(Numeric, RoundingGoesHalfToEven) {
  struct Case { double in, out; };
  for (auto c : {Case{0.5, 0}, Case{1.5, 2}, Case{2.5, 2}, Case{3.5, 4}, Case{-2.5, -2}, Case{-3.5, -4},
                 Case{2.4, 2}, Case{2.6, 3}, Case{62.5, 62}, Case{63.5, 64}})
    EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
}

TEST(Numeric, SixteenAndThirtyTwoBitConversionsOverflowOutsideTheirRange) {
  EXPECT_EQ(toInt16(32767), 32767);
  EXPECT_EQ(toInt16(-32768.4), -32768);
  EXPECT_EQ(toInt16(32766.5), 32766);  // half goes to the even neighbour
  EXPECT_THROW(toInt16(32767.5), RuntimeError);  // ... which here is 32768
  EXPECT_THROW(toInt16(32768), RuntimeError);
  EXPECT_THROW(toInt16(-32769), RuntimeError);
  EXPECT_EQ(toInt32(40000), 40000);
  EXPECT_THROW(toInt32(3e9), RuntimeError);
  try {
    toInt16(40000);
    ADD_FAILURE() << "40000 fitted in 16 bits";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrOverflow);
  }
}

TEST(Numeric, RadixReadingStopsAtTheFirstNonDigit) {
  struct Case { const char* text; int radix; std::int32_t value; };
  for (auto c : {Case{"07FF", 16, 0x7FF}, Case{"7ff", 16, 0x7FF}, Case{"1G", 16, 1}, Case{"G", 16, 0},
                 Case{"0100", 10, 100}, Case{"12A", 10, 12}, Case{"", 10, 0}, Case{"FFFFFF", 16, 0xFFFFFF}})
    EXPECT_EQ(readRadix(c.text, c.radix), c.value) << c.text;
  EXPECT_THROW(readRadix("99999999999", 10), RuntimeError);
}

TEST(Numeric, BitStorageWordsRoundHalfToEven) {
  struct Case { std::int64_t points; std::int32_t words; };
  for (auto c : {Case{2048, 128}, Case{1000, 62}, Case{1016, 64}, Case{8, 0}, Case{24, 2}, Case{25, 2},
                 Case{16, 1}, Case{0, 0}})
    EXPECT_EQ(wordsForPoints(c.points), c.words) << c.points;
}

TEST(Numeric, WholeNumbersAreDigitsOnlyWithinTheirRange) {
  struct Case { const char* text; std::optional<std::int64_t> value; };
  for (auto c : {Case{"42", 42}, Case{"0042", 42}, Case{"1", 1}, Case{"100", 100}, Case{"0", std::nullopt},
                 Case{"101", std::nullopt}, Case{"", std::nullopt}, Case{" 5", std::nullopt},
                 Case{"5 ", std::nullopt}, Case{"+5", std::nullopt}, Case{"5.0", std::nullopt},
                 Case{"99999999999999999999", std::nullopt}})
    EXPECT_EQ(wholeNumber(c.text, 1, 100), c.value) << c.text;
  EXPECT_EQ(wholeNumber("-3", -5, 5), -3);
}

TEST(Numeric, WordTextsReadAsTheirBitPattern) {
  struct Case { const char* text; std::optional<std::int16_t> value; bool outOfRange; };
  for (auto c : {Case{"0", 0, false}, Case{"-32768", -32768, false}, Case{"65535", -1, false},
                 Case{"32768", -32768, false}, Case{"0xFFFF", -1, false}, Case{"0X1a", 0x1A, false},
                 Case{"-32769", std::nullopt, true}, Case{"65536", std::nullopt, true},
                 Case{"0x10000", std::nullopt, true}, Case{"99999999999999999999", std::nullopt, true},
                 Case{"0x-1", std::nullopt, false}, Case{"0x", std::nullopt, false}, Case{"", std::nullopt, false},
                 Case{"12a", std::nullopt, false}, Case{"1.5", std::nullopt, false}, Case{" 1", std::nullopt, false}}) {
    const WordText w = readWordText(c.text);
    EXPECT_EQ(w.value, c.value) << c.text;
    EXPECT_EQ(w.outOfRange, c.outOfRange) << c.text;
  }
}

}  // namespace
}  // namespace omb
