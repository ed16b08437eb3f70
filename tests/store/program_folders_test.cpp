// Where the settings file and the working folders are: beside the program
// when it runs from a folder of its own, per user (XDG) when installed or
// when its folder cannot be written; and nothing written beside a program
// whose folder is not its to write.
#include "store/program_folders.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>

#include "test_support.h"

namespace omb {
namespace {

namespace fs = std::filesystem;

const std::string kShippedIni =
    (fs::path(__FILE__).parent_path().parent_path().parent_path() / "resources" / "Init.ini").string();

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(folder, ec)) names.insert(e.path().lexically_relative(folder));
  return names;
}

// An installation in a scratch folder: <root>/bin holds the program (a
// stand-in file), <root>/share/ombrisal the installed default when asked
// for, and <root>/home the user's folders.
struct Layout {
  explicit Layout(bool iniBeside, bool installed) {
    fs::create_directories(bin);
    test::writeFile(bin + "/ombrisal", "program");
    if (iniBeside) test::writeFile(bin + "/Init.ini", "beside");
    if (installed) {
      fs::create_directories(root.str() + "/share/ombrisal");
      fs::copy_file(kShippedIni, root.str() + "/share/ombrisal/Init.ini");
    }
  }
  test::TempDir root;
  const std::string bin = root.str() + "/bin";
  const UserDirs user{root.str() + "/home/.config/", root.str() + "/home/.local/share/"};
  const std::string settings = user.configHome + "ombrisal/";
  const std::string data = user.dataHome + "ombrisal/";
};

// Runs `check` as an ordinary user and gives its exit status: as root in a
// child that has given up root (chmod stops an ordinary user, never root),
// otherwise right here.
int asOrdinaryUser(const std::function<int()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(99);
    ::_exit(check());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

TEST(UserDirs, FollowTheXdgBaseDirectoryRules) {
  struct Case {
    const char *config, *data, *home;
    std::string wantConfig, wantData;
  };
  const Case cases[] = {
      {"/x/cfg", "/x/data", "/home/u", "/x/cfg/", "/x/data/"},
      {nullptr, nullptr, "/home/u", "/home/u/.config/", "/home/u/.local/share/"},
      // Empty and relative values count as unset.
      {"", "relative/data", "/home/u/", "/home/u/.config/", "/home/u/.local/share/"},
      {"/x/cfg/", nullptr, "/home/u", "/x/cfg/", "/home/u/.local/share/"},
      {nullptr, nullptr, nullptr, "/.config/", "/.local/share/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.config ? c.config : "(unset)") + " " + (c.data ? c.data : "(unset)"));
    const UserDirs dirs = userDirsFrom(c.config, c.data, c.home);
    EXPECT_EQ(dirs.configHome, c.wantConfig);
    EXPECT_EQ(dirs.dataHome, c.wantData);
  }
}

TEST(ProgramFolders, BesideTheProgramOnlyWhenItIsTheProgramsOwnWritableFolder) {
  struct Case {
    const char* what;
    bool iniBeside, installed, writable;
    bool wantPerUser, wantAsked;
  };
  const Case cases[] = {
      {"build folder", true, false, true, false, true},
      {"unpacked copy with its own settings", true, true, true, false, true},
      {"build folder without Init.ini (the missing-file message)", false, false, true, false, true},
      {"installed, run as root", false, true, true, true, false},
      {"installed, run by a user", false, true, false, true, false},
      {"read-only folder with its own settings", true, false, false, true, true},
      {"read-only folder with nothing", false, false, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Layout l(c.iniBeside, c.installed);
    bool asked = false;
    const ProgramFolders f = chooseProgramFolders(l.bin, l.user, [&](const std::string& folder) {
      asked = true;
      EXPECT_EQ(folder, l.bin + "/");
      return c.writable;
    });
    EXPECT_EQ(f.perUser, c.wantPerUser);
    EXPECT_EQ(asked, c.wantAsked);
    EXPECT_EQ(f.settings, c.wantPerUser ? l.settings : l.bin + "/");
    EXPECT_EQ(f.data, c.wantPerUser ? l.data : l.bin + "/");
    // Choosing writes nothing anywhere.
    EXPECT_FALSE(fs::exists(l.root.str() + "/home"));
  }
}

TEST(ProgramFolders, FirstStartPerUserCopiesTheInstalledDefaultAndWritesNothingBesideTheProgram) {
  Layout l(false, true);
  const auto before = namesIn(l.root.str() + "/bin");
  std::string warning = "stale";
  const ProgramFolders f = setUpProgramFolders(l.bin, l.user, [](const std::string&) { return false; }, warning);
  EXPECT_EQ(warning, "");
  ASSERT_TRUE(f.perUser);
  EXPECT_EQ(test::readFile(l.settings + "Init.ini"), test::readFile(kShippedIni));
  EXPECT_TRUE(fs::is_directory(l.data));
  EXPECT_EQ(namesIn(l.bin), before);
  EXPECT_EQ(namesIn(l.root.str() + "/share"), (std::set<std::string>{"ombrisal", "ombrisal/Init.ini"}));

  // The user's own settings are never replaced by the default again.
  test::writeFile(l.settings + "Init.ini", "mine");
  setUpProgramFolders(l.bin, l.user, [](const std::string&) { return false; }, warning);
  EXPECT_EQ(warning, "");
  EXPECT_EQ(test::readFile(l.settings + "Init.ini"), "mine");
  EXPECT_EQ(namesIn(l.settings), (std::set<std::string>{"Init.ini"}));
}

TEST(ProgramFolders, AReadOnlyFolderWithItsOwnSettingsStartsTheUserFromThem) {
  Layout l(true, false);
  std::string warning;
  const ProgramFolders f = setUpProgramFolders(l.bin, l.user, [](const std::string&) { return false; }, warning);
  ASSERT_TRUE(f.perUser);
  EXPECT_EQ(warning, "");
  EXPECT_EQ(test::readFile(l.settings + "Init.ini"), "beside");
}

TEST(ProgramFolders, FromItsOwnFolderNothingIsMadePerUser) {
  Layout l(true, true);
  std::string warning;
  const ProgramFolders f = setUpProgramFolders(l.bin, l.user, folderWritable, warning);
  EXPECT_FALSE(f.perUser);
  EXPECT_EQ(f.settings, l.bin + "/");
  EXPECT_EQ(warning, "");
  EXPECT_FALSE(fs::exists(l.root.str() + "/home"));
  EXPECT_EQ(namesIn(l.bin), (std::set<std::string>{"ombrisal", "Init.ini"}));  // the probe left nothing
}

TEST(ProgramFolders, ASettingsFolderThatCannotBeMadeIsSaid) {
  Layout l(false, true);
  test::writeFile(l.root.str() + "/not-a-folder", "x");
  const UserDirs user{l.root.str() + "/not-a-folder/", l.user.dataHome};
  std::string warning;
  const ProgramFolders f = setUpProgramFolders(l.bin, user, [](const std::string&) { return false; }, warning);
  EXPECT_TRUE(f.perUser);
  EXPECT_NE(warning.find(l.root.str() + "/not-a-folder/ombrisal/"), std::string::npos) << warning;
}

TEST(FolderWritable, ProbesTheFolderForTheUserThatRuns) {
  test::TempDir dir;
  const std::string open = dir.str() + "/open", closed = dir.str() + "/closed";
  fs::create_directories(open);
  fs::create_directories(closed);
  ::chmod(dir.str().c_str(), 0755);
  ::chmod(open.c_str(), 0777);
  ::chmod(closed.c_str(), 0555);
  EXPECT_TRUE(folderWritable(dir.str()));
  EXPECT_TRUE(namesIn(dir.str()) == (std::set<std::string>{"open", "closed"}));  // no probe left behind
  EXPECT_FALSE(folderWritable(dir.str() + "/missing"));
  EXPECT_EQ(asOrdinaryUser([&] { return folderWritable(open) ? 0 : 1; }), 0);
  EXPECT_EQ(asOrdinaryUser([&] { return folderWritable(closed) ? 1 : 0; }), 0);
  EXPECT_TRUE(namesIn(open).empty());
}

// The whole start for an ordinary user of a program in a folder it cannot
// write to, with the real check: settings and data per user, the program's
// folder as it was.
TEST(ProgramFolders, AnOrdinaryUserOfAReadOnlyProgramFolderGetsTheXdgFolders) {
  Layout l(true, false);
  const std::string home = l.root.str() + "/home";
  fs::create_directories(home);
  ::chmod(l.root.str().c_str(), 0755);
  ::chmod(home.c_str(), 0777);
  ::chmod(l.bin.c_str(), 0555);
  const auto before = namesIn(l.bin);
  const int status = asOrdinaryUser([&] {
    std::string warning;
    const ProgramFolders f = setUpProgramFolders(l.bin, l.user, folderWritable, warning);
    return f.perUser && warning.empty() && f.settings == l.settings && f.data == l.data ? 0 : 1;
  });
  ::chmod(l.bin.c_str(), 0755);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::readFile(l.settings + "Init.ini"), "beside");
  EXPECT_TRUE(fs::is_directory(l.data));
  EXPECT_EQ(namesIn(l.bin), before);
}

TEST(HelpFolder, BesideTheProgramElseTheInstalledOne) {
  Layout l(false, true);
  EXPECT_EQ(helpFolder(l.bin + "/"), l.bin + "/help");  // neither: where the build puts it
  fs::create_directories(l.root.str() + "/share/ombrisal/help");
  EXPECT_EQ(fs::path(helpFolder(l.bin + "/")), fs::path(l.root.str() + "/share/ombrisal/help"));
  fs::create_directories(l.bin + "/help");
  EXPECT_EQ(helpFolder(l.bin + "/"), l.bin + "/help");
  EXPECT_EQ(fs::path(installedDefaultIni(l.bin)), fs::path(l.root.str() + "/share/ombrisal/Init.ini"));
}

}  // namespace
}  // namespace omb
