// The one owner of the program's state, created at start-up: device
// memory, settings, link settings and lists, the serial port with its
// controller, the traffic log and the protocol engine.  The main window and
// the serve mode both run on it; nothing here draws.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/generators.h"
#include "core/presenter.h"
#include "core/system_state.h"
#include "link/fault_injector.h"
#include "link/link_engine.h"
#include "link/link_stats.h"
#include "link/paced_transport.h"
#include "link/stations.h"
#include "script/script_host.h"
#include "serial/com_ports.h"
#include "serial/line_switch.h"
#include "serial/tcp_transport.h"
#include "serial/port_controller.h"
#include "serial/qt_scheduler.h"
#include "serial/termios_port.h"
#include "serial/traffic_log.h"
#include "store/comment_store.h"
#include "store/error_log.h"
#include "store/project_file.h"
#include "store/settings_file.h"

namespace omb {

class AppCore {
 public:
  // `programFolder`: where Init.ini is; `dataFolder`: where the working
  // folders go when the settings file leaves their place empty (the
  // program folder too when not given; see store/program_folders.h).
  AppCore(Presenter& presenter, const Clock& clock, std::string programFolder, std::string dataFolder = {});
  AppCore(const AppCore&) = delete;
  AppCore& operator=(const AppCore&) = delete;

  // The start-up sequence up to the main window: the settings file (false
  // when it is missing: the program ends), the working folders, the monthly
  // system log check, device storage and page counts; then the settings
  // reach the models that use them.
  bool startUp();

  // "デバイス・コメントをインポート" with its item 0-2 (space, comma or TAB
  // separated): the file chooser, the import, then "CMNT" to every view.
  // Cancelling ends it quietly.  The project in use stays the one the
  // overwrite command saves to, whatever becomes of the import.
  void mnuFileInport(int item);
  // "デバイス・コメントを初期化する": every comment gone at once, no
  // question, then "CMNT" to every view.
  void mnuInitDevCome();

  // The project in use: its comment and file name (status bar panel 5), and
  // whether it supplied the main window's place (then the settings file is
  // not written back at exit).
  std::string projectComment, projectFileName;
  bool windowFromProject = false;
  // What the last project carried for others, written back on save.
  ProjectCarry projectCarry;

  // The settings served (the link settings, the line settings and port
  // choice of `pc`, the wait) are held only here; whoever shows them
  // watches them and renders them afresh after every change.  Whoever
  // changes them (a project, an import, the command line, a menu) calls
  // settingsChanged(), which also brings the port's labels up to date.
  int watchSettings(std::function<void()> show);
  void unwatchSettings(int id);
  void settingsChanged();

  // Device memory changed; the views are told (once they exist).
  // While a change set is being announced as "DATA" through subDspRenew:
  // that set, so the windows learn which words changed; null otherwise.
  const ChangeSet* announcing = nullptr;
  std::function<void(const std::string& device, const std::string& code)> subDspRenew;

  Presenter& presenter;
  const Clock& clock;
  // The base of the working folders, ending with "/".
  const std::string dataFolder;
  ErrorLog errorLog;
  SystemState state;
  CommentStore comments;
  Settings settings;
  SettingsFile settingsFile;
  LinkSettings link;
  LinkLists lists;
  ComPortMap comMap;
  TermiosPort port;
  TcpTransport tcp;
  // The line served: the serial port or a TCP line, by the port's target.
  LineSwitch line;
  QtScheduler scheduler;
  // Replies paced to the line speed on a virtual or TCP line, when
  // `pacing` is on.
  PacedTransport paced;
  bool pacing = false;
  TrafficLog log;
  LinkContext linkContext;
  // Further stations on the line beside the program's own.
  StationSet stations;
  FaultInjector faults;
  LinkStats stats;
  LinkEngine engine;
  PortController pc;

  // Values that move by themselves, on the device memory in front; their
  // timer follows the earliest step due.
  GeneratorSet generators;
  // Runs the generators' steps due now and arms the timer for the next.
  void tickGenerators();
  // The controller's program as a script (script/script_host.h): it hears
  // every station's changes, the line's after their replies have left.
  ScriptHost script;
  // Called after each reply has left (after the script has heard the
  // request): the line's quietest moment, when the windows may draw.
  std::function<void()> lineReplied;

  // Shows station `number` in the windows: they show its memory, lists and
  // monitor comments from now on; nothing moves, so the line, the
  // generators, the recorder and the control channel go on as they were.
  // Allowed while the line is open; false for a number the line does not
  // carry.
  bool showStation(const std::string& number);
  // Sets the stations of the line (the first is the program's own); a
  // station that stays keeps its memory, new ones start empty.  Refused
  // while the port is open.
  bool setStations(const std::vector<std::string>& numbers);
  // The same from the list as the user writes it ("00,01,05"); why it was
  // refused (a mistake in the list, or the port open), or nothing.
  std::optional<std::string> setStationsText(const std::string& text);
  // The station the windows show: its state (memory, pages, monitor
  // comments) and the engine's lists of it.  The program-wide parts of the
  // state (user lists, cell styles, multi-screen records) are `state`'s.
  SystemState* shownState = &state;
  const LinkLists* shownLists = &lists;
  // The windows recount and redraw for another station shown (its pages
  // may differ); set by the window.
  std::function<void()> stationShown;
  // A station's device memory by number (the first's for an empty one);
  // nullptr for a number the line does not carry.
  DeviceMemory* memoryOf(std::string_view number);
  // Every station's change sets, told with the station's number.
  int watchMemory(std::function<void(const std::string& number, const ChangeNotice&)> watcher);
  void unwatchMemory(int id);

 private:
  void memoryChanged(const std::string& number, const ChangeNotice& n);
  void listsChanged(const std::string& number);
  void shownChanged();
  Scheduler::TimerId generatorTimer_ = 0;
  std::vector<std::pair<int, std::function<void()>>> settingsWatchers_;
  std::vector<std::pair<int, std::function<void(const std::string&, const ChangeNotice&)>>> memoryWatchers_;
  int nextWatcher_ = 0;
};

}  // namespace omb
