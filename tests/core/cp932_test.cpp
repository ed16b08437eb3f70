#include "core/cp932.h"

#include <gtest/gtest.h>

namespace omb {
namespace {

TEST(Cp932, TextsRoundTripWithTheirExpectedBytes) {
  struct Case { const char* utf8; std::string bytes; };
  const Case cases[] = {
      {"ABC 123", "ABC 123"},
      {"ﾀﾞｲｱﾛｸﾞ", "\xC0\xDE\xB2\xB1\xDB\xB8\xDE"},        // half-width katakana: one byte each
      {"通信電文異常", "\x92\xCA\x90\x4D\x93\x64\x95\xB6\x88\xD9\x8F\xED"},
      {"Ｄ　", "\x82\x63\x81\x40"},                         // full-width letter and ideographic space
      {"①～", "\x87\x40\x81\x60"},                          // Microsoft extensions and mapping
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp932::encode(c.utf8), c.bytes) << c.utf8;
    EXPECT_EQ(cp932::decode(c.bytes), c.utf8) << c.utf8;
    EXPECT_EQ(cp932::byteLength(c.utf8), c.bytes.size()) << c.utf8;
  }
}

TEST(Cp932, TheJisWaveDashWritesAsTheCodePagesTilde) {
  EXPECT_EQ(cp932::encode("〜"), "\x81\x60");  // and reads back as U+FF5E, as on Windows
}

TEST(Cp932, UnconvertibleInputBecomesQuestionMarksWithoutLosingTheRest) {
  EXPECT_EQ(cp932::encode("a😀b"), "a?b");
  EXPECT_EQ(cp932::decode("a\x82"), "a?");             // lead byte cut off at the end
  EXPECT_EQ(cp932::decode(std::string("\x80z", 2)), "?z");  // 80h is no character
}

TEST(Cp932, CutsNeverSplitADoubleByteCharacter) {
  const std::string bytes = cp932::encode("AＢCﾃﾞ");  // 41 82 61 43 C3 DE
  EXPECT_EQ(cp932::leftBytes(bytes, 0), "");
  EXPECT_EQ(cp932::leftBytes(bytes, 1), "A");
  EXPECT_EQ(cp932::leftBytes(bytes, 2), "A");           // would split Ｂ
  EXPECT_EQ(cp932::leftBytes(bytes, 3), "A\x82\x61");
  EXPECT_EQ(cp932::leftBytes(bytes, 100), bytes);
  EXPECT_EQ(cp932::cutToBytes("AＢCﾃﾞ", 2), "A");
  EXPECT_EQ(cp932::cutToBytes("AＢCﾃﾞ", 5), "AＢCﾃ");
  EXPECT_EQ(cp932::cutToBytes("日本語", 5), "日本");
}

}  // namespace
}  // namespace omb
