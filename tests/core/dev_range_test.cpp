#include "core/dev_range.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace omb {
namespace {

TEST(DeviceKinds, FixedOrderWithCodesCaptionsAndRadix) {
  const char* codes[kKindCount] = {"TN", "CN", "D", "W", "R", "Dx", "X", "Y", "M",
                                   "L",  "S",  "B", "F", "Mx", "TS", "TC", "CS", "CC"};
  for (int k = 0; k < kKindCount; ++k) {
    SCOPED_TRACE(codes[k]);
    EXPECT_STREQ(kindInfo(k).code, codes[k]);
    EXPECT_EQ(kindOfCode(codes[k]), k);
    EXPECT_EQ(isWordKind(k), k <= kDx);
  }
  EXPECT_STREQ(kindInfo(kMx).caption, "特殊リレーＭ");
  EXPECT_STREQ(kindInfo(kTC).caption, "タイマ（コイル）Ｔ");
  for (int k : {kW, kX, kY, kB}) EXPECT_EQ(kindInfo(k).radix, 16);
  EXPECT_EQ(kindOfCode("Z"), -1);
}

TEST(DeviceKinds, DeviceAndAddressTexts) {
  struct Case { int kind; std::int32_t number; const char* five; const char* seven; const char* address; };
  const Case cases[] = {
      {kX, 0x7FF, "X07FF", "X0007FF", "X0007FF"},   {kTN, 255, "TN255", "TN00255", "TN00255"},
      {kDx, 9000, "D9000", "D009000", "D009000"},   {kMx, 9255, "M9255", "M009255", "M009255"},
      {kW, 0x1A0, "W01A0", "W0001A0", "W0001A0"},   {kD, 100, "D0100", "D000100", "D000100"},
      {kCC, 7, "CC007", "CC00007", "CC00007"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seven);
    EXPECT_EQ(fncDeviceText(c.kind, c.number, 5), c.five);
    EXPECT_EQ(fncDeviceText(c.kind, c.number, 7), c.seven);
    EXPECT_EQ(fncAddressText(c.kind, c.number), c.address);
  }
}

TEST(DeviceRanges, ValuesOfTheSettingsFileGiveTextsAndNumbers) {
  struct Case { int kind; const char* value; std::int32_t first, last; const char* firstText, *lastText; };
  const Case cases[] = {
      {kD, "D0000-D6143", 0, 6143, "D0000", "D6143"},
      {kW, "W0000-W03FF", 0, 1023, "W0000", "W03FF"},
      {kMx, "M9000-M9255", 9000, 9255, "M9000", "M9255"},
      {kDx, "D009000-D009255", 9000, 9255, "D009000", "D009255"},
      {kX, "X0000-X7FF", 0, 2047, "X0000", "X7FF"},  // short last text: same start, what is left
      {kTN, "TN00000-TN02047", 0, 2047, "TN00000", "TN02047"},
      {kCC, "CC000-CC255", 0, 255, "CC000", "CC255"},
      {kB, "B000000-B000FFF", 0, 0xFFF, "B000000", "B000FFF"},
      {kM, "M0000", 0, 0, "M0000", ""},               // no "-": empty last text
      {kR, "R0000-R81x1", 0, 81, "R0000", "R81x1"},   // reading stops at the first non-digit
  };
  for (const auto& c : cases) {
    DevRange r;
    fncSetRangeFromValue(r, c.kind, c.value);
    EXPECT_EQ(r.first, c.first) << c.value;
    EXPECT_EQ(r.last, c.last) << c.value;
    EXPECT_EQ(r.firstText, c.firstText) << c.value;
    EXPECT_EQ(r.lastText, c.lastText) << c.value;
  }
}

TEST(DeviceRanges, AnOverlongNumberOverflowsAndLeavesTheRecordAlone) {
  DevRange r{"D", "D0000", "D0100", 0, 100};
  EXPECT_THROW(fncSetRangeFromValue(r, kD, "D0000000000000-D9999999999999"), RuntimeError);
  EXPECT_EQ(r.last, 100);
  EXPECT_EQ(r.lastText, "D0100");
}

TEST(DeviceRanges, TheOldVersionLayout) {
  DevRangeTable r5, r7;
  subSetOldVersionRanges(r5, r7);
  EXPECT_EQ(r5[kD].lastText, "D1024");
  EXPECT_EQ(r5[kW].lastText, "W03FF");
  EXPECT_EQ(r7[kW].lastText, "W000FFF");
  EXPECT_EQ(r5[kMx].firstText, "M9000");
  EXPECT_EQ(r7[kDx].lastText, "D009255");
  EXPECT_EQ(r7[kCS].last, 1023);
  EXPECT_EQ(r7[kMx].code, "Mx");
  EXPECT_EQ(fncDevTextNumber(kDx, "D009255"), 9255);
  EXPECT_EQ(fncDevTextNumber(kTS, "TS00100"), 100);
  EXPECT_EQ(fncDevTextNumber(kB, "B0001F"), 0x1F);
}

}  // namespace
}  // namespace omb
