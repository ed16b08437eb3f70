// The main window offscreen: start-up from a settings file, the link
// settings menus, a real virtual port served from the window, shutdown.
#include "app/frm_main.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableWidget>

#include <filesystem>

#include "ui/geometry.h"
#include "app/output_pump.h"
#include "app/qt_presenter.h"
#include "ui/dlg_msg.h"
#include "core/cp932.h"
#include "store/ini_file.h"
#include "app/project_commands.h"
#include "old_project_bytes.h"
#include "pc_port.h"
#include "test_support.h"
#include "widget_support.h"

namespace omb {
namespace {

using test::child;

void spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A program folder with the shipped settings file; COM1 is a virtual port,
// every other number a device that does not exist.
class MainWindow : public ::testing::Test {
 protected:
  MainWindow() {
    writeIni({});
  }
  void writeIni(const std::vector<std::pair<std::string, std::string>>& windowKeys, bool withPort = true) {
    std::string ini = test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
    for (int n = 1; n <= 16; ++n)
      ini += "COM" + std::to_string(n) + "=" +
             (n == 1 && withPort ? "pty:" + dir.file("com1") : dir.file("no-device" + std::to_string(n))) + "\r\n";
    test::writeFile(dir.file("Init.ini"), ini);
    IniFile file = IniFile::load(dir.file("Init.ini"));
    for (const auto& [key, value] : windowKeys) file.write("画面サイズ", key, value);
    file.save(dir.file("Init.ini"));
  }
  std::unique_ptr<AppCore> start() {
    auto core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
    return core;
  }
  test::TempDir dir;
  RecordingPresenter presenter;
  SystemClock clock;
};

TEST_F(MainWindow, LoadsWithEveryNamedControlAndTheStartStates) {
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  EXPECT_EQ(w.windowTitle(), "Ombrisal Ver 2.1.2");
  for (const char* name : {"lblCpuType", "lblKeisiki", "txtKyokuNo", "txtPcNo", "chkSum", "chkCheckValue",
                           "chkViewAlert", "lblCommPort", "lblBlate", "lblParity", "lblDataLen", "lblStopBit",
                           "hscWait", "lblWait", "cmdPOpen", "cmdPClose", "chkLogFile", "chkLogDsp", "chkFix",
                           "txtLogRow", "cmdClr", "cmdSaveLog", "lblCommLog", "txtCommLog", "lblComErr", "lblRev",
                           "lblSnd", "optHandshaking0", "optHandshaking3", "optFileType0", "optFileType1",
                           "optDspType0", "optDspType2", "stsPortNo", "stsSetting", "stsStatus", "stsPrjVersion",
                           "stsProjectInfo"})
    EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
  for (const char* name : {"mnuFileOpen", "mnuFileSaveAs", "mnuFileSave", "mnuOldFileOpen", "mnuInitDevCome",
                           "mnuFileQuit", "mnuCpuAcpu", "mnuCpuAnAcpu", "mnuProtoMode1", "mnuProtoMode4",
                           "mnuProtoMode0", "mnuDspWordTN", "mnuDspBitCC", "mnuDspUni", "mnuDspUser",
                           "mnuDspWordDxbit", "mnuHelpTorisetu", "mnuHelpVerInfo", "popLogSave", "popLogCls",
                           "Toolbar1_T", "Toolbar1_Dxb", "Toolbar1_Cc", "Toolbar2_TEST", "Toolbar2_USER",
                           "Toolbar2_blank6", "Toolbar2_blank20"})
    EXPECT_NE(w.findChild<QAction*>(name), nullptr) << name;
  EXPECT_EQ(w.findChild<QAction*>("mnuDspUni")->shortcut(), QKeySequence("F5"));
  EXPECT_EQ(w.findChild<QAction*>("mnuDspBitMx")->shortcut(), QKeySequence("Ctrl+Shift+F3"));
  EXPECT_FALSE(w.findChild<QAction*>("mnuFileSave")->isEnabled());
  EXPECT_FALSE(w.findChild<QAction*>("Toolbar2_blank8")->isEnabled());
  EXPECT_FALSE(w.findChild<QAction*>("mnuProtoMode0")->isVisible());
  EXPECT_EQ(child<QLabel>(w, "lblCpuType")->text(), "ACPU");
  EXPECT_EQ(child<QLabel>(w, "lblKeisiki")->text(), "形式１");
  EXPECT_EQ(child<QLabel>(w, "lblWait")->text(), "40 mmSec");
  EXPECT_EQ(child<QLabel>(w, "stsPortNo")->text(), "1");
  EXPECT_EQ(child<QLabel>(w, "stsSetting")->text(), "9600,n,8,1");
  EXPECT_EQ(child<QLabel>(w, "stsStatus")->text(), "Close");
  EXPECT_TRUE(child<QPushButton>(w, "cmdPOpen")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(w, "cmdPClose")->isEnabled());
  EXPECT_FALSE(child<QLineEdit>(w, "txtPcNo")->isEnabled());
  EXPECT_TRUE(child<QCheckBox>(w, "chkLogDsp")->isChecked());  // LogDsp=1 in the shipped file
  EXPECT_TRUE(presenter.boxes.empty());
}

TEST_F(MainWindow, TheLinkSettingsMenusDriveTheEngine) {
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  w.findChild<QAction*>("mnuCpuAnAcpu")->trigger();
  EXPECT_EQ(child<QLabel>(w, "lblCpuType")->text(), "AnACPU");
  EXPECT_EQ(core->link.config.cpu, CpuType::AnACPU);
  EXPECT_FALSE(w.findChild<QAction*>("mnuCpuAcpu")->isChecked());
  w.findChild<QAction*>("mnuProtoMode3")->trigger();
  EXPECT_EQ(child<QLabel>(w, "lblKeisiki")->text(), "形式３");
  EXPECT_EQ(core->link.config.format, Format::F3);
  EXPECT_EQ(core->link.framing().reqTail, std::string(1, ETX));
  EXPECT_FALSE(w.findChild<QAction*>("mnuProtoMode1")->isChecked());
  child<QLineEdit>(w, "txtKyokuNo")->setText("05");
  EXPECT_EQ(core->link.config.station, "05");
  EXPECT_EQ(core->link.config.sum, CheckState::Checked);  // ticked at start
  child<QCheckBox>(w, "chkSum")->click();
  EXPECT_EQ(core->link.config.sum, CheckState::Unchecked);
  w.findChild<QAction*>("mnuCommBps0")->trigger();
  w.findChild<QAction*>("mnuCommParityE")->trigger();
  w.findChild<QAction*>("mnuCommCharLen7")->trigger();
  w.findChild<QAction*>("mnuCommStopBit2")->trigger();
  EXPECT_EQ(child<QLabel>(w, "stsSetting")->text(), "19200,e,7,2");
  EXPECT_EQ(child<QLabel>(w, "lblParity")->text(), "偶数");
}

// A project opened and an old project imported change the settings the
// line serves; the window shows exactly those, and an overwrite save keeps
// what it shows.
TEST_F(MainWindow, ProjectOpenAndOldImportShowTheSettingsServed) {
  // The project is written by a program of its own: station 05, no sum
  // check, a wait of 42, format 4, AnACPU, 19200 baud.
  const std::string saved = dir.file("Line5.bin");
  {
    auto other = start();
    other->link.config = LinkConfig{Format::F4, CpuType::AnACPU, "05", "FF", CheckState::Unchecked, false};
    other->pc.hscWait = 42;
    other->pc.baudIndex = 0;
    ASSERT_FALSE(ProjectCommands(*other).subFile_put(saved).has_value());
  }
  test::writeFile(dir.file("Old.bin"), test::oldProjectBytes({"07", 2, "old"}));

  struct Case {
    const char* name;
    std::function<bool(ProjectCommands&)> load;
    const char *station, *keisiki, *cpu, *baud, *wait;
    Qt::CheckState sum;
  };
  const Case cases[] = {
      {"project", [&](ProjectCommands& p) { return p.open(saved); }, "05", "形式４", "AnACPU", "19200", "42 mmSec",
       Qt::Unchecked},
      {"old project", [&](ProjectCommands& p) { return p.importOld(dir.file("Old.bin")); }, "07", "形式２", "AnACPU",
       "19200", "40 mmSec", Qt::PartiallyChecked},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto core = start();
    FrmMain w(*core);
    w.Form_Load();
    ProjectCommands project(*core);
    ASSERT_EQ(child<QCheckBox>(w, "chkSum")->checkState(), Qt::Checked);  // as at start
    ASSERT_TRUE(c.load(project));
    EXPECT_EQ(child<QLineEdit>(w, "txtKyokuNo")->text().toStdString(), c.station);
    EXPECT_EQ(core->link.config.station, c.station);
    EXPECT_EQ(child<QCheckBox>(w, "chkSum")->checkState(), c.sum);
    EXPECT_FALSE(core->link.config.sumOn());
    EXPECT_EQ(child<QLabel>(w, "lblWait")->text().toStdString(), c.wait);
    EXPECT_EQ(child<QScrollBar>(w, "hscWait")->value(), core->pc.hscWait);
    EXPECT_EQ(child<QLabel>(w, "lblKeisiki")->text().toStdString(), c.keisiki);
    EXPECT_TRUE(w.findChild<QAction*>(QString("mnuProtoMode%1").arg(core->link.config.formatNumber()))->isChecked());
    EXPECT_EQ(child<QLabel>(w, "lblCpuType")->text().toStdString(), c.cpu);
    EXPECT_TRUE(w.findChild<QAction*>("mnuCpuAnAcpu")->isChecked());
    EXPECT_EQ(child<QLabel>(w, "lblBlate")->text().toStdString(), c.baud);
    EXPECT_TRUE(w.findChild<QAction*>("mnuCommBps0")->isChecked());

    // What the user then changes on the window is what a save writes.
    child<QLineEdit>(w, "txtKyokuNo")->setText("1A");
    child<QCheckBox>(w, "chkSum")->click();
    child<QScrollBar>(w, "hscWait")->setValue(77);
    EXPECT_EQ(child<QLabel>(w, "lblWait")->text(), "77 mmSec");
    const ProjectImage captured = project.capture();
    EXPECT_EQ(captured.station, "1A");
    EXPECT_EQ(captured.sum, static_cast<std::int16_t>(CheckState::Checked));
    EXPECT_EQ(captured.wait, 77);
  }
}

TEST_F(MainWindow, ServesAPcProgramFromTheWindowAndLocksTheSettingsWhileOpen) {
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  w.show();
  child<QScrollBar>(w, "hscWait")->setValue(5);
  w.findChild<QAction*>("mnuProtoMode4")->trigger();
  w.findChild<QAction*>("mnuCpuAnAcpu")->trigger();
  child<QPushButton>(w, "cmdPOpen")->click();
  EXPECT_EQ(child<QLabel>(w, "stsStatus")->text(), "Open");
  EXPECT_FALSE(child<QLineEdit>(w, "txtKyokuNo")->isEnabled());
  EXPECT_FALSE(w.findChild<QAction*>("mnuFileOpen")->isEnabled());
  EXPECT_TRUE(child<QPushButton>(w, "cmdPClose")->isEnabled());
  const QString log = child<QPlainTextEdit>(w, "txtCommLog")->toPlainText();
  EXPECT_TRUE(log.contains("受信文字間Wait : 5 [mSec]")) << log.toStdString();

  child<QRadioButton>(w, "optDspType1")->click();  // control characters named
  EXPECT_EQ(core->log.optDspType(), DspType::Replaced);
  test::PcPort pc(dir.file("com1"));
  ASSERT_TRUE(pc.ok());
  // Format 4, the AnACPU set, sum check on (as it is at start).
  pc.send(std::string(1, ENQ) + "00FFQR0D0000000184\r\n");
  std::string reply;
  QElapsedTimer t;
  t.start();
  while (reply.size() < 12 && t.elapsed() < 3000) {
    spin(5);
    reply += pc.receive(12 - reply.size(), 1);
  }
  EXPECT_EQ(reply, std::string(1, STX) + "00FF0000" + std::string(1, ETX) + "AF\r\n");
  EXPECT_TRUE(presenter.boxes.empty());
  spin(200);  // the log is drawn once the line has been quiet for a moment
  const QString shown = child<QPlainTextEdit>(w, "txtCommLog")->toPlainText();
  EXPECT_TRUE(shown.contains("受信 : (ENQ)00FFQR0D0000000184(CR)(LF)")) << shown.toStdString();
  EXPECT_TRUE(shown.contains("送信 : (STX)00FF0000(ETX)AF(CR)(LF)")) << shown.toStdString();
  EXPECT_EQ(child<QLabel>(w, "lblSnd")->text(), QString("\x02") + "00FF0000\x03" + "AF\r\n");
  // A frame with CR LF leaves the labels one line tall.
  EXPECT_EQ(child<QLabel>(w, "lblSnd")->height(), child<QLabel>(w, "lblComErr")->height());
  EXPECT_LT(child<QLabel>(w, "lblRev")->height(), 2 * child<QLabel>(w, "lblRev")->fontMetrics().height());

  child<QPushButton>(w, "cmdPClose")->click();
  EXPECT_EQ(child<QLabel>(w, "stsStatus")->text(), "Close");
  EXPECT_TRUE(child<QLineEdit>(w, "txtKyokuNo")->isEnabled());
  EXPECT_FALSE(std::filesystem::exists(dir.file("com1")));
  // The log file's options follow 通信ﾛｸﾞﾌｧｲﾙ出力 also after the close.
  auto* chkLogFile = child<QCheckBox>(w, "chkLogFile");
  ASSERT_FALSE(chkLogFile->isChecked());
  for (bool ticked : {false, true, false}) {
    if (chkLogFile->isChecked() != ticked) chkLogFile->click();
    for (const char* option : {"optFileType0", "optFileType1"})
      EXPECT_EQ(child<QRadioButton>(w, option)->isEnabled(), ticked) << option << (ticked ? " ticked" : " unticked");
  }
}

// A COM number mapped to a TCP line serves from the window like a port.
TEST_F(MainWindow, AComNumberMappedToTcpServesFromTheWindow) {
  std::string ini = test::readFile(dir.file("Init.ini"));
  const std::size_t com1 = ini.rfind("COM1=");  // the fixture's own mapping, last in the file
  ini.replace(com1, ini.find("\r\n", com1) - com1, "COM1=tcp:0");
  test::writeFile(dir.file("Init.ini"), ini);
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  child<QPushButton>(w, "cmdPOpen")->click();
  EXPECT_EQ(child<QLabel>(w, "stsStatus")->text(), "Open");
  EXPECT_TRUE(core->line.tcp());
  EXPECT_EQ(core->line.peerPath().rfind("tcp:127.0.0.1:", 0), 0u) << core->line.peerPath();
  child<QPushButton>(w, "cmdPClose")->click();
  EXPECT_EQ(child<QLabel>(w, "stsStatus")->text(), "Close");
  EXPECT_FALSE(core->line.isOpen());
}

TEST_F(MainWindow, WithoutAnyPortTheUserIsToldOnceAndBothButtonsStayOff) {
  writeIni({}, false);
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].text, "利用可能なＣＯＭＭポートがありません。\r\n");
  EXPECT_EQ(presenter.boxes[0].title, "COM Port Error");
  EXPECT_FALSE(child<QPushButton>(w, "cmdPOpen")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(w, "cmdPClose")->isEnabled());
}

TEST_F(MainWindow, AMissingSettingsFileEndsStartUp) {
  std::filesystem::remove(dir.file("Init.ini"));
  AppCore core(presenter, clock, dir.str() + "/");
  EXPECT_FALSE(core.startUp());
  EXPECT_EQ(presenter.boxes.size(), 1u);
}

TEST_F(MainWindow, ClosingWithTheLogFileOpenWritesTheShutdownLinesAndTheWindowSection) {
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  core->log.setChkLogFile(true);
  core->log.setOptFileType(LogFileType::Fixed);
  child<QPushButton>(w, "cmdPOpen")->click();
  ASSERT_TRUE(core->port.isOpen());
  w.resize(900, 600);
  w.close();
  EXPECT_FALSE(core->port.isOpen());
  const std::string logFile = test::readFile(core->settings.folders.ComLog + "/" + core->settings.GS_ComLog + ".txt");
  const std::string tail = "--------------------------------------------------\r\nForm_QueryUnload()\r\nPort = 1 close\r\n"
                           "--------------------------------------------------\r\n";
  ASSERT_GE(logFile.size(), tail.size());
  EXPECT_EQ(logFile.substr(logFile.size() - tail.size()), tail);
  IniFile after = IniFile::load(dir.file("Init.ini"));
  ASSERT_EQ(logicalDpi(), 96.0);  // 15 twips a pixel
  EXPECT_EQ(after.read("画面サイズ", "Main_Width"), "13500");
  EXPECT_EQ(after.read("画面サイズ", "Main_Height"), "9000");
}

TEST_F(MainWindow, AWindowPlacedByAProjectLeavesTheSettingsFileAlone) {
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  core->windowFromProject = true;
  const std::string before = test::readFile(dir.file("Init.ini"));
  w.close();
  EXPECT_EQ(test::readFile(dir.file("Init.ini")), before);
}

// Sizes from the settings file are taken only above 500 twips; the
// designed height (720 pixels) stays otherwise, and a width not given is the
// shipped file's 15600 twips.  (Offscreen the screen has 96 dots per inch:
// 15 twips a pixel.)
TEST_F(MainWindow, SizesAbove500TwipsAreAppliedOthersKeepTheDesignedSize) {
  ASSERT_EQ(logicalDpi(), 96.0);
  struct Case {
    const char* height;
    const char* width;
    int expectedHeight, expectedWidth;
  };
  for (const Case& c : {Case{"6000", "", 400, 1040}, Case{"400", "12000", 720, 800}, Case{"500", "", 720, 1040}}) {
    std::vector<std::pair<std::string, std::string>> keys{{"Main_Height", c.height}};
    if (*c.width) keys.emplace_back("Main_Width", c.width);
    writeIni(keys);
    auto core = start();
    FrmMain w(*core);
    w.Form_Load();
    EXPECT_EQ(w.height(), c.expectedHeight) << c.height;
    EXPECT_EQ(w.width(), c.expectedWidth) << c.width;
  }
}


// The window tells of a range it could not use in one box, naming where it
// is, and that kind keeps answering with the shipped range.
TEST(StartUp, AnUnusableRangeIsToldOnceAndFallsBackToTheShippedRange) {
  test::TempDir dir;
  IniFile ini = IniFile::load(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
  ini.write("デバイス範囲７桁", "D", "D000000");
  ini.write("デバイス範囲７桁", "W", "Q0-Q1");
  ini.save(dir.file("Init.ini"));
  RecordingPresenter presenter;
  SystemClock clock;
  AppCore core(presenter, clock, dir.str() + "/");
  ASSERT_TRUE(core.startUp());
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_EQ(presenter.boxes[0].icon, MsgIcon::Critical);
  const std::string& text = presenter.boxes[0].text;
  EXPECT_NE(text.find("[デバイス範囲７桁] D ("), std::string::npos) << text;
  EXPECT_NE(text.find("[デバイス範囲７桁] W ("), std::string::npos) << text;
  EXPECT_NE(text.find("出荷時の範囲 D000000-D006143 を使います"), std::string::npos) << text;
  EXPECT_EQ(core.state.range7[kD].lastText, "D006143");
  EXPECT_EQ(core.state.memory.size(kD), 6144u);
  EXPECT_EQ(core.settingsFile.rangeFallbacks().size(), 2u);
}


TEST(TerminalSafe, NothingThatCouldActOnATerminalGetsThrough) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"受信 : (ENQ)00FF\n", "受信 : (ENQ)00FF\n"},
      {"\x1b[2J", "(ESC)[2J"},
      {"a\rb\tc\x07", "a(CR)b(HT)c(BEL)"},
      {"x\x7fy", "x(DEL)y"},
      {"\xc2\x9b" "31m", "(U+009B)31m"},
      {"\xc2\xa0\xe3\x81\x82", "\xc2\xa0\xe3\x81\x82"},  // other characters stay
  };
  for (const Case& c : cases) EXPECT_EQ(terminalSafe(c.in), c.out) << c.in;
}


// The place read at start is the place written at exit: closing and
// starting again leaves the window where it was.
TEST_F(MainWindow, ThePlaceSavedIsThePlaceRestored) {
  ASSERT_EQ(logicalDpi(), 96.0);  // 15 twips a pixel: 37 and 53 pixels
  const long left = 555, top = 795;
  writeIni({{"Main_Left", std::to_string(left)}, {"Main_Top", std::to_string(top)}});
  for (int round = 0; round < 3; ++round) {
    auto core = start();
    FrmMain w(*core);
    w.Form_Load();
    w.show();
    QCoreApplication::processEvents();
    w.close();
    const IniFile after = IniFile::load(dir.file("Init.ini"));
    EXPECT_EQ(std::lround(std::stod(after.read("画面サイズ", "Main_Left"))), left) << round;
    EXPECT_EQ(std::lround(std::stod(after.read("画面サイズ", "Main_Top"))), top) << round;
  }
}


// Message boxes and the views' dialogs show each line of their text on one
// line and name their buttons the same way.
TEST(Dialogs, LinesStayWholeAndButtonsAreNamedAlike) {
  const std::string text = "全データを 0　で初期化します！\r\n＜注意＞ 選択範囲に関係なく全データを初期化します！";
  const QString longest = QStringLiteral("＜注意＞ 選択範囲に関係なく全データを初期化します！");
  {
    const auto box = QtPresenter::buildBox(text, "All Data cler", MsgIcon::Question, MsgButtons::YesNo, nullptr);
    box->show();
    QCoreApplication::processEvents();
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(longest));
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), "はい(&Y)");
    EXPECT_EQ(box->button(QMessageBox::No)->text(), "いいえ(&N)");
    box->hide();
  }
  {
    // A short text under a long title: the box is wide enough for the
    // title and the frame's buttons beside it.
    const QString title = QStringLiteral("プロジェクトに名前を付けて保存");
    const auto box = QtPresenter::buildBox("正常に終了しました。", title.toStdString(), MsgIcon::Information,
                                           MsgButtons::Ok, nullptr);
    box->show();
    QCoreApplication::processEvents();
    QFont bold = box->font();  // title bars often draw in bold
    bold.setBold(true);
    EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(title) + 120);
    box->hide();
  }
  {
    const auto box = QtPresenter::buildBox("x", "t", MsgIcon::None, MsgButtons::OkCancel, nullptr);
    EXPECT_EQ(box->button(QMessageBox::Ok)->text(), "OK");
    EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), "ｷｬﾝｾﾙ");
  }
  dlgMsg d("All Data cler", QString::fromStdString(text), true);
  d.show();
  QCoreApplication::processEvents();
  EXPECT_GE(d.lblMsg()->width(), d.lblMsg()->fontMetrics().horizontalAdvance(longest));
  EXPECT_EQ(d.cmdCancel()->text(), "ｷｬﾝｾﾙ");
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// The line tools from the window: fault rules typed in their window reach
// the PC program through the port, the statistics count them, and a second
// station is set up and brought forward from the menus.
TEST_F(MainWindow, TheLineToolsWindowAndMenusDriveFaultsStatisticsAndStations) {
  auto core = start();
  FrmMain w(*core);
  w.Form_Load();
  w.findChild<QAction*>("mnuFaults")->trigger();
  QWidget* faults = w.findChild<QWidget*>("frmFaults");
  ASSERT_NE(faults, nullptr);
  EXPECT_TRUE(faults->isVisible());
  EXPECT_EQ(faults->windowTitle(), "障害注入と統計");
  auto* rule = child<QLineEdit>(*faults, "txtFaultRule");
  rule->setText("nak=0A,cmd=WR");
  child<QPushButton>(*faults, "cmdFaultAdd")->click();
  rule->setText("explode");
  child<QPushButton>(*faults, "cmdFaultAdd")->click();
  ASSERT_EQ(presenter.boxes.size(), 1u);
  EXPECT_NE(presenter.boxes[0].text.find("\"explode\" は使えない項目です"), std::string::npos);
  EXPECT_EQ(rule->text(), "explode");  // left for correcting
  ASSERT_EQ(core->faults.rules().size(), 1u);
  auto* grid = child<QTableWidget>(*faults, "grdFaults");
  ASSERT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->item(0, 1)->text(), "否定応答 0A を送信（要求は未実行）");

  child<QScrollBar>(w, "hscWait")->setValue(5);
  child<QCheckBox>(w, "chkSum")->click();  // sum check off
  child<QPushButton>(w, "cmdPOpen")->click();
  test::PcPort pc(dir.file("com1"));
  ASSERT_TRUE(pc.ok());
  auto exchange = [&](const std::string& request, std::size_t length) {
    pc.send(request);
    std::string reply;
    QElapsedTimer t;
    t.start();
    while (reply.size() < length && t.elapsed() < 3000) {
      spin(5);
      reply += pc.receive(length - reply.size(), 1);
    }
    return reply;
  };
  EXPECT_EQ(exchange(std::string(1, ENQ) + "00FFWR0D000001", 7), std::string(1, NAK) + "00FF0A");
  EXPECT_EQ(exchange(std::string(1, ENQ) + "00FFWW0D0000011234", 5), std::string(1, ACK) + "00FF");
  spin(600);  // the window redraws twice a second
  EXPECT_EQ(grid->item(0, 3)->text(), "1");
  const QString stats = child<QLabel>(*faults, "lblStats")->text();
  EXPECT_TRUE(stats.contains("要求　　　　　: 2")) << stats.toStdString();
  EXPECT_TRUE(stats.contains("0AH: 1")) << stats.toStdString();
  EXPECT_TRUE(stats.contains("障害注入　　　: 1")) << stats.toStdString();
  // The stations change only while the port is closed.
  EXPECT_FALSE(w.findChild<QAction*>("mnuStations")->isEnabled());
  child<QPushButton>(w, "cmdPClose")->click();
  EXPECT_TRUE(w.findChild<QAction*>("mnuStations")->isEnabled());

  presenter.inputAnswers = {"00,01"};
  w.findChild<QAction*>("mnuStations")->trigger();
  EXPECT_EQ(core->stations.numbers(), (std::vector<std::string>{"00", "01"}));
  ASSERT_NE(w.findChild<QAction*>("mnuStation01"), nullptr);
  EXPECT_TRUE(w.findChild<QMenu*>("mnuStationShow")->isEnabled());
  // The box shows every station served; showing another moves no memory.
  EXPECT_EQ(child<QLineEdit>(w, "txtKyokuNo")->text(), "00,01");
  EXPECT_TRUE(child<QLineEdit>(w, "txtKyokuNo")->isReadOnly());
  w.findChild<QAction*>("mnuStation01")->trigger();
  EXPECT_EQ(core->stations.shown(), "01");
  EXPECT_EQ(core->shownState, core->stations.stateOf("01"));
  EXPECT_EQ(core->shownState->memory.fncDeviceData(0, "D"), 0);  // station 01 starts empty
  EXPECT_EQ(core->state.memory.fncDeviceData(0, "D"), 0x1234);
  EXPECT_EQ(core->link.config.station, "00");
  EXPECT_TRUE(w.findChild<QAction*>("mnuStation01")->isChecked());
  EXPECT_FALSE(w.findChild<QAction*>("mnuStation00")->isChecked());
  EXPECT_TRUE(child<QLineEdit>(w, "txtKyokuNo")->toolTip().contains("表示中の局: 01"));
  w.findChild<QAction*>("mnuStation00")->trigger();
  EXPECT_EQ(core->shownState, &core->state);
  EXPECT_EQ(core->state.memory.fncDeviceData(0, "D"), 0x1234);
  EXPECT_EQ(child<QLineEdit>(w, "txtKyokuNo")->text(), "00,01");
  presenter.inputAnswers = {"00,0x"};
  w.findChild<QAction*>("mnuStations")->trigger();
  EXPECT_NE(presenter.boxes.back().text.find("\"0x\""), std::string::npos);
  EXPECT_EQ(core->stations.numbers(), (std::vector<std::string>{"00", "01"}));

  w.findChild<QAction*>("mnuPace")->trigger();
  EXPECT_TRUE(core->pacing);
}

}  // namespace
}  // namespace omb
