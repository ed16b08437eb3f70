// The language: how it is chosen, the option that names it, the setting in
// the settings file, and the windows in English.
#include "app/language.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>

#include "app/app_core.h"
#include "app/frm_main.h"
#include "app/help_viewer.h"
#include "app/project_commands.h"
#include "core/clock.h"
#include "core/presenter.h"
#include "app/serve_mode.h"
#include "core/translate.h"
#include "english.h"
#include "store/ini_file.h"
#include "store/project_file.h"
#include "test_support.h"

namespace omb {
namespace {

EnvironmentReader env(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const char* name) -> const char* {
    const auto it = vars.find(name);
    return it == vars.end() ? nullptr : it->second.c_str();
  };
}

TEST(Language, TheOptionThenTheSettingThenTheLocaleChoose) {
  using L = Language;
  using Opt = std::optional<std::string>;
  struct Case {
    const char* what;
    Opt option, setting;
    std::map<std::string, std::string> vars;
    L expected;
  };
  const Case cases[] = {
      {"nothing set", {}, {}, {}, L::Japanese},
      {"English locale", {}, {}, {{"LANG", "en_US.UTF-8"}}, L::English},
      {"C locale", {}, {}, {{"LANG", "C"}}, L::Japanese},
      {"C.UTF-8 locale", {}, {}, {{"LANG", "C.UTF-8"}}, L::Japanese},
      {"POSIX locale", {}, {}, {{"LC_ALL", "POSIX"}, {"LANG", "en_GB"}}, L::Japanese},
      {"another language", {}, {}, {{"LANG", "de_DE.UTF-8"}}, L::Japanese},
      {"LC_ALL before LANG", {}, {}, {{"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "en_US.UTF-8"}}, L::Japanese},
      {"an empty LC_ALL is not set", {}, {}, {{"LC_ALL", ""}, {"LC_MESSAGES", "en_GB"}, {"LANG", "ja_JP"}}, L::English},
      {"LC_MESSAGES before LANG", {}, {}, {{"LC_MESSAGES", "C"}, {"LANG", "en_US"}}, L::Japanese},
      {"setting English", {}, "en", {{"LANG", "C"}}, L::English},
      {"setting over the locale", {}, "ja", {{"LANG", "en_US.UTF-8"}}, L::Japanese},
      {"setting in capitals", {}, "EN", {}, L::English},
      {"unusable setting passed over", {}, "fr", {{"LANG", "en_US"}}, L::English},
      {"empty setting passed over", {}, "", {{"LANG", "en_US"}}, L::English},
      {"option over setting and locale", "ja", "en", {{"LANG", "en_US"}}, L::Japanese},
      {"option English", "en", {}, {{"LANG", "C"}}, L::English},
  };
  for (const Case& c : cases)
    EXPECT_EQ(chooseLanguage(c.option, c.setting, env(c.vars)), c.expected) << c.what;
}

TEST(Language, TheOptionIsTakenOutOfTheArgumentsWhereverItStands) {
  struct Case {
    std::vector<std::string> args, left;
    std::optional<std::string> code;
    const char* error;  // part of the message; null when none
  };
  const Case cases[] = {
      {{"--lang", "en", "--serve", "pty:/tmp/x"}, {"--serve", "pty:/tmp/x"}, "en", nullptr},
      {{"--serve", "pty:/tmp/x", "--lang=ja"}, {"--serve", "pty:/tmp/x"}, "ja", nullptr},
      {{"--lang", "ja", "line3.bin"}, {"line3.bin"}, "ja", nullptr},
      {{"--lang", "ja", "--lang", "en"}, {}, "en", nullptr},
      {{"--lang", "en", "ctl", "/tmp/s", "get", "--lang"}, {"ctl", "/tmp/s", "get", "--lang"}, "en", nullptr},
      {{"ctl", "/tmp/s", "set", "--lang=en"}, {"ctl", "/tmp/s", "set", "--lang=en"}, {}, nullptr},
      {{"--help"}, {"--help"}, {}, nullptr},
      {{"--serve", "pty:/tmp/x", "--lang"}, {}, {}, "--lang needs a value"},
      {{"--lang", "fr"}, {}, {}, "ja or en"},
      {{"--lang="}, {}, {}, "ja or en"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    std::optional<std::string> code;
    std::string error;
    const bool ok = takeLanguageOption(args, code, error);
    SCOPED_TRACE(testing::PrintToString(c.args));
    if (c.error) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      continue;
    }
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(args, c.left);
    EXPECT_EQ(code, c.code);
  }
}

TEST(Language, TheSettingIsReadFromTheSettingsFileInItsOwnCode) {
  test::TempDir dir;
  const std::string file = dir.file("Init.ini");
  EXPECT_EQ(languageSetting(file), std::nullopt);  // no file
  test::writeFile(file, test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
  EXPECT_EQ(languageSetting(file), std::nullopt);  // shipped without it: the locale decides
  IniFile ini = IniFile::load(file);
  ini.write("表示言語", "Language", "en");
  ini.save(file);  // (in CP932, as the shipped file)
  EXPECT_EQ(languageSetting(file), "en");
}

TEST(Language, LibraryTextsFollowTheInstalledTranslation) {
  const std::string japanese = trs("ServeMode", "【通信統計】");
  EXPECT_EQ(japanese, "【通信統計】");
  {
    test::English english;
    ASSERT_TRUE(english.ok);
    EXPECT_EQ(trs("ServeMode", "【通信統計】"), "[Traffic statistics]");
    EXPECT_EQ(fill(trs("Generators", "%1 行目: "), {"12"}), "line 12: ");
    // The usage text in English names every option the Japanese one does.
    const std::string usage = serveUsage();
    EXPECT_EQ(usage.rfind("Usage: ombrisal", 0), 0u) << usage;
    EXPECT_FALSE(test::hasJapanese(QString::fromStdString(usage).remove(QStringLiteral("[表示言語]"))));
  }
  EXPECT_EQ(trs("ServeMode", "【通信統計】"), japanese);
  EXPECT_EQ(serveUsage().rfind("使い方: ombrisal", 0), 0u);
}

TEST(Language, FillReplacesEachPlaceholderOnceInOrder) {
  EXPECT_EQ(fill("%2 then %1", {"a", "b"}), "b then a");
  EXPECT_EQ(fill("%1", {"%2"}), "%2");
  EXPECT_EQ(fill("%1 %3", {"x"}), "x %3");  // no value: left as written
  EXPECT_EQ(fill("100%", {"x"}), "100%");
}

// The main window in English: no caption, menu entry, tool tip or label is
// left in Japanese, and the window is Japanese again once the translation
// is taken out.
TEST(Language, TheMainWindowInEnglishShowsNoJapanese) {
  test::TempDir dir;
  test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
  RecordingPresenter presenter;
  SystemClock clock;
  {
    test::English english;
    ASSERT_TRUE(english.ok);
    AppCore core(presenter, clock, dir.str() + "/");
    ASSERT_TRUE(core.startUp());
    FrmMain w(core);
    w.Form_Load();
    // The tool windows too, which the main window owns.
    for (const char* tool : {"mnuFaults", "mnuGenerators", "mnuTrend"}) {
      auto* a = w.findChild<QAction*>(tool);
      ASSERT_NE(a, nullptr) << tool;
      a->trigger();
    }
    for (const char* window : {"frmFaults", "frmGenerators", "frmTrend"})
      EXPECT_NE(w.findChild<QWidget*>(window), nullptr) << window;
    EXPECT_EQ(test::japaneseLeft(w), QStringList());
    const auto* open = w.findChild<QAction*>("mnuFileOpen");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->text(), "&Open project");
    const auto* port = w.findChild<QPushButton*>("cmdPOpen");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->text(), "Open port");
  }
  AppCore core(presenter, clock, dir.str() + "/");
  ASSERT_TRUE(core.startUp());
  FrmMain w(core);
  EXPECT_EQ(w.findChild<QAction*>("mnuFileOpen")->text(), QString::fromUtf8("プロジェクトを開く(&O)"));
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// What the program writes, in one language: a project with comments, its
// comment file, and the settings file as the window leaves it at exit.
std::map<std::string, std::string> writtenFiles(bool english) {
  std::optional<test::English> translation;
  if (english) translation.emplace();
  test::TempDir dir;
  test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
  RecordingPresenter presenter;
  ManualClock clock{DateTime{2026, 12, 10, 12, 0, 0}};
  AppCore core(presenter, clock, dir.str() + "/");
  EXPECT_TRUE(core.startUp());
  core.comments.subAdd_Comment("D000100\t搬送速度");
  core.comments.subAdd_Comment("X000001\t起動ボタン");
  core.state.memory.write(kD, 100, 1234);
  core.projectComment = "ライン３";
  ProjectCommands project(core);
  EXPECT_EQ(project.subFile_put(dir.file("line3.bin")), std::nullopt);
  EXPECT_TRUE(core.comments.subFile_putDevCmnt(commentFileOf(dir.file("line3.bin"))));
  core.settingsFile.subPutIniFile(WindowTwips{120, 240, 7000, 9000});
  std::map<std::string, std::string> files;
  for (const auto& f : std::filesystem::directory_iterator(dir.str()))
    if (f.is_regular_file()) files[f.path().filename().string()] = test::readFile(f.path().string());
  return files;
}

TEST(Language, TheFilesWrittenAreTheSameBytesInEnglish) {
  const auto japanese = writtenFiles(false);
  EXPECT_TRUE(japanese.count("line3.bin"));
  EXPECT_TRUE(japanese.count("line3_Device.cmt")) << testing::PrintToString(japanese.size());
  EXPECT_EQ(writtenFiles(true), japanese);
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

TEST(Language, HelpOpensTheEnglishPageWhereThereIsOne) {
  HelpViewer help(QStringLiteral(OMBRISAL_SOURCE_DIR "/resources/help"));
  help.showContents();
  EXPECT_TRUE(help.current().path().endsWith("/resources/help/index.html")) << help.current().path().toStdString();
  test::English english;
  ASSERT_TRUE(english.ok);
  help.showContents();
  EXPECT_TRUE(help.current().path().endsWith("/resources/help/en/index.html")) << help.current().path().toStdString();
  help.showTopic(4201);  // the word views
  EXPECT_TRUE(help.current().path().endsWith("/resources/help/en/views.html")) << help.current().path().toStdString();

  // A page the English set lacks: the Japanese one.
  test::TempDir dir;
  std::filesystem::copy(OMBRISAL_SOURCE_DIR "/resources/help", dir.file("help"), std::filesystem::copy_options::recursive);
  std::filesystem::remove(dir.file("help/en/views.html"));
  HelpViewer partial(QString::fromStdString(dir.file("help")));
  partial.showTopic(4201);
  EXPECT_TRUE(partial.current().path().endsWith("/help/views.html")) << partial.current().path().toStdString();
  EXPECT_FALSE(partial.current().path().contains("/en/")) << partial.current().path().toStdString();
}

// Every link between the help pages, of either set, leads to a page that
// exists and to an anchor that page has.
TEST(Language, EveryLinkOfTheHelpPagesLeadsSomewhere) {
  namespace fs = std::filesystem;
  const fs::path root = OMBRISAL_SOURCE_DIR "/resources/help";
  const std::regex href("href=\"([^\"#:]*)(#([^\"]*))?\"");
  int links = 0;
  for (const fs::path& dir : {root, root / "en"})
    for (const auto& f : fs::directory_iterator(dir)) {
      if (f.path().extension() != ".html") continue;
      const std::string page = test::readFile(f.path().string());
      for (auto it = std::sregex_iterator(page.begin(), page.end(), href); it != std::sregex_iterator(); ++it) {
        const std::string file = (*it)[1], anchor = (*it)[3];
        const fs::path target = file.empty() ? f.path() : dir / file;
        SCOPED_TRACE(f.path().string() + " -> " + file + "#" + anchor);
        ASSERT_TRUE(fs::exists(target));
        if (!anchor.empty()) {
          EXPECT_NE(test::readFile(target.string()).find("id=\"" + anchor + "\""), std::string::npos);
        }
        ++links;
      }
    }
  EXPECT_GT(links, 100);
}

}  // namespace
}  // namespace omb
