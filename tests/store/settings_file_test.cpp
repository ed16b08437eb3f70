#include "store/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/cp932.h"
#include "core/dev_range.h"
#include "core/error.h"
#include "store/ini_file.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string kShippedIni =
    (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "resources" / "Init.ini")
        .string();

class SettingsFileTest : public ::testing::Test {
 protected:
  // Writes Init.ini from UTF-8 text with LF line ends, as CP932 with CR LF.
  void writeIni(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    test::writeFile(file.fileName(), cp932::encode(crlf));
  }
  bool read(int start = 0) { return file.fncGetIniFile(start); }
  // Each report as location and detail, without the part after " -- "
  // that says where in the file the value is.
  std::vector<std::string> reportLines() const {
    std::vector<std::string> out;
    for (const auto& r : errors.reports) out.push_back(r.location + " " + r.detail.substr(0, r.detail.find(" -- ")));
    return out;
  }
  std::int32_t perPage(int slot) const { return state.pages[static_cast<std::size_t>(slot)].perPage; }

  test::TempDir dir;
  test::RecordingErrorSink errors;
  RecordingPresenter presenter;
  SystemState state{errors};
  Settings settings;
  SettingsFile file{dir.str() + "/", state, settings, presenter};
};

const std::string kRead = "mdlFileAccess.fncGetIniFile() ";

TEST_F(SettingsFileTest, TheShippedFileReadsCleanlyIntoTheOldVersionLayout) {
  std::filesystem::copy_file(kShippedIni, file.fileName());
  ASSERT_TRUE(read());
  EXPECT_TRUE(errors.reports.empty()) << reportLines().front();
  EXPECT_TRUE(presenter.boxes.empty());

  DevRangeTable old5, old7;
  subSetOldVersionRanges(old5, old7);
  for (int k = 0; k < kKindCount; ++k) {
    for (auto [got, want] : {std::pair{&state.range5[k], &old5[k]}, std::pair{&state.range7[k], &old7[k]}}) {
      SCOPED_TRACE(want->firstText);
      EXPECT_EQ(got->code, want->code);
      EXPECT_EQ(got->firstText, want->firstText);
      EXPECT_EQ(got->lastText, want->lastText);
      EXPECT_EQ(got->first, want->first);
      EXPECT_EQ(got->last, want->last);
    }
  }

  state.subReDim_Device();
  state.subSet_PageMax();
  EXPECT_TRUE(errors.reports.empty());
  struct Storage { int kind; std::size_t words; };
  for (Storage s : {Storage{kTN, 2048}, {kD, 6144}, {kW, 4096}, {kDx, 256}, {kX, 128}, {kM, 512},
                    {kMx, 16}, {kCS, 64}})
    EXPECT_EQ(state.memory.words(s.kind).size(), s.words) << kindInfo(s.kind).code;
  struct Pages { int slot; std::int32_t perPage, pages; };
  for (Pages p : {Pages{kTN, 256, 8}, {kD, 256, 24}, {kDx, 256, 1}, {kX, 64, 2}, {kM, 64, 8},
                  {kMx, 16, 1}, {kCC, 64, 1}, {20, 64, 96}, {23, 16, 16}}) {
    EXPECT_EQ(perPage(p.slot), p.perPage) << "slot " << p.slot;
    EXPECT_EQ(state.pages[static_cast<std::size_t>(p.slot)].pages, p.pages) << "slot " << p.slot;
  }

  EXPECT_EQ(settings.folders.SysLogName, "Log");
  EXPECT_EQ(settings.folders.ProjectsName, "Projects");
  EXPECT_EQ(settings.GS_ComLog, "ComLog");
  EXPECT_EQ(settings.GE_InBufferSize, 1024);
  EXPECT_EQ(settings.LogDsp, CheckState::Checked);
  EXPECT_EQ(settings.FileType, (std::array<bool, 2>{true, false}));
  EXPECT_EQ(settings.Hi, "●");
  EXPECT_EQ(settings.Lo, "○");
  EXPECT_EQ(settings.multiPageTable[kTN], 16);
  EXPECT_EQ(settings.multiPageTable[kF], 16);
  EXPECT_EQ(settings.mainWindow.Height, 10800);
  EXPECT_EQ(settings.mainWindow.Width, 15600);
  for (const auto& port : settings.comPorts) EXPECT_EQ(port, "");

  // The shipped file is CP932 with CR LF throughout.
  const std::string bytes = test::readFile(kShippedIni);
  EXPECT_EQ(cp932::encode(cp932::decode(bytes)), bytes);
  for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
    ASSERT_EQ(bytes[i - 1], '\r') << "at byte " << i;
}

TEST_F(SettingsFileTest, AMissingFileShowsTheMessageAndReadsNothing) {
  state.pages[kD].perPage = 77;
  EXPECT_FALSE(read());
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "初期設定ファイル\r\n" + dir.str() +
                                         "/Init.ini\r\nが見つかりませんでした。\r\nインストールをやり直してください。\r\n");
  EXPECT_EQ(presenter.boxes[0].title, "初期設定ファイル異常");
  EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(errors.reports.empty());
  EXPECT_EQ(perPage(kD), 77);
}

TEST_F(SettingsFileTest, CheckStatesAndOptionIndexes) {
  struct Case {
    const char* lines;
    CheckState viewAlert;
    std::array<bool, 2> fileType;
    std::array<bool, 3> dspType;
  };
  const Case cases[] = {
      {"ViewAlert=5\n", CheckState::Checked, {true, false}, {true, false, false}},
      {"", CheckState::Unchecked, {true, false}, {true, false, false}},  // missing keys read as 0
      {"ViewAlert=2\nFileType=1\nDspType=2\n", CheckState::Grayed, {false, true}, {false, false, true}},
      {"ViewAlert=1\nFileType=3\nDspType=-1\n", CheckState::Checked, {false, false}, {false, false, false}},
      {"ViewAlert=-1\nFileType=0.5\n", CheckState::Checked, {true, false}, {true, false, false}},
      {"ViewAlert=1.5\nDspType=1abc\n", CheckState::Grayed, {true, false}, {false, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    std::string lines = c.lines;
    writeIni("[チェックボックス]\n" + lines + "[オプションボタン]\n" + lines);
    ASSERT_TRUE(read());
    EXPECT_EQ(settings.ViewAlert, c.viewAlert);
    EXPECT_EQ(settings.FileType, c.fileType);
    EXPECT_EQ(settings.DspType, c.dspType);
  }
}

TEST_F(SettingsFileTest, WorkingFoldersAreComposedWithSlashes) {
  const std::string prog = dir.str() + "/";
  struct Case {
    std::string path, name, logFolder, projectFolder;
  };
  const Case cases[] = {
      {"", "", prog + "Log", prog + "Projects"},  // both empty: the program folder and the defaults
      {"", "Mine", prog + "Mine", prog + "Mine"},
      {"D:\\Data", "Prj", "D:\\Data/Prj", "D:\\Data/Prj"},
      {"/var/ombrisal", "", "/var/ombrisal/Log", "/var/ombrisal/Projects"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logFolder);
    writeIni("[フォルダパス]\nSysLog=" + c.path + "\nComLog=" + c.path + "\nProjects=" + c.path +
             "\n[フォルダ名]\nSysLog=" + c.name + "\nComLog=" + c.name + "\nProjects=" + c.name + "\n");
    ASSERT_TRUE(read());
    subSetFolders(settings.folders, file.programFolder());
    EXPECT_EQ(settings.folders.SysLog, c.logFolder);
    EXPECT_EQ(settings.folders.ComLog, c.logFolder);
    EXPECT_EQ(settings.folders.Projects, c.projectFolder);
  }
}

TEST_F(SettingsFileTest, MissingFoldersAreCreatedAndAFailureWarnsAndGoesOn) {
  FolderSettings f;
  f.SysLog = dir.file("sys");
  f.ComLog = dir.file("blocked/com");  // "blocked" is a file: the folder cannot be made
  f.Projects = dir.file("deep/er/Projects");
  test::writeFile(dir.file("blocked"), "x");
  subCreateFolders(f, presenter);
  EXPECT_TRUE(std::filesystem::is_directory(f.SysLog));
  EXPECT_TRUE(std::filesystem::is_directory(f.Projects));
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text,
            "通信ログフォルダが作成出来きませんでした。\r\nInit.ini ファイルを見直してください。\r\n" + f.ComLog);
  EXPECT_EQ(presenter.boxes[0].title, "通信ログフォルダの確認");
  EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Exclamation);

  presenter.boxes.clear();
  subCreateFolders(f, presenter);  // existing folders are left alone
  EXPECT_EQ(presenter.boxes.size(), 1u);
}

TEST_F(SettingsFileTest, RangeValuesGiveTextsAndNumbers) {
  struct Case {
    const char* section;
    int kind;
    const char* value;
    const char* firstText;
    const char* lastText;
    std::int32_t first, last;
  };
  const Case cases[] = {
      {"デバイス範囲５桁", kD, "D0000-D6143", "D0000", "D6143", 0, 6143},
      {"デバイス範囲５桁", kW, "W0000-W03FF", "W0000", "W03FF", 0, 1023},
      {"デバイス範囲５桁", kMx, "M9000-M9255", "M9000", "M9255", 9000, 9255},
      {"デバイス範囲７桁", kDx, "D009000-D009255", "D009000", "D009255", 9000, 9255},
      {"デバイス範囲５桁", kX, "X0000-X7FF", "X0000", "X7FF", 0, 2047},
      {"デバイス範囲７桁", kTN, "TN00000-TN02047", "TN00000", "TN02047", 0, 2047},
      {"デバイス範囲７桁", kB, "B000000-B000FFF-junk", "B000000", "B000FFF", 0, 0xFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    writeIni(std::string("[") + c.section + "]\n" + kindInfo(c.kind).code + "=" + c.value + "\n");
    ASSERT_TRUE(read());
    const DevRangeTable& table = std::string(c.section) == "デバイス範囲５桁" ? state.range5 : state.range7;
    const DevRange& r = table[static_cast<std::size_t>(c.kind)];
    EXPECT_EQ(r.firstText, c.firstText);
    EXPECT_EQ(r.lastText, c.lastText);
    EXPECT_EQ(r.first, c.first);
    EXPECT_EQ(r.last, c.last);
  }
}

// A range value that cannot be used is reported once, naming the file,
// section, key and line, and its kind gets the shipped range, so it still
// answers; the read says which kinds fell back.
TEST_F(SettingsFileTest, BadRangeValuesAreReportedOnceEachAndFallBackToTheShippedRange) {
  std::string ini = test::readFile(kShippedIni);
  struct Case {
    const char* key;
    const char* value;
    int kind;
    const char* why;  // the start of the report's description
    int line;         // of the key in the shipped file
    const char *firstText, *lastText;  // the shipped range
    std::int32_t last;
  };
  const Case cases[] = {
      {"X", "X0100", kX, "「先頭-最終」の形ではありません", 43, "X0000", "X07FF", 0x7FF},
      {"Y", "", kY, "値がありません", 44, "Y0000", "Y07FF", 0x7FF},
      {"D", "D99999999999-D0001", kD, "オーバーフロー", 39, "D0000", "D1024", 1024},
      {"W", "D0000-D0100", kW, "デバイス記号が W ではありません", 40, "W0000", "W03FF", 0x3FF},
      {"R", "R0100-R0000", kR, "先頭が最終より後ろです", 41, "R0000", "R8191", 8191},
  };
  test::writeFile(file.fileName(), ini);
  IniFile edited = IniFile::load(file.fileName());
  for (const Case& c : cases) edited.write("デバイス範囲５桁", c.key, c.value);
  edited.save(file.fileName());
  subSetOldVersionRanges(state.range5, state.range7);
  for (const Case& c : cases) state.range5[static_cast<std::size_t>(c.kind)] = DevRange{};

  ASSERT_TRUE(read());
  ASSERT_EQ(errors.reports.size(), std::size(cases));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const DevRange& r = state.range5[static_cast<std::size_t>(c.kind)];
    EXPECT_EQ(r.firstText, c.firstText);
    EXPECT_EQ(r.lastText, c.lastText);
    EXPECT_EQ(r.last, c.last);
    // Its one report, found by its key.
    std::string detail;
    for (const auto& report : errors.reports)
      if (report.detail.find(std::string("[デバイス範囲５桁] ") + c.key + " (") != std::string::npos) detail = report.detail;
    EXPECT_EQ(detail.rfind(std::string("Line 800:") + c.why, 0), 0u) << detail;
    EXPECT_NE(detail.find(file.fileName() + " [デバイス範囲５桁] " + c.key + " (" + std::to_string(c.line) +
                          " 行目) = \"" + c.value + "\""),
              std::string::npos)
        << detail;
    EXPECT_NE(detail.find(std::string("出荷時の範囲 ") + c.firstText + "-" + c.lastText), std::string::npos) << detail;
  }
  EXPECT_EQ(file.rangeFallbacks(), (std::vector<std::string>{"[デバイス範囲５桁] D", "[デバイス範囲５桁] W",
                                                            "[デバイス範囲５桁] R", "[デバイス範囲５桁] X",
                                                            "[デバイス範囲５桁] Y"}));
  // The seven-character table was read as it stands.
  EXPECT_EQ(state.range7[kX].lastText, "X0007FF");
}

TEST_F(SettingsFileTest, DevicesPerPageLenientAndStrict) {
  for (int slot : {int{kD}, int{kX}, 20}) state.pages[static_cast<std::size_t>(slot)].perPage = 99;
  state.pages[kW].perPage = 55;
  writeIni(
      "[ビットデバイス画面設定]\n"
      "X=\n"         // lenient: empty gives 0
      "Y=12abc\n"    // lenient: the leading number
      "D=32\n"       // the bit display of D (slot 20), not the D word view
      "Mx=16.5\n"    // halves to even
      "[ワードデバイス画面設定]\n"
      "D=\n"         // strict: empty is reported, the earlier value stays
      "W=12abc\n"    // strict: not a number
      "R= 300 \n"
      "TN=40000\n"   // beyond 16 bits
      "CN=2.5\n"
      "Dx=128\n");
  ASSERT_TRUE(read());
  EXPECT_EQ(perPage(kX), 0);
  EXPECT_EQ(perPage(kY), 12);
  EXPECT_EQ(perPage(20), 32);
  EXPECT_EQ(perPage(kMx), 16);
  EXPECT_EQ(perPage(kD), 99);
  EXPECT_EQ(perPage(kW), 55);
  EXPECT_EQ(perPage(kR), 300);
  EXPECT_EQ(perPage(kCN), 2);
  EXPECT_EQ(perPage(kDx), 128);

  std::vector<std::string> pageReports;
  for (const auto& line : reportLines())
    if (line.find("Line 900:") != std::string::npos || line.find("Line 1000:") != std::string::npos)
      pageReports.push_back(line);
  EXPECT_EQ(pageReports, (std::vector<std::string>{
                             kRead + "13 Line 900:数値ではありません（12 として読みます）",  // Y
                             kRead + "6 Line 1000:オーバーフローしました。",  // TN
                             kRead + "13 Line 1000:型が一致しません。",       // D
                             kRead + "13 Line 1000:型が一致しません。",       // W
                         }));
}

TEST_F(SettingsFileTest, MainWindowAndWindowRecords) {
  settings.mainWindow.Height = 7000;
  settings.G_SetWindow[2].flg = true;   // G_SetWindow[3]_flg is missing below
  settings.G_SetWindow[3].flg = true;
  settings.G_SetWindow[4].flg = false;
  settings.G_SetWindow[5].flg = true;
  settings.G_SetWindow[6].flg = true;
  writeIni(
      "[画面サイズ]\n"
      "Main_Top=-120\n"
      "Main_Left=100000\n"       // 32-bit
      "Main_Height=400\n"        // not above 500: the designed height stays
      "Main_Width=40000\n"       // beyond 16 bits: reported
      "G_SetWindow[4]_flg=FALSE\n"
      "G_SetWindow[5]_flg=true\n"
      "G_SetWindow[6]_flg=0\n"
      "G_SetWindow[7]_flg=yes\n"  // not a boolean: reported, state kept
      "g_setwindow[7]_page=3\n"
      "G_SetWindow[7]_Top=1500\n"
      "G_SetWindow[7]_Left=2500.5\n"
      "G_SetWindow[7]_Width=15000\n"
      "G_SetWindow[7]_Height=5300\n"
      "G_SetWindow[24]_Page=2\n");
  ASSERT_TRUE(read());
  EXPECT_EQ(settings.mainWindow.Top, -120);
  EXPECT_EQ(settings.mainWindow.Left, 100000);
  EXPECT_EQ(settings.mainWindow.Height, 7000);
  EXPECT_EQ(settings.mainWindow.Width, 0);
  EXPECT_EQ((std::array<bool, 5>{settings.G_SetWindow[2].flg, settings.G_SetWindow[3].flg,
                                 settings.G_SetWindow[4].flg, settings.G_SetWindow[5].flg,
                                 settings.G_SetWindow[6].flg}),
            (std::array<bool, 5>{true, false, true, false, true}));
  const WindowSetting& w = settings.G_SetWindow[6];
  EXPECT_EQ(w.Page, 3);
  EXPECT_EQ(w.Top, 1500);
  EXPECT_EQ(w.Left, 2500);
  EXPECT_EQ(w.Width, 15000);
  EXPECT_EQ(w.Height, 5300);
  EXPECT_EQ(settings.G_SetWindow[23].Page, 2);

  std::vector<std::string> windowReports;
  for (const auto& line : reportLines())
    if (line.find("Line 1400:") != std::string::npos) windowReports.push_back(line);
  EXPECT_EQ(windowReports, (std::vector<std::string>{
                               kRead + "6 Line 1400:オーバーフローしました。",  // Main_Width
                               kRead + "13 Line 1400:型が一致しません。",       // G_SetWindow[7]_flg
                           }));

  writeIni("[画面サイズ]\nMain_Height=600\nMain_Width=501\n");
  ASSERT_TRUE(read());
  EXPECT_EQ(settings.mainWindow.Height, 600);
  EXPECT_EQ(settings.mainWindow.Width, 501);
}

TEST_F(SettingsFileTest, OneBadKeyIsReportedWithItsSectionAndTheRestIsStillRead) {
  std::filesystem::copy_file(kShippedIni, file.fileName());
  IniFile ini = IniFile::load(file.fileName());
  ini.write("ワードデバイス画面設定", "CN", "many");
  ini.write("ファイル名", "GS_ComLog", std::string(130, 'L'));  // cut to 126 bytes
  ini.write("COMポート", "COM3", "/dev/ttyUSB1");
  ini.write("COMポート", "com9", "pty:/tmp/ombrisal-com9");
  ini.save(file.fileName());
  state.pages[kCN].perPage = 41;

  ASSERT_TRUE(read());
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, kRead + "13");
  // CN stands on line 99 of the shipped file; writing its value moved no line.
  EXPECT_EQ(errors.reports[0].detail,
            "Line 1000:型が一致しません。 -- " + file.fileName() + " [ワードデバイス画面設定] CN (99 行目) = \"many\"");
  EXPECT_EQ(perPage(kCN), 41);
  // Keys after the bad one, in its section and in later ones.
  EXPECT_EQ(perPage(kD), 256);
  EXPECT_EQ(perPage(kDx), 256);
  EXPECT_EQ(settings.multiPageTable[kX], 16);
  EXPECT_EQ(settings.Hi, "●");
  EXPECT_EQ(settings.mainWindow.Width, 15600);
  EXPECT_EQ(settings.GS_ComLog, std::string(126, 'L'));
  EXPECT_EQ(settings.comPorts[2], "/dev/ttyUSB1");
  EXPECT_EQ(settings.comPorts[8], "pty:/tmp/ombrisal-com9");
  EXPECT_EQ(settings.comPorts[0], "");
}

// Every value that cannot be used as written is named with the file, its
// section, key, line and value, in the error log's format and in plain
// words; a range that cannot be used falls back and is listed.
TEST_F(SettingsFileTest, EveryUnusableValueIsNamedWhereItStands) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
    const char* says;
    bool range;
  };
  const Case cases[] = {
      {"通信ポート", "GE_InBufferSize", "abc", "数値ではありません（0 として読みます）", false},
      {"チェックボックス", "ViewAlert", "7", "0 から 2 のどれかでなければなりません（1 として読みます）", false},
      {"オプションボタン", "FileType", "3", "0 から 1 のどれかでなければなりません（どれも選ばれません）", false},
      {"デバイス範囲５桁", "TN", "TN000-TN2X5", "「TN2X5」の番号が 10 進の数字ではありません", true},
      {"デバイス範囲７桁", "W", "W0000-W0G00", "「W0G00」の番号が 16 進の数字ではありません", true},
      {"ワードデバイス画面設定", "D", "0", "1 以上の数でなければなりません", false},
      {"ビットデバイス画面設定", "X", "-5", "1 以上の数でなければなりません", false},
      {"マルチワードデバイス画面設定", "R", "0", "1 以上の数でなければなりません", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    std::filesystem::remove(file.fileName());
    std::filesystem::copy_file(kShippedIni, file.fileName());
    IniFile ini = IniFile::load(file.fileName());
    ini.write(c.section, c.key, c.value);
    ini.save(file.fileName());
    const std::size_t line = *IniFile::load(file.fileName()).lineOf(c.section, c.key);
    errors.reports.clear();
    ASSERT_TRUE(read());
    const std::string where = file.fileName() + " [" + c.section + "] " + c.key + " (" + std::to_string(line) +
                              " 行目) = \"" + c.value + "\"";
    ASSERT_EQ(file.problems().size(), 1u) << (file.problems().empty() ? "" : file.problems().back());
    EXPECT_EQ(file.problems()[0].rfind(where + ": ", 0), 0u) << file.problems()[0];
    EXPECT_NE(file.problems()[0].find(c.says), std::string::npos) << file.problems()[0];
    ASSERT_EQ(errors.reports.size(), 1u);
    EXPECT_EQ(errors.reports[0].location.rfind(kRead, 0), 0u);
    EXPECT_NE(errors.reports[0].detail.find(" -- " + where), std::string::npos) << errors.reports[0].detail;
    EXPECT_EQ(file.rangeFallbacks().empty(), !c.range);
  }
}

// A UTF-8 file with one line in another code is still read as UTF-8: that
// line is named, every other key is read.
TEST_F(SettingsFileTest, AUtf8FileWithOneStrayLineNamesOnlyThatLine) {
  const std::string shipped = cp932::decode(test::readFile(kShippedIni));
  const std::string stray = "; " + cp932::encode("全角のコメント") + "\r\n";
  test::writeFile(file.fileName(), stray + shipped);
  ASSERT_TRUE(read());
  ASSERT_EQ(file.problems().size(), 1u) << file.problems().size();
  EXPECT_EQ(file.problems()[0].rfind(file.fileName() + " (1 行目): ", 0), 0u) << file.problems()[0];
  EXPECT_TRUE(file.rangeFallbacks().empty());
  EXPECT_EQ(perPage(kD), 256);
  EXPECT_EQ(settings.Hi, "●");
}

TEST_F(SettingsFileTest, TheReReadTakesOnlyTheMultiScreenBitTextAndWindowSections) {
  std::filesystem::copy_file(kShippedIni, file.fileName());
  ASSERT_TRUE(read());
  IniFile ini = IniFile::load(file.fileName());
  ini.write("フォルダ名", "SysLog", "Other");
  ini.write("ファイル名", "GS_ComLog", "Other");
  ini.write("チェックボックス", "ViewAlert", "1");
  ini.write("デバイス範囲７桁", "D", "D000000-D000099");
  ini.write("ビットデバイス画面設定", "X", "8");
  ini.write("ワードデバイス画面設定", "D", "8");
  ini.write("COMポート", "COM1", "/dev/null");
  ini.write("マルチビットデバイス画面設定", "X", "33");
  ini.write("マルチワードデバイス画面設定", "D", "");  // strict: reported, earlier value kept
  ini.write("マルチワードデバイス画面設定", "W", "44");
  ini.write("ビット表示設定", "Hi", "ON");
  ini.write("画面サイズ", "G_SetWindow[1]_flg", "True");
  ini.write("画面サイズ", "Main_Top", "360");
  ini.save(file.fileName());

  ASSERT_TRUE(read(kIniSectionMultiBit));
  EXPECT_EQ(settings.folders.SysLogName, "Log");
  EXPECT_EQ(settings.GS_ComLog, "ComLog");
  EXPECT_EQ(settings.ViewAlert, CheckState::Unchecked);
  EXPECT_EQ(state.range7[kD].last, 6143);
  EXPECT_EQ(perPage(kX), 64);
  EXPECT_EQ(perPage(kD), 256);
  EXPECT_EQ(settings.comPorts[0], "");

  EXPECT_EQ(settings.multiPageTable[kX], 33);
  EXPECT_EQ(settings.multiPageTable[kD], 16);
  EXPECT_EQ(settings.multiPageTable[kW], 44);
  EXPECT_EQ(settings.Hi, "ON");
  EXPECT_TRUE(settings.G_SetWindow[0].flg);
  EXPECT_EQ(settings.mainWindow.Top, 360);
  EXPECT_EQ(reportLines(), std::vector<std::string>{kRead + "13 Line 1200:型が一致しません。"});
}

TEST_F(SettingsFileTest, WriteBackReplacesTheWindowSectionAndNothingElse) {
  std::filesystem::copy_file(kShippedIni, file.fileName());
  // A user's own lines elsewhere must survive byte for byte.
  IniFile edited = IniFile::load(file.fileName());
  edited.write("ファイル名", "GS_ComLog", "  私のログ  ");
  edited.save(file.fileName());
  const std::string before = test::readFile(file.fileName());
  ASSERT_TRUE(read());

  settings.G_SetWindow[6] = WindowSetting{2, 1500, 2500, 15000, 5300, true};
  settings.G_SetWindow[23].Page = 1;
  file.subPutIniFile(WindowTwips{120, 240, 7000.5, 9600});
  EXPECT_TRUE(errors.reports.empty());

  std::string expected = before;
  auto replace = [&](const std::string& from, const std::string& to) {
    std::size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  };
  replace("G_SetWindow[7]_flg=False\r\n", "G_SetWindow[7]_flg=True\r\n");
  replace("G_SetWindow[7]_Page=0\r\n", "G_SetWindow[7]_Page=2\r\n");
  replace("G_SetWindow[7]_Height=0\r\n", "G_SetWindow[7]_Height=5300\r\n");
  replace("G_SetWindow[7]_Left=0\r\n", "G_SetWindow[7]_Left=2500\r\n");
  replace("G_SetWindow[7]_Top=0\r\n", "G_SetWindow[7]_Top=1500\r\n");
  replace("G_SetWindow[7]_Width=0\r\n", "G_SetWindow[7]_Width=15000\r\n");
  replace("G_SetWindow[24]_Page=0\r\n", "G_SetWindow[24]_Page=1\r\n");
  replace("Main_Top=0\r\n", "Main_Top=120\r\n");
  replace("Main_Left=0\r\n", "Main_Left=240\r\n");
  replace("Main_Height=10800\r\n", "Main_Height=7000.5\r\n");
  replace("Main_Width=15600\r\n", "Main_Width=9600\r\n");
  EXPECT_EQ(test::readFile(file.fileName()), expected);

  // What was written reads back.
  Settings again;
  SettingsFile reread(dir.str(), state, again, presenter);
  ASSERT_TRUE(reread.fncGetIniFile(kIniSectionMultiBit));
  EXPECT_TRUE(again.G_SetWindow[6].flg);
  EXPECT_EQ(again.G_SetWindow[6].Width, 15000);
  EXPECT_EQ(again.mainWindow.Height, 7000);
  EXPECT_EQ(again.mainWindow.Width, 9600);
}

TEST_F(SettingsFileTest, WriteBackAddsAMissingWindowSectionAndReportsAFailedWrite) {
  writeIni("[ビット表示設定]\nHi=1\n");
  settings.G_SetWindow[0].flg = true;
  file.subPutIniFile(WindowTwips{1, 2, 3, 4});
  IniFile ini = IniFile::load(file.fileName());
  EXPECT_EQ(ini.read("ビット表示設定", "Hi"), "1");
  EXPECT_EQ(ini.read("画面サイズ", "G_SetWindow[1]_flg"), "True");
  EXPECT_EQ(ini.read("画面サイズ", "G_SetWindow[24]_Width"), "0");
  EXPECT_EQ(ini.read("画面サイズ", "Main_Width"), "4");
  EXPECT_TRUE(errors.reports.empty());

  SettingsFile nowhere(dir.file("gone"), state, settings, presenter);
  nowhere.subPutIniFile(WindowTwips{});
  ASSERT_EQ(errors.reports.size(), 1u);
  EXPECT_EQ(errors.reports[0].location, "mdlFileAccess.subPutIniFile() 76");  // path not found
  EXPECT_EQ(errors.reports[0].detail.rfind("Line 400:", 0), 0u);
}

TEST(SettingsParsing, BooleanTexts) {
  struct Case {
    const char* text;
    int expected;  // 1 true, 0 false, -1 error
  };
  const Case cases[] = {{"True", 1}, {"FALSE", 0}, {"tRuE", 1}, {"0", 0},   {"-1", 1},  {"2.5", 1},
                        {" 0 ", 0},  {"yes", -1},  {"1x", -1},  {"", -1},   {"Truth", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.expected < 0) {
      EXPECT_THROW(fncIniBoolean(c.text), RuntimeError);
    } else {
      EXPECT_EQ(fncIniBoolean(c.text), c.expected == 1);
    }
  }
}

}  // namespace
}  // namespace omb
