// The device comment store: editing, lookups, the comment file and the
// import of separated text files.
#include "store/comment_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cp932.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string kFullWidthSpace = "\xE3\x80\x80";

std::vector<std::pair<std::int32_t, std::string>> entriesOf(const CommentStore& s, char letter) {
  std::vector<std::pair<std::int32_t, std::string>> out;
  for (const CommentEntry& e : s.table(CommentStore::tableOf(letter)).entries()) out.push_back({e.number, e.comment});
  return out;
}

using Entries = std::vector<std::pair<std::int32_t, std::string>>;

TEST(CommentStore, EditingKeepsOneEntryPerNumberInInsertionOrder) {
  test::RecordingErrorSink errors;
  CommentStore s(errors);
  EXPECT_EQ(entriesOf(s, 'D'), (Entries{{0, ""}}));

  s.subAdd_Comment("D000100\tfirst");
  s.subAdd_Comment("D000100\tsecond");
  EXPECT_EQ(entriesOf(s, 'D'), (Entries{{100, "second"}})) << "a second comment replaces the first";

  s.subAdd_Comment("D000007\tseven");
  s.subAdd_Comment("D000003\tthree");
  s.subRemove_Comment("D000007");
  EXPECT_EQ(entriesOf(s, 'D'), (Entries{{100, "second"}, {3, "three"}})) << "the others keep their order";
  s.subRemove_Comment("D000100");
  s.subRemove_Comment("D000003");
  EXPECT_EQ(entriesOf(s, 'D'), (Entries{{0, ""}})) << "the last removal leaves the free slot";

  // The free slot of a one-entry table is taken over; D0 can be commented.
  s.subAdd_Comment("D000000\tzero");
  s.subAdd_Comment("D000001\tone");
  EXPECT_EQ(entriesOf(s, 'D'), (Entries{{0, "zero"}, {1, "one"}}));

  // An empty comment from a view is a full-width space, never a free slot.
  s.subAdd_Comment("D000002\t");
  EXPECT_EQ(s.fncDeviceComment("D", 2), kFullWidthSpace);
  EXPECT_TRUE(errors.reports.empty());
}

TEST(CommentStore, CodesShareTheirTables) {
  test::RecordingErrorSink errors;
  CommentStore s(errors);
  s.subAdd_Comment("TS00010\ttimer ten");
  s.subAdd_Comment("TN00010\ttimer again");  // the same entry: T, 10
  s.subAdd_Comment("CC00005\tcounter");
  s.subAdd_Comment("X00001F\tsensor");
  s.subAdd_Comment("W0001A0\tlink");
  s.subAdd_Comment("M009000\tspecial relay");
  EXPECT_EQ(entriesOf(s, 'T'), (Entries{{10, "timer again"}}));
  struct Case {
    const char* code;
    std::int64_t number;
    const char* comment;
  };
  for (const Case& c : {Case{"T", 10, "timer again"}, Case{"TS", 10, "timer again"}, Case{"TC", 10, "timer again"},
                        Case{"TN", 10, ""}, Case{"CN", 5, ""}, Case{"CS", 5, "counter"}, Case{"C", 5, "counter"},
                        Case{"X", 31, "sensor"}, Case{"W", 0x1A0, "link"}, Case{"M", 9000, "special relay"},
                        Case{"Q", 1, ""}, Case{"D", 1LL << 40, ""}})
    EXPECT_EQ(s.fncDeviceComment(c.code, c.number), c.comment) << c.code << c.number;
  // The views look up by the address text they show.
  EXPECT_EQ(s.commentOfAddress("TN00010"), "timer again");
  EXPECT_EQ(s.commentOfAddress("X00001F"), "sensor");
  EXPECT_EQ(s.commentOfAddress("D000001"), "");
  // A bit of a word (a user-list entry) shares the word's comment.
  s.subAdd_Comment("D000100-F\tword of bits");
  EXPECT_EQ(s.commentOfAddress("D000100-3"), "word of bits");
  EXPECT_EQ(s.fncDeviceComment("D", 100), "word of bits");
  // Removing from a TN row removes the T entry.
  s.subRemove_Comment("TN00010");
  EXPECT_EQ(s.fncDeviceComment("TS", 10), "");
  // Texts of no table change nothing.
  s.subAdd_Comment("Z000001\tnothing");
  s.subRemove_Comment("");
  EXPECT_TRUE(errors.reports.empty());
  s.subClear_Comment();
  for (char l : kCommentLetters) EXPECT_EQ(entriesOf(s, l), (Entries{{0, ""}})) << l;
}

// Writing, reading and writing again gives the same bytes, and every
// comment reads back exactly.
TEST(CommentFile, RoundTripIsExactWhateverTheCommentHolds) {
  const std::vector<std::string> comments = {
      "plain",
      "say \"hello\"",
      "\"",
      "\"\"",
      "a,b,c",
      "tab\there",
      "  leading and trailing  ",
      "原点センサ（全角）",
      "ﾊﾝｶｸ",
      std::string(300, 'x'),
      "comma, \"quote\", and 日本語",
  };
  test::RecordingErrorSink errors;
  CommentStore s(errors);
  for (std::size_t i = 0; i < comments.size(); ++i)
    s.subAdd_Comment("D" + std::to_string(100 + i) + "\t" + comments[i]);
  s.subAdd_Comment("X00001F\tx comment");
  const std::string first = s.fileBytes();

  CommentStore back(errors);
  ASSERT_TRUE(back.readFileBytes(first));
  for (std::size_t i = 0; i < comments.size(); ++i)
    EXPECT_EQ(back.fncDeviceComment("D", 100 + static_cast<std::int64_t>(i)), comments[i]) << comments[i];
  EXPECT_EQ(back.fileBytes(), first);
  EXPECT_TRUE(errors.reports.empty());
}

TEST(CommentFile, LayoutOfTheFile) {
  test::RecordingErrorSink errors;
  CommentStore s(errors);
  // An empty store: twelve blocks of letter, upper index 0, free slot.
  std::string empty;
  for (char l : kCommentLetters) empty += std::string(1, l) + "\r\n 0 \r\n0,\"\"\r\n";
  EXPECT_EQ(s.fileBytes(), empty);

  s.subAdd_Comment("X00001F\t原点");
  s.subAdd_Comment("X000020\tsay \"hi\"");
  const std::string bytes = s.fileBytes();
  // Numbers are decimal also for the hexadecimal tables; text is CP932.
  const std::string xBlock = "X\r\n 1 \r\n31,\"" + cp932::encode("原点") + "\"\r\n32,\"say \"\"hi\"\"\"\r\n";
  EXPECT_NE(bytes.find(xBlock), std::string::npos) << bytes;
}

// Files written before quotes were doubled read as they always did.
TEST(CommentFile, OldFilesAndUnquotedPairsRead) {
  struct Case {
    const char* pairText;  // after "5,"
    const char* comment;
  };
  const Case cases[] = {
      {"\"plain\"", "plain"},
      {"\"a,b\"", "a,b"},
      {"\"cut\"here\"", "cut"},  // an unescaped quote ended the text, the rest was dropped
      {"\"never closed", "never closed"},
      {"bare words , more", "bare words"},
      {"  \"blank before\"", "blank before"},
      {"\"\"", ""},
  };
  for (const Case& c : cases) {
    std::string file;
    for (char l : kCommentLetters)
      file += std::string(1, l) + "\r\n 0 \r\n" + (l == 'D' ? std::string("5,") + c.pairText : "0,\"\"") + "\r\n";
    test::RecordingErrorSink errors;
    CommentStore s(errors);
    ASSERT_TRUE(s.readFileBytes(file)) << c.pairText;
    EXPECT_EQ(s.fncDeviceComment("D", 5), c.comment) << c.pairText;
    EXPECT_TRUE(errors.reports.empty());
  }
}

TEST(CommentFile, BrokenFileKeepsWhatWasReadAndReports) {
  struct Case {
    const char* name;
    std::string file;
    Entries t, c, d;
  };
  const std::string tBlock = "T\r\n 1 \r\n1,\"t1\"\r\n2,\"t2\"\r\n";
  const Case cases[] = {
      {"ends inside the second block", tBlock + "C\r\n 2 \r\n7,\"c7\"\r\n", {{1, "t1"}, {2, "t2"}}, {{7, "c7"}}, {{0, ""}}},
      {"a pair without its comma", tBlock + "C\r\n 0 \r\n7 \"c7\"\r\n", {{1, "t1"}, {2, "t2"}}, {{0, ""}}, {{0, ""}}},
      {"a number that is none", tBlock + "C\r\n 0 \r\nseven,\"c7\"\r\n", {{1, "t1"}, {2, "t2"}}, {{0, ""}}, {{0, ""}}},
      {"a negative upper index", tBlock + "C\r\n-1 \r\n", {{1, "t1"}, {2, "t2"}}, {{0, ""}}, {{0, ""}}},
      {"an upper index far beyond the file", tBlock + "C\r\n 2000000000 \r\n1,\"c\"\r\n", {{1, "t1"}, {2, "t2"}},
       {{1, "c"}}, {{0, ""}}},
      {"an empty file", "", {{0, ""}}, {{0, ""}}, {{0, ""}}},
  };
  for (const Case& c : cases) {
    test::RecordingErrorSink errors;
    CommentStore s(errors);
    s.subAdd_Comment("D000001\tbefore");  // the store is emptied before reading
    EXPECT_FALSE(s.readFileBytes(c.file)) << c.name;
    EXPECT_EQ(entriesOf(s, 'T'), c.t) << c.name;
    EXPECT_EQ(entriesOf(s, 'C'), c.c) << c.name;
    EXPECT_EQ(entriesOf(s, 'D'), c.d) << c.name;
    ASSERT_EQ(errors.reports.size(), 1u) << c.name;
    EXPECT_EQ(errors.reports[0].location.rfind("frmMain.subFile_getDevCmnt() ", 0), 0u) << c.name;
  }
}

TEST(CommentFile, SavedWholeOrNotAtAll) {
  test::TempDir dir;
  test::RecordingErrorSink errors;
  CommentStore s(errors);
  s.subAdd_Comment("D000100\tkept");
  const std::string path = dir.file("p_Device.cmt");
  ASSERT_TRUE(s.subFile_putDevCmnt(path));
  EXPECT_EQ(test::readFile(path), s.fileBytes());

  CommentStore back(errors);
  ASSERT_TRUE(back.subFile_getDevCmnt(path));
  EXPECT_EQ(back.fncDeviceComment("D", 100), "kept");

  // A folder that does not exist: reported, nothing claimed.
  EXPECT_FALSE(s.subFile_putDevCmnt(dir.file("missing/p_Device.cmt")));
  EXPECT_FALSE(back.subFile_getDevCmnt(dir.file("missing.cmt")));
  ASSERT_EQ(errors.reports.size(), 2u);
  EXPECT_EQ(errors.reports[0].location.rfind("frmMain.subFile_putDevCmnt() ", 0), 0u);
  EXPECT_EQ(errors.reports[1].location.rfind("frmMain.subFile_getDevCmnt() ", 0), 0u);
  EXPECT_EQ(back.fncDeviceComment("D", 100), "") << "a failed read leaves an empty store";
}

TEST(CommentImport, SeparatorsAndLinesThatAreSkippedOrRefused) {
  struct Case {
    char separator;
    const char* lines;
    Entries x, t, d;
    std::size_t refused;
  };
  const Case cases[] = {
      {',', "X001F,原点センサ\r\nT10,タイマ\r\nD100\r\n", {{31, "原点センサ"}}, {{10, "タイマ"}},
       {{100, "\xE3\x80\x80"}}, 0},
      {' ', "X1 cut at space\nD5 five\n", {{1, "cut"}}, {{0, ""}}, {{5, "five"}}, 0},
      {'\t', "X2\ttab, with comma\tdropped\n", {{2, "tab, with comma"}}, {{0, ""}}, {{0, ""}}, 0},
      // Lines starting with a blank, a lower-case letter or a digit are
      // skipped silently; a number that is none is reported and skipped.
      {',', " X1,blank\nx1,lower\n1,digit\nTN10,not a number\nDevice,Comment\nD7,seven\n", {{0, ""}}, {{0, ""}},
       {{7, "seven"}}, 2},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::string path = dir.file("import.txt");
    test::writeFile(path, cp932::encode(c.lines));
    test::RecordingErrorSink errors;
    CommentStore s(errors);
    EXPECT_TRUE(s.fncRead_Comment(c.separator, path)) << c.lines;
    EXPECT_EQ(entriesOf(s, 'X'), c.x) << c.lines;
    EXPECT_EQ(entriesOf(s, 'T'), c.t) << c.lines;
    EXPECT_EQ(entriesOf(s, 'D'), c.d) << c.lines;
    ASSERT_EQ(errors.reports.size(), c.refused) << c.lines;
    for (const auto& r : errors.reports) EXPECT_EQ(r.location, "mdlFileAccess.subGet_Coment() 13");
  }
  {
    // A refused line is told by the file's name, its line number and its
    // text, not by the procedure's section ("Line 0").
    test::TempDir dir;
    const std::string path = dir.file("plant.csv");
    test::writeFile(path, cp932::encode("X1,one\r\n\r\nTN10,タイマ\r\nD5,five\r\nDevice,Comment\r\n"));
    test::RecordingErrorSink errors;
    CommentStore s(errors);
    EXPECT_TRUE(s.fncRead_Comment(',', path));
    ASSERT_EQ(errors.reports.size(), 2u);
    EXPECT_EQ(errors.reports[0].detail.rfind("plant.csv 3 行目「TN10,タイマ」: ", 0), 0u) << errors.reports[0].detail;
    EXPECT_EQ(errors.reports[1].detail.rfind("plant.csv 5 行目「Device,Comment」: ", 0), 0u) << errors.reports[1].detail;
    for (const auto& r : errors.reports) EXPECT_EQ(r.detail.find("Line "), std::string::npos) << r.detail;
  }
  test::RecordingErrorSink errors;
  CommentStore s(errors);
  EXPECT_FALSE(s.fncRead_Comment(',', "/nonexistent/comments.txt"));
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location.rfind("mdlFileAccess.fncRead_Comment() ", 0), 0u);
}

}  // namespace
}  // namespace omb
