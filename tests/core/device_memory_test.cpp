#include "core/device_memory.h"

#include <gtest/gtest.h>

#include "core/system_state.h"
#include "test_support.h"

namespace omb {
namespace {

// Device memory dimensioned with the old-version layout.
class DeviceMemoryTest : public ::testing::Test {
 protected:
  DeviceMemoryTest() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
  }
  test::RecordingErrorSink errors;
  SystemState state{errors};
  DeviceMemory& mem = state.memory;
};

TEST_F(DeviceMemoryTest, StorageFollowsTheSevenCharacterRanges) {
  const std::size_t expected[kKindCount] = {2048, 1024, 6144, 4096, 8192, 256, 128, 128, 512,
                                            512,  512,  256,  128,  16,   128, 128, 64,  64};
  for (int k = 0; k < kKindCount; ++k) EXPECT_EQ(mem.words(k).size(), expected[k]) << kindInfo(k).code;
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(DeviceMemoryTest, SpecialDevicesResolveToTheirOwnStorage) {
  struct Case { std::int32_t number; const char* code; int kind; std::int32_t index; int bit; };
  const Case cases[] = {
      {9000, "M", kMx, 0, 0},   {9016, "M", kMx, 1, 0},  {9255, "M", kMx, 15, 15},
      {8191, "M", kM, 511, 15}, {9255, "D", kDx, 255, 0}, {9000, "D", kDx, 0, 0},
      {6143, "D", kD, 6143, 0}, {0x7FF, "X", kX, 127, 15}, {17, "TS", kTS, 1, 1},
  };
  for (const auto& c : cases) {
    auto loc = mem.locate(c.number, c.code);
    ASSERT_TRUE(loc) << c.code << c.number;
    EXPECT_EQ(loc->kind, c.kind) << c.code << c.number;
    EXPECT_EQ(loc->index, c.index) << c.code << c.number;
    EXPECT_EQ(loc->bit, c.bit) << c.code << c.number;
  }
  // Between the end of D and the special registers nothing exists.
  EXPECT_FALSE(mem.locate(7000, "D"));
  EXPECT_FALSE(mem.locate(9256, "M"));
  EXPECT_FALSE(mem.locate(-1, "X"));
  EXPECT_FALSE(mem.locate(0, "Dx"));
}

TEST_F(DeviceMemoryTest, BitWritesChangeOneBitAndTheTopBitMakesTheWordNegative) {
  mem.subBitWrite(0x7FF, "X", true);
  EXPECT_EQ(mem.words(kX).back(), static_cast<std::int16_t>(0x8000));
  EXPECT_LT(mem.fncDeviceData(0x7F0, "X"), 0);
  mem.subBitWrite(0x7F3, "X", true);
  mem.subBitWrite(0x7FF, "X", false);
  EXPECT_EQ(mem.fncDeviceData(0x7FF, "X"), 0x0008);
  EXPECT_TRUE(mem.fncBit(0x7F3, "X"));
  EXPECT_FALSE(mem.fncBit(0x7F4, "X"));

  mem.subBitWrite(9016, "M", true);
  EXPECT_EQ(mem.words(kMx)[1], 1);
  EXPECT_EQ(mem.fncDeviceData(9031, "M"), 1);  // the whole word of M9016..M9031
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(DeviceMemoryTest, WordReadsAndWritesByCode) {
  mem.subDeviceWrite(100, "D", 1234);
  mem.subDeviceWrite(9255, "D", -1);
  mem.subDeviceWrite(0xFFF, "W", 0x5A5A);
  mem.subDeviceWrite(5, "TN", 7);
  EXPECT_EQ(mem.fncDeviceData(100, "D"), 1234);
  EXPECT_EQ(mem.words(kDx)[255], -1);
  EXPECT_EQ(mem.fncDeviceData(0xFFF, "W"), 0x5A5A);
  EXPECT_EQ(mem.fncDeviceData(5, "TN"), 7);
  // Codes that are not device codes read 0 and write nothing, silently.
  mem.subDeviceWrite(0, "Q", 99);
  EXPECT_EQ(mem.fncDeviceData(9000, "Dx"), 0);
  EXPECT_EQ(mem.fncDeviceData(0, "Q"), 0);
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(DeviceMemoryTest, NumbersOutsideStorageAreReportedAndNeverWritten) {
  const auto before = mem.words(kW);
  mem.subDeviceWrite(0x1000, "W", 1);
  EXPECT_EQ(mem.fncDeviceData(-5, "R"), 0);
  mem.subBitWrite(0x800, "Y", true);
  EXPECT_EQ(mem.words(kW), before);
  ASSERT_EQ(errors.reports.size(), 3u);
  EXPECT_EQ(errors.reports[0].location, "mdlSub.subDeviceWrite() 9");
  EXPECT_EQ(errors.reports[1].location, "mdlSub.fncDeviceData() 9");
  EXPECT_EQ(errors.reports[0].detail, "Line 0:インデックスが有効範囲にありません。");
}

TEST_F(DeviceMemoryTest, LBoundNamesTheStorageThatHoldsAText) {
  struct Case { const char* text; std::int32_t first; };
  for (auto c : {Case{"D9000", 9000}, Case{"D0100", 0}, Case{"M9000", 9000}, Case{"M8191", 0},
                 Case{"D009255", 9000}, Case{"TN005", 0}, Case{"CC010", 0}, Case{"X07FF", 0},
                 Case{"ZZ001", -1}, Case{"", -1}, Case{"T0001", -1},
                 Case{"M99999999999999999999", 9000}})
    EXPECT_EQ(mem.fncLBound(c.text), c.first) << c.text;
}

TEST(DeviceMemory, BitKindsRoundTheirWordCountHalfToEven) {
  test::RecordingErrorSink errors;
  SystemState state(errors);
  subSetOldVersionRanges(state.range5, state.range7);
  state.range7[kX].last = 999;   // 1000 points: 62.5 words
  state.range7[kY].last = 1015;  // 1016 points: 63.5 words
  state.subReDim_Device();
  EXPECT_EQ(state.memory.words(kX).size(), 62u);
  EXPECT_EQ(state.memory.words(kY).size(), 64u);
}

TEST(DeviceMemory, AFailingKindStopsDimensioningAndKeepsWhatWasCreated) {
  test::RecordingErrorSink errors;
  SystemState state(errors);
  subSetOldVersionRanges(state.range5, state.range7);
  state.range7[kX].first = 10;
  state.range7[kX].last = 5;  // reversed range
  state.subReDim_Device();
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "mdlSub.subReDim_Device() 9");
  EXPECT_EQ(errors.reports[0].detail.rfind("Line 7:", 0), 0u);  // X is the seventh kind
  EXPECT_EQ(state.memory.words(kDx).size(), 256u);
  EXPECT_TRUE(state.memory.words(kX).empty());
  EXPECT_TRUE(state.memory.words(kCC).empty());
  // Nothing can be read or written where no storage exists.
  EXPECT_EQ(state.memory.fncDeviceData(0, "Y"), 0);
}

TEST_F(DeviceMemoryTest, PageCountsLeaveNoEmptyLastPage) {
  struct Case {
    int slot;
    std::int32_t perPage, pages;
  };
  const Case cases[] = {
      {kTN, 256, 8},  // 2048 / 256
      {kCN, 250, 5},  // 1024 / 250 -> 4 full pages and one more
      {kX, 64, 2},    // bit views page through words: 128 words / 64
      {kMx, 64, 1},   // 16 words on one page
      {20, 1000, 7},  // D bit display: 6144 / 1000
  };
  for (auto& slot : state.pages) slot.perPage = 256;
  for (const Case& c : cases) state.pages[static_cast<std::size_t>(c.slot)].perPage = c.perPage;
  state.subSet_PageMax();
  EXPECT_TRUE(errors.reports.empty());
  for (const Case& c : cases)
    EXPECT_EQ(state.pages[static_cast<std::size_t>(c.slot)].pages, c.pages) << "slot " << c.slot;

  state.pages[kTN].perPage = 250;
  state.subSet_PageMax();
  EXPECT_EQ(state.pages[kTN].pages, 9);
}

TEST_F(DeviceMemoryTest, PageSizeZeroIsReportedAndLaterSlotsKeepTheirCounts) {
  for (auto& slot : state.pages) slot.perPage = 100;
  state.subSet_PageMax();
  state.pages[kW].perPage = 0;
  state.pages[kR].perPage = 1;
  state.pages[kTN].perPage = 2048;
  state.subSet_PageMax();
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "mdlSub.subSet_PageMax() 11");
  EXPECT_EQ(state.pages[kTN].pages, 1);  // before the failing slot: recomputed
  EXPECT_EQ(state.pages[kR].pages, 82);  // after it: untouched, still 8192 / 100 and not 8192 / 1
  EXPECT_EQ(state.pages[23].pages, 3);   // Dx bit display: 256 / 100
}

TEST(DeviceConversions, BitsOfAWord) {
  NullErrorSink none;
  const std::int16_t w = static_cast<std::int16_t>(0x8001);
  EXPECT_TRUE(fncBitCnv(0, w, none));
  EXPECT_FALSE(fncBitCnv(1, w, none));
  EXPECT_TRUE(fncBitCnv(15, w, none));
  EXPECT_TRUE(fncBitCnv(31, w, none));  // position counted from the range's first number
  test::RecordingErrorSink errors;
  EXPECT_FALSE(fncBitCnv(-1, w, errors));
  EXPECT_EQ(errors.reports.size(), 1u);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(BitMask[i] ^ BitClearMask[i], 0xFFFF);
}

TEST(DeviceConversions, WordsAndText) {
  EXPECT_EQ(fncWordToAscii(0x4142), "AB");
  EXPECT_EQ(fncWordToAscii(0x4100), "A ");
  EXPECT_EQ(fncWordToAscii(0x0042), " B");
  EXPECT_EQ(fncWordToAscii(0), "  ");
  EXPECT_EQ(fncWordToAscii(static_cast<std::int16_t>(0xB1B2)), "\xB1\xB2");  // ｱｲ

  struct Case { std::string text; std::int16_t word; const char* hex; };
  const Case cases[] = {{"A", 0x4100, "4100"},
                        {"AB", 0x4142, "4142"},
                        {"\xB1", static_cast<std::int16_t>(0xB100), "B100"},
                        {"\x82\x60", static_cast<std::int16_t>(0x8260), "8260"},  // one double-byte character
                        {"ABC", 0, ""},
                        {"", 0, ""}};
  for (const auto& c : cases) {
    std::string hex = "junk";
    EXPECT_EQ(fncCnvAsciiToAray(c.text, hex), c.word) << c.text;
    EXPECT_EQ(hex, c.hex) << c.text;
  }
}

TEST(DeviceConversions, TextIntoWordsStopsAtEveryLimit) {
  struct Case {
    const char* name;
    std::size_t size;
    int first, last;
    const char* text;
    std::vector<std::int16_t> words;  // the array afterwards; it starts filled with 7
  };
  const Case cases[] = {
      {"the last index", 4, 1, 2, "ABCDE", {7, 0x4142, 0x4344, 7}},
      {"the array's end", 4, 2, 100, "ABCDEFG", {7, 7, 0x4142, 0x4344}},
      {"the text's end, odd byte in the upper half", 4, 0, 3, "ABC", {0x4142, 0x4300, 7, 7}},
      {"nothing before the array's start", 2, -1, 3, "ABCD", {0x4344, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::int16_t> a(c.size, 7);
    subCnvAsciiToAray(a, c.first, c.last, c.text);
    EXPECT_EQ(a, c.words);
  }
}


// Writes record what they touched; a publication hands the set to every
// subscriber once and starts a new one.
TEST(ChangeSets, WritesRecordRunsAndPublishingStartsAFreshSet) {
  test::RecordingErrorSink errors;
  SystemState state{errors};
  subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();
  DeviceMemory& m = state.memory;
  std::vector<std::pair<std::string, std::vector<DeviceChange>>> seen;
  const auto id = m.subscribe([&](const ChangeNotice& n) { seen.emplace_back(std::string(n.device), n.changes.changes()); });

  struct Case {
    const char* name;
    std::function<void()> write;
    std::vector<DeviceChange> changes;
  };
  const Case cases[] = {
      {"adjacent words join", [&] { m.write(kD, 5, 1), m.write(kD, 6, 2), m.write(kD, 4, 3); }, {{kD, 4, 6}}},
      {"a gap starts a new run", [&] { m.write(kD, 5, 1), m.write(kD, 9, 1); }, {{kD, 5, 5}, {kD, 9, 9}}},
      {"another kind starts a new run", [&] { m.writeBit(kX, 0, 3, true), m.write(kY, 0, 1); }, {{kX, 0, 0}, {kY, 0, 0}}},
      {"fill is clamped to the array", [&] { m.fill(kMx, 10, 100, 7); }, {{kMx, 10, 15}}},
      {"text two bytes a word", [&] { m.writeAscii(kD, 2, 100, "ABCDE"); }, {{kD, 2, 4}}},
      {"nothing written", [] {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seen.clear();
    c.write();
    m.publish("All");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, "All");
    EXPECT_EQ(seen[0].second, c.changes);
    EXPECT_TRUE(m.pending().empty());
  }
  EXPECT_EQ(m.words(kMx)[15], 7);
  EXPECT_EQ(m.words(kD)[4], 0x4500);  // the odd byte in the upper half
  m.toggleBit(kX, 0, 3);
  EXPECT_EQ(m.words(kX)[0], 0);

  // Outside the array nothing is written and nothing recorded.
  EXPECT_THROW(m.write(kD, 6144, 1), RuntimeError);
  EXPECT_THROW(m.writeBit(kX, -1, 0, true), RuntimeError);
  EXPECT_EQ(m.pending().changes(), (std::vector<DeviceChange>{{kX, 0, 0}}));

  m.unsubscribe(id);
  seen.clear();
  m.publish("All");
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace omb
