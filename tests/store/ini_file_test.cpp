#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "core/cp932.h"
#include "core/error.h"
#include "test_support.h"

namespace omb {
namespace {

// A file the user edited by hand: comments, blank lines, odd spacing, a
// line with LF among CR LF lines, and Japanese names whose second bytes are
// "]" (ゾ = 83 5D), "[" (ゼ = 83 5B) and "A" (ア = 83 41).
std::string handEditedFile() {
  return cp932::encode(
      "; settings\r\n"
      "stray=before any section\r\n"
      "[Section]\r\n"
      "  Key  =  value with blanks \t\r\n"
      "Empty=\r\n"
      "dup=first\r\n"
      "dup=second\n"
      "\r\n"
      "; about the next one\r\n"
      "[ゾーン]\r\n"
      "ゼロ=零\r\n"
      "[ア]\r\n"
      "k=katakana a\r\n"
      "[section]\r\n"
      "dup=second section\r\n"
      "[Tail]\r\n"
      "last=no line end");
}

TEST(IniFileRead, MatchesAsciiNamesInAnyCaseAndJapaneseNamesExactly) {
  const IniFile ini = IniFile::fromBytes(handEditedFile());
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"Section", "Key", "value with blanks"},
      {"SECTION", "key", "value with blanks"},
      {"section", "KEY", "value with blanks"},
      {"Section", "Empty", ""},                 // present and empty
      {"Section", "dup", "first"},              // first key and first section win
      {"Section", "stray", std::nullopt},       // lines before the first header belong to none
      {"Section", "ゼロ", std::nullopt},        // keys do not leak from the next section
      {"ゾーン", "ゼロ", "零"},                  // "]" and "[" as second bytes
      {"ア", "k", "katakana a"},
      {"ヂ", "k", std::nullopt},                // 83 61 is not 83 41 with its case folded
      {"Tail", "LAST", "no line end"},
      {"Missing", "Key", std::nullopt},
      {"Section", "Missing", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini.value(c.section, c.key), c.expected);
  }
  EXPECT_EQ(ini.read("Missing", "Key"), "");
}

TEST(IniFileRead, CutsAValueToItsFirst126BytesWithoutSplittingACharacter) {
  const std::string a124(124, 'a'), a125(125, 'a');
  struct Case {
    std::string value, expected;
  };
  const Case cases[] = {
      {std::string(126, 'x'), std::string(126, 'x')},
      {std::string(200, 'x'), std::string(126, 'x')},
      {a125 + "あ", a125},                 // the character would need bytes 126 and 127
      {a124 + "あb", a124 + "あ"},          // the character ends exactly at byte 126
      {"  " + a124 + "あ  ", a124 + "あ"},  // blanks go before the cut
      {"ｱ" + a124 + "ｲｳ", "ｱ" + a124 + "ｲ"},  // half-width kana are single bytes
  };
  for (const Case& c : cases) {
    IniFile ini = IniFile::fromBytes(cp932::encode("[s]\r\nk=" + c.value + "\r\n"));
    EXPECT_EQ(ini.read("s", "k"), c.expected) << c.value;
  }
}

TEST(IniFileWrite, ReplacesOnlyTheValueOfTheKeyWritten) {
  test::TempDir dir;
  const std::string path = dir.file("Init.ini");
  const std::string before = handEditedFile();
  test::writeFile(path, before);

  IniFile ini = IniFile::load(path);
  ini.write("SECTION", "dup", "new");  // the first of the duplicates, in the first section
  ini.write("section", "KEY", "値");    // the key keeps its spacing up to "="
  ini.write("Tail", "last", "x");       // a last line without a line end keeps none
  ini.save(path);

  std::string expected = before;
  auto replace = [&](const std::string& from, const std::string& to) {
    std::size_t at = expected.find(cp932::encode(from));
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, cp932::encode(from).size(), cp932::encode(to));
  };
  replace("dup=first\r\n", "dup=new\r\n");
  replace("  Key  =  value with blanks \t\r\n", "  Key  =値\r\n");
  replace("last=no line end", "last=x");
  EXPECT_EQ(test::readFile(path), expected);
  EXPECT_EQ(IniFile::load(path).read("Section", "Key"), "値");
}

TEST(IniFileWrite, AddsAKeyAfterTheLastKeyOfItsSectionAndASectionAtTheEnd) {
  const std::string before = cp932::encode(
      "[A]\r\n"
      "one=1\r\n"
      "\r\n"
      "; comment that leads into B\r\n"
      "[B]\r\n"
      "[C]\n"
      "c=3");
  IniFile ini = IniFile::fromBytes(before);
  ini.write("a", "two", "2");
  ini.write("B", "b", "2");
  ini.write("新しいセクション", "キー", "値");
  const std::string expected = cp932::encode(
      "[A]\r\n"
      "one=1\r\n"
      "two=2\r\n"
      "\r\n"
      "; comment that leads into B\r\n"
      "[B]\r\n"
      "b=2\r\n"
      "[C]\n"
      "c=3\r\n"
      "[新しいセクション]\r\n"
      "キー=値\r\n");
  EXPECT_EQ(ini.bytes(), expected);

  // A file that uses LF only gets LF lines.
  IniFile lf = IniFile::fromBytes("[A]\nx=1\n");
  lf.write("A", "y", "2");
  lf.write("B", "z", "3");
  EXPECT_EQ(lf.bytes(), "[A]\nx=1\ny=2\n[B]\nz=3\n");
}

TEST(IniFileWrite, RefusesNamesAndValuesThatWouldNotReadBack) {
  IniFile ini = IniFile::fromBytes("[A]\r\nx=1\r\n");
  const std::string original = ini.bytes();
  struct Case {
    const char *section, *key, *value;
  };
  const Case cases[] = {
      {"A", "x", "two\r\nlines"}, {"A", "k=v", "1"}, {"A]", "x", "1"}, {"", "x", "1"},
      {"A", " ", "1"},            {"A", ";x", "1"},  {"A", "[x", "1"}, {"A\n", "x", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key + "=" + c.value);
    try {
      ini.write(c.section, c.key, c.value);
      ADD_FAILURE() << "accepted";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kErrInvalidCall);
    }
  }
  EXPECT_EQ(ini.bytes(), original);
}

TEST(IniFileDisk, JapaneseNamesAndValuesAreStoredInCp932AndReadBack) {
  test::TempDir dir;
  const std::string path = dir.file("Init.ini");
  ASSERT_TRUE(fncWriteIni("ビット表示設定", "Hi", "●", path));
  ASSERT_TRUE(fncWriteIni("ビット表示設定", "Lo", "○ｵﾌ～", path));
  ASSERT_TRUE(fncWriteIni("フォルダパス", "Projects", "/home/利用者/データ", path));
  EXPECT_EQ(test::readFile(path),
            cp932::encode("[ビット表示設定]\r\nHi=●\r\nLo=○ｵﾌ～\r\n[フォルダパス]\r\nProjects=/home/利用者/データ\r\n"));
  EXPECT_EQ(fncReadIni("ビット表示設定", "lo", path), "○ｵﾌ～");
  EXPECT_EQ(fncReadIni("フォルダパス", "PROJECTS", path), "/home/利用者/データ");
}

// A file saved as UTF-8 by a Linux editor is read as UTF-8 and written
// back as UTF-8 (its byte order mark kept); a CP932 file stays CP932.
TEST(IniFileEncoding, UtfEightFilesAreReadAndWrittenBackAsUtfEight) {
  struct Case {
    const char* name;
    std::string bytes;
    IniFile::Encoding encoding;
    std::string written;  // after a value is replaced and a section added
  };
  const std::string text = "[ビット表示設定]\r\nHi=●\r\nLo=○\r\n";
  const std::string edited = "[ビット表示設定]\r\nHi=■\r\nLo=○\r\n[画面サイズ]\r\nMain_Top=１\r\n";
  const Case cases[] = {
      {"UTF-8", text, IniFile::Encoding::Utf8, edited},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + text, IniFile::Encoding::Utf8, "\xEF\xBB\xBF" + edited},
      {"CP932", cp932::encode(text), IniFile::Encoding::Cp932, cp932::encode(edited)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IniFile ini = IniFile::fromBytes(c.bytes);
    EXPECT_EQ(ini.encoding(), c.encoding);
    EXPECT_EQ(ini.read("ビット表示設定", "Hi"), "●");
    EXPECT_EQ(ini.lineOf("ビット表示設定", "Lo"), std::optional<std::size_t>(3));
    ini.write("ビット表示設定", "Hi", "■");
    ini.write("画面サイズ", "Main_Top", "１");
    EXPECT_EQ(ini.bytes(), c.written);
  }
}

TEST(IniFileDisk, AMissingFileReadsAsNotPresent) {
  test::TempDir dir;
  const std::string path = dir.file("none.ini");
  IniFile ini = IniFile::load(path);
  EXPECT_FALSE(ini.present());
  EXPECT_EQ(ini.value("A", "x"), std::nullopt);
  EXPECT_EQ(fncReadIni("A", "x", path), "");
  // An empty key or value writes nothing, not even a new file.
  EXPECT_FALSE(fncWriteIni("A", "", "1", path));
  EXPECT_FALSE(fncWriteIni("A", "x", "", path));
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(IniFile::fromBytes("").present());
}

TEST(IniFileDisk, SavingReplacesTheFileInOnePieceAndLeavesNoTemporaryBehind) {
  test::TempDir dir;
  const std::string path = dir.file("Init.ini");
  test::writeFile(path, "[A]\r\nx=1\r\n");
  std::filesystem::permissions(path, std::filesystem::perms(0640));
  IniFile ini = IniFile::load(path);
  ini.write("A", "x", "2");
  ini.save(path);
  EXPECT_EQ(test::readFile(path), "[A]\r\nx=2\r\n");
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.str())) ++entries;
  EXPECT_EQ(entries, 1);

  // Through a link the linked file is replaced and the link stays a link.
  const std::string link = dir.file("link.ini");
  std::filesystem::create_symlink(path, link);
  IniFile viaLink = IniFile::load(link);
  viaLink.write("A", "x", "3");
  viaLink.save(link);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::readFile(path), "[A]\r\nx=3\r\n");

  // A folder that is not there: the save fails as an error and creates nothing.
  try {
    ini.save(dir.file("gone/Init.ini"));
    ADD_FAILURE() << "saved into a missing folder";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrPathNotFound);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
}

TEST(IniFileDisk, AFileThatCannotBeReadIsAnError) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("Init.ini"));
  EXPECT_THROW(IniFile::load(dir.file("Init.ini")), RuntimeError);
}

}  // namespace
}  // namespace omb
