// The File menu's project commands: "プロジェクトを開く(&O)",
// "プロジェクトに名前を付けて保存(&A)" and "プロジェクト上書き保存(&S)", on the
// program's state.  The windows take part through hooks (closing and
// reopening views, the main window's place, the panels), so the commands
// run and are tested without them.
//
// Saving never destroys the previous project: the file and its comment
// file are each written whole to a temporary file that replaces the old
// one only when complete; a failure names the file and the reason.
// Opening reads the whole file into a state of its own first: a file that
// is not a project, is cut short or is corrupt leaves the running state
// exactly as it was and says why.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/app_core.h"
#include "core/atomic_file.h"
#include "store/project_file.h"

namespace omb {

class ProjectCommands {
 public:
  explicit ProjectCommands(AppCore& core) : core_(core) {}

  void mnuFileOpen();
  void mnuFileSaveAs();
  void mnuFileSave();
  // Opens a project file without asking for it (the command line), with
  // the window's messages.
  bool open(const std::string& path);

  // How much of a project to take over.
  struct LoadScope {
    // Whose station part the file gives; empty: the first station.
    std::string station;
    // Everything (the link and line settings, the windows, the user lists)
    // or only the station part: ranges, pages, memory, lists, monitor
    // comments, while a PC program talks on the line as it started.
    bool whole = true;
    // The value generators kept beside it replace the running ones.
    bool generators = true;
    // So does the script kept beside it (none without one).
    bool script = true;
  };
  struct LoadFailure {
    enum class Why { NotAProject, Unreadable, Generators, Script } why;
    std::string text;  // what went wrong, for the user
    // The project was taken over all the same: only its script did not
    // start (its first run failed).
    bool opened = false;
  };
  // The one way a project is opened, whoever asks (the window, the serve
  // mode, the control channel):
  //   1. the project file, its generator file and its script are read
  //      and checked whole; when one fails nothing is taken over;
  //   2. the image is applied to the model (and the generators replaced);
  //   3. the window's hooks close the views, place the main window and
  //      reopen the views, counting the new pages (headless: nothing);
  //   4. the device comments beside it are loaded, every view is refreshed
  //      and whoever shows the settings is told;
  //   5. its script replaces the one running (none without one).
  std::optional<LoadFailure> load(const std::string& path, const LoadScope& scope);

  // "旧バージョンプロジェクトをインポート": after the question, the views
  // close and the import window runs (`showImportDialog`; without one, one
  // import as its first "再インポート" would); then the comments are
  // emptied (an old project has none).
  void mnuOldFileOpen();
  // "再インポート": the file chooser, then the import.  The path chosen,
  // or nothing when cancelled.
  std::optional<std::string> cmdGet_Click();
  // Imports an old project file: taken over only when read whole; a
  // current project file is refused with a message.  The project in use
  // stays the overwrite command's target.
  bool importOld(const std::string& path);

  // The full path of the project in use; empty when none (the overwrite
  // command then does nothing).
  const std::string& projectPath() const { return projectPath_; }
  const std::string& comment() const { return core_.projectComment; }

  // The program's state as a project, and a project taken over (one read
  // by fncFile_get, its settings checked); whoever shows the settings is
  // told.
  // `station`: whose station part (ranges, pages, memory, lists, monitor
  // comments, station number) goes in; empty for the first station.
  ProjectImage capture(const std::string& station = {});
  void apply(ProjectImage image);
  // Only what belongs to one station (the first when `station` is empty):
  // its ranges and page counts, device memory, test and monitor lists and
  // monitor comments (a further station's project on a multi-drop line).
  // False for a station the line does not carry.
  bool applyStationPart(const ProjectImage& image, const std::string& station = {});
  // The state written to `path` whole or not at all; the failure, if any.
  std::optional<WriteFailure> subFile_put(const std::string& path, const std::string& station = {});
  // A project file read whole into an image, its link and line settings
  // checked (nothing is taken over).
  ProjectRead fncFile_get(const std::string& path);
  // The value generators kept beside a project ("name_Sim.txt"), so the
  // project file itself stays as other versions read it.  Loading replaces
  // the running generators with the file's (none when there is no file) and
  // returns why it could not, leaving the running ones as they were.
  // Saving writes the file whole, or removes a stale one when no generator
  // runs, so reopening the project never brings back removed generators.
  std::optional<std::string> loadSimFile(const std::string& projectPath);
  std::optional<WriteFailure> saveSimFile(const std::string& projectPath);
  // The script kept beside a project ("name_Script.js", UTF-8), read whole
  // into `text` (empty when there is no file); why it cannot be read.
  std::optional<std::string> readScriptFile(const std::string& projectPath, std::string& text);
  // `text` replaces the script running (an empty one only stops it); the
  // error of its first run, as the user reads it.
  std::optional<std::string> runScript(const std::string& text, const std::string& projectPath);
  // Both; why the script did not start.
  std::optional<std::string> loadScriptFile(const std::string& projectPath);
  // The script last run written whole, or a stale file removed when there
  // is none, so reopening the project never brings back a removed script.
  std::optional<WriteFailure> saveScriptFile(const std::string& projectPath);

  // --- hooks of the windows ---
  std::function<void()> closeViews;        // every single view and multi-screen window closed
  std::function<void()> clearMultiViews;   // "マルチ画面全消去"
  std::function<void()> recordViews;       // the open views into G_SetWindow
  std::function<void()> saveMultiViews;    // "SAVE" to the multi-screen windows
  std::function<void()> reopenViews;       // the views and windows the tables mark as open
  std::function<void()> recountViews;      // the views open, opened again counting the pages now shown
  // The main window's place in twips (top, left, height, width) and
  // moving it to a saved place.
  std::function<std::array<int, 4>()> mainWindowPlace;
  std::function<void(const MainWindowSetting&)> placeMainWindow;
  // A project was opened or saved: the project panel and the overwrite
  // command follow; `how` is "Open" or "SaveAs".
  std::function<void(const std::string& how)> projectChanged;
  // The fourth status bar panel: the version of the file read or written.
  std::function<void(const std::string& version)> showVersion;
  // The modal import window (`frmInport`), which runs cmdGet_Click at once.
  std::function<void()> showImportDialog;

 private:
  bool write(const std::string& path, const char* title);
  // The format, CPU type and line menus of a project file (either
  // generation) taken over.
  void applyLinkMenus(const LinkMenus& menus);
  void loadMemory(SystemState& state, const std::array<std::vector<std::int16_t>, kKindCount>& words);
  AppCore& core_;
  std::string projectPath_;
};

}  // namespace omb
