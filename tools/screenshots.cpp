// Draws the windows with sample contents and saves pictures of them, for
// the documentation: `ombrisal_screenshots FOLDER` (run under xvfb-run, so
// tooltips and window frames are drawn as on a desktop).
//
//   comments-styles.png  the D word view with comments, colours and fonts,
//                        and the X bit view with a bit's comment in its
//                        tooltip.
//   word-bits-multi.png  the bit display of D and four multi-screen windows
//                        (D twice, X, M) side by side.
//   user-monitor.png     the user registration view and the test monitor,
//                        filled.
//   generators.png       the value generator window with one generator of
//                        each kind running.
//   trend-chart.png      a live trend chart of a counting word and two
//                        toggling bits in lanes of their own, with the
//                        read-out at the mouse pointer.
//   word-view.png        the D word view as it opens, at its own size.
//   font-chooser.png     the font chooser of フォント設定 with the text
//                        colour beside underline and strikethrough.
//   test-monitor.png     the test monitor as it opens, after a PC program's
//                        monitor registration of bits and words.
//   file-dialog.png      the project chooser in Japanese, in the projects
//                        folder.
//   script-handshake.png the script window running the handshake example,
//                        a generator toggling its request bit.
#include <QApplication>
#include <QAction>
#include <QChartView>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QToolTip>

#include <filesystem>
#include <iostream>
#include <tuple>

#include "app/app_core.h"
#include "app/compose.h"
#include "app/frm_generators.h"
#include "app/frm_main.h"
#include "app/frm_script.h"
#include "app/frm_trend.h"
#include "app/project_commands.h"
#include "app/qt_presenter.h"
#include "ui/colour.h"
#include "ui/dlg_font.h"
#include "ui/fonts.h"
#include "ui/qt_japanese.h"
#include "views/bit_view.h"
#include "views/multi_view.h"
#include "views/flex_grid.h"
#include "views/list_view.h"
#include "views/view_manager.h"
#include "views/word_view.h"

namespace {

void settle(int ms = 300) {
  for (int i = 0; i < ms / 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}

void save(const QString& folder, const QString& name) {
  const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
  const QString path = QDir(folder).filePath(name);
  if (!shot.save(path)) std::cerr << "could not write " << path.toStdString() << std::endl;
  else std::cout << path.toStdString() << std::endl;
}

omb::CellStyleRecord styled(const std::string& text, int number, std::int32_t back, const std::string& font,
                            bool bold, std::int32_t fore) {
  omb::CellStyleRecord r{std::string(1, 'D'), number, text, {}};
  for (int c = 0; c < 3; ++c) {
    auto& s = r.columns[static_cast<std::size_t>(c)];
    s.set = true;
    s.backColour = back;
    s.fontName = font;
    s.bold = bold;
    s.foreColour = fore;
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: ombrisal_screenshots FOLDER" << std::endl;
    return 2;
  }
  QApplication app(argc, argv);
  omb::setUpFonts();
  omb::installQtJapanese();
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  const auto folder = std::filesystem::temp_directory_path() / "ombrisal-screenshots";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(OMBRISAL_SOURCE_DIR "/resources/Init.ini", folder / "Init.ini",
                             std::filesystem::copy_options::overwrite_existing);
  omb::QtPresenter presenter;
  omb::SystemClock clock;
  omb::AppCore core(presenter, clock, folder.string() + "/");
  if (!core.startUp()) return 1;
  omb::FrmMain main(core);
  omb::ViewManager views(omb::viewHostOf(core), &main);
  omb::ProjectCommands project(core);
  omb::composeWindow(core, main, views, project);
  presenter.setParent(&main);

  // Sample values, comments and styles.
  omb::DeviceMemory& memory = core.state.memory;
  for (int i = 0; i < 256; ++i) memory.write(omb::kD, i, static_cast<std::int16_t>(i * 37));
  memory.write(omb::kX, 0, 0x1234);
  memory.write(omb::kX, 1, static_cast<std::int16_t>(0x8001));
  const char* comments[][2] = {{"D000000", "搬送コンベア速度"},  {"D000001", "タンク液位 (mm)"},
                               {"D000002", "ポンプ \"A\" 運転時間"}, {"D000003", "温度, 上限"},
                               {"D000005", "製品カウンタ"},         {"D000008", "アラームコード"},
                               {"X00001C", "原点センサ"}};
  for (const auto& c : comments) core.comments.subAdd_Comment(std::string(c[0]) + "\t" + c[1]);
  core.state.cellStyles.clear();
  core.state.cellStyles.push_back(styled("D000001", 1, 0x00CCFFFF, "ＭＳ ゴシック", true, 0x000000C0));
  core.state.cellStyles.push_back(styled("D000002", 2, 0x00FFE0C0, "ＭＳ ゴシック", false, 0x00800000));
  core.state.cellStyles.push_back(styled("D000005", 5, 0x00C0FFC0, "Serif", true, 0));

  main.Form_Load();
  main.move(0, 0);
  main.show();
  settle();

  // The D word view where and as large as it opens (before any other view
  // gives a place to cascade from).
  views.openSingleView(omb::kD);
  settle();
  save(out, "word-view.png");
  views.subCloseDeviceView();
  core.settings.G_SetWindow[omb::kD] = omb::WindowSetting{};

  // The test monitor as it opens, after a PC program's test and monitor
  // registration (X0010 registered by word is one word row).
  omb::LinkLists& lists = core.lists;
  lists.TestBitList[0] = {"Y0000", "Y", 0, true, 1};
  lists.TestBitList[1] = {"X0002", "X", 2, true, 1};
  lists.TestWordList[0] = {"D0100", "D", 100, false, 0};
  lists.MoniBitList[0] = {"X0001", "X", 1, true, 0};
  lists.MoniBitList[1] = {"M0004", "M", 4, true, 0};
  lists.MoniBitList[2] = {"M9000", "M", 9000, true, 0};
  lists.MoniWordList[0] = {"D0000", "D", 0, false, 0};
  lists.MoniWordList[1] = {"D0001", "D", 1, false, 0};
  lists.MoniWordList[2] = {"TN005", "TN", 5, false, 0};
  lists.MoniWordList[3] = {"X0010", "X", 0x10, true, 0};
  memory.write(omb::kD, 100, 1234);
  memory.write(omb::kX, 1, 0x00A5);
  views.openSingleView(18);
  settle();
  save(out, "test-monitor.png");
  views.subCloseDeviceView();
  core.settings.G_SetWindow[18] = omb::WindowSetting{};
  memory.write(omb::kX, 1, static_cast<std::int16_t>(0x8001));

  views.openSingleView(omb::kD);
  views.openSingleView(omb::kX);
  auto* word = static_cast<omb::FrmWordDevice*>(views.view(omb::kD));
  auto* bit = static_cast<omb::FrmBitDevice*>(views.view(omb::kX));
  word->setGeometry(40, 180, 1000, 520);
  bit->setGeometry(720, 420, 560, 420);
  settle();
  // The bit's comment in the tooltip, as a click on X00001C shows it.
  omb::FlexGrid* g = bit->grid();
  g->setCurrent(2, omb::FrmBitDevice::kColLastBit - 12);
  bit->raise();
  bit->activateWindow();
  settle();
  const QPoint at = g->viewport()->mapToGlobal(g->cellRect(2, omb::FrmBitDevice::kColLastBit - 12).center());
  QToolTip::showText(at, g->toolTip(), g);
  settle(600);
  save(out, "comments-styles.png");
  QToolTip::hideText();

  // The font chooser over the D view, opened on a styled cell's font and
  // colour; the colour stands beside underline and strikethrough.
  {
    QFont font(QStringLiteral("ＭＳ ゴシック"), 11);
    font.setBold(true);
    font.setUnderline(true);
    omb::DlgFont chooser(font, omb::toQColor(0x000000C0), word);
    chooser.move(200, 120);
    chooser.show();
    chooser.raise();
    chooser.activateWindow();
    settle(600);
    save(out, "font-chooser.png");
  }
  views.subCloseDeviceView();

  // The bit display of D and four multi-screen windows.
  for (int i = 0; i < 64; ++i) memory.write(omb::kM, i, static_cast<std::int16_t>(0x1111 * (i % 5)));
  core.comments.subAdd_Comment("M000001\t運転指令");
  core.comments.subAdd_Comment("M000004\t非常停止");
  core.comments.subAdd_Comment("X000001\t起動ボタン");
  core.comments.subAdd_Comment("X000002\t停止ボタン");
  memory.write(omb::kD, 100, 1234);
  memory.write(omb::kD, 101, static_cast<std::int16_t>(0xA5A5));
  core.comments.subAdd_Comment("D000100\t目標速度");
  views.openSingleView(20);
  views.view(20)->setGeometry(0, 0, 760, 470);
  const struct {
    int kind, x, y, w, h, start;
  } multis[] = {{3, 770, 0, 520, 420, 96}, {3, 770, 430, 520, 420, 200}, {7, 0, 480, 370, 370, 0},
                {9, 380, 480, 380, 370, 0}};
  for (const auto& m : multis) {
    views.openMultiView(m.kind);
    auto* v = static_cast<omb::MultiView*>(views.multiViews.back());
    v->setGeometry(m.x, m.y, m.w, m.h);
    v->showFrom(m.start);
  }
  settle();
  save(out, "word-bits-multi.png");

  views.subCloseDeviceView();

  // The user registration view and the test monitor.
  for (const auto& [code, text, number] : std::initializer_list<std::tuple<const char*, const char*, int>>{
           {"X", "X000001", 1}, {"X", "X000002", 2}, {"M", "M000001", 1}, {"M", "M000004", 4},
           {"D", "D000100-F", 100}, {"D", "D000100-0", 100}, {"M", "M009000", 9000}})
    core.state.userBitList.add({code, text, core.comments.commentOfAddress(text), number});
  for (const auto& [code, text, number] : std::initializer_list<std::tuple<const char*, const char*, int>>{
           {"D", "D000000", 0}, {"D", "D000001", 1}, {"D", "D000100", 100}, {"TN", "TN00005", 5},
           {"W", "W0001A0", 0x1A0}})
    core.state.userWordList.add({code, text, core.comments.commentOfAddress(text), number});
  memory.write(omb::kTN, 5, 250);
  memory.writeBit(omb::kMx, 0, 0, true);
  views.openSingleView(19);
  views.view(19)->setGeometry(0, 0, 640, 840);
  views.openSingleView(18);
  views.view(18)->setGeometry(650, 0, 650, 600);
  core.subDspRenew("All", "CMNT");
  settle();
  save(out, "user-monitor.png");

  views.subCloseDeviceView();


  // The project chooser, in Japanese, in the projects folder.
  {
    for (const char* name : {"/Line1.bin", "/Line2.bin"}) project.subFile_put(core.settings.folders.Projects + name);
    QFileDialog chooser(&main, QStringLiteral("プロジェクトを開く"), QString::fromStdString(core.settings.folders.Projects),
                        QStringLiteral("(*.bin)"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.show();
    chooser.move(180, 140);
    settle(600);
    save(out, "file-dialog.png");
  }

  // Values that move by themselves, and their trend.
  std::string why;
  core.generators.load("counter D100 step=1 min=0 max=999 period=100\n"
                       "ramp D200 offset=0 amplitude=1000 period=3000\n"
                       "sine D300 offset=500 amplitude=400 period=2000\n"
                       "random D400 min=100 max=300 seed=7 period=250\n"
                       "square X0 period=1000 duty=0.5\n"
                       "follow Y10 source=X0 delay=200\n"
                       "sine D310-D319 offset=0 amplitude=100 period=500 paused\n",
                       clock.steadyMs(), why);
  main.findChild<QAction*>("mnuGenerators")->trigger();
  auto* generators = main.findChild<omb::FrmGenerators*>("frmGenerators");
  generators->setGeometry(40, 120, 900, 330);
  generators->raise();
  settle(1500);
  save(out, "generators.png");
  generators->hide();
  main.findChild<QAction*>("mnuTrend")->trigger();
  auto* trend = main.findChild<omb::FrmTrend*>("frmTrend");
  trend->setGeometry(120, 300, 1100, 540);
  trend->findChild<QLineEdit*>("txtTrendDevice")->setText("D100 X0 Y10");
  trend->findChild<QPushButton*>("cmdTrendAdd")->click();
  trend->raise();
  trend->activateWindow();
  settle(6500);
  auto* chart = trend->findChild<QChartView*>("chtTrend");
  QCursor::setPos(chart->mapToGlobal(QPoint(chart->width() * 2 / 3, chart->height() / 2)));
  settle(400);
  save(out, "trend-chart.png");
  trend->hide();

  // The controller's side of a handshake as a script; a generator plays
  // the PC program's request.
  std::string handshake;
  int error = 0;
  omb::readWholeFile(OMBRISAL_SOURCE_DIR "/docs/examples/handshake.js", handshake, error);
  core.generators.load("square M100 period=1000 duty=0.5\n", clock.steadyMs(), why, true);
  core.state.memory.writeDevice(omb::kD, 210, 0);  // the count of measurements starts afresh
  core.state.memory.publish("All");
  core.script.load(handshake, "Line_Script.js");
  main.findChild<QAction*>("mnuScript")->trigger();
  auto* script = main.findChild<omb::FrmScript*>("frmScript");
  script->setGeometry(200, 100, 840, 600);
  script->raise();
  script->activateWindow();
  settle(4500);
  save(out, "script-handshake.png");

  std::filesystem::remove_all(folder);
  return 0;
}
