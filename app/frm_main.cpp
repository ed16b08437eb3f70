#include "app/frm_main.h"

#include "app/frm_faults.h"
#include "app/frm_generators.h"
#include "app/frm_script.h"
#include "app/frm_trend.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdlib>

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include "ui/geometry.h"
#include "ui/window_place.h"
#include "app/help_viewer.h"
#include "store/program_folders.h"
#include "link/framing.h"
#include "core/translate.h"

namespace omb {

std::string versionText() {
  return " Ver " + std::to_string(PROJECT_VERSION_MAJOR) + "." + std::to_string(PROJECT_VERSION_MINOR) + "." +
         std::to_string(PROJECT_VERSION_PATCH);
}

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The control channel entry's tooltip: what it is for, or where it listens.
QString controlTip(const std::string& path) {
  if (path.empty())
    return QCoreApplication::translate("FrmMain", "テストスクリプトが ombrisal ctl でデバイスの読み書きや障害注入を行うソケットを開きます");
  return QCoreApplication::translate("FrmMain", "制御ソケット %1 で待ち受け中（もう一度選ぶと停止します）").arg(q(path));
}

// Frames and labels show line bytes as text of the system code page.
QString lineText(const std::string& bytes) { return q(logText(bytes)); }

// The on-screen log as the text box shows it: CR LF and LF end lines, a
// lone CR shows as its symbol, so every line feed of the log is one line
// break of the box.
QString boxText(std::string_view s) {
  QString out;
  out.reserve(static_cast<int>(s.size()));
  const QString all = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
  for (qsizetype i = 0; i < all.size(); ++i) {
    if (all[i] == '\r') {
      if (i + 1 < all.size() && all[i + 1] == '\n') continue;
      out += QChar(0x240D);
    } else {
      out += all[i];
    }
  }
  return out;
}

// Toolbar pictures: the device letters on a tile, one colour per family,
// a corner mark on the multi-screen buttons.
QIcon tileIcon(const QString& text, const QColor& colour, bool multi) {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (!text.isEmpty()) {
    p.setBrush(colour);
    p.setPen(colour.darker(150));
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 5, 5);
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(text.size() <= 1 ? 18 : text.size() == 2 ? 13 : 10);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, text);
    if (multi) {
      p.setBrush(Qt::white);
      p.setPen(colour.darker(150));
      p.drawRect(QRectF(21, 3, 8, 6));
      p.drawRect(QRectF(23, 6, 6, 5));
    }
  }
  return QIcon(pm);
}

QAction* entry(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {}) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  if (!key.isEmpty()) a->setShortcut(key);
  return a;
}

// A control with its name, caption and tooltip.
template <class T>
T* control(QWidget* parent, const char* name, const QString& caption, const QString& tip = {}) {
  auto* c = new T(caption, parent);
  c->setObjectName(name);
  if (!tip.isEmpty()) c->setToolTip(tip);
  return c;
}

struct ViewEntry {
  int slot;
  const char* name;
  const char* caption;
  QKeySequence key;
};

}  // namespace

FrmMain::FrmMain(AppCore& core, QWidget* parent) : QMainWindow(parent), core_(core) {
  setObjectName("frmMain");
  buildMenus();
  buildToolbars();
  buildCentral();
  buildStatusBar();
  connectModels();
  resize(1000, 720);  // the designed size
  core_.link.config.sum = CheckState::Checked;  // ticked at start
  settingsWatch_ = core_.watchSettings([this] { syncSettings(); });
  syncSettings();
}

FrmMain::~FrmMain() {
  core_.unwatchSettings(settingsWatch_);
  core_.pc.changed = nullptr;
  core_.log.changed = nullptr;
  core_.link.labelsChanged = nullptr;
  core_.engine.onQuiet = nullptr;
}

HelpViewer& FrmMain::help() {
  // Beside the program in the build folder, under share/ombrisal when installed.
  if (!help_)
    help_ = new HelpViewer(
        QString::fromStdString(helpFolder(QApplication::applicationDirPath().toStdString() + "/")), this);
  return *help_;
}

void FrmMain::buildMenus() {
  QMenuBar* bar = menuBar();
  mnuFile_ = bar->addMenu(QCoreApplication::translate("FrmMain", "ファイル(&F)"));
  mnuFile_->setObjectName("mnuFile");
  mnuFile_->setToolTipsVisible(true);
  mnuFileOpen_ = entry(mnuFile_, "mnuFileOpen", QCoreApplication::translate("FrmMain", "プロジェクトを開く(&O)"), QKeySequence("Ctrl+O"));
  mnuFile_->addSeparator();
  mnuFileSaveAs_ = entry(mnuFile_, "mnuFileSaveAs", QCoreApplication::translate("FrmMain", "プロジェクトに名前を付けて保存(&A)"));
  mnuFileSave_ = entry(mnuFile_, "mnuFileSave", QCoreApplication::translate("FrmMain", "プロジェクト上書き保存(&S)"), QKeySequence("Ctrl+S"));
  mnuFile_->addSeparator();
  mnuOldFileOpen_ = entry(mnuFile_, "mnuOldFileOpen", QCoreApplication::translate("FrmMain", "旧バージョンプロジェクトをインポート"));
  mnuFileInport_ = mnuFile_->addMenu(QCoreApplication::translate("FrmMain", "デバイス・コメントをインポート"));
  mnuFileInport_->setObjectName("mnuFileInport_");
  entry(mnuFileInport_, "mnuFileInport0", QCoreApplication::translate("FrmMain", "スペース区切り"));
  entry(mnuFileInport_, "mnuFileInport1", QCoreApplication::translate("FrmMain", "カンマ区切り"));
  entry(mnuFileInport_, "mnuFileInport2", QCoreApplication::translate("FrmMain", "タブ区切り"));
  mnuInitDevCome_ = entry(mnuFile_, "mnuInitDevCome", QCoreApplication::translate("FrmMain", "デバイス・コメントを初期化する"));
  mnuFile_->addSeparator();
  // Device values as CSV or JSON, for fixtures written by hand.
  commands_["mnuValuesExport"] = entry(mnuFile_, "mnuValuesExport", QCoreApplication::translate("FrmMain", "デバイス値をエクスポート (CSV/JSON)..."));
  commands_["mnuValuesImport"] = entry(mnuFile_, "mnuValuesImport", QCoreApplication::translate("FrmMain", "デバイス値をインポート (CSV/JSON)..."));
  mnuFileInport_->setToolTipsVisible(true);
  for (QAction* a : {mnuFileOpen_, mnuFileSaveAs_, mnuFileSave_, mnuOldFileOpen_, mnuInitDevCome_})
    commands_[a->objectName()] = a;
  for (QAction* a : mnuFileInport_->actions()) commands_[a->objectName()] = a;
  mnuFile_->addSeparator();
  mnuFileQuit_ = entry(mnuFile_, "mnuFileQuit", QCoreApplication::translate("FrmMain", "ツールの終了(&Q)"), QKeySequence("Ctrl+Q"));
  connect(mnuFileQuit_, &QAction::triggered, this, &QWidget::close);

  mnuView_ = bar->addMenu(QCoreApplication::translate("FrmMain", "表示(&V)"));
  mnuView_->setObjectName("mnuView");
  const ViewEntry words[] = {
      {0, "mnuDspWordTN", QT_TRANSLATE_NOOP("FrmMain", "タイマＴ"), QKeySequence("Shift+F1")},
      {1, "mnuDspWordCN", QT_TRANSLATE_NOOP("FrmMain", "カウンタＣ"), QKeySequence("Shift+F2")},
      {2, "mnuDspWordD", QT_TRANSLATE_NOOP("FrmMain", "データレジスタＤ"), QKeySequence("Shift+F3")},
      {3, "mnuDspWordW", QT_TRANSLATE_NOOP("FrmMain", "リンクレジスタＷ"), QKeySequence("Shift+F4")},
      {4, "mnuDspWordR", QT_TRANSLATE_NOOP("FrmMain", "ファイルレジスタＲ"), QKeySequence("Shift+F5")},
      {5, "mnuDspWordDX", QT_TRANSLATE_NOOP("FrmMain", "特殊レジスタＤ"), QKeySequence("Shift+F6")},
      {20, "mnuDspWordDbit", QT_TRANSLATE_NOOP("FrmMain", "データレジスタＤ ビット表示"), {}},
      {21, "mnuDspWordWbit", QT_TRANSLATE_NOOP("FrmMain", "リンクレジスタＷ ビット表示"), {}},
      {22, "mnuDspWordRbit", QT_TRANSLATE_NOOP("FrmMain", "ファイルレジスタＲ ビット表示"), {}},
      {23, "mnuDspWordDxbit", QT_TRANSLATE_NOOP("FrmMain", "特殊レジスタＤ ビット表示"), {}},
  };
  const ViewEntry bits[] = {
      {6, "mnuDspBitX", QT_TRANSLATE_NOOP("FrmMain", "入力Ｘ"), QKeySequence("Ctrl+F1")},
      {7, "mnuDspBitY", QT_TRANSLATE_NOOP("FrmMain", "出力Ｙ"), QKeySequence("Ctrl+F2")},
      {8, "mnuDspBitM", QT_TRANSLATE_NOOP("FrmMain", "内部リレーＭ"), QKeySequence("Ctrl+F3")},
      {9, "mnuDspBitL", QT_TRANSLATE_NOOP("FrmMain", "ラッチリレーＬ"), QKeySequence("Ctrl+F4")},
      {10, "mnuDspBitS", QT_TRANSLATE_NOOP("FrmMain", "ステップリレーＳ"), QKeySequence("Ctrl+F5")},
      {11, "mnuDspBitB", QT_TRANSLATE_NOOP("FrmMain", "リンクリレーＢ"), QKeySequence("Ctrl+F6")},
      {12, "mnuDspBitF", QT_TRANSLATE_NOOP("FrmMain", "アナンシェータＦ"), QKeySequence("Ctrl+F8")},
      {13, "mnuDspBitMx", QT_TRANSLATE_NOOP("FrmMain", "特殊リレーＭ"), QKeySequence("Ctrl+Shift+F3")},
      {14, "mnuDspBitTS", QT_TRANSLATE_NOOP("FrmMain", "タイマ（接点）Ｔ"), QKeySequence("Ctrl+F9")},
      {15, "mnuDspBitTC", QT_TRANSLATE_NOOP("FrmMain", "タイマ（コイル）Ｔ"), QKeySequence("Ctrl+Shift+F9")},
      {16, "mnuDspBitCS", QT_TRANSLATE_NOOP("FrmMain", "カウンタ（接点）Ｃ"), QKeySequence("Ctrl+F11")},
      {17, "mnuDspBitCC", QT_TRANSLATE_NOOP("FrmMain", "カウンタ（コイル）Ｃ"), QKeySequence("Ctrl+Shift+F11")},
  };
  auto addView = [this](QMenu* menu, const ViewEntry& v) {
    QAction* a = entry(menu, v.name, QCoreApplication::translate("FrmMain", v.caption), v.key);
    a->setCheckable(true);
    mnuDsp_[static_cast<std::size_t>(v.slot)] = a;
    connect(a, &QAction::triggered, this, [this, a, slot = v.slot] {
      a->setChecked(false);  // the view manager sets the mark while the view is open
      if (openSingleView) openSingleView(slot);
    });
  };
  QMenu* word = mnuView_->addMenu(QCoreApplication::translate("FrmMain", "ワードデバイス"));
  word->setObjectName("mnuDspWord");
  for (const auto& v : words) {
    if (v.slot == 20) word->addSeparator();
    addView(word, v);
  }
  QMenu* bit = mnuView_->addMenu(QCoreApplication::translate("FrmMain", "ビットデバイス"));
  bit->setObjectName("mnuDspBit");
  for (const auto& v : bits) addView(bit, v);
  addView(mnuView_, {18, "mnuDspUni", QT_TRANSLATE_NOOP("FrmMain", "テスト・モニタ"), QKeySequence("F5")});
  addView(mnuView_, {19, "mnuDspUser", QT_TRANSLATE_NOOP("FrmMain", "ユーザー"), QKeySequence("F6")});
  mnuView_->addSeparator();
  struct MultiEntry {
    int kind;
    const char* name;
    const char* caption;
  };
  QMenu* wordPlus = mnuView_->addMenu(QCoreApplication::translate("FrmMain", "ワードデバイス＋"));
  wordPlus->setObjectName("mnuDspWordPlus");
  QMenu* bitPlus = mnuView_->addMenu(QCoreApplication::translate("FrmMain", "ビットデバイス＋"));
  bitPlus->setObjectName("mnuDspBitPlus");
  for (const MultiEntry& m : {MultiEntry{1, "mnuDspWordTs", QT_TRANSLATE_NOOP("FrmMain", "タイマＴ")}, MultiEntry{2, "mnuDspWordCs", QT_TRANSLATE_NOOP("FrmMain", "カウンタＣ")},
                              MultiEntry{3, "mnuDspWordDs", QT_TRANSLATE_NOOP("FrmMain", "データレジスタＤ")}, MultiEntry{4, "mnuDspWordWs", QT_TRANSLATE_NOOP("FrmMain", "リンクレジスタＷ")},
                              MultiEntry{5, "mnuDspWordRs", QT_TRANSLATE_NOOP("FrmMain", "ファイルレジスタＲ")}, MultiEntry{7, "mnuDspBitXs", QT_TRANSLATE_NOOP("FrmMain", "入力Ｘ")},
                              MultiEntry{8, "mnuDspBitYs", QT_TRANSLATE_NOOP("FrmMain", "出力Ｙ")}, MultiEntry{9, "mnuDspBitMs", QT_TRANSLATE_NOOP("FrmMain", "内部リレーＭ")},
                              MultiEntry{10, "mnuDspBitLs", QT_TRANSLATE_NOOP("FrmMain", "ラッチリレーＬ")}, MultiEntry{11, "mnuDspBitSs", QT_TRANSLATE_NOOP("FrmMain", "ステップリレーＳ")},
                              MultiEntry{12, "mnuDspBitBs", QT_TRANSLATE_NOOP("FrmMain", "リンクリレーＢ")}, MultiEntry{13, "mnuDspBitFs", QT_TRANSLATE_NOOP("FrmMain", "アナンシェータＦ")}}) {
    QAction* a = entry(m.kind <= 5 ? wordPlus : bitPlus, m.name, QCoreApplication::translate("FrmMain", m.caption));
    connect(a, &QAction::triggered, this, [this, kind = m.kind] {
      if (openMultiView) openMultiView(kind);
    });
    multiEntries_.push_back(a);
  }
  for (QMenu* m : {mnuView_, word, bit, wordPlus, bitPlus}) m->setToolTipsVisible(true);
  commands_["mnuMultiClear"] = entry(mnuView_, "mnuMultiClear", QCoreApplication::translate("FrmMain", "マルチ画面全消去"));
  commands_["mnuMultiInit"] = entry(mnuView_, "mnuMultiInit", QCoreApplication::translate("FrmMain", "マルチ画面初期化"));
  mnuView_->addSeparator();
  commands_["mnuInitWindow"] = entry(mnuView_, "mnuInitWindow", QCoreApplication::translate("FrmMain", "ウインドウの表示状態を初期化する"));
  commands_["mnuInitCell"] = entry(mnuView_, "mnuInitCell", QCoreApplication::translate("FrmMain", "セルのプロパティを初期化する"));

  mnuSet_ = bar->addMenu(QCoreApplication::translate("FrmMain", "計算機リンク設定(&L)"));
  mnuSet_->setObjectName("mnuSet");
  mnuCpu_ = mnuSet_->addMenu(QCoreApplication::translate("FrmMain", "CPUタイプ"));
  mnuCpu_->setObjectName("mnuCpu");
  mnuCpuAcpu_ = entry(mnuCpu_, "mnuCpuAcpu", QStringLiteral("ACPU"));
  mnuCpuAnAcpu_ = entry(mnuCpu_, "mnuCpuAnAcpu", QStringLiteral("AnACPU"));
  for (QAction* a : {mnuCpuAcpu_, mnuCpuAnAcpu_}) a->setCheckable(true);
  mnuCpuAcpu_->setChecked(true);
  connect(mnuCpuAcpu_, &QAction::triggered, this, [this] { chooseCpu(false); });
  connect(mnuCpuAnAcpu_, &QAction::triggered, this, [this] { chooseCpu(true); });
  mnuProto_ = mnuSet_->addMenu(QCoreApplication::translate("FrmMain", "専用プロトコル"));
  mnuProto_->setObjectName("mnuProto");
  for (int n = 1; n <= 4; ++n) {
    QAction* a = entry(mnuProto_, ("mnuProtoMode" + std::to_string(n)).c_str(), QCoreApplication::translate("Framing", formatCaption(n).c_str()));
    a->setCheckable(true);
    mnuProtoMode_[static_cast<std::size_t>(n)] = a;
    connect(a, &QAction::triggered, this, [this, n] { chooseFormat(n); });
  }
  mnuProtoMode_[1]->setChecked(true);
  mnuProtoMode_[0] = entry(mnuProto_, "mnuProtoMode0", QCoreApplication::translate("FrmMain", "無手順"));
  mnuProtoMode_[0]->setVisible(false);
  mnuProtoMode_[0]->setEnabled(false);

  mnuCom_ = bar->addMenu(QCoreApplication::translate("FrmMain", "通信パラメータ設定(&C)"));
  mnuCom_->setObjectName("mnuCom");
  mnuCommPort_ = mnuCom_->addMenu(QCoreApplication::translate("FrmMain", "ＣＯＭポート"));
  mnuCommPort_->setObjectName("mnuCommPort");
  mnuCommBlate_ = mnuCom_->addMenu(QCoreApplication::translate("FrmMain", "ボーレート"));
  mnuCommBlate_->setObjectName("mnuCommBlate");
  for (int i = 0; i < 7; ++i) {
    QAction* a = entry(mnuCommBlate_, ("mnuCommBps" + std::to_string(i)).c_str(), PortController::kBaudCaptions[i]);
    a->setCheckable(true);
    mnuCommBps_[static_cast<std::size_t>(i)] = a;
    connect(a, &QAction::triggered, this, [this, i] { core_.pc.chooseBaud(i); });
  }
  mnuCommStartBit_ = mnuCom_->addMenu(QCoreApplication::translate("FrmMain", "スタートビット"));
  mnuCommStartBit_->setObjectName("mnuCommStartBit");
  entry(mnuCommStartBit_, "mnuCommStartBit1", "1")->setEnabled(false);
  entry(mnuCommStartBit_, "mnuCommStartBit2", "2")->setEnabled(false);
  mnuCommStartBit_->setEnabled(false);
  mnuCommCharLen_ = mnuCom_->addMenu(QCoreApplication::translate("FrmMain", "キャラクタ長"));
  mnuCommCharLen_->setObjectName("mnuCommCharLen");
  mnuCommCharLen7_ = entry(mnuCommCharLen_, "mnuCommCharLen7", "7");
  mnuCommCharLen8_ = entry(mnuCommCharLen_, "mnuCommCharLen8", "8");
  mnuCommStopBit_ = mnuCom_->addMenu(QCoreApplication::translate("FrmMain", "ストップビット"));
  mnuCommStopBit_->setObjectName("mnuCommStopBit");
  mnuCommStopBit1_ = entry(mnuCommStopBit_, "mnuCommStopBit1", "1");
  mnuCommStopBit2_ = entry(mnuCommStopBit_, "mnuCommStopBit2", "2");
  mnuCommParity_ = mnuCom_->addMenu(QCoreApplication::translate("FrmMain", "パリティ"));
  mnuCommParity_->setObjectName("mnuCommParity");
  mnuCommParityE_ = entry(mnuCommParity_, "mnuCommParityE", QCoreApplication::translate("FrmMain", "偶数"));
  mnuCommParityO_ = entry(mnuCommParity_, "mnuCommParityO", QCoreApplication::translate("FrmMain", "奇数"));
  mnuCommParityN_ = entry(mnuCommParity_, "mnuCommParityN", QCoreApplication::translate("FrmMain", "無し"));
  for (QAction* a : {mnuCommCharLen7_, mnuCommCharLen8_, mnuCommStopBit1_, mnuCommStopBit2_, mnuCommParityE_,
                     mnuCommParityO_, mnuCommParityN_})
    a->setCheckable(true);
  connect(mnuCommCharLen7_, &QAction::triggered, this, [this] { core_.pc.chooseDataLength(7); });
  connect(mnuCommCharLen8_, &QAction::triggered, this, [this] { core_.pc.chooseDataLength(8); });
  connect(mnuCommStopBit1_, &QAction::triggered, this, [this] { core_.pc.chooseStopBits(1); });
  connect(mnuCommStopBit2_, &QAction::triggered, this, [this] { core_.pc.chooseStopBits(2); });
  connect(mnuCommParityE_, &QAction::triggered, this, [this] { core_.pc.chooseParity('e'); });
  connect(mnuCommParityO_, &QAction::triggered, this, [this] { core_.pc.chooseParity('o'); });
  connect(mnuCommParityN_, &QAction::triggered, this, [this] { core_.pc.chooseParity('n'); });

  mnuTool_ = bar->addMenu(QCoreApplication::translate("FrmMain", "回線ツール(&T)"));
  mnuTool_->setObjectName("mnuTool");
  mnuFaults_ = entry(mnuTool_, "mnuFaults", QCoreApplication::translate("FrmMain", "障害注入と統計..."));
  connect(mnuFaults_, &QAction::triggered, this, [this] {
    if (!faultsWindow_) faultsWindow_ = new FrmFaults(core_, this);
    showToolWindow(faultsWindow_, this);
  });
  mnuPace_ = entry(mnuTool_, "mnuPace", QCoreApplication::translate("FrmMain", "回線速度で送信する（仮想ポート・TCP）"));
  mnuPace_->setCheckable(true);
  mnuPace_->setToolTip(QCoreApplication::translate("FrmMain", "応答の各文字を、設定した通信速度で送るのと同じ間隔で送信します"));
  connect(mnuPace_, &QAction::toggled, this, [this](bool on) { core_.pacing = on; });
  mnuTool_->addSeparator();
  mnuStations_ = entry(mnuTool_, "mnuStations", QCoreApplication::translate("FrmMain", "局番設定（マルチドロップ）..."));
  connect(mnuStations_, &QAction::triggered, this, &FrmMain::chooseStations);
  mnuStationShow_ = mnuTool_->addMenu(QCoreApplication::translate("FrmMain", "表示する局"));
  mnuStationShow_->setObjectName("mnuStationShow");
  mnuTool_->addSeparator();
  mnuControl_ = entry(mnuTool_, "mnuControl", QCoreApplication::translate("FrmMain", "制御ソケット（テストスクリプト用）..."));
  mnuControl_->setCheckable(true);
  mnuControl_->setToolTip(controlTip(""));
  connect(mnuControl_, &QAction::triggered, this, &FrmMain::toggleControl);
  mnuTool_->setToolTipsVisible(true);
  rebuildStationMenu();

  mnuSim_ = bar->addMenu(QCoreApplication::translate("FrmMain", "シミュレーション(&U)"));
  mnuSim_->setObjectName("mnuSim");
  auto showOnce = [this](QWidget*& window, auto make) {
    if (!window) window = make();
    showToolWindow(window, this);
  };
  mnuGenerators_ = entry(mnuSim_, "mnuGenerators", QCoreApplication::translate("FrmMain", "値の自動変化..."));
  connect(mnuGenerators_, &QAction::triggered, this,
          [this, showOnce] { showOnce(generatorsWindow_, [this] { return new FrmGenerators(core_, this); }); });
  mnuScript_ = entry(mnuSim_, "mnuScript", QCoreApplication::translate("FrmMain", "スクリプト..."));
  connect(mnuScript_, &QAction::triggered, this,
          [this, showOnce] { showOnce(scriptWindow_, [this] { return new FrmScript(core_, this); }); });
  mnuTrend_ = entry(mnuSim_, "mnuTrend", QCoreApplication::translate("FrmMain", "トレンドグラフ..."));
  connect(mnuTrend_, &QAction::triggered, this,
          [this, showOnce] { showOnce(trendWindow_, [this] { return new FrmTrend(core_, this); }); });
  mnuTrendOpen_ = entry(mnuSim_, "mnuTrendOpen", QCoreApplication::translate("FrmMain", "記録ファイルを開く..."));
  connect(mnuTrendOpen_, &QAction::triggered, this, [this] { FrmTrend::openRecording(core_, this); });

  mnuHelp_ = bar->addMenu(QCoreApplication::translate("FrmMain", "ヘルプ(&H)"));
  mnuHelp_->setObjectName("mnuHelp");
  connect(entry(mnuHelp_, "mnuHelpTorisetu", QCoreApplication::translate("FrmMain", "操作説明...")), &QAction::triggered, this,
          [this] { help().showContents(); });
  connect(entry(mnuHelp_, "mnuHelpVerInfo", QCoreApplication::translate("FrmMain", "バージョン情報...")), &QAction::triggered, this,
          &FrmMain::showVersion);

  // Help topics for context help.
  mnuFile_->menuAction()->setWhatsThis("4100");
  mnuFileOpen_->setWhatsThis("4101");
  mnuFileSaveAs_->setWhatsThis("4102");
  mnuFileSave_->setWhatsThis("4103");
  mnuFileQuit_->setWhatsThis("4104");
  mnuSet_->menuAction()->setWhatsThis("4300");
  mnuCpu_->menuAction()->setWhatsThis("4301");
  mnuProto_->menuAction()->setWhatsThis("4302");
  mnuHelp_->menuAction()->setWhatsThis("6000");

  popLogText_ = new QMenu(this);
  popLogText_->setObjectName("popLogText");
  popLogSave_ = entry(popLogText_, "popLogSave", QCoreApplication::translate("FrmMain", "名前を付けて保存する"));
  popLogCls_ = entry(popLogText_, "popLogCls", QCoreApplication::translate("FrmMain", "ログをクリアする"));
  connect(popLogSave_, &QAction::triggered, this,
          [this] { core_.log.popLogSave_Click(panel5Text(), mainCaption()); });
  connect(popLogCls_, &QAction::triggered, this, [this] { core_.log.popLogCls_Click(); });
}

void FrmMain::buildToolbars() {
  struct Button {
    const char* key;
    const char* tip;
    int target;  // view slot (Toolbar1) or multi-screen kind (Toolbar2); -1 blank
  };
  const QColor word(45, 105, 175), wordBit(30, 140, 140), bitColour(60, 140, 60), special(190, 110, 30),
      contact(120, 90, 160), list(150, 60, 80);
  auto colourOf = [&](const QString& key, int slot) {
    if (key.endsWith('b')) return wordBit;
    if (key == "Dx" || key == "Mx") return special;
    if (key.size() == 2 && (key[0] == 'T' || key[0] == 'C')) return contact;
    if (key == "TEST" || key == "USER") return list;
    return slot <= 5 ? word : bitColour;
  };
  const Button one[] = {{"T", QT_TRANSLATE_NOOP("FrmMain", "タイマー"), 0},          {"C", QT_TRANSLATE_NOOP("FrmMain", "カウンタ"), 1},          {"D", QT_TRANSLATE_NOOP("FrmMain", "データレジスタ"), 2},
                        {"W", QT_TRANSLATE_NOOP("FrmMain", "リンクレジスタ"), 3},    {"R", QT_TRANSLATE_NOOP("FrmMain", "ファイルレジスタ"), 4},  {"Dx", QT_TRANSLATE_NOOP("FrmMain", "特殊レジスタＤ"), 5},
                        {"Db", QT_TRANSLATE_NOOP("FrmMain", "データレジスタ"), 20},  {"Wb", QT_TRANSLATE_NOOP("FrmMain", "リンクレジスタ"), 21},  {"Rb", QT_TRANSLATE_NOOP("FrmMain", "ファイルレジスタ"), 22},
                        {"Dxb", QT_TRANSLATE_NOOP("FrmMain", "特殊レジスタＤ"), 23}, {"X", QT_TRANSLATE_NOOP("FrmMain", "入力Ｘ"), 6},            {"Y", QT_TRANSLATE_NOOP("FrmMain", "出力Ｙ"), 7},
                        {"M", QT_TRANSLATE_NOOP("FrmMain", "内部リレーＭ"), 8},      {"L", QT_TRANSLATE_NOOP("FrmMain", "ラッチリレーＬ"), 9},    {"S", QT_TRANSLATE_NOOP("FrmMain", "ステップリレーＳ"), 10},
                        {"B", QT_TRANSLATE_NOOP("FrmMain", "リンクリレーＢ"), 11},   {"F", QT_TRANSLATE_NOOP("FrmMain", "アナンシェータＦ"), 12}, {"Mx", QT_TRANSLATE_NOOP("FrmMain", "特出リレーＭ"), 13},
                        {"Ts", QT_TRANSLATE_NOOP("FrmMain", "タイマー（接点）"), 14}, {"Tc", QT_TRANSLATE_NOOP("FrmMain", "タイマー（コイル）"), 15},
                        {"Cs", QT_TRANSLATE_NOOP("FrmMain", "カウンター（接点）"), 16}, {"Cc", QT_TRANSLATE_NOOP("FrmMain", "カウンター（コイル）"), 17}};
  toolbar1_ = addToolBar(QStringLiteral("Toolbar1"));
  toolbar1_->setObjectName("Toolbar1");
  for (const Button& b : one) {
    const QString key = QString::fromUtf8(b.key);
    QAction* a = toolbar1_->addAction(tileIcon(key, colourOf(key, b.target), false), QCoreApplication::translate("FrmMain", b.tip));
    a->setObjectName("Toolbar1_" + key);
    a->setToolTip(QCoreApplication::translate("FrmMain", b.tip));
    connect(a, &QAction::triggered, this, [this, slot = b.target] {
      if (toolbarSingleView) toolbarSingleView(slot);
    });
    viewButtons_.emplace_back(a, b.target);
  }
  addToolBarBreak();
  toolbar2_ = addToolBar(QStringLiteral("Toolbar2"));
  toolbar2_->setObjectName("Toolbar2");
  const Button two[] = {{"T", QT_TRANSLATE_NOOP("FrmMain", "タイマー"), 1},          {"C", QT_TRANSLATE_NOOP("FrmMain", "カウンタ"), 2},          {"D", QT_TRANSLATE_NOOP("FrmMain", "データレジスタ"), 3},
                        {"W", QT_TRANSLATE_NOOP("FrmMain", "リンクレジスタ"), 4},    {"R", QT_TRANSLATE_NOOP("FrmMain", "ファイルレジスタ"), 5},  {"", "", -1},
                        {"", "", -1},                  {"", "", -1},                  {"", "", -1},
                        {"", "", -1},                  {"X", QT_TRANSLATE_NOOP("FrmMain", "入力Ｘ"), 7},            {"Y", QT_TRANSLATE_NOOP("FrmMain", "出力Ｙ"), 8},
                        {"M", QT_TRANSLATE_NOOP("FrmMain", "内部リレーＭ"), 9},      {"L", QT_TRANSLATE_NOOP("FrmMain", "ラッチリレーＬ"), 10},   {"S", QT_TRANSLATE_NOOP("FrmMain", "ステップリレーＳ"), 11},
                        {"B", QT_TRANSLATE_NOOP("FrmMain", "リンクリレーＢ"), 12},   {"F", QT_TRANSLATE_NOOP("FrmMain", "アナンシェータＦ"), 13}, {"", "", -1},
                        {"", "", -1},                  {"", "", -1},                  {"TEST", QT_TRANSLATE_NOOP("FrmMain", "テスト・モニター"), 18},
                        {"USER", QT_TRANSLATE_NOOP("FrmMain", "ユーザー設定"), 19}};
  int position = 0;
  for (const Button& b : two) {
    ++position;
    const QString key = QString::fromUtf8(b.key);
    QAction* a = toolbar2_->addAction(tileIcon(key, colourOf(key, b.target - 1), key.size() <= 1),
                                      QCoreApplication::translate("FrmMain", b.tip));
    a->setObjectName(key.isEmpty() ? QString("Toolbar2_blank%1").arg(position) : "Toolbar2_" + key);
    a->setToolTip(QCoreApplication::translate("FrmMain", b.tip));
    if (b.target < 0) continue;
    if (key == "TEST" || key == "USER") viewButtons_.emplace_back(a, b.target);
    else multiEntries_.push_back(a);
    connect(a, &QAction::triggered, this, [this, key, target = b.target] {
      if (key == "TEST" || key == "USER") {
        if (toolbarSingleView) toolbarSingleView(target);
      } else if (openMultiView) {
        openMultiView(target);
      }
    });
  }
}

void FrmMain::buildCentral() {
  auto* central = new QWidget(this);
  auto* top = new QHBoxLayout;
  auto label = [this](const char* name, const QString& tip = {}) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(72);
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    if (!tip.isEmpty()) l->setToolTip(tip);
    return l;
  };
  const QString rightClick = QCoreApplication::translate("FrmMain", "右クリックで設定");

  // 計算機リンク設定
  auto* fraLink = new QGroupBox(QCoreApplication::translate("FrmMain", "計算機リンク設定"), this);
  fraLink->setObjectName("fraLink");
  auto* gl = new QGridLayout(fraLink);
  lblCpuType_ = label("lblCpuType", rightClick);
  lblKeisiki_ = label("lblKeisiki", rightClick);
  txtKyokuNo_ = new QLineEdit(QStringLiteral("00"), this);
  txtKyokuNo_->setObjectName("txtKyokuNo");
  txtPcNo_ = new QLineEdit(QStringLiteral("FF"), this);
  txtPcNo_->setObjectName("txtPcNo");
  txtPcNo_->setEnabled(false);
  chkSum_ = control<QCheckBox>(this, "chkSum", QCoreApplication::translate("FrmMain", "チェックサム有り"), QCoreApplication::translate("FrmMain", "電文にチェックサムコードを付加します"));
  gl->addWidget(new QLabel(QCoreApplication::translate("FrmMain", "コマンドタイプ")), 0, 0);
  gl->addWidget(lblCpuType_, 0, 1);
  gl->addWidget(new QLabel(QCoreApplication::translate("FrmMain", "専用プロトコル")), 1, 0);
  gl->addWidget(lblKeisiki_, 1, 1);
  gl->addWidget(new QLabel(QCoreApplication::translate("FrmMain", "局番号")), 2, 0);
  gl->addWidget(txtKyokuNo_, 2, 1);
  gl->addWidget(new QLabel(QCoreApplication::translate("FrmMain", "ＰＣ番号")), 3, 0);
  gl->addWidget(txtPcNo_, 3, 1);
  gl->addWidget(chkSum_, 4, 0, 1, 2);
  gl->setRowStretch(5, 1);
  top->addWidget(fraLink);

  // 通信設定
  auto* fraComm = new QGroupBox(QCoreApplication::translate("FrmMain", "通信設定"), this);
  fraComm->setObjectName("fraComm");
  auto* gc = new QGridLayout(fraComm);
  lblCommPort_ = label("lblCommPort", rightClick);
  lblBlate_ = label("lblBlate", rightClick);
  lblParity_ = label("lblParity", rightClick);
  lblDataLen_ = label("lblDataLen", rightClick);
  lblStopBit_ = label("lblStopBit", rightClick);
  const std::pair<const char*, QLabel*> rows[] = {{QT_TRANSLATE_NOOP("FrmMain", "ポート№"), lblCommPort_},   {QT_TRANSLATE_NOOP("FrmMain", "ボーレート"), lblBlate_},
                                                  {QT_TRANSLATE_NOOP("FrmMain", "パリティ"), lblParity_},     {QT_TRANSLATE_NOOP("FrmMain", "キャラクタ長"), lblDataLen_},
                                                  {QT_TRANSLATE_NOOP("FrmMain", "ストップビット"), lblStopBit_}};
  int r = 0;
  for (const auto& [caption, l] : rows) {
    gc->addWidget(new QLabel(QCoreApplication::translate("FrmMain", caption)), r, 0);
    gc->addWidget(l, r++, 1);
  }
  auto* fraHand = new QGroupBox(QCoreApplication::translate("FrmMain", "ハンドシェーク"), this);
  auto* hl = new QVBoxLayout(fraHand);
  handshakeGroup_ = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(QCoreApplication::translate("PortController", PortController::kHandshakeCaptions[i]), this);
    b->setObjectName(QString("optHandshaking%1").arg(i));
    optHandshaking_[static_cast<std::size_t>(i)] = b;
    handshakeGroup_->addButton(b, i);
    hl->addWidget(b);
  }
  connect(handshakeGroup_, &QButtonGroup::idClicked, this, [this](int id) {
    core_.pc.handshaking = id;
    core_.settingsChanged();
  });
  gc->addWidget(fraHand, 0, 2, 5, 1);
  hscWait_ = new QScrollBar(Qt::Horizontal, this);
  hscWait_->setObjectName("hscWait");
  hscWait_->setRange(LinkSettings::kWaitMinMs, LinkSettings::kWaitMaxMs);
  hscWait_->setSingleStep(1);
  hscWait_->setPageStep(10);
  lblWait_ = new QLabel(this);
  lblWait_->setObjectName("lblWait");
  connect(hscWait_, &QScrollBar::valueChanged, this, [this](int v) {
    if (v == core_.pc.hscWait) return;  // drawn from the settings
    core_.pc.hscWait = v;
    core_.settingsChanged();
  });
  gc->addWidget(new QLabel(QCoreApplication::translate("FrmMain", "受信文字間 Wait")), 5, 0);
  gc->addWidget(hscWait_, 5, 1, 1, 1);
  gc->addWidget(lblWait_, 5, 2);
  cmdPOpen_ = control<QPushButton>(this, "cmdPOpen", QCoreApplication::translate("FrmMain", "ポートオープン"), QCoreApplication::translate("FrmMain", "←ポート№入力後クリック"));
  cmdPClose_ = control<QPushButton>(this, "cmdPClose", QCoreApplication::translate("FrmMain", "ポートクローズ"));
  connect(cmdPOpen_, &QPushButton::clicked, this, [this] { core_.pc.cmdPOpen_Click(); });
  connect(cmdPClose_, &QPushButton::clicked, this, [this] { core_.pc.cmdPClose_Click(); });
  gc->addWidget(cmdPOpen_, 6, 0);
  gc->addWidget(cmdPClose_, 6, 1);
  chkCheckValue_ = control<QCheckBox>(this, "chkCheckValue", QCoreApplication::translate("FrmMain", "文法チェックをしない"), QCoreApplication::translate("FrmMain", "アドレスや処理点数のチェックを無視します"));
  chkViewAlert_ = control<QCheckBox>(this, "chkViewAlert", QCoreApplication::translate("FrmMain", "通信異常ﾀﾞｲｱﾛｸﾞ非表示"), QCoreApplication::translate("FrmMain", "通信異常時に、ダイアログを表示しない"));
  gc->addWidget(chkCheckValue_, 7, 0, 1, 2);
  gc->addWidget(chkViewAlert_, 8, 0, 1, 2);
  top->addWidget(fraComm);

  // 通信ログ・ファイル
  auto* fraLogFile = new QGroupBox(QCoreApplication::translate("FrmMain", "通信ログ・ファイル"), this);
  fraLogFile->setObjectName("fraLogFile");
  auto* lf = new QVBoxLayout(fraLogFile);
  chkLogFile_ = control<QCheckBox>(this, "chkLogFile", QCoreApplication::translate("FrmMain", "通信ﾛｸﾞﾌｧｲﾙ 出力"), QCoreApplication::translate("FrmMain", "送受信データをファイルへ書き込みます"));
  lf->addWidget(chkLogFile_);
  chkLogReading_ = control<QCheckBox>(this, "chkLogReading", QCoreApplication::translate("FrmMain", "解読も出力"), QCoreApplication::translate("FrmMain", "各電文の解読をファイルにも書き込みます"));
  lf->addWidget(chkLogReading_);
  fileTypeGroup_ = new QButtonGroup(this);
  const char* fileCaptions[] = {QT_TRANSLATE_NOOP("FrmMain", "固定ファイル名"), QT_TRANSLATE_NOOP("FrmMain", "ユニークファイル")};
  const char* fileTips[] = {QT_TRANSLATE_NOOP("FrmMain", "同一ﾛｸﾞﾌｧｲﾙに追加書き込みします"), QT_TRANSLATE_NOOP("FrmMain", "ﾎﾟｰﾄｵｰﾌﾟﾝ時に新しいﾛｸﾞﾌｧｲﾙを作成します")};
  for (int i = 0; i < 2; ++i) {
    auto* b = new QRadioButton(QCoreApplication::translate("FrmMain", fileCaptions[i]), this);
    b->setObjectName(QString("optFileType%1").arg(i));
    b->setToolTip(QCoreApplication::translate("FrmMain", fileTips[i]));
    optFileType_[static_cast<std::size_t>(i)] = b;
    fileTypeGroup_->addButton(b, i);
    lf->addWidget(b);
  }
  lf->addStretch();
  top->addWidget(fraLogFile);
  top->addStretch();

  // 通信履歴　電文表記
  auto* fraLog = new QGroupBox(QCoreApplication::translate("FrmMain", "通信履歴　電文表記"), this);
  fraLog->setObjectName("fraLog");
  auto* lg = new QGridLayout(fraLog);
  chkLogDsp_ = control<QCheckBox>(this, "chkLogDsp", QCoreApplication::translate("FrmMain", "履歴表示"), QCoreApplication::translate("FrmMain", "送受信データをテキストボックスへ表示します"));
  dspTypeGroup_ = new QButtonGroup(this);
  const char* dspCaptions[] = {"ANC", QT_TRANSLATE_NOOP("FrmMain", "制御文字置き換え"), QT_TRANSLATE_NOOP("FrmMain", "ASCII コード表示"),
                               QT_TRANSLATE_NOOP("FrmMain", "解読")};
  const char* dspTips[] = {QT_TRANSLATE_NOOP("FrmMain", "受信データをそのまま表示します。制御コードは文字化けします。"),
                           QT_TRANSLATE_NOOP("FrmMain", "制御コードをテキスト文字に置き換えて表示します。"), QT_TRANSLATE_NOOP("FrmMain", "文字列をASCIIコード１６進数で表示します"),
                           QT_TRANSLATE_NOOP("FrmMain", "電文の意味 (コマンド、デバイス、点数、値、NAK の理由) を表示します")};
  auto* dspRow = new QHBoxLayout;
  dspRow->addWidget(chkLogDsp_);
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(QCoreApplication::translate("FrmMain", dspCaptions[i]), this);
    b->setObjectName(QString("optDspType%1").arg(i));
    b->setToolTip(QCoreApplication::translate("FrmMain", dspTips[i]));
    optDspType_[static_cast<std::size_t>(i)] = b;
    dspTypeGroup_->addButton(b, i);
    if (i < 3) dspRow->addWidget(b);
  }
  chkFix_ = control<QCheckBox>(this, "chkFix", QCoreApplication::translate("FrmMain", "表示行"), QCoreApplication::translate("FrmMain", "表示行数を固定又は、無限にします。"));
  txtLogRow_ = new QLineEdit(QStringLiteral("20"), this);
  txtLogRow_->setObjectName("txtLogRow");
  txtLogRow_->setToolTip(QCoreApplication::translate("FrmMain", "通信ログ行数"));
  txtLogRow_->setMaxLength(4);
  txtLogRow_->setMaximumWidth(60);
  txtLogRow_->installEventFilter(this);
  cmdClr_ = control<QPushButton>(this, "cmdClr", QCoreApplication::translate("FrmMain", "履歴クリア"), QCoreApplication::translate("FrmMain", "通信履歴をクリアします。"));
  cmdSaveLog_ = control<QPushButton>(this, "cmdSaveLog", QCoreApplication::translate("FrmMain", "履歴保存"), QCoreApplication::translate("FrmMain", "テキストボックス内の履歴を名前を付けて保存します。"));
  dspRow->addStretch();
  dspRow->addWidget(chkFix_);
  dspRow->addWidget(txtLogRow_);
  dspRow->addWidget(cmdClr_);
  dspRow->addWidget(cmdSaveLog_);
  lg->addLayout(dspRow, 0, 0);
  lblCommLog_ = new QLabel(QCoreApplication::translate("FrmMain", "通信履歴"), this);
  lblCommLog_->setObjectName("lblCommLog");
  lblCommLog_->setToolTip(QCoreApplication::translate("FrmMain", "右クリックで、ポップアップが表示されます。"));
  lblCommLog_->installEventFilter(this);
  // The decoded mode sits under the other three, so the row keeps its width.
  auto* logRow = new QHBoxLayout;
  logRow->addWidget(lblCommLog_);
  logRow->addSpacing(24);
  logRow->addWidget(optDspType_[3]);
  logRow->addStretch();
  lg->addLayout(logRow, 1, 0);
  txtCommLog_ = new QPlainTextEdit(this);
  txtCommLog_->setObjectName("txtCommLog");
  txtCommLog_->setReadOnly(true);
  txtCommLog_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtCommLog_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lg->addWidget(txtCommLog_, 2, 0);

  lblComErr_ = label("lblComErr", QCoreApplication::translate("FrmMain", "通信異常"));
  lblRev_ = label("lblRev", QCoreApplication::translate("FrmMain", "受信データ"));
  lblSnd_ = label("lblSnd", QCoreApplication::translate("FrmMain", "送信データ"));
  auto* labels = new QHBoxLayout;
  for (QLabel* l : {lblComErr_, lblRev_, lblSnd_}) {
    // One line tall whatever the frame holds: a format-4 CR LF must not
    // double the label and shift the window's layout.  (The text is kept
    // as it came; what follows a line break is simply not shown.)
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setFixedHeight(l->fontMetrics().height() + 2 * l->frameWidth() + 2);
    labels->addWidget(l, 1);
  }

  auto* v = new QVBoxLayout(central);
  v->addLayout(top);
  v->addWidget(fraLog, 1);
  v->addLayout(labels);
  setCentralWidget(central);

  for (QLabel* l : {lblCpuType_, lblKeisiki_, lblCommPort_, lblBlate_, lblParity_, lblDataLen_, lblStopBit_})
    l->installEventFilter(this);

  // The link settings the engine reads live.  The controls change them
  // and are drawn from them (syncSettings), never read back.
  connect(txtKyokuNo_, &QLineEdit::textChanged, this, [this](const QString& t) {
    // Several stations show their list here; the list has its own command.
    if (core_.stations.several() || t.toStdString() == core_.link.config.station) return;
    core_.link.config.station = t.toStdString();
    core_.settingsChanged();
  });
  connect(chkSum_, &QCheckBox::clicked, this, [this](bool on) {
    // The greyed state only ever comes from a project: a click leaves it.
    core_.link.config.sum = on ? CheckState::Checked : CheckState::Unchecked;
    core_.settingsChanged();
  });
  connect(chkCheckValue_, &QCheckBox::toggled, this, [this](bool on) {
    if (on == core_.link.config.unchecked) return;
    core_.link.config.unchecked = on;
    core_.settingsChanged();
  });
  connect(chkViewAlert_, &QCheckBox::toggled, this, [this](bool on) { core_.link.chkViewAlert = on; });
  // The log area.
  connect(chkLogDsp_, &QCheckBox::clicked, this, [this](bool on) { core_.log.setChkLogDsp(on); });
  connect(chkFix_, &QCheckBox::clicked, this, [this](bool on) { core_.log.setChkFix(on); });
  connect(chkLogFile_, &QCheckBox::clicked, this, [this](bool on) { core_.log.setChkLogFile(on); });
  connect(chkLogReading_, &QCheckBox::clicked, this, [this](bool on) { core_.log.setFileReadings(on); });
  connect(dspTypeGroup_, &QButtonGroup::idClicked, this, [this](int id) { core_.log.setOptDspType(static_cast<DspType>(id)); });
  connect(fileTypeGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { core_.log.setOptFileType(static_cast<LogFileType>(id)); });
  connect(txtLogRow_, &QLineEdit::textEdited, this, [this](const QString& t) { core_.log.setTxtLogRow(t.toStdString()); });
  connect(txtLogRow_, &QLineEdit::returnPressed, this, [this] { core_.log.txtLogRow_LostFocus(); });
  connect(cmdClr_, &QPushButton::clicked, this, [this] { core_.log.cmdClr_Click(); });
  connect(cmdSaveLog_, &QPushButton::clicked, this,
          [this] { core_.log.cmdSaveLog_Click(panel5Text(), mainCaption()); });
}

void FrmMain::buildStatusBar() {
  struct Panel {
    const char* name;
    const char* tip;
    int width;
  };
  const Panel panels[] = {{"stsPortNo", QT_TRANSLATE_NOOP("FrmMain", "ポート№"), 50},
                          {"stsSetting", QT_TRANSLATE_NOOP("FrmMain", "通信パラメータ"), 110},
                          {"stsStatus", QT_TRANSLATE_NOOP("FrmMain", "ポート状態"), 60},
                          {"stsPrjVersion", QT_TRANSLATE_NOOP("FrmMain", "プロジェクトを作成したときの App.Ver"), 90},
                          {"stsProjectInfo", QT_TRANSLATE_NOOP("FrmMain", "プロジェクト・コメント"), 0}};
  statusBar()->setObjectName("stsBar");
  for (std::size_t i = 0; i < 5; ++i) {
    auto* l = new QLabel(this);
    l->setObjectName(panels[i].name);
    l->setToolTip(QCoreApplication::translate("FrmMain", panels[i].tip));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (panels[i].width) l->setMinimumWidth(panels[i].width);
    panels_[i] = l;
    statusBar()->addWidget(l, i == 4 ? 1 : 0);
  }
  panels_[4]->installEventFilter(this);
}

void FrmMain::connectModels() {
  core_.pc.changed = [this] { syncPort(); };
  core_.log.changed = [this](const LogChange& c) { onLogChanged(c); };
  core_.link.labelsChanged = [this] {
    if (core_.engine.busy()) {
      labelsPending_ = true;
      screenTimer_->start();
    } else {
      syncLabels();
    }
  };
  screenTimer_ = new QTimer(this);
  screenTimer_->setSingleShot(true);
  screenTimer_->setInterval(50);
  connect(screenTimer_, &QTimer::timeout, this, [this] { flushScreen(); });
  core_.engine.onQuiet = [this] { flushScreenWhenDue(); };
  lastFlush_.start();
}

void FrmMain::flushScreenWhenDue() {
  if ((pendingLog_.empty() && !labelsPending_) || lastFlush_.elapsed() < 500) return;
  flushScreen();
}

void FrmMain::Form_Load() {
  const Settings& s = core_.settings;
  // 1. Place.
  placeAt(s.mainWindow);
  // 2. Caption.
  setWindowTitle(q(mainCaption()));
  // 3.-4. Labels, wait, save entry, blank toolbar buttons.
  core_.link.lblComErr.clear();
  core_.link.lblRev.clear();
  core_.link.lblSnd.clear();
  syncLabels();
  syncSettings();
  mnuFileSave_->setData(QString());
  mnuFileSave_->setEnabled(false);
  for (QAction* a : toolbar2_->actions())
    if (a->objectName().startsWith("Toolbar2_blank")) a->setEnabled(false);
  // 5. Start states from the settings file.
  core_.link.chkViewAlert = s.ViewAlert == CheckState::Checked;
  chkViewAlert_->setTristate(s.ViewAlert == CheckState::Grayed);
  chkViewAlert_->setCheckState(s.ViewAlert == CheckState::Checked  ? Qt::Checked
                               : s.ViewAlert == CheckState::Grayed ? Qt::PartiallyChecked
                                                                   : Qt::Unchecked);
  core_.log.setChkLogFile(s.LogFile == CheckState::Checked);
  core_.log.setChkLogDsp(s.LogDsp == CheckState::Checked);
  for (int i = 0; i < 2; ++i)
    if (s.FileType[static_cast<std::size_t>(i)]) core_.log.setOptFileType(static_cast<LogFileType>(i));
  for (int i = 0; i < 3; ++i)
    if (s.DspType[static_cast<std::size_t>(i)]) core_.log.setOptDspType(static_cast<DspType>(i));
  // 6. The wait bar, the log, panels 4 and 5.
  hscWait_->setEnabled(true);
  core_.log.popLogCls_Click();
  panels_[3]->clear();
  panel5Shows_ = Panel5::Nothing;
  panels_[4]->clear();
  // 8.-9. Captions, the log's entry limit.
  syncSettings();
  core_.log.txtLogRow_LostFocus();
  // 11. Ports.
  if (core_.pc.fncCommPort() == 0) {
    core_.presenter.messageWithHelp(std::string(omb::trs("FrmMain", "利用可能なＣＯＭＭポートがありません。")) + CRLF, "COM Port Error",
                                    MsgIcon::Exclamation, 7000);
    core_.pc.setPortFound(false);
  } else {
    core_.pc.subDsp_CommSet();
    core_.pc.setPortFound(true);
  }
  // 12. The framing follows the format of the link settings by itself.
  syncPort();
  syncLogControls();
  // 14. The views that were open at the last exit.
  if (subView_Dsp) subView_Dsp();
}

const QString& FrmMain::notAvailableText() {
  static const QString text = QCoreApplication::translate("FrmMain", "この機能はまだ使用できません");
  return text;
}

void FrmMain::registerCommand(const QString& id, std::function<void()> run) {
  const auto it = commands_.find(id);
  if (it == commands_.end()) return;
  registered_.insert(id);
  connect(it->second, &QAction::triggered, this, [run = std::move(run)] { run(); });
}

void FrmMain::setViewAvailable(int slot, bool available) {
  if (slot >= 0 && slot < kViewSlotCount) viewAvailable_[static_cast<std::size_t>(slot)] = available;
}

void FrmMain::markUnavailable(QAction* a) {
  unavailable_.insert(a);
  a->setEnabled(false);
  a->setToolTip(notAvailableText());
  a->setStatusTip(notAvailableText());
}

void FrmMain::finishCommands() {
  for (const auto& [id, a] : commands_)
    if (!registered_.count(id)) markUnavailable(a);
  // A submenu whose entries are all off is off itself.
  bool anyImport = false;
  for (QAction* a : mnuFileInport_->actions()) anyImport = anyImport || !unavailable_.count(a);
  if (!anyImport) markUnavailable(mnuFileInport_->menuAction());
  for (int slot = 0; slot < kViewSlotCount; ++slot)
    if (!viewAvailable_[static_cast<std::size_t>(slot)] && mnuDsp_[static_cast<std::size_t>(slot)])
      markUnavailable(mnuDsp_[static_cast<std::size_t>(slot)]);
  for (const auto& [a, slot] : viewButtons_)
    if (!viewAvailable_[static_cast<std::size_t>(slot)]) markUnavailable(a);
  if (!openMultiView) {
    for (QAction* a : multiEntries_) markUnavailable(a);
    for (QMenu* m : findChildren<QMenu*>(QStringLiteral("mnuDspWordPlus")) + findChildren<QMenu*>(QStringLiteral("mnuDspBitPlus")))
      markUnavailable(m->menuAction());
  }
}

void FrmMain::setViewChecked(int slot, bool open) {
  if (slot >= 0 && slot < static_cast<int>(mnuDsp_.size()) && mnuDsp_[static_cast<std::size_t>(slot)])
    mnuDsp_[static_cast<std::size_t>(slot)]->setChecked(open);
}

// The menus and labels of the link settings show the typed settings; they
// never hold them.
void FrmMain::subDsp_CpuKeisiki() {
  const LinkConfig& c = core_.link.config;
  for (int n = 1; n <= 4; ++n) mnuProtoMode_[static_cast<std::size_t>(n)]->setChecked(n == c.formatNumber());
  lblKeisiki_->setText(QCoreApplication::translate("Framing", formatCaption(c.format)));
  mnuCpuAcpu_->setChecked(c.cpu == CpuType::ACPU);
  mnuCpuAnAcpu_->setChecked(c.cpu == CpuType::AnACPU);
  lblCpuType_->setText(cpuName(c.cpu));
}

void FrmMain::chooseCpu(bool anAcpu) {
  core_.link.config.cpu = anAcpu ? CpuType::AnACPU : CpuType::ACPU;
  core_.settingsChanged();
}

void FrmMain::chooseFormat(int n) {
  if (const auto f = formatOfNumber(n)) core_.link.config.format = *f;
  core_.settingsChanged();
}

// Every control that shows a served setting, drawn from the settings.
void FrmMain::syncSettings() {
  subDsp_CpuKeisiki();
  const LinkConfig& c = core_.link.config;
  // One station: its number, to type over.  Several: every station
  // served, the one shown named in the tip; the list changes through its
  // own command.
  const bool several = core_.stations.several();
  const std::string served = core_.stations.listText();
  const QString box = q(several ? served : c.station);
  if (txtKyokuNo_->text() != box) txtKyokuNo_->setText(box);
  txtKyokuNo_->setReadOnly(several);
  txtKyokuNo_->setToolTip(several ? QCoreApplication::translate("FrmMain", "応答する局番: %1（変更は「局番設定（マルチドロップ）」で）　表示中の局: %2")
                                        .arg(q(served), q(core_.stations.shown()))
                                  : QString());
  txtPcNo_->setText(q(c.pcNo));
  chkSum_->setTristate(c.sum == CheckState::Grayed);
  chkSum_->setCheckState(c.sum == CheckState::Checked  ? Qt::Checked
                         : c.sum == CheckState::Grayed ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);
  chkCheckValue_->setChecked(c.unchecked);
  hscWait_->setValue(core_.pc.hscWait);
  lblWait_->setText(QString("%1 mmSec").arg(core_.pc.hscWait));
  for (QAction* a : mnuStationShow_->actions())
    a->setChecked(a->objectName() == q("mnuStation" + core_.stations.shown()));
}

void FrmMain::rebuildPortMenu() {
  mnuCommPort_->clear();
  const auto& entries = core_.pc.mnuCommPortNo;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    QAction* a = mnuCommPort_->addAction(q(entries[i].caption));
    a->setObjectName(QString("mnuCommPortNo%1").arg(i));
    a->setData(q(entries[i].tag));
    a->setCheckable(true);
    a->setChecked(entries[i].checked);
    connect(a, &QAction::triggered, this, [this, i] { core_.pc.choosePort(i); });
  }
}

void FrmMain::syncPort() {
  const PortController& pc = core_.pc;
  rebuildPortMenu();
  for (int i = 0; i < 7; ++i) mnuCommBps_[static_cast<std::size_t>(i)]->setChecked(pc.baudIndex == i);
  mnuCommCharLen7_->setChecked(pc.dataLength == 7);
  mnuCommCharLen8_->setChecked(pc.dataLength == 8);
  mnuCommStopBit1_->setChecked(pc.stopBits == 1);
  mnuCommStopBit2_->setChecked(pc.stopBits == 2);
  mnuCommParityE_->setChecked(pc.parity == 'e');
  mnuCommParityO_->setChecked(pc.parity == 'o');
  mnuCommParityN_->setChecked(pc.parity == 'n');
  if (pc.handshaking >= 0 && pc.handshaking < 4) optHandshaking_[static_cast<std::size_t>(pc.handshaking)]->setChecked(true);
  lblCommPort_->setText(q(pc.lblCommPort));
  lblBlate_->setText(q(pc.lblBlate));
  lblParity_->setText(q(pc.lblParity));
  lblDataLen_->setText(q(pc.lblDataLen));
  lblStopBit_->setText(q(pc.lblStopBit));
  panels_[0]->setText(q(pc.panelPortNo));
  panels_[1]->setText(q(pc.panelSetting));
  panels_[2]->setText(q(pc.panelStatus));
  cmdPOpen_->setEnabled(pc.cmdPOpenEnabled);
  cmdPClose_->setEnabled(pc.cmdPCloseEnabled);
  applyEnableCommSet(pc.commSetEnabled);
}

// What must not change while the port is open.
void FrmMain::applyEnableCommSet(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{lblCpuType_, lblKeisiki_, lblCommPort_, lblBlate_, lblParity_,
                                                    lblDataLen_, lblStopBit_, txtKyokuNo_, chkSum_, chkCheckValue_,
                                                    hscWait_})
    w->setEnabled(on);
  for (auto* b : optHandshaking_) b->setEnabled(on);
  for (QAction* a : {mnuSet_->menuAction(), mnuOldFileOpen_, mnuFileInport_->menuAction(), mnuFileSaveAs_, mnuFileOpen_,
                     mnuInitDevCome_, mnuCom_->menuAction(), mnuHelp_->menuAction()})
    a->setEnabled(on && !unavailable_.count(a));
  mnuFileSave_->setEnabled(on && !unavailable_.count(mnuFileSave_) && !mnuFileSave_->data().toString().isEmpty());
  // The stations change only while the line is closed; which one the
  // windows show, at any time.
  mnuStations_->setEnabled(on);
  mnuStationShow_->setEnabled(core_.stations.several());
  syncLogControls();
}

// The stations of a multi-drop line, typed as one list; the first is the
// one the windows show.
void FrmMain::chooseStations() {
  const std::string current = core_.stations.listText();
  const auto text = core_.presenter.inputBox(
      omb::trs("FrmMain", "この回線で応答する局番を、カンマ区切りで入力してください。\r\n"
      "（例 00,01,05　先頭の局を表示します。追加した局のデバイスは０から始まります）"),
      omb::trs("FrmMain", "局番設定"), current);
  if (!text || *text == current) return;
  if (const auto error = core_.setStationsText(*text)) {
    core_.presenter.message(*error, omb::trs("FrmMain", "局番設定"), MsgIcon::Exclamation, MsgButtons::Ok);
    return;
  }
  rebuildStationMenu();
}

void FrmMain::rebuildStationMenu() {
  mnuStationShow_->clear();
  const std::vector<std::string> numbers = core_.stations.numbers();
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const std::string& n = numbers[i];
    QAction* a = mnuStationShow_->addAction(QCoreApplication::translate("FrmMain", "局番 ") + q(n));
    a->setObjectName(q("mnuStation" + n));
    a->setCheckable(true);
    a->setChecked(n == core_.stations.shown());
    connect(a, &QAction::triggered, this, [this, n] { showStation(n); });
  }
  mnuStationShow_->setEnabled(core_.stations.several());
}

void FrmMain::showStation(const std::string& number) {
  if (!core_.showStation(number) || number == core_.stations.shown()) syncSettings();  // the mark back
}

// Started at a path the user confirms, stopped by choosing it again; the
// mark shows whether it runs.
void FrmMain::toggleControl() {
  if (!controlPath_.empty()) {
    if (stopControl) stopControl();
    controlPath_.clear();
  } else if (startControl) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string preset = (runtime && *runtime ? std::string(runtime) + "/" : core_.dataFolder) + "ombrisal.sock";
    const auto path = core_.presenter.inputBox(
        omb::trs("FrmMain", "テストスクリプトからの指令を受ける制御ソケットのパスを入力してください。\r\n"
        "（例 ombrisal ctl パス set X0 1　所有者だけが接続できます）"),
        omb::trs("FrmMain", "制御ソケット"), preset);
    if (path && !path->empty()) {
      if (const auto failed = startControl(*path))
        core_.presenter.message(omb::trs("FrmMain", "制御ソケットを開始できませんでした。\r\n") + *path + "\r\n" + *failed, omb::trs("FrmMain", "制御ソケット"),
                                MsgIcon::Exclamation, MsgButtons::Ok);
      else
        controlPath_ = *path;
    }
  }
  mnuControl_->setChecked(!controlPath_.empty());
  mnuControl_->setToolTip(controlTip(controlPath_));
}

void FrmMain::syncLogControls() {
  const TrafficLog& log = core_.log;
  chkLogDsp_->setChecked(log.chkLogDsp());
  chkFix_->setChecked(log.chkFix());
  chkFix_->setEnabled(log.chkFixEnabled());
  if (txtLogRow_->text().toStdString() != log.txtLogRow()) txtLogRow_->setText(q(log.txtLogRow()));
  txtLogRow_->setEnabled(log.txtLogRowEnabled());
  chkLogFile_->setChecked(log.chkLogFile());
  chkLogFile_->setEnabled(log.chkLogFileEnabled());
  const int dsp = static_cast<int>(log.optDspType());
  dspTypeGroup_->setExclusive(false);
  chkLogReading_->setChecked(log.fileReadings());
  for (int i = 0; i < 4; ++i) {
    optDspType_[static_cast<std::size_t>(i)]->setChecked(dsp == i);
    optDspType_[static_cast<std::size_t>(i)]->setEnabled(log.optDspTypeEnabled());
  }
  dspTypeGroup_->setExclusive(true);
  const int file = static_cast<int>(log.optFileType());
  fileTypeGroup_->setExclusive(false);
  for (int i = 0; i < 2; ++i) {
    optFileType_[static_cast<std::size_t>(i)]->setChecked(file == i);
    optFileType_[static_cast<std::size_t>(i)]->setEnabled(log.optFileTypeEnabled());
  }
  fileTypeGroup_->setExclusive(true);
  cmdSaveLog_->setEnabled(log.cmdSaveLogEnabled());
  popLogSave_->setEnabled(log.popLogSaveEnabled());
}

void FrmMain::syncLabels() {
  lblComErr_->setText(lineText(core_.link.lblComErr).trimmed());
  lblRev_->setText(lineText(core_.link.lblRev));
  lblSnd_->setText(lineText(core_.link.lblSnd));
}

// The text box follows the log without copying it: a trim removes the first
// line (one line per entry), new text goes at the end.
void FrmMain::onLogChanged(const LogChange& c) {
  if (c.kind == LogChange::Kind::Text && core_.engine.busy()) {
    pendingLog_.push_back({c.kind, c.trimmedLines, std::string(c.inserted)});
    screenTimer_->start();
    return;
  }
  flushScreen();
  applyLogChange(c.kind, c.trimmedLines, std::string(c.inserted));
}

void FrmMain::flushScreen() {
  screenTimer_->stop();
  lastFlush_.restart();
  const std::vector<PendingLog> pending = std::move(pendingLog_);
  pendingLog_.clear();
  for (const PendingLog& p : pending) applyLogChange(p.kind, p.trimmedLines, p.inserted);
  if (labelsPending_) {
    labelsPending_ = false;
    syncLabels();
  }
}

void FrmMain::applyLogChange(LogChange::Kind kind, std::size_t trimmedLines, const std::string& inserted) {
  switch (kind) {
    case LogChange::Kind::Reset:
      txtCommLog_->clear();
      return;
    case LogChange::Kind::Controls:
      syncLogControls();
      return;
    case LogChange::Kind::Text:
      break;
  }
  QTextCursor cursor(txtCommLog_->document());
  if (trimmedLines > 0) {
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(trimmedLines));
    cursor.removeSelectedText();
  }
  if (!inserted.empty()) {
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(boxText(inserted));
  }
  txtCommLog_->moveCursor(QTextCursor::End);
  txtCommLog_->ensureCursorVisible();
}

void FrmMain::showVersion() {
  const std::string text = std::string(kProductName) + versionText() + CRLF + "ProductName  " + kProductName + CRLF +
                           omb::trs("FrmMain", "Copyright (C) 2026 Ombrisal の開発者") + CRLF;
  core_.presenter.message(text, omb::trs("FrmMain", "バージョン情報 作品番号：OMB-212"), MsgIcon::None, MsgButtons::Ok);
}

void FrmMain::projectChanged(const std::string& how) {
  panel5Shows_ = Panel5::Comment;
  panels_[4]->setText(q(panel5Text()));
  panel5Tag_ = "Comment";
  if (how == "Import") {
    // An import leaves the project in use as the overwrite command's target.
    showPanel4("Old Version");
    return;
  }
  mnuFileSave_->setData(QString::fromStdString(how));
  mnuFileSave_->setEnabled(!core_.pc.G_PortOpen);
}

void FrmMain::showPanel4(const std::string& text) { panels_[3]->setText(q(text)); }

std::array<int, 4> FrmMain::placeTwips() const {
  auto twips = [](int px) { return static_cast<int>(std::lround(pixelsToTwips(px))); };
  return {twips(pos().y()), twips(pos().x()), twips(height()), twips(width())};
}

void FrmMain::placeAt(const MainWindowSetting& s) {
  move(twipsToPixels(s.Left), twipsToPixels(s.Top));
  QSize size = this->size();
  if (s.Width > 500) size.setWidth(twipsToPixels(s.Width));
  if (s.Height > 500) size.setHeight(twipsToPixels(s.Height));
  resize(size);
}

void FrmMain::toggleProjectPanel() {
  if (panel5Text().empty()) return;
  if (panel5Tag_ == "Comment") {
    panel5Shows_ = Panel5::Comment;
    panel5Tag_ = "FileName";
    panels_[4]->setToolTip(QCoreApplication::translate("FrmMain", "プロジェクト・コメント"));
  } else {
    panel5Shows_ = Panel5::FileName;
    panel5Tag_ = "Comment";
    panels_[4]->setToolTip(QCoreApplication::translate("FrmMain", "プロジェクト・ファイル名"));
  }
  panels_[4]->setText(q(panel5Text()));
}

std::string FrmMain::panel5Text() const {
  switch (panel5Shows_) {
    case Panel5::Comment: return core_.projectComment;
    case Panel5::FileName: return core_.projectFileName;
    case Panel5::Nothing: break;
  }
  return {};
}

std::string FrmMain::mainCaption() { return std::string(kProductName) + versionText(); }

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (watched == panels_[4] && me->button() == Qt::LeftButton) {
      toggleProjectPanel();
      return true;
    }
    if (me->button() == Qt::RightButton) {
      auto* w = qobject_cast<QWidget*>(watched);
      QMenu* menu = nullptr;
      if (watched == lblCpuType_) menu = mnuCpu_;
      else if (watched == lblKeisiki_) menu = mnuProto_;
      else if (watched == lblCommPort_) {
        core_.pc.subRenew_CommPort();
        menu = mnuCommPort_;
      } else if (watched == lblBlate_) menu = mnuCommBlate_;
      else if (watched == lblParity_) menu = mnuCommParity_;
      else if (watched == lblDataLen_) menu = mnuCommCharLen_;
      else if (watched == lblStopBit_) menu = mnuCommStopBit_;
      else if (watched == lblCommLog_) menu = popLogText_;
      if (menu && w && w->isEnabled()) {
        menu->popup(me->globalPosition().toPoint());
        return true;
      }
    }
  }
  if (watched == txtLogRow_) {
    if (event->type() == QEvent::FocusIn) QMetaObject::invokeMethod(txtLogRow_, &QLineEdit::selectAll, Qt::QueuedConnection);
    if (event->type() == QEvent::FocusOut) core_.log.txtLogRow_LostFocus();
  }
  return QMainWindow::eventFilter(watched, event);
}

void FrmMain::Form_QueryUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  guarded(core_.errorLog, "frmMain.Form_QueryUnload() ", [&](ErrorTrap& trap) {
    trap.section(1);
    const std::string portNo = core_.pc.panelPortNo;
    if (core_.line.isOpen()) {
      core_.engine.abort();
      core_.line.close();
      core_.pc.G_PortOpen = false;
    }
    trap.section(2);
    core_.log.shutdown(portNo);
    trap.section(3);
    // Closing a view records its place and clears its open flag; the flags
    // of the views open now are what the next start reopens.
    std::array<bool, kViewSlotCount> open{};
    for (std::size_t i = 0; i < open.size(); ++i) open[i] = core_.settings.G_SetWindow[i].flg;
    if (subCloseDeviceView) subCloseDeviceView();
    for (std::size_t i = 0; i < open.size(); ++i) core_.settings.G_SetWindow[i].flg = open[i];
    if (!core_.windowFromProject) {
      // The place is the frame's (what move() takes back at the next
      // start), the size the inside's (what resize() takes): saved as they
      // are restored, the window never drifts.
      core_.settingsFile.subPutIniFile({pixelsToTwips(pos().y()), pixelsToTwips(pos().x()), pixelsToTwips(height()),
                                        pixelsToTwips(width())});
    }
  });
}

void FrmMain::closeEvent(QCloseEvent* event) {
  Form_QueryUnload();
  if (help_) help_->close();
  event->accept();
}

}  // namespace omb
