// The main window: the computer-link settings, the serial port, the traffic
// log, the menus and toolbars that open the device views, and the status
// bar.  It shows the models of AppCore and forwards the user's actions to
// them; the models hold every piece of state the rest of the program needs.
#pragma once

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QElapsedTimer>
#include <QTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolBar>

#include <array>
#include <set>
#include <map>
#include <vector>
#include <functional>
#include <optional>
#include <string>

#include "app/app_core.h"

namespace omb {

class HelpViewer;

// Product name, version text and the version box's fixed texts.
inline constexpr const char* kProductName = "Ombrisal";
std::string versionText();  // " Ver 2.1.2"

class FrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit FrmMain(AppCore& core, QWidget* parent = nullptr);
  ~FrmMain() override;

  // The load sequence: place, captions, start states, port discovery,
  // framing.  Runs once, before the window is first shown.
  void Form_Load();
  // The CPU type and format menus and captions from the link settings.
  void subDsp_CpuKeisiki();

  // Commands whose behaviour lives elsewhere (the device views, later the
  // project file) are registered by id, the objectName of their menu entry;
  // the main window connects its entry to them.
  void registerCommand(const QString& id, std::function<void()> run);
  // A project was opened ("Open"), saved under a name ("SaveAs") or an old
  // one imported ("Import"): the project panel shows its comment; the
  // overwrite command is on after the first two.
  void projectChanged(const std::string& how);
  // The window's place in twips (top, left, height, width), and moving it
  // to a place a project saved.
  std::array<int, 4> placeTwips() const;
  // The fourth status bar panel's text (the version of a project file).
  void showPanel4(const std::string& text);
  void placeAt(const MainWindowSetting& place);
  // Whether the single view of a slot exists (its menu entry and toolbar
  // button work).
  void setViewAvailable(int slot, bool available);
  // Ends the registration: every entry and button that still has nothing
  // behind it is disabled and says so in its tooltip.
  void finishCommands();
  // The tooltip of a command that is not available yet.
  static const QString& notAvailableText();
  // Opens a device view (slot 0-23); the views arrive with their own
  // windows.
  std::function<void(int slot)> openSingleView;
  // Toolbar buttons close an open view instead.
  std::function<void(int slot)> toolbarSingleView;
  std::function<void(int kind)> openMultiView;
  // Closes every device view (at shutdown, before the window section is
  // written).
  std::function<void()> subCloseDeviceView;
  // Reopens the views that were open at the last exit.
  std::function<void()> subView_Dsp;
  // The menu mark of a single view: set while it is open.
  void setViewChecked(int slot, bool open);
  // The control channel of 回線ツール (app/control_channel.h): started at a
  // path (why it could not, else empty) and stopped.
  std::function<std::optional<std::string>(const std::string& path)> startControl;
  std::function<void()> stopControl;

  HelpViewer& help();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildToolbars();
  void buildCentral();
  void buildStatusBar();
  void connectModels();

  void syncPort();
  void syncSettings();
  int settingsWatch_ = 0;
  void syncLogControls();
  void syncLabels();
  void onLogChanged(const LogChange& change);
  void applyLogChange(LogChange::Kind kind, std::size_t trimmedLines, const std::string& inserted);
  // While the engine answers a burst, the log text and the last-frame
  // labels are only queued: drawing them must not delay a reply.  They are
  // shown while the engine waits for a frame's silence (at most twice a
  // second under continuous traffic), or shortly after the line has gone
  // quiet.
  void flushScreen();
  void flushScreenWhenDue();
  void rebuildPortMenu();
  void applyEnableCommSet(bool enabled);
  void chooseCpu(bool anAcpu);
  void chooseFormat(int n);
  void showVersion();
  void Form_QueryUnload();
  void toggleProjectPanel();

  AppCore& core_;
  HelpViewer* help_ = nullptr;
  bool unloaded_ = false;

  // Menus.
  QMenu *mnuFile_, *mnuView_, *mnuSet_, *mnuCpu_, *mnuProto_, *mnuCom_, *mnuCommPort_, *mnuCommBlate_,
      *mnuCommStartBit_, *mnuCommCharLen_, *mnuCommStopBit_, *mnuCommParity_, *mnuHelp_, *mnuFileInport_;
  QAction *mnuFileOpen_, *mnuFileSaveAs_, *mnuFileSave_, *mnuOldFileOpen_, *mnuInitDevCome_, *mnuFileQuit_;
  QAction *mnuCpuAcpu_, *mnuCpuAnAcpu_;
  std::array<QAction*, 5> mnuProtoMode_{};
  std::array<QAction*, 7> mnuCommBps_{};
  QAction *mnuCommCharLen7_, *mnuCommCharLen8_, *mnuCommStopBit1_, *mnuCommStopBit2_;
  QAction *mnuCommParityE_, *mnuCommParityO_, *mnuCommParityN_;
  std::array<QAction*, 24> mnuDsp_{};
  // Line tools: faults and statistics, pacing, several stations.
  QMenu *mnuTool_, *mnuStationShow_;
  QAction *mnuFaults_, *mnuPace_, *mnuStations_;
  QWidget* faultsWindow_ = nullptr;
  // Simulation: value generators and trend charts.
  QMenu* mnuSim_;
  QAction *mnuGenerators_, *mnuTrend_, *mnuTrendOpen_, *mnuScript_;
  QWidget *generatorsWindow_ = nullptr, *trendWindow_ = nullptr, *scriptWindow_ = nullptr;
  QAction* mnuControl_ = nullptr;
  std::string controlPath_;  // the control socket while it runs
  void toggleControl();
  void chooseStations();
  void rebuildStationMenu();
  void showStation(const std::string& number);
  QMenu* popLogText_;
  QAction *popLogSave_, *popLogCls_;
  QToolBar *toolbar1_, *toolbar2_;

  // Link settings.
  QLabel *lblCpuType_, *lblKeisiki_;
  QLineEdit *txtKyokuNo_, *txtPcNo_;
  QCheckBox *chkSum_, *chkCheckValue_, *chkViewAlert_;
  // Serial port.
  QLabel *lblCommPort_, *lblBlate_, *lblParity_, *lblDataLen_, *lblStopBit_, *lblWait_;
  std::array<QRadioButton*, 4> optHandshaking_{};
  QButtonGroup* handshakeGroup_;
  QScrollBar* hscWait_;
  QPushButton *cmdPOpen_, *cmdPClose_;
  // Traffic log.
  QCheckBox *chkLogFile_, *chkLogDsp_, *chkFix_, *chkLogReading_;
  std::array<QRadioButton*, 2> optFileType_{};
  std::array<QRadioButton*, 4> optDspType_{};
  QButtonGroup *fileTypeGroup_, *dspTypeGroup_;
  QLineEdit* txtLogRow_;
  QPushButton *cmdClr_, *cmdSaveLog_;
  QLabel* lblCommLog_;
  QPlainTextEdit* txtCommLog_;
  QLabel *lblComErr_, *lblRev_, *lblSnd_;
  // Status bar panels 1-5.
  std::array<QLabel*, 5> panels_{};
  QString panel5Tag_ = "Comment";
  // What panel 5 shows, taken from the project's state when drawn or read
  // (the log's save preset).
  enum class Panel5 { Nothing, Comment, FileName };
  Panel5 panel5Shows_ = Panel5::Nothing;
  std::string panel5Text() const;
  // The window's caption: product name and version text.
  static std::string mainCaption();

  // Command entries by id, whether something is registered behind each,
  // and the entries and buttons that stay off because nothing is.
  std::map<QString, QAction*> commands_;
  std::set<QString> registered_;
  std::array<bool, kViewSlotCount> viewAvailable_{};
  std::set<QAction*> unavailable_;
  std::vector<std::pair<QAction*, int>> viewButtons_;   // toolbar buttons of single views
  std::vector<QAction*> multiEntries_;                  // menu entries and buttons of multi-screen windows
  void markUnavailable(QAction* a);

  struct PendingLog {
    LogChange::Kind kind;
    std::size_t trimmedLines;
    std::string inserted;
  };
  std::vector<PendingLog> pendingLog_;
  bool labelsPending_ = false;
  QTimer* screenTimer_ = nullptr;
  QElapsedTimer lastFlush_;
};

}  // namespace omb
