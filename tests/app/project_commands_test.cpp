// The project commands headless: what a save writes comes back on open,
// and a save or an open that fails leaves everything as it was.
#include "app/project_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/device_kind.h"
#include "store/old_project.h"
#include "old_project_bytes.h"
#include "test_support.h"

namespace omb {
namespace {

class Project : public ::testing::Test {
 protected:
  Project() {
    test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
    project = std::make_unique<ProjectCommands>(*core);
    project->projectChanged = [this](const std::string& how) { changes.push_back(how); };
    project->mainWindowPlace = [] { return std::array<int, 4>{600, 900, 7000, 11000}; };
  }
  std::string saveAs(const std::string& path, const std::string& comment) {
    presenter.inputAnswers = {comment};
    presenter.saveAnswers = {path};
    presenter.boxes.clear();
    project->mnuFileSaveAs();
    return presenter.boxes.empty() ? std::string() : presenter.boxes.back().text;
  }
  std::string open(const std::string& path) {
    presenter.fileAnswers = {path};
    presenter.boxes.clear();
    project->mnuFileOpen();
    return presenter.boxes.empty() ? std::string() : presenter.boxes.back().text;
  }
  DeviceMemory& memory() { return core->state.memory; }

  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
  std::unique_ptr<AppCore> core;
  std::unique_ptr<ProjectCommands> project;
  std::vector<std::string> changes;
};

TEST_F(Project, WhatASaveWritesComesBackOnOpen) {
  memory().write(kD, 100, 1234);
  memory().write(kX, 0, 0x00F0);
  core->state.userWordList.add({"D", "D000100", "ポンプ", 100});
  core->comments.subAdd_Comment("D000100\tポンプ");
  core->link.config.format = Format::F3;
  core->link.config.cpu = CpuType::AnACPU;
  core->link.config.station = "1F";
  core->link.config.sum = CheckState::Checked;
  core->pc.baudIndex = 0;
  core->pc.parity = 'e';
  core->pc.handshaking = 2;
  core->pc.hscWait = 25;
  core->state.cellStyles.push_back(CellStyleRecord{"D", 100, "D000100", {}});
  core->state.cellStyles.back().columns[0].set = true;
  core->settings.G_SetWindow[6] = {2, 1500, 900, 8400, 4950, true};
  core->lists.MoniWordList[0] = {"D0100", "D", 100, false, 0};
  core->state.monitorComments.moniWord[0] = "monitored";
  core->state.multi.G_MultiNo[3] = 2;
  auto& d = core->state.multi.G_MultiView[3];
  d.open = true;
  d.records = {{0, 1, 1, 1, 1, 1}, {3, 100, 200, 3000, 4000, 96}, {5, 150, 250, 3100, 4100, 200}};

  const std::string path = dir.file("Test.bin");
  EXPECT_EQ(saveAs(path, "ライン３"), "正常に終了しました。");
  EXPECT_EQ(project->projectPath(), path);
  EXPECT_EQ(changes, std::vector<std::string>{"SaveAs"});
  EXPECT_EQ(test::readFile(path).substr(0, 20), "Ver 2.1.2           ");
  EXPECT_TRUE(std::filesystem::exists(dir.file("Test_Device.cmt")));
  // Slot records in use are renumbered 1, 2 in memory as in the file.
  EXPECT_EQ(d.records[1].number, 1);
  EXPECT_EQ(d.records[2].number, 2);

  // Everything changes, then the project comes back.
  memory().write(kD, 100, 0);
  core->state.userWordList.clear();
  core->comments.subClear_Comment();
  core->link.config = LinkConfig{};
  core->pc.baudIndex = 1;
  core->state.cellStyles.assign(1, CellStyleRecord{});
  d.records.assign(1, MultiWindowRecord{});
  core->projectComment.clear();
  core->settings.G_SetWindow[6] = WindowSetting{};
  core->lists = LinkLists{};
  core->state.monitorComments = MonitorComments{};
  core->state.multi.G_MultiNo[3] = 0;
  EXPECT_EQ(open(path), "");
  EXPECT_EQ(core->settings.G_SetWindow[6].Top, 1500);
  EXPECT_TRUE(core->settings.G_SetWindow[6].flg);
  EXPECT_EQ(core->lists.MoniWordList[0].deviceText, "D0100");
  EXPECT_EQ(core->state.monitorComments.moniWord[0], "monitored");
  EXPECT_EQ(core->state.multi.G_MultiNo[3], 2);
  EXPECT_TRUE(d.open);
  EXPECT_EQ(memory().words(kD)[100], 1234);
  EXPECT_EQ(memory().words(kX)[0], 0x00F0);
  EXPECT_EQ(core->state.userWordList[0].addressText, "D000100");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 100), "ポンプ");
  EXPECT_EQ(core->link.config.format, Format::F3);
  EXPECT_EQ(core->link.config.cpu, CpuType::AnACPU);
  EXPECT_EQ(core->link.config.station, "1F");
  EXPECT_EQ(core->link.config.sum, CheckState::Checked);
  EXPECT_EQ(core->pc.baudIndex, 0);
  EXPECT_EQ(core->pc.parity, 'e');
  EXPECT_EQ(core->pc.handshaking, 2);
  EXPECT_EQ(core->pc.hscWait, 25);
  EXPECT_EQ(core->state.cellStyles.size(), 2u);
  ASSERT_EQ(d.records.size(), 2u);
  EXPECT_EQ(d.records[1].startOffset, 200);
  EXPECT_EQ(core->projectComment, "ライン３");
  EXPECT_EQ(core->projectFileName, "Test.bin");
  EXPECT_TRUE(core->windowFromProject);
  EXPECT_EQ(core->settings.mainWindow.Left, 900);
  EXPECT_EQ(core->settings.mainWindow.Width, 11000);
  EXPECT_EQ(changes.back(), "Open");
}

// The project choosers start in the projects folder: open and import
// there, save on a name there.
TEST_F(Project, TheProjectChoosersStartInTheProjectsFolder) {
  const std::string projects = core->settings.folders.Projects;
  ASSERT_TRUE(std::filesystem::is_directory(projects)) << projects;
  presenter.fileFolders.clear();
  project->mnuFileOpen();
  project->mnuOldFileOpen();
  presenter.inputAnswers = {"comment"};
  project->mnuFileSaveAs();
  ASSERT_EQ(presenter.fileFolders.size(), 3u);
  EXPECT_EQ(presenter.fileFolders[0], projects);
  EXPECT_EQ(presenter.fileFolders[1], projects);
  EXPECT_EQ(std::filesystem::path(presenter.fileFolders[2]).parent_path(), std::filesystem::path(projects));
}

TEST_F(Project, AFailedSaveSaysSoAndKeepsTheOldFile) {
  const std::string path = dir.file("Kept.bin");
  ASSERT_EQ(saveAs(path, "first"), "正常に終了しました。");
  const std::string before = test::readFile(path);
  // A folder that does not exist, and a name that is a folder.
  std::filesystem::create_directory(dir.file("Busy.bin"));
  for (const std::string& target : {dir.file("missing/P.bin"), dir.file("Busy.bin")}) {
    const std::string said = saveAs(target, "second");
    EXPECT_NE(said.find("プロジェクトを保存できませんでした。"), std::string::npos) << target;
    EXPECT_NE(said.find(target), std::string::npos) << "the message names the file";
    EXPECT_EQ(presenter.boxes.back().icon, MsgIcon::Critical);
    for (const auto& b : presenter.boxes) EXPECT_NE(b.text, "正常に終了しました。");
    EXPECT_EQ(project->projectPath(), path) << "the project in use stays";
  }
  EXPECT_EQ(test::readFile(path), before);
  EXPECT_EQ(core->projectComment, "first");
  // No temporary file is left behind (they are hidden: ".Name.XXXXXX").
  for (const auto& e : std::filesystem::directory_iterator(dir.str()))
    EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
}

TEST_F(Project, AnOpenThatFailsLeavesEverythingAsItWas) {
  const std::string path = dir.file("Good.bin");
  ASSERT_EQ(saveAs(path, "good"), "正常に終了しました。");
  memory().write(kD, 7, 77);
  core->comments.subAdd_Comment("D000007\tkept");
  const std::string bytes = test::readFile(path);
  struct Case {
    const char* name;
    std::string content;
    const char* message;
    bool pathKept;
  };
  const Case cases[] = {
      {"cut short", bytes.substr(0, bytes.size() / 2), "プロジェクトを読み込めませんでした。", true},
      {"not a project", "X" + bytes.substr(1), "バージョンが特定できませんでした。", false},
  };
  for (const Case& c : cases) {
    const std::string bad = dir.file(std::string("Bad ") + c.name + ".bin");
    test::writeFile(bad, c.content);
    const std::string said = open(bad);
    EXPECT_EQ(said.substr(0, std::string(c.message).size()), c.message) << c.name;
    EXPECT_EQ(memory().words(kD)[7], 77) << c.name;
    EXPECT_EQ(core->comments.fncDeviceComment("D", 7), "kept") << c.name;
    EXPECT_EQ(project->projectPath().empty(), !c.pathKept) << c.name;
  }
  // Overwrite with no project in use does nothing.
  presenter.boxes.clear();
  project->mnuFileSave();
  EXPECT_TRUE(presenter.boxes.empty());
}

TEST_F(Project, OverwriteAsksAndKeepsTheName) {
  const std::string path = dir.file("Line.bin");
  ASSERT_EQ(saveAs(path, "line"), "正常に終了しました。");
  memory().write(kD, 1, 11);
  presenter.answers = {MsgAnswer::Cancel};
  presenter.boxes.clear();
  project->mnuFileSave();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "プロジェクトを、上書き保存しますか？");
  presenter.boxes.clear();
  project->mnuFileSave();
  EXPECT_EQ(presenter.boxes.back().text, "正常に終了しました。");
  EXPECT_EQ(presenter.boxes.back().title, "プロジェクト上書き保存");
  memory().write(kD, 1, 0);
  open(path);
  EXPECT_EQ(memory().words(kD)[1], 11);
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

std::string craftedOldProject() { return test::oldProjectBytes(); }

TEST_F(Project, AnOldProjectIsImportedWithRangesThatMatchTheirTexts) {
  const std::string current = dir.file("Current.bin");
  ASSERT_EQ(saveAs(current, "current"), "正常に終了しました。");
  core->state.userWordList.add({"D", "D000001", "kept comment", 1});
  test::writeFile(dir.file("Old.bin"), craftedOldProject());
  presenter.answers = {MsgAnswer::Yes};
  presenter.fileAnswers = {dir.file("Old.bin")};
  presenter.boxes.clear();
  project->mnuOldFileOpen();
  ASSERT_GE(presenter.boxes.size(), 2u);
  EXPECT_EQ(presenter.boxes[0].text, "旧バージョンのプロジェクトを読み込みますか？");
  EXPECT_EQ(presenter.boxes.back().text, "プロジェクトのインポートが終了しました");
  for (int k = 0; k < kKindCount; ++k)
    EXPECT_EQ(memory().size(k), static_cast<std::size_t>(kOldWords[static_cast<std::size_t>(k)])) << k;
  EXPECT_EQ(memory().words(kD)[5], 20005);
  EXPECT_EQ(memory().fncDeviceData(9001, "D"), static_cast<std::int16_t>(50001)) << "the special registers from D9000";
  // Range texts in the device notation, so requests pass the range check.
  struct Case {
    int kind;
    const char *first5, *last5, *first7, *last7;
  };
  for (const Case& c : {Case{kD, "D0000", "D1024", "D000000", "D006143"}, Case{kW, "W0000", "W03FF", "W000000", "W000FFF"},
                        Case{kMx, "M9000", "M9255", "M009000", "M009255"}, Case{kTN, "TN000", "TN255", "TN00000", "TN02047"}}) {
    const DevRange& r5 = core->state.range5[static_cast<std::size_t>(c.kind)];
    const DevRange& r7 = core->state.range7[static_cast<std::size_t>(c.kind)];
    EXPECT_EQ(r5.firstText + " " + r5.lastText, std::string(c.first5) + " " + c.last5);
    EXPECT_EQ(r7.firstText + " " + r7.lastText, std::string(c.first7) + " " + c.last7);
  }
  EXPECT_EQ(core->state.pages[kD].perPage, 256);
  EXPECT_EQ(core->state.pages[kMx].perPage, 16);
  EXPECT_EQ(core->state.pages[kX].perPage, 64);
  EXPECT_EQ(core->state.userWordList[0].number, -25536);
  EXPECT_EQ(core->state.userWordList[0].comment, "kept comment") << "the old file has no comments";
  EXPECT_EQ(core->link.config.format, Format::F2);
  EXPECT_EQ(core->link.config.station, "1F");
  EXPECT_EQ(core->projectComment, "old line");
  EXPECT_EQ(core->projectFileName, "Old.bin");
  EXPECT_EQ(project->projectPath(), current) << "the project in use stays the overwrite target";

  // Saved as a current project and opened again: the same state.
  const std::string again = dir.file("Again.bin");
  ASSERT_EQ(saveAs(again, "again"), "正常に終了しました。");
  memory().write(kD, 5, 0);
  open(again);
  EXPECT_EQ(memory().words(kD)[5], 20005);
  EXPECT_EQ(core->state.range7[kD].lastText, "D006143");
}

// A project whose link or line settings the program cannot serve is
// refused as a broken file is: the message names the file, the field and
// the value, and nothing of the file is taken over.
TEST_F(Project, SettingsTheProgramCannotServeRefuseTheFileByName) {
  memory().write(kD, 3, 33);
  const std::string current = dir.file("Current.bin");
  ASSERT_EQ(saveAs(current, "current"), "正常に終了しました。");
  ProjectImage good = project->capture();
  good.memory[kD][3] = 99;  // what a refused file must not bring
  struct Case {
    const char* name;
    std::string content;
    bool old;
    const char* field;  // field and value as the message names them
  };
  auto changed = [&](auto change) {
    ProjectImage p = good;
    change(p);
    return encodeProject(p);
  };
  const Case cases[] = {
      {"sum 7", changed([](ProjectImage& p) { p.sum = 7; }), false, "チェックサム有り の値 7 "},
      {"station with a control character", changed([](ProjectImage& p) { p.station = "\x02" "5"; }), false,
       "局番号 の値 \"(STX)5\" "},
      {"wait 0", changed([](ProjectImage& p) { p.wait = 0; }), false, "受信文字間 Wait の値 0 "},
      {"no baud rate", changed([](ProjectImage& p) { p.menus.bauds = {}; }), false, "ボーレート の値 （選択なし） "},
      {"old, sum 7", test::oldProjectBytes({"07", 7, "old"}), true, "チェックサム有り の値 7 "},
      {"old, station with a control character", test::oldProjectBytes({"0\x1b", 0, "old"}), true,
       "局番号 の値 \"0(ESC)\" "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file("Bad.bin");
    test::writeFile(path, c.content);
    presenter.boxes.clear();
    if (c.old) {
      EXPECT_FALSE(project->importOld(path));
    } else {
      EXPECT_FALSE(project->open(path));
    }
    ASSERT_EQ(presenter.boxes.size(), 1u);
    const std::string& said = presenter.boxes[0].text;
    EXPECT_EQ(said, std::string(c.old ? "旧バージョンのプロジェクトとして読み込めませんでした。"
                                      : "プロジェクトを読み込めませんでした。") +
                        "\r\n" + path + "\r\n" + c.field + "はこのプログラムでは扱えません。");
    EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(memory().words(kD)[3], 33);
    EXPECT_EQ(memory().size(kD), 6144u);
    EXPECT_EQ(core->link.config.station, "00");
    EXPECT_EQ(core->link.config.sum, CheckState::Unchecked);
    EXPECT_EQ(core->pc.baudIndex, 1);
    EXPECT_EQ(project->projectPath(), current) << "the project in use stays";
  }
  // The same file with usable settings opens.
  test::writeFile(dir.file("Good.bin"), encodeProject(good));
  EXPECT_TRUE(project->open(dir.file("Good.bin")));
  EXPECT_EQ(memory().words(kD)[3], 99);
}

TEST_F(Project, AnImportThatCannotBeReadChangesNothing) {
  memory().write(kD, 3, 33);
  const std::string current = dir.file("Current.bin");
  ASSERT_EQ(saveAs(current, "current"), "正常に終了しました。");
  struct Case {
    const char* name;
    std::string content;
    const char* message;
  };
  const Case cases[] = {
      {"a current project", test::readFile(current), "このファイルは現在のバージョンのプロジェクトです。"},
      {"cut short", craftedOldProject().substr(0, 40000), "旧バージョンのプロジェクトとして読み込めませんでした。"},
  };
  for (const Case& c : cases) {
    test::writeFile(dir.file("In.bin"), c.content);
    presenter.boxes.clear();
    presenter.fileAnswers = {dir.file("In.bin")};
    project->cmdGet_Click();
    ASSERT_FALSE(presenter.boxes.empty()) << c.name;
    EXPECT_EQ(presenter.boxes[0].text.substr(0, std::string(c.message).size()), c.message) << c.name;
    EXPECT_EQ(memory().words(kD)[3], 33) << c.name;
    EXPECT_EQ(memory().size(kD), 6144u) << c.name;
  }
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// The generators travel in a file of their own beside the project; the
// project file itself is the same with or without them.
TEST_F(Project, GeneratorsAreKeptBesideTheProject) {
  std::string why;
  ASSERT_TRUE(core->generators.load("counter D100 step=1 min=0 max=99 period=100\nsquare X0 period=500 paused\n",
                                    clock.steadyMs(), why))
      << why;
  const std::string path = dir.file("Sim.bin"), sim = dir.file("Sim_Sim.txt");
  EXPECT_EQ(saveAs(path, "sim"), "正常に終了しました。");
  const std::string withGenerators = test::readFile(path);
  ASSERT_TRUE(std::filesystem::exists(sim));
  EXPECT_NE(test::readFile(sim).find("square X0 duty=0.5 period=500 paused"), std::string::npos) << test::readFile(sim);

  // Opening brings back exactly these, in place of whatever runs.
  ASSERT_TRUE(core->generators.load("ramp D5 period=100", clock.steadyMs(), why)) << why;
  EXPECT_EQ(open(path), "");
  ASSERT_EQ(core->generators.entries().size(), 2u);
  EXPECT_EQ(generatorText(core->generators.entries()[0].spec), "counter D100 step=1 min=0 max=99 period=100");
  EXPECT_TRUE(core->generators.entries()[1].spec.paused);

  // Saved without generators: the same project bytes and no stale file, so
  // a reopen does not bring removed generators back.
  core->generators.clear();
  presenter.boxes.clear();
  project->mnuFileSave();
  EXPECT_FALSE(std::filesystem::exists(sim));
  EXPECT_EQ(test::readFile(path), withGenerators);
  ASSERT_TRUE(core->generators.load("ramp D5 period=100", clock.steadyMs(), why)) << why;
  EXPECT_EQ(open(path), "");
  EXPECT_TRUE(core->generators.empty());

  // A companion file that cannot be read is told; the project still opens
  // and the generators running stay.
  test::writeFile(sim, "counter D100 period=100\nwobble D1\n");
  ASSERT_TRUE(core->generators.load("ramp D5 period=100", clock.steadyMs(), why)) << why;
  const std::string told = open(path);
  EXPECT_NE(told.find("Sim_Sim.txt"), std::string::npos) << told;
  EXPECT_NE(told.find("2 行目"), std::string::npos) << told;
  EXPECT_EQ(project->projectPath(), path);
  ASSERT_EQ(core->generators.entries().size(), 1u);
  EXPECT_EQ(core->generators.entries()[0].spec.kind, GeneratorKind::Ramp);
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// The controller's script travels beside the project as the generators do:
// saved with it, run when it is opened, removed when there is none.
TEST_F(Project, TheScriptIsKeptBesideTheProject) {
  const std::string path = dir.file("Line.bin"), js = dir.file("Line_Script.js");
  const std::string script = "set('D8', get('D8') + 1);\non('M0', function () {});\n";
  ASSERT_FALSE(core->script.load(script, "typed.js"));
  EXPECT_EQ(saveAs(path, "script"), "正常に終了しました。");
  EXPECT_EQ(test::readFile(js), script);

  // Opening runs it after the project's memory is in place (D8 was saved
  // as 1), in place of whatever runs.
  ASSERT_FALSE(core->script.load("on('M1', function () {}); on('M2', function () {});", "other.js"));
  EXPECT_EQ(open(path), "");
  EXPECT_EQ(core->script.status().file, "Line_Script.js");
  EXPECT_EQ(core->script.status().handlers, 1);
  EXPECT_EQ(memory().word(kD, 8), 2);

  // Saved without a script: no stale file, and opening stops the one
  // running.
  ASSERT_FALSE(core->script.load("", ""));
  presenter.boxes.clear();
  project->mnuFileSave();
  EXPECT_FALSE(std::filesystem::exists(js));
  ASSERT_FALSE(core->script.load("on('M1', function () {});", "other.js"));
  EXPECT_EQ(open(path), "");
  EXPECT_FALSE(core->script.running());

  // A script whose first run fails: the project opens, the box says why at
  // its line, nothing runs, and the user's text is kept for saving.
  const std::string broken = "on('M0', function () {});\nnosuch();\n";
  test::writeFile(js, broken);
  memory().write(kD, 8, 0);
  const std::string told = open(path);
  EXPECT_NE(told.find("スクリプトを実行できませんでした。"), std::string::npos) << told;
  EXPECT_NE(told.find("Line_Script.js:2: ReferenceError"), std::string::npos) << told;
  EXPECT_EQ(project->projectPath(), path);
  EXPECT_EQ(memory().word(kD, 8), 2);  // the project was taken over (saved as 2)
  EXPECT_FALSE(core->script.running());
  project->mnuFileSave();
  EXPECT_EQ(test::readFile(js), broken);

  // One that cannot be read is not a script: nothing of the project is
  // taken over.
  std::filesystem::remove(js);
  std::filesystem::create_directory(js);
  memory().write(kD, 8, 0);
  EXPECT_NE(open(path).find("スクリプトを読み込めませんでした。"), std::string::npos);
  EXPECT_EQ(memory().word(kD, 8), 0);
}

}  // namespace
}  // namespace omb
