// The start of the program: what the command line asks for, and where an
// installed program keeps its settings, logs and projects.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/app_core.h"
#include "app/command_line.h"
#include "app/frm_main.h"
#include "store/program_folders.h"
#include "test_support.h"

namespace omb {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, ChoosesWindowProjectServeHelpOrVersion) {
  using A = CommandLine::Action;
  struct Case {
    std::vector<std::string> args;
    A action;
    std::string project, port;
  };
  const Case cases[] = {
      {{}, A::Window, "", ""},
      {{"line3.bin"}, A::Window, "line3.bin", ""},
      {{"/data/line 3.bin"}, A::Window, "/data/line 3.bin", ""},
      {{"--version"}, A::Version, "", ""},
      {{"--serve", "pty:/tmp/x", "--version"}, A::Version, "", ""},
      {{"--help"}, A::Help, "", ""},
      {{"-h", "--version"}, A::Help, "", ""},
      {{"--serve", "pty:/tmp/x", "--no-sum"}, A::Serve, "", "pty:/tmp/x"},
      // Two files, or a file with options, are not a window's command line.
      {{"a.bin", "b.bin"}, A::Mistake, "", ""},
      {{"a.bin", "--no-sum"}, A::Mistake, "", ""},
      {{"--bogus"}, A::Mistake, "", ""},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    const CommandLine got = parseCommandLine(c.args);
    EXPECT_EQ(static_cast<int>(got.action), static_cast<int>(c.action));
    EXPECT_EQ(got.project, c.project);
    if (c.action == A::Serve) {
      EXPECT_EQ(got.serve.port, c.port);
      EXPECT_FALSE(got.serve.sum);
    }
    EXPECT_EQ(got.error.empty(), c.action != A::Mistake) << got.error;
  }
}

TEST(CommandLine, VersionLineIsTheVersionTheWindowShows) {
  const std::string line = versionLine();
  ASSERT_EQ(line.rfind("ombrisal ", 0), 0u) << line;
  const std::string number = line.substr(9);
  EXPECT_EQ(number.find_first_not_of("0123456789."), std::string::npos) << line;
  EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << line;
  EXPECT_EQ(" Ver " + number, versionText());
}

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(folder, ec)) names.insert(e.path().lexically_relative(folder));
  return names;
}

// An installed program in <root>/bin with its default in <root>/share, and
// the user's XDG folders under <root>/home.
class FoldersAtStart : public ::testing::Test {
 protected:
  FoldersAtStart() {
    fs::create_directories(bin);
    test::writeFile(bin + "/ombrisal", "program");
    fs::create_directories(root.str() + "/share/ombrisal");
    test::writeFile(root.str() + "/share/ombrisal/Init.ini", shipped);
  }
  test::TempDir root;
  const std::string bin = root.str() + "/bin/";
  const UserDirs user{root.str() + "/home/.config/", root.str() + "/home/.local/share/"};
  const std::string shipped = test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
  RecordingPresenter presenter;
  ManualClock clock;
};

TEST_F(FoldersAtStart, InstalledItKeepsSettingsLogsAndProjectsPerUser) {
  const auto programFiles = namesIn(bin);
  std::string warning;
  const ProgramFolders f = setUpProgramFolders(bin, user, [](const std::string&) { return false; }, warning);
  ASSERT_EQ(warning, "");
  AppCore core(presenter, clock, f.settings, f.data);
  ASSERT_TRUE(core.startUp());
  const std::string data = root.str() + "/home/.local/share/ombrisal/";
  EXPECT_EQ(core.settingsFile.fileName(), root.str() + "/home/.config/ombrisal/Init.ini");
  EXPECT_EQ(core.settings.folders.SysLog, data + "Log");
  EXPECT_EQ(core.settings.folders.Projects, data + "Projects");
  EXPECT_EQ(core.errorLog.folder(), data + "Log");
  EXPECT_TRUE(fs::is_directory(data + "Log"));
  EXPECT_TRUE(fs::is_directory(data + "Projects"));
  EXPECT_TRUE(presenter.boxes.empty());

  // The window section written back at exit goes to the user's copy.
  core.settingsFile.subPutIniFile({100, 200, 3000, 4000});
  EXPECT_NE(test::readFile(core.settingsFile.fileName()), shipped);
  EXPECT_EQ(test::readFile(root.str() + "/share/ombrisal/Init.ini"), shipped);
  EXPECT_EQ(namesIn(bin), programFiles);
}

TEST_F(FoldersAtStart, FromTheBuildFolderEverythingStaysBesideTheProgram) {
  test::writeFile(bin + "Init.ini", shipped);
  std::string warning;
  const ProgramFolders f = setUpProgramFolders(bin, user, folderWritable, warning);
  AppCore core(presenter, clock, f.settings, f.data);
  ASSERT_TRUE(core.startUp());
  EXPECT_EQ(core.settingsFile.fileName(), bin + "Init.ini");
  EXPECT_EQ(core.settings.folders.Projects, bin + "Projects");
  EXPECT_TRUE(fs::is_directory(bin + "Log"));
  EXPECT_FALSE(fs::exists(root.str() + "/home"));
}

}  // namespace
}  // namespace omb
