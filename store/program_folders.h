// Where the program keeps its settings file and its working folders.
//
// Run from a folder of its own (the build folder, or a copy unpacked
// somewhere the user owns), Ombrisal keeps Init.ini, the logs and the
// projects beside the executable, as it always has.  Installed (in
// /usr/bin, a folder the user cannot write to or that holds no Init.ini
// of its own while the installed default sits in ../share/ombrisal/), it
// keeps them per user:
//   Init.ini       $XDG_CONFIG_HOME/ombrisal/  (else ~/.config/ombrisal/)
//   logs, projects $XDG_DATA_HOME/ombrisal/    (else ~/.local/share/ombrisal/)
// and copies the installed default Init.ini there on the first start.
// The window and the serve mode both take their folders from here.
#pragma once

#include <functional>
#include <string>

namespace omb {

inline constexpr const char* kPerUserFolderName = "ombrisal";

// The per-user base folders, absolute, each ending with "/".
struct UserDirs {
  std::string configHome;  // $XDG_CONFIG_HOME or ~/.config
  std::string dataHome;    // $XDG_DATA_HOME or ~/.local/share
};

// The base folders from the variables' values (null when unset).  A value
// that is empty or not absolute counts as unset, as the XDG base directory
// rules say; then `home` is the base ("/" when it is empty too).
UserDirs userDirsFrom(const char* xdgConfigHome, const char* xdgDataHome, const char* home);
// The same from this process's environment; without HOME, the home folder
// of the user's password entry.
UserDirs userDirsFromEnvironment();

// The folders chosen, each ending with "/".
struct ProgramFolders {
  std::string settings;  // holds Init.ini
  std::string data;      // the base of the working folders (logs, projects)
  bool perUser = false;  // the XDG folders rather than the program's own
};

// Whether the program may write into `folder`.  (A test gives its own.)
using WritableCheck = std::function<bool(const std::string& folder)>;

// access(W_OK), then a file really created and removed there: a folder on
// a read-only file system or refused by an access control list says yes to
// the first and no to the second.
bool folderWritable(const std::string& folder);

// The installed default settings file for an executable in
// `programFolder`: <programFolder>/../share/ombrisal/Init.ini; empty when
// there is no such file.
std::string installedDefaultIni(const std::string& programFolder);

// The help pages: <programFolder>/help when it is there (the build
// folder), else the installed <programFolder>/../share/ombrisal/help.
std::string helpFolder(const std::string& programFolder);

// The choice alone, nothing written.  The program's folder is used when
// it already holds Init.ini, or when nothing is installed, provided it is
// writable; otherwise the per-user folders.  Writability is asked only
// when it decides (an installed program's folder is never probed).
ProgramFolders chooseProgramFolders(const std::string& programFolder, const UserDirs& user,
                                    const WritableCheck& writable);

// The choice, then on the per-user side the settings folder is made and,
// when it holds no Init.ini yet, the installed default (or the one beside
// the program) is copied there whole.  What could not be done is said in
// `warning` (the program goes on: a missing Init.ini has its own message).
ProgramFolders setUpProgramFolders(const std::string& programFolder, const UserDirs& user,
                                   const WritableCheck& writable, std::string& warning);

}  // namespace omb
