#include "store/program_folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/atomic_file.h"
#include "store/settings_file.h"

namespace omb {

namespace {

namespace fs = std::filesystem;

std::string withSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// An XDG variable counts only when it holds an absolute path.
bool usable(const char* value) { return value != nullptr && value[0] == '/'; }

bool isFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The installed data folder of an executable in `programFolder`.
std::string sharedFolder(const std::string& programFolder) {
  return (fs::path(withSlash(programFolder)) / ".." / "share" / kPerUserFolderName).lexically_normal().string();
}

}  // namespace

UserDirs userDirsFrom(const char* xdgConfigHome, const char* xdgDataHome, const char* home) {
  const std::string base = withSlash(home != nullptr ? home : "");
  return {usable(xdgConfigHome) ? withSlash(xdgConfigHome) : base + ".config/",
          usable(xdgDataHome) ? withSlash(xdgDataHome) : base + ".local/share/"};
}

UserDirs userDirsFromEnvironment() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    // (A service started without HOME still has an entry of its own.)
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr) home = pw->pw_dir;
  }
  return userDirsFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("XDG_DATA_HOME"), home);
}

bool folderWritable(const std::string& folder) {
  const std::string dir = withSlash(folder);
  if (::access(dir.c_str(), W_OK | X_OK) != 0) return false;
  std::string probe = dir + ".ombrisal-probe-XXXXXX";
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string installedDefaultIni(const std::string& programFolder) {
  const std::string path = sharedFolder(programFolder) + "/" + kIniFileName;
  return isFile(path) ? path : std::string();
}

std::string helpFolder(const std::string& programFolder) {
  const std::string beside = withSlash(programFolder) + "help";
  std::error_code ec;
  if (fs::is_directory(beside, ec)) return beside;
  const std::string installed = sharedFolder(programFolder) + "/help";
  return fs::is_directory(installed, ec) ? installed : beside;
}

ProgramFolders chooseProgramFolders(const std::string& programFolder, const UserDirs& user,
                                    const WritableCheck& writable) {
  const std::string own = withSlash(programFolder);
  // An installed program's folder is /usr/bin: even where it could be
  // written (as root) nothing of Ombrisal belongs there.
  const bool ownSettings = isFile(own + kIniFileName) || installedDefaultIni(own).empty();
  if (ownSettings && writable(own)) return {own, own, false};
  return {withSlash(user.configHome) + kPerUserFolderName + "/", withSlash(user.dataHome) + kPerUserFolderName + "/",
          true};
}

ProgramFolders setUpProgramFolders(const std::string& programFolder, const UserDirs& user,
                                   const WritableCheck& writable, std::string& warning) {
  warning.clear();
  ProgramFolders folders = chooseProgramFolders(programFolder, user, writable);
  if (!folders.perUser) return folders;

  std::error_code ec;
  for (const std::string& folder : {folders.settings, folders.data}) {
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
      warning = "cannot create the folder " + folder;
      return folders;
    }
  }
  const std::string target = folders.settings + kIniFileName;
  if (fs::exists(target, ec)) return folders;
  std::string source = installedDefaultIni(programFolder);
  if (source.empty() && isFile(withSlash(programFolder) + kIniFileName)) source = withSlash(programFolder) + kIniFileName;
  if (source.empty()) return folders;  // nothing to start from: the missing-file message says so
  std::string bytes;
  int error = 0;
  if (!readWholeFile(source, bytes, error)) {
    warning = "cannot read the default settings file " + source + ": " + std::strerror(error);
    return folders;
  }
  // Whole or not at all: a half-copied file would be read as the user's own.
  if (const auto failed = writeFileAtomically(target, bytes))
    warning = "cannot copy the default settings file to " + target + ": " + failed->reason;
  return folders;
}

}  // namespace omb
