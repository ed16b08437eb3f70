// Opening, closing, recording and reopening single views, and the refresh
// signal's marking, forwarding order and skip flag.
#include "app/compose.h"
#include "app/app_core.h"
#include "app/project_commands.h"
#include "views/view_manager.h"

#include "ui/dlg_input.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QToolBar>

#include "app/frm_main.h"
#include "core/cp932.h"
#include "core/device_kind.h"
#include "link/link_engine.h"
#include "link/memory_transport.h"
#include "link/scheduler.h"
#include "ui/geometry.h"
#include "store/ini_file.h"
#include "test_support.h"

namespace omb {
namespace {

// A view that only records the signals it is given.
class RecordingView : public DeviceView {
 public:
  RecordingView(ViewContext& ctx, int slot, std::vector<std::pair<int, QString>>& log)
      : DeviceView(ctx, slot, 6000, 4000, ctx.mainWindow), log_(log) {
    setObjectName(QString("view%1").arg(slot));
    placeFromRecord();
  }
  void onReNew(const QString& code) override { log_.emplace_back(slot(), code); }
  void redrawPage() override {}

 private:
  std::vector<std::pair<int, QString>>& log_;
};

class Views : public ::testing::Test {
 protected:
  Views() { reset(); }
  void reset() {
    if (!std::filesystem::exists(dir.file("Init.ini")))
      test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    project.reset();
    manager.reset();
    main.reset();
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    ASSERT_TRUE(core->startUp());
    main = std::make_unique<FrmMain>(*core);
    manager = std::make_unique<ViewManager>(omb::viewHostOf(*core), main.get());
    project = std::make_unique<ProjectCommands>(*core);
    composeWindow(*core, *main, *manager, *project);
    manager->factory = [this](ViewContext& ctx, int slot) { return new RecordingView(ctx, slot, log); };
  }
  std::vector<int> told() const {
    std::vector<int> seen;
    for (const auto& [slot, code] : log) seen.push_back(slot);
    return seen;
  }
  test::TempDir dir;
  RecordingPresenter presenter;
  // A clock the test moves, so an engine on it sees exact silences.
  ManualClock clock{DateTime{2026, 12, 10, 12, 0, 0}};
  std::unique_ptr<AppCore> core;
  std::unique_ptr<FrmMain> main;
  std::unique_ptr<ViewManager> manager;
  std::unique_ptr<ProjectCommands> project;
  std::vector<std::pair<int, QString>> log;
};

TEST_F(Views, ASignalForMReachesTheMViewsTheListsAndNotD) {
  for (int s : {2, 8, 13, 19}) manager->openSingleView(s);
  manager->subDspRenew("M", "DATA");
  EXPECT_TRUE(log.empty()) << "values are drawn at the next display frame";
  manager->flushFrame();
  EXPECT_EQ(told(), (std::vector<int>{8, 13, 19}));
  EXPECT_TRUE(QRegularExpression("^DATA\\d{6} - \\d$").match(manager->lastSignal()).hasMatch())
      << manager->lastSignal().toStdString();
  log.clear();
  manager->subDspRenew("All", "CMNT");  // every open view, in the forwarding order
  EXPECT_EQ(told(), (std::vector<int>{2, 8, 13, 19}));
  EXPECT_EQ(log[0].second, "CMNT");
}

// The comment commands of the File menu: the import tells every view once,
// a cancelled import nothing; neither forgets the project in use.
TEST_F(Views, CommentImportAndInitialiseTellEveryView) {
  for (int s : {2, 8}) manager->openSingleView(s);
  core->projectFileName = "line3.bin";
  test::writeFile(dir.file("c.csv"), "D100,pump\r\nX1F,sensor\r\n");
  presenter.fileAnswers = {dir.file("c.csv"), std::nullopt};
  main->findChild<QAction*>("mnuFileInport1")->trigger();
  EXPECT_EQ(presenter.fileTitles, std::vector<std::string>{"デバイス・コメントをインポート"});
  EXPECT_EQ(presenter.fileFilters, (std::vector<std::string>{"TEXT(*.txt)", "CSV(*.csv)"}));
  EXPECT_EQ(core->comments.fncDeviceComment("D", 100), "pump");
  EXPECT_EQ(core->comments.fncDeviceComment("X", 31), "sensor");
  EXPECT_EQ(told(), (std::vector<int>{2, 8}));
  log.clear();
  main->findChild<QAction*>("mnuFileInport1")->trigger();  // cancelled
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(core->projectFileName, "line3.bin");
  main->findChild<QAction*>("mnuInitDevCome")->trigger();
  EXPECT_EQ(core->comments.fncDeviceComment("D", 100), "");
  EXPECT_EQ(told(), (std::vector<int>{2, 8}));
  EXPECT_EQ(log[0].second, "CMNT");
  EXPECT_TRUE(presenter.boxes.empty()) << "no question, no error";
}

// Lines of an import that cannot be read: one box for all of them, each
// named by the file and its line, and the good lines imported.
TEST_F(Views, ACommentImportNamesItsBadLinesByFileAndLineInOneBox) {
  test::writeFile(dir.file("plant.csv"), "D100,pump\r\nTN10,timer\r\nX1F,sensor\r\nDevice,Comment\r\n");
  presenter.fileAnswers = {dir.file("plant.csv")};
  main->findChild<QAction*>("mnuFileInport1")->trigger();
  EXPECT_EQ(core->comments.fncDeviceComment("X", 31), "sensor");
  ASSERT_EQ(presenter.boxes.size(), 1u);
  const std::string& text = presenter.boxes[0].text;
  EXPECT_NE(text.find("plant.csv 2 行目「TN10,timer」"), std::string::npos) << text;
  EXPECT_NE(text.find("plant.csv 4 行目「Device,Comment」"), std::string::npos) << text;
  EXPECT_EQ(text.find("Line 0"), std::string::npos) << text;
  // The error log keeps the same lines.
  const std::string logged = test::readFile(core->errorLog.filePath());
  EXPECT_NE(logged.find(cp932::encode("plant.csv 2 行目")), std::string::npos);
}

// ウインドウの表示状態を初期化する puts the main window back to its
// designed size, never narrower than its toolbars: Cs, Cc, TEST and USER
// stay on the screen, not behind the toolbar's » button.
TEST_F(Views, AfterTheWindowResetEveryToolbarButtonShows) {
  main->Form_Load();
  main->show();
  auto hidden = [&] {
    QCoreApplication::processEvents();
    QStringList names;
    for (QToolBar* bar : main->findChildren<QToolBar*>())
      for (QAction* a : bar->actions()) {
        QWidget* w = bar->widgetForAction(a);
        if (!w || !w->isVisible()) names << a->objectName();
      }
    return names;
  };
  EXPECT_EQ(hidden(), QStringList{}) << "at the designed size";
  main->resize(500, main->height());
  ASSERT_FALSE(hidden().isEmpty()) << "a narrow window hides buttons";
  main->findChild<QAction*>("mnuInitWindow")->trigger();
  EXPECT_EQ(hidden(), QStringList{}) << main->width();
}

// The project commands through the File menu: saving under a name turns
// the overwrite command on; an open reopens the views the project recorded.
TEST_F(Views, ProjectCommandsFromTheFileMenu) {
  main->Form_Load();
  auto* save = main->findChild<QAction*>("mnuFileSave");
  EXPECT_FALSE(save->isEnabled()) << "nothing to overwrite yet";
  manager->openSingleView(2);
  presenter.inputAnswers = {std::string("menu")};
  presenter.saveAnswers = {dir.file("Menu.bin")};
  main->findChild<QAction*>("mnuFileSaveAs")->trigger();
  EXPECT_EQ(presenter.boxes.back().text, "正常に終了しました。");
  EXPECT_TRUE(save->isEnabled());
  manager->subCloseDeviceView();
  EXPECT_FALSE(manager->isOpen(2));
  presenter.fileAnswers = {dir.file("Menu.bin")};
  log.clear();
  main->findChild<QAction*>("mnuFileOpen")->trigger();
  EXPECT_TRUE(manager->isOpen(2)) << "the view the project recorded as open";
  EXPECT_EQ(core->projectComment, "menu");
}

// The fixed forwarding order, on views whose ascending order is another.
TEST_F(Views, EveryOpenViewIsToldInTheFixedForwardingOrder) {
  for (int s : {0, 1, 4, 5, 6, 8, 11, 20, 22, 21}) manager->openSingleView(s);
  manager->subDspRenew("All", "DATA");
  manager->flushFrame();
  EXPECT_EQ(told(), (std::vector<int>{1, 5, 4, 0, 11, 8, 6, 20, 22, 21}));
  log.clear();
  manager->subDspRenew("All", "CMNT");
  EXPECT_EQ(told(), (std::vector<int>{1, 5, 4, 0, 11, 8, 6, 20, 22, 21}));
}

TEST_F(Views, ConsecutiveSignalsDifferAndTheSkipFlagSwallowsOne) {
  manager->openSingleView(6);
  manager->subDspRenew("X", "DATA");
  const QString first = manager->lastSignal();
  manager->subDspRenew("X", "DATA");
  EXPECT_NE(manager->lastSignal(), first);
  log.clear();
  manager->flushFrame();
  log.clear();
  manager->view(6)->setSkip();
  manager->subDspRenew("X", "DATA");
  manager->flushFrame();
  EXPECT_TRUE(log.empty());
  manager->subDspRenew("X", "DATA");
  manager->flushFrame();
  EXPECT_EQ(told(), (std::vector<int>{6}));
}

// A PC program's write on the line: the change is announced as the request
// runs, before its reply, and the windows only take note; the D view draws
// it at the next display frame, after the reply has left.
TEST_F(Views, TheEngineSignalReachesTheViews) {
  manager->openSingleView(2);
  ManualScheduler loop{clock};
  MemoryTransport port{loop};
  LinkEngine engine{core->linkContext, loop, port};
  port.onReceived = [&engine](std::string_view bytes) { engine.feed(bytes); };
  port.open();
  core->link.config.sum = CheckState::Unchecked;
  std::string replyWhenTold = "none";
  core->subDspRenew = [&](const std::string& device, const std::string& code) {
    replyWhenTold = port.takeOutput();
    manager->subDspRenew(device, code);
  };
  port.feed("\x05" "00FFWW0D0001011234");  // D1 = 1234h
  loop.advance(1000);
  EXPECT_EQ(replyWhenTold, "") << "nothing was sent before the change was announced";
  EXPECT_EQ(port.takeOutput(), "\x06" "00FF") << "the reply left after it";
  EXPECT_TRUE(log.empty()) << "and no window drew before the frame";
  manager->flushFrame();
  EXPECT_EQ(told(), (std::vector<int>{2}));
  EXPECT_EQ(core->state.memory.words(kD)[1], 0x1234);
  port.close();
}

TEST_F(Views, TheToolbarClosesAnOpenViewTheMenuBringsItForward) {
  QAction* menu = main->findChild<QAction*>("mnuDspWordD");
  QAction* button = main->findChild<QAction*>("Toolbar1_D");
  menu->trigger();
  ASSERT_TRUE(manager->isOpen(2));
  EXPECT_TRUE(menu->isChecked());
  menu->trigger();
  EXPECT_TRUE(manager->isOpen(2));
  button->trigger();
  EXPECT_FALSE(manager->isOpen(2));
  EXPECT_FALSE(menu->isChecked());
  button->trigger();
  EXPECT_TRUE(manager->isOpen(2));
}

TEST_F(Views, ViewsOpenAtExitReopenAtTheNextStartInTheirPlaces) {
  main->Form_Load();
  manager->openSingleView(7);
  manager->view(7)->setGeometry(300, 200, 500, 320);
  manager->openSingleView(3);
  manager->view(3)->close();  // closed before exit: not reopened
  main->close();
  EXPECT_FALSE(manager->isOpen(7));
  IniFile ini = IniFile::load(dir.file("Init.ini"));
  EXPECT_EQ(ini.read("画面サイズ", "G_SetWindow[8]_flg"), "True");
  EXPECT_EQ(ini.read("画面サイズ", "G_SetWindow[4]_flg"), "False");

  reset();
  main->Form_Load();
  ASSERT_TRUE(manager->isOpen(7));
  EXPECT_FALSE(manager->isOpen(3));
  const QRect g = manager->view(7)->geometry();
  EXPECT_NEAR(g.left(), 300, 1);
  EXPECT_NEAR(g.top(), 200, 1);
  EXPECT_NEAR(g.width(), 500, 1);
}

TEST_F(Views, RecordingOpenViewsKeepsTheRecordOfAMinimisedOne) {
  manager->openSingleView(9);
  manager->view(9)->setGeometry(100, 120, 400, 300);
  manager->subGet_DeviceView();
  const WindowSetting before = core->settings.G_SetWindow[9];
  EXPECT_TRUE(before.flg);
  EXPECT_EQ(before.Left, static_cast<int>(std::lround(pixelsToTwips(100))));
  manager->view(9)->showMinimized();
  manager->view(9)->move(10, 10);
  manager->subGet_DeviceView();
  EXPECT_EQ(core->settings.G_SetWindow[9].Left, before.Left);
  manager->subCloseDeviceView();
  manager->subGet_DeviceView();
  EXPECT_FALSE(core->settings.G_SetWindow[9].flg);
}


TEST_F(Views, TheViewMenuCommandsResetWhatTheyName) {
  core->state.multi.subAdd_MultiView(3, 0);
  core->state.multi.G_MultiView[3].open = true;
  ASSERT_TRUE(main->findChild<QAction*>("mnuMultiClear")->isEnabled());
  main->findChild<QAction*>("mnuMultiClear")->trigger();
  EXPECT_FALSE(core->state.multi.G_MultiView[3].open);
  EXPECT_EQ(core->state.multi.G_MultiView[3].records[0].number, 0);

  core->state.cellStyles.push_back(CellStyleRecord{"D", 1, "D000001", {}});
  manager->openSingleView(2);
  presenter.answers = {MsgAnswer::No};
  main->findChild<QAction*>("mnuInitCell")->trigger();
  EXPECT_EQ(core->state.cellStyles.size(), 2u);
  presenter.answers = {MsgAnswer::Yes};
  main->findChild<QAction*>("mnuInitCell")->trigger();
  EXPECT_EQ(core->state.cellStyles.size(), 1u);
  EXPECT_FALSE(manager->isOpen(2));
  EXPECT_EQ(presenter.boxes.back().title, "セル・プロパティ初期化");

  manager->openSingleView(6);
  manager->view(6)->setGeometry(300, 300, 400, 300);
  manager->view(6)->close();
  EXPECT_NE(core->settings.G_SetWindow[6].Top, 0);
  presenter.answers = {MsgAnswer::Yes};
  main->findChild<QAction*>("mnuInitWindow")->trigger();
  EXPECT_EQ(core->settings.G_SetWindow[6].Top, 0);
  // The main window's frame (its title bar) is on the screen.
  EXPECT_EQ(main->pos(), main->screen()->availableGeometry().topLeft());
  EXPECT_EQ(presenter.boxes.back().text, "デバイス画面のサイズ、表示位置を初期化しますか？");
  EXPECT_EQ(IniFile::load(dir.file("Init.ini")).read("画面サイズ", "G_SetWindow[7]_Top"), "0");
}

TEST_F(Views, TheDevicesPerPageDialogReadsANumberOrGivesMinusOne) {
  struct Case { const char* answer; int result; };
  for (auto c : {Case{"32", 32}, Case{"", -1}, Case{"abc", -1}, Case{"2.5", 2}, Case{" 64 ", 64}}) {
    presenter.dlgInputAnswer = [&](const std::string& caption, const std::string& prompt, const std::string& preset) {
      EXPECT_EQ(caption, "デバイス点数設定");
      EXPECT_EQ(prompt, "１ページあたりのデバイス点数を入力してください");
      EXPECT_EQ(preset, "16");
      return std::string(c.answer);
    };
    EXPECT_EQ(manager->fncSetRow(16), c.result) << c.answer;
  }
}


// Every entry and button either works or is off and says it is not
// available yet; opening and closing the port never switches one back on.
TEST_F(Views, CommandsWithNothingBehindThemAreOffAndSaySo) {
  struct Case {
    const char* name;
    bool works;
  };
  const Case cases[] = {
      {"mnuDspWordD", true},     {"mnuDspBitCC", true},       {"Toolbar1_D", true},       {"mnuInitCell", true},
      {"mnuInitWindow", true},   {"mnuFileOpen", true},       {"mnuFileSaveAs", true},   {"mnuOldFileOpen", true}, 
      {"mnuFileInport0", true},  {"mnuFileInport2", true},  {"mnuInitDevCome", true},   {"mnuDspUni", true},        {"mnuDspUser", true},
      {"mnuDspWordDbit", true},  {"Toolbar1_Db", true},       {"Toolbar2_X", true},       {"Toolbar2_TEST", true}, 
      {"mnuDspWordDs", true},    {"mnuMultiClear", true},     {"mnuMultiInit", true},
  };
  main->Form_Load();
  for (int round = 0; round < 2; ++round) {
    for (const Case& c : cases) {
      QAction* a = main->findChild<QAction*>(c.name);
      ASSERT_NE(a, nullptr) << c.name;
      EXPECT_EQ(a->isEnabled(), c.works) << c.name;
      if (!c.works) {
        EXPECT_EQ(a->toolTip(), FrmMain::notAvailableText()) << c.name;
      }
    }
    // Through an opening and a closing of the port.
    main->findChild<QPushButton*>("cmdPOpen")->click();
    main->findChild<QPushButton*>("cmdPClose")->click();
  }
  // A submenu with working entries is on while the port is closed.
  EXPECT_TRUE(main->findChild<QMenu*>("mnuFileInport_")->menuAction()->isEnabled());

  // A window where only a few commands have something behind them: the
  // rest are off and say why, the import submenu with them.
  FrmMain bare(*core);
  bare.registerCommand("mnuInitCell", [] {});
  bare.registerCommand("mnuFileOpen", [] {});
  bare.setViewAvailable(2, true);
  bare.finishCommands();
  const Case bareCases[] = {
      {"mnuInitCell", true},    {"mnuFileOpen", true},     {"mnuDspWordD", true},     {"Toolbar1_D", true},
      {"mnuInitWindow", false}, {"mnuFileSaveAs", false},  {"mnuFileInport0", false}, {"mnuDspBitCC", false},
      {"Toolbar1_Db", false},   {"Toolbar2_X", false},     {"mnuMultiClear", false},  {"mnuDspUni", false},
  };
  for (const Case& c : bareCases) {
    QAction* a = bare.findChild<QAction*>(c.name);
    ASSERT_NE(a, nullptr) << c.name;
    EXPECT_EQ(a->isEnabled(), c.works) << c.name;
    if (!c.works) {
      EXPECT_EQ(a->toolTip(), FrmMain::notAvailableText()) << c.name;
    } else {
      EXPECT_NE(a->toolTip(), FrmMain::notAvailableText()) << c.name;
    }
  }
  EXPECT_FALSE(bare.findChild<QMenu*>("mnuFileInport_")->menuAction()->isEnabled());
}


// The device views belong to the main window: they stay above it, and a
// box or a click on it does not bury them.
TEST(ViewOwnership, DeviceViewsAreWindowsOwnedByTheMainWindow) {
  test::TempDir dir;
  test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
  RecordingPresenter presenter;
  SystemClock clock;
  AppCore core(presenter, clock, dir.str() + "/");
  ASSERT_TRUE(core.startUp());
  FrmMain main(core);
  ViewManager views(omb::viewHostOf(core), &main);
  ProjectCommands project(core);
  composeWindow(core, main, views, project);
  for (int slot : {int{kD}, int{kX}}) {
    views.openSingleView(slot);
    DeviceView* v = views.view(slot);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->parentWidget(), &main) << slot;
    EXPECT_TRUE(v->isWindow()) << slot;
  }
}

}  // namespace
}  // namespace omb
