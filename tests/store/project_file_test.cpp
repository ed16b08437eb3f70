// The project file: its byte layout, its versions, and files that are not
// whole.
#include "store/project_file.h"

#include <gtest/gtest.h>

#include "core/cp932.h"
#include "core/dev_range.h"
#include "core/numeric.h"
#include "old_project_bytes.h"

namespace omb {
namespace {

// An image with something distinctive in every part.
ProjectImage sample() {
  ProjectImage p;
  subSetOldVersionRanges(p.range5, p.range7);
  for (int k = 0; k < kKindCount; ++k) {
    const DevRange& r = p.range7[static_cast<std::size_t>(k)];
    const std::int64_t points = std::int64_t{r.last} - r.first + 1;
    p.memory[static_cast<std::size_t>(k)].assign(
        static_cast<std::size_t>(isWordKind(k) ? points : wordsForPoints(points)), static_cast<std::int16_t>(k * 3));
  }
  p.memory[kD][100] = -2;
  p.windows[2] = {3, 1200, 300, 8000, 5000, true};
  for (int s = 0; s < kViewSlotCount; ++s) p.pageTable[static_cast<std::size_t>(s)] = {64, 2, static_cast<std::int16_t>(s)};
  p.userWordList.add({"D", "D000100", "ポンプ \"A\"", 100});
  p.userBitList.add({"D", "D000100-F", "", 100});
  p.lists.MoniWordList[0] = {"D0100", "D", 100, false, 0};
  p.lists.TestWordList[0] = {"D0005", "D", 5, false, 1234};
  p.lists.MoniBitList[0] = {"M9000", "M", 9000, true, 0};
  p.monitorComments.moniWord[0] = "速度";
  p.reserved = {7, -7};
  p.menus.formats = {false, true, false, false};
  p.menus.acpu = true;
  p.menus.bauds = {false, true, false, false, false, false, false};
  p.menus.parities = {false, true, false};
  p.menus.charLen7 = true;
  p.menus.stopBit2 = true;
  p.handshakes = {false, false, true, false};
  p.wait = 25;
  p.station = "1F";
  p.sum = 1;
  p.comment = "ライン３の試験";
  p.multiPageTable[2] = {32, 0, 0};
  p.multiLast[2] = 1;
  p.kinds[2].open = true;
  p.kinds[2].records = {{1, 100, 200, 3000, 4000, 96}, {2, 150, 250, 3100, 4100, 200}};
  p.multiNo[2] = 2;
  p.comPort = 3;
  CellStyleRecord style{"D", 100, "D000100", {}};
  style.columns[1].set = true;
  style.columns[1].backColour = 0x0000FF;
  style.columns[1].fontSize = 10.5f;
  p.cellStyles.push_back(style);
  p.hasMultiScreen = p.hasWindow = true;
  p.windowTop = 10;
  p.windowLeft = 20;
  p.windowHeight = 9000;
  p.windowWidth = 12000;
  return p;
}

std::int32_t i32At(const std::string& b, std::size_t at) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return static_cast<std::int32_t>(u);
}

TEST(ProjectFile, WrittenReadAndWrittenAgainIsTheSameFile) {
  const std::string first = encodeProject(sample());
  EXPECT_EQ(first.substr(0, 20), "Ver 2.1.2           ");
  // Item 2 follows: slot 0, then slot 2 at 40 bytes further.
  EXPECT_EQ(first[20 + 40], 3);                  // Page
  EXPECT_EQ(i32At(first, 20 + 40 + 2), 1200);    // Top
  EXPECT_EQ(first.substr(20 + 40 + 18, 2), "\xFF\xFF");  // flg true

  const ProjectRead back = decodeProject(first);
  ASSERT_TRUE(back.image.has_value()) << back.error;
  const ProjectImage& p = *back.image;
  EXPECT_EQ(p.version, "Ver 2.1.2");
  EXPECT_EQ(p.memory[kD][100], -2);
  EXPECT_EQ(p.userWordList[0].comment, "ポンプ \"A\"");
  EXPECT_EQ(p.userWordList.count(), 1);
  EXPECT_EQ(p.lists.TestWordList[0].value, 1234);
  EXPECT_TRUE(p.lists.MoniBitList[0].isBit);
  EXPECT_EQ(p.monitorComments.moniWord[0], "速度");
  EXPECT_EQ(p.station, "1F");
  EXPECT_EQ(p.comment, "ライン３の試験");
  EXPECT_EQ(p.kinds[2].records.size(), 2u);
  EXPECT_EQ(p.kinds[2].records[1].startOffset, 200);
  EXPECT_EQ(p.cellStyles.size(), 2u);
  EXPECT_EQ(p.cellStyles[1].columns[1].fontSize, 10.5f);
  EXPECT_TRUE(p.hasWindow);
  EXPECT_EQ(p.windowWidth, 12000);
  EXPECT_EQ(encodeProject(p), first);
}

TEST(ProjectFile, CommentAndStationFields) {
  struct Case {
    std::string comment, stored;  // what is set, what reads back
    std::size_t bytes;            // CP932 bytes of it in the field
  };
  std::string fullWidth20, fullWidth21;
  for (int i = 0; i < 20; ++i) fullWidth20 += "漢";
  fullWidth21 = fullWidth20 + "字";
  const Case cases[] = {
      {fullWidth20, fullWidth20, 40},
      {fullWidth21, fullWidth20, 40},
      {"     ", "", 0},
      {"A" + fullWidth20, "A" + fullWidth20.substr(0, 19 * 3), 39},  // never half a character
  };
  for (const Case& c : cases) {
    ProjectImage p = sample();
    p.comment = c.comment;
    const std::string bytes = encodeProject(p);
    const auto back = decodeProject(bytes);
    ASSERT_TRUE(back.image) << c.comment;
    EXPECT_EQ(back.image->comment, c.stored);
    EXPECT_EQ(cp932::encode(back.image->comment).size(), c.bytes);
    EXPECT_EQ(encodeProject(*back.image).size(), bytes.size()) << "the field is always 40 bytes";
  }
  // A one-character station keeps the file aligned (blank-padded).
  ProjectImage p = sample();
  p.station = "5";
  const auto back = decodeProject(encodeProject(p));
  ASSERT_TRUE(back.image);
  EXPECT_EQ(back.image->station, "5");
  EXPECT_EQ(back.image->sum, 1);
}

// Older files end earlier; versions compare as texts.
TEST(ProjectFile, OlderVersionsEndEarlier) {
  const std::string full = encodeProject(sample());
  struct Case {
    const char* version;
    bool multi, window;
  };
  for (const Case& c : {Case{"Ver 2.0.126", true, false}, Case{"Ver 2.0.99", true, true}, Case{"Ver 2.1.2", true, true}}) {
    std::string bytes = full;
    std::string header = c.version;
    header.resize(20, ' ');
    bytes.replace(0, 20, header);
    if (!c.window) bytes.resize(bytes.size() - 16);
    const auto back = decodeProject(bytes);
    ASSERT_TRUE(back.image) << c.version << ": " << back.error;
    EXPECT_EQ(back.image->hasMultiScreen, c.multi) << c.version;
    EXPECT_EQ(back.image->hasWindow, c.window) << c.version;
  }
  // A file from before 2.0.125 ends with the comment (item 14).
  std::string old = full.substr(0, full.find(cp932::encode("ライン３の試験")) + 40);
  old.replace(0, 20, "Ver 2.0.100         ");
  const auto back = decodeProject(old);
  ASSERT_TRUE(back.image) << back.error;
  EXPECT_FALSE(back.image->hasMultiScreen);
  EXPECT_EQ(back.image->comment, "ライン３の試験");
  EXPECT_TRUE(back.image->kinds[2].records.empty());
}

TEST(ProjectFile, FilesThatAreNotWholeAreRefusedWhole) {
  const std::string full = encodeProject(sample());
  EXPECT_TRUE(decodeProject("").notAProject);
  EXPECT_TRUE(decodeProject("X" + full.substr(1)).notAProject);
  // Cut anywhere: no image at all, a reason.
  for (std::size_t cut : {std::size_t{5}, std::size_t{25}, std::size_t{600}, full.size() / 2, full.size() - 1}) {
    const auto back = decodeProject(std::string_view(full).substr(0, cut));
    EXPECT_FALSE(back.image.has_value()) << cut;
    EXPECT_FALSE(back.error.empty()) << cut;
  }
  // A range no storage can hold is refused before anything is allocated.
  ProjectImage huge = sample();
  huge.range7[kD].last = 0x7FFFFFFF;
  huge.memory[kD].clear();
  const auto back = decodeProject(encodeProject(huge));
  ASSERT_FALSE(back.image.has_value());
  EXPECT_NE(back.error.find("デバイス範囲 D"), std::string::npos) << back.error;
}

// Cut at every byte of a small project (tiny device ranges): never an
// image, always a reason; only the whole file reads.
TEST(ProjectFile, EveryCutIsRefused) {
  ProjectImage p = sample();
  for (int k = 0; k < kKindCount; ++k) {
    DevRange& r = p.range7[static_cast<std::size_t>(k)];
    r.last = r.first + 31;
    p.memory[static_cast<std::size_t>(k)].assign(isWordKind(k) ? 32 : 2, std::int16_t{5});
  }
  const std::string full = encodeProject(p);
  for (std::size_t cut = 1; cut < full.size(); ++cut) {
    const auto back = decodeProject(std::string_view(full).substr(0, cut));
    ASSERT_FALSE(back.image.has_value()) << cut;
    ASSERT_FALSE(back.error.empty()) << cut;
  }
  EXPECT_TRUE(decodeProject(full).image.has_value());
}

// The link and line settings are checked when a project is read: a value
// the program cannot serve refuses the whole file, naming the field and
// the value; the values it can serve, up to the edges, read.
TEST(ProjectFile, SettingsTheProgramCannotServeAreRefusedByName) {
  struct Case {
    const char* name;
    void (*change)(ProjectImage&);
    const char* refusal;  // empty: read
  };
  const Case cases[] = {
      {"sum off", [](ProjectImage& p) { p.sum = 0; }, ""},
      {"sum greyed", [](ProjectImage& p) { p.sum = 2; }, ""},
      {"sum 7", [](ProjectImage& p) { p.sum = 7; }, "チェックサム有り の値 7 "},
      {"sum as a boolean true", [](ProjectImage& p) { p.sum = -1; }, "チェックサム有り の値 -1 "},
      {"shortest wait", [](ProjectImage& p) { p.wait = 2; }, ""},
      {"longest wait", [](ProjectImage& p) { p.wait = 500; }, ""},
      {"wait 1", [](ProjectImage& p) { p.wait = 1; }, "受信文字間 Wait の値 1 "},
      {"wait 501", [](ProjectImage& p) { p.wait = 501; }, "受信文字間 Wait の値 501 "},
      {"station 00", [](ProjectImage& p) { p.station = "00"; }, ""},
      {"station with ESC", [](ProjectImage& p) { p.station = "\x1b" "1"; }, "局番号 の値 \"(ESC)1\" "},
      {"station of one digit", [](ProjectImage& p) { p.station = "5"; }, "局番号 の値 \"5\" "},
      {"station in small letters", [](ProjectImage& p) { p.station = "1f"; }, "局番号 の値 \"1f\" "},
      {"no baud rate", [](ProjectImage& p) { p.menus.bauds = {}; }, "ボーレート の値 （選択なし） "},
      {"two baud rates", [](ProjectImage& p) { p.menus.bauds[0] = true; }, "ボーレート の値 19200,9600 "},
      {"no parity", [](ProjectImage& p) { p.menus.parities = {}; }, "パリティ の値 （選択なし） "},
      {"two formats", [](ProjectImage& p) { p.menus.formats[3] = true; }, "専用プロトコル の値 形式２,形式４ "},
      {"both stop bits", [](ProjectImage& p) { p.menus.stopBit1 = true; }, "ストップビット の値 1,2 "},
      {"no handshaking chosen", [](ProjectImage& p) { p.handshakes = {}; }, ""},
      {"two handshakings", [](ProjectImage& p) { p.handshakes[0] = true; }, "ハンドシェーク の値 無し,RTS "},
  };
  for (const Case& c : cases) {
    ProjectImage p = sample();
    c.change(p);
    const std::string bytes = encodeProject(p);
    ASSERT_TRUE(decodeProject(bytes).image) << c.name << ": the layout itself is whole";
    const ProjectRead read = readProject(bytes);
    if (*c.refusal == 0) {
      EXPECT_TRUE(read.image.has_value()) << c.name << ": " << read.error;
      continue;
    }
    EXPECT_FALSE(read.image.has_value()) << c.name;
    EXPECT_EQ(read.error, std::string(c.refusal) + "はこのプログラムでは扱えません。") << c.name;
  }
}

// The old generation's files are checked alike.
TEST(ProjectFile, OldProjectsWithSettingsTheProgramCannotServeAreRefusedByName) {
  struct Case {
    test::OldProjectFields fields;
    const char* refusal;  // empty: read
  };
  const Case cases[] = {
      {{"1F", 1, "on"}, ""},
      {{"07", 0, "off"}, ""},
      {{"07", 2, "greyed"}, ""},
      {{"07", 7, "seven"}, "チェックサム有り の値 7 "},
      {{"\x07" "7", 0, "bell"}, "局番号 の値 \"(BEL)7\" "},
      {{"  ", 0, "blank"}, "局番号 の値 \"\" "},
  };
  for (const Case& c : cases) {
    const OldProjectRead read = decodeOldProject(test::oldProjectBytes(c.fields));
    if (*c.refusal == 0) {
      ASSERT_TRUE(read.image.has_value()) << c.fields.comment << ": " << read.error;
      EXPECT_EQ(read.image->station, c.fields.station);
      EXPECT_EQ(read.image->sum, c.fields.sum);
      continue;
    }
    EXPECT_FALSE(read.image.has_value()) << c.fields.comment;
    EXPECT_EQ(read.error, std::string(c.refusal) + "はこのプログラムでは扱えません。") << c.fields.comment;
  }
}

TEST(ProjectFile, CommentFileTravelsByName) {
  EXPECT_EQ(commentFileOf("/p/Test.bin"), "/p/Test_Device.cmt");
  EXPECT_EQ(commentFileOf("/p/my.project.bin"), "/p/my_Device.cmt");
  EXPECT_EQ(commentFileOf("plain"), "plain_Device.cmt");
}

}  // namespace
}  // namespace omb
