// The word-device view offscreen: pages and addresses, display modes,
// Word Data, ALL Clear, 登録, paging and the refresh signal.
#include "views/word_view.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "core/device_kind.h"
#include "test_support.h"
#include "views/cell_input.h"
#include "ui/dlg_input.h"
#include "ui/dlg_msg.h"
#include "views/flex_grid.h"
#include "app/compose.h"
#include "app/app_core.h"
#include "views/view_manager.h"

namespace omb {
namespace {

namespace wd = mdlSubWordDevice;

// The mode a column of this heading shows.
ColumnMode modeNamed(const QString& heading) {
  for (ColumnMode m : {ColumnMode::Dec, ColumnMode::Hex, ColumnMode::Ascii, ColumnMode::Comment})
    if (heading == columnHeading(m)) return m;
  return ColumnMode::Other;
}

const char* const kDecPrompt = "１０進数で入力してください\r\nステップ数は，カンマで区切ります";
const char* const kHexPrompt = "１６進数で入力してください\r\nステップ数は，カンマで区切ります";

// Types `keys` into a widget one key press each ("\r" is Enter; a leading
// "^" holds Ctrl for the next key).
void type(QWidget* w, const QString& keys) {
  Qt::KeyboardModifiers mods = Qt::NoModifier;
  for (QChar ch : keys) {
    if (ch == u'^') {
      mods = Qt::ControlModifier;
      continue;
    }
    int key = ch.toUpper().unicode();
    QString text(ch);
    if (ch == u'\r') key = Qt::Key_Return;
    if (mods & Qt::ControlModifier) text = QChar(ch.toUpper().unicode() - 'A' + 1);
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(w, &press);
    mods = Qt::NoModifier;
  }
}

// A program folder with the shipped settings; `replace` edits lines of the
// settings file before start-up (for other device ranges).
class WordView : public ::testing::Test {
 protected:
  // A question the view asked: caption, prompt or message, preset text,
  // whether Cancel was offered.
  struct Asked {
    std::string caption, text, preset;
    bool cancel;
  };
  WordView() {
    presenter.dlgInputAnswer = [this](const std::string& caption, const std::string& prompt, const std::string& preset) {
      inputs.push_back({caption, prompt, preset, true});
      return next(inputAnswers, "");
    };
    presenter.dlgMsgAnswer = [this](const std::string& caption, const std::string& message, bool cancelVisible) {
      msgs.push_back({caption, message, "", cancelVisible});
      return next(msgAnswers, "1") == "1";
    };
  }
  static std::string next(std::vector<std::string>& answers, const std::string& otherwise) {
    if (answers.empty()) return otherwise;
    std::string a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void start(const std::vector<std::pair<std::string, std::string>>& replace = {}) {
    std::string ini = test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
    for (const auto& [from, to] : replace) {
      const std::size_t at = ini.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      ini.replace(at, from.size(), to);
    }
    test::writeFile(dir.file("Init.ini"), ini);
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    ASSERT_TRUE(core->startUp());
    manager = std::make_unique<ViewManager>(omb::viewHostOf(*core), nullptr);
    manager->factory = [](ViewContext& ctx, int slot) -> DeviceView* {
      return slot <= kDx ? new FrmWordDevice(ctx, slot) : nullptr;
    };
  }
  FrmWordDevice* open(int slot) {
    manager->openSingleView(slot);
    return static_cast<FrmWordDevice*>(manager->view(slot));
  }
  const std::vector<std::int16_t>& words(int kind) { return core->state.memory.words(kind); }
  // A popup item chosen on panel `panel` at its current cell.
  static void choose(FrmWordDevice* v, int panel, const char* item) {
    ASSERT_TRUE(v->preparePopData(panel));
    v->findChild<QAction*>(item)->trigger();
  }
  void poke(int kind, std::int64_t index, std::int16_t value) { core->state.memory.write(kind, index, value); }
  // Error reports seen so far, by location text.
  std::vector<std::string> errors() const {
    std::vector<std::string> seen;
    for (const auto& b : presenter.boxes)
      if (b.icon == MsgIcon::Critical) seen.push_back(b.title);
    return seen;
  }

  test::TempDir dir;
  RecordingPresenter presenter;
  SystemClock clock;
  std::unique_ptr<AppCore> core;
  std::unique_ptr<ViewManager> manager;
  std::vector<Asked> inputs, msgs;
  std::vector<std::string> inputAnswers;  // scripted, in order; none left: Cancel
  std::vector<std::string> msgAnswers;    // "1" OK, "2" Cancel; none left: OK
};

TEST(WordViewTexts, AddressTextsArePaddedAndCutFromTheRight) {
  struct Case {
    const char* code;
    std::int64_t number;
    int digits;
    bool hex;
    const char* text;
  };
  for (const Case& c : {Case{"D", 100, 6, false, "D000100"}, Case{"TN", 15, 5, false, "TN00015"},
                        Case{"W", 0x1A0, 6, true, "W0001A0"}, Case{"D", 9000, 6, false, "D009000"},
                        Case{"W", 0xFF, 6, true, "W0000FF"}, Case{"D", 1234567, 6, false, "D234567"}})
    EXPECT_EQ(wd::fncAddressTextW(c.code, c.number, c.digits, c.hex), QString::fromUtf8(c.text)) << c.text;
}

TEST(WordViewTexts, ValuesInEachMode) {
  struct Case {
    std::int16_t v;
    const char* dec;
    const char* hex;
    const char* ascii;
  };
  for (const Case& c : {Case{-1, "-1", "FFFF", "??"}, Case{255, "255", "00FF", " ?"},
                        Case{0x4142, "16706", "4142", "AB"}, Case{0x4100, "16640", "4100", "A "},
                        Case{0, "0", "0000", "  "}}) {
    EXPECT_EQ(fncWordText(c.v, ColumnMode::Dec), QString::fromUtf8(c.dec));
    EXPECT_EQ(fncWordText(c.v, ColumnMode::Hex), QString::fromUtf8(c.hex));
    EXPECT_EQ(fncWordText(c.v, ColumnMode::Ascii), QString::fromUtf8(c.ascii)) << c.v;
  }
  // A double-byte character of the system code page shows as one character.
  EXPECT_EQ(fncWordText(static_cast<std::int16_t>(0x82A0), ColumnMode::Ascii), QString::fromUtf8("あ"));
}

TEST_F(WordView, TheFirstPageOfDShowsFourQuartersSideBySide) {
  start();
  FrmWordDevice* v = open(kD);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->objectName(), "frmWordDeviceD");
  EXPECT_EQ(v->windowTitle(), QString::fromUtf8("データレジスタＤ"));
  for (const char* name : {"fgrdWord0", "fgrdWord3", "cmdWordData0", "cmdWordData3", "cmdMoni0", "cmdMoni3", "cmdChg",
                           "cmdAllClr", "cmdPrev", "cmdNext", "lblPage", "txtInput", "popData", "popDec", "popHex",
                           "popAsc", "popCelColor", "popFontSet", "popInputCome", "popDeleteCome"})
    EXPECT_NE(v->findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(v->findChild<QLabel*>("lblPage")->text(), "1/24");  // 6144 registers, 256 a page
  const char* first[] = {"D000000", "D000064", "D000128", "D000192"};
  const char* last[] = {"D000063", "D000127", "D000191", "D000255"};
  for (int p = 0; p < 4; ++p) {
    const FlexGrid* g = v->panel(p);
    EXPECT_EQ(g->rows(), 65);
    const QStringList headers{g->textMatrix(0, 0), g->textMatrix(0, 1), g->textMatrix(0, 2), g->textMatrix(0, 3)};
    EXPECT_EQ(headers, (QStringList{"Address", "Dec", "Hex", "Device Comment"}));
    EXPECT_EQ(g->textMatrix(1, 0), first[p]);
    EXPECT_EQ(g->textMatrix(64, 0), last[p]);
    EXPECT_EQ(g->textMatrix(1, 3), "");  // no comments yet
  }
  // The panels stand left to right in their order, under them their buttons.
  for (int p = 1; p < 4; ++p) EXPECT_GT(v->panel(p)->x(), v->panel(p - 1)->x() + v->panel(p - 1)->width() / 2);
  auto* data = v->findChild<QPushButton*>("cmdWordData2");
  EXPECT_EQ(data->x(), v->panel(2)->x());
  EXPECT_GT(data->y(), v->panel(2)->y() + v->panel(2)->height());
}

TEST_F(WordView, SecondPageOfWCountsInHexadecimal) {
  start();
  poke(kW, 0x1A0, 0x1234);
  poke(kW, 0x13F, -2);
  FrmWordDevice* v = open(kW);
  EXPECT_EQ(v->findChild<QLabel*>("lblPage")->text(), "1/16");
  EXPECT_EQ(v->panel(3)->textMatrix(64, 0), "W0000FF");
  v->findChild<QPushButton*>("cmdNext")->click();
  EXPECT_EQ(v->page(), 1);
  EXPECT_EQ(v->findChild<QLabel*>("lblPage")->text(), "2/16");
  struct Cell {
    int panel, row;
    const char* address;
    const char* dec;
    const char* hex;
  };
  for (const Cell& c : {Cell{0, 1, "W000100", "0", "0000"}, Cell{0, 64, "W00013F", "-2", "FFFE"},
                        Cell{1, 1, "W000140", "0", "0000"}, Cell{2, 33, "W0001A0", "4660", "1234"},
                        Cell{3, 64, "W0001FF", "0", "0000"}}) {
    EXPECT_EQ(v->panel(c.panel)->textMatrix(c.row, 0), c.address);
    EXPECT_EQ(v->rowAddress(c.panel, c.row), QString(c.address).mid(1).toLongLong(nullptr, 16));
    EXPECT_EQ(v->panel(c.panel)->textMatrix(c.row, 1), c.dec) << c.address;
    EXPECT_EQ(v->panel(c.panel)->textMatrix(c.row, 2), c.hex) << c.address;
  }
  // Prev on the first page and Next on the last do nothing.
  v->findChild<QPushButton*>("cmdPrev")->click();
  v->findChild<QPushButton*>("cmdPrev")->click();
  EXPECT_EQ(v->page(), 0);
  v->goToPage(15);
  v->findChild<QPushButton*>("cmdNext")->click();
  EXPECT_EQ(v->page(), 15);
  EXPECT_EQ(v->panel(3)->textMatrix(64, 0), "W000FFF");
}

TEST_F(WordView, TheSpecialRegistersAreLabelledD) {
  start();
  FrmWordDevice* v = open(kDx);
  EXPECT_EQ(v->windowTitle(), QString::fromUtf8("特殊レジスタ　D"));
  EXPECT_EQ(v->panel(0)->textMatrix(1, 0), "D009000");
  EXPECT_EQ(v->panel(3)->textMatrix(64, 0), "D009255");
  FrmWordDevice* tn = open(kTN);
  EXPECT_EQ(tn->windowTitle(), QString::fromUtf8("タイマー（現在値）　ＴＮ"));
  EXPECT_EQ(tn->panel(0)->textMatrix(16, 0), "TN00015");
  tn->goToPage(7);  // the last of 8 full pages
  EXPECT_EQ(tn->panel(3)->textMatrix(64, 0), "TN02047");
}

// Word Data over a selection of one column.
struct FillCase {
  const char* name;
  int col;
  const char* mode;  // header written before the fill
  int rows;
  const char* answer;
  std::vector<std::int16_t> expected;  // words 100.. after the fill (preset 0x1111)
  const char* prompt;
  const char* preset;
  bool overflow;
};

TEST_F(WordView, WordDataFillsValuesSeriesAndText) {
  const std::vector<FillCase> cases{
      {"decimal series", 1, "Dec", 5, "100,2", {100, 102, 104, 106, 108}, kDecPrompt, "4369", false},
      {"hex series stops at 7FFF", 2, "Hex", 3, "7FFE,1", {0x7FFE, 0x7FFF, 0x1111}, kHexPrompt, "1111", true},
      {"hex reads its bit pattern", 2, "Hex", 2, "FFFF,FFFF", {-1, -2}, kHexPrompt, "1111", false},
      {"decimal rounds half to even", 1, "Dec", 2, "2.5,-1.5", {2, 0}, kDecPrompt, "4369", false},
      {"text two characters a word", 2, "ASCII", 3, "ABC", {0x4142, 0x4300, 0x1111}, "文字列で入力してください。", "",
       false},
      {"number too large is refused", 1, "Dec", 2, "99999", {0x1111, 0x1111}, kDecPrompt, "4369", true},
      {"cancel writes nothing", 1, "Dec", 2, "", {0x1111, 0x1111}, kDecPrompt, "4369", false},
  };
  start();
  FrmWordDevice* v = open(kD);
  for (const FillCase& c : cases) {
    SCOPED_TRACE(c.name);
    core->state.memory.fill(kD, 0, 109, std::int16_t{0x1111});
    presenter.boxes.clear();
    inputs.clear();
    inputAnswers = {c.answer};
    FlexGrid* g = v->panel(1);  // rows 1.. show D000064..; row 37 is D000100
    g->setColumn(c.col, modeNamed(c.mode), c.mode);
    g->setSelection(37 + c.rows - 1, c.col, 37, c.col);  // dragged upwards
    const QString before = manager->lastSignal();
    v->findChild<QPushButton*>("cmdWordData1")->click();
    ASSERT_EQ(inputs.size(), 1u);
    EXPECT_EQ(inputs[0].text, c.prompt);
    EXPECT_EQ(inputs[0].caption, "D000100 - " + wd::fncAddressTextW("D", 100 + c.rows - 1, 6, false).toStdString());
    EXPECT_EQ(inputs[0].preset, c.preset);
    EXPECT_EQ(std::vector<std::int16_t>(words(kD).begin() + 100, words(kD).begin() + 100 + c.expected.size()),
              c.expected);
    EXPECT_EQ(words(kD)[99], 0x1111);
    EXPECT_EQ(words(kD)[100 + c.expected.size()], 0x1111);
    EXPECT_EQ(errors().size(), c.overflow ? 1u : 0u);
    if (c.overflow) {
      EXPECT_EQ(errors()[0].substr(0, 17), "mdlSubWordDevice.");
    }
    // A series that overflows ends without a signal; every other way out
    // announces the values (refused and cancelled answers included).
    const bool seriesOverflow = c.overflow && std::string(c.answer).find(',') != std::string::npos;
    EXPECT_EQ(manager->lastSignal() != before, !seriesOverflow);
    if (!seriesOverflow) {
      EXPECT_TRUE(manager->lastSignal().startsWith("DATA"));
    }
    // The view redrew the rows it wrote, in the column's mode.
    EXPECT_EQ(g->textMatrix(37, c.col), fncWordText(words(kD)[100], modeNamed(c.mode)));
  }
}

TEST_F(WordView, WordDataRefusesTwoColumnsAndColumnsWithoutValues) {
  start();
  FrmWordDevice* v = open(kD);
  struct Case {
    int col, colSel;
    const char* title;
    const char* message;
  };
  for (const Case& c : {Case{1, 2, "セル範囲選択異常", "１つの列を選択してください。"},
                        Case{3, 3, "セル範囲未選択／未選択", "[Device Comment]以外のセル範囲を選択してください。"},
                        Case{0, 0, "セル範囲未選択／未選択", "[Device Comment]以外のセル範囲を選択してください。"}}) {
    msgs.clear();
    inputs.clear();
    v->panel(0)->setSelection(2, c.col, 4, c.colSel);
    const QString before = manager->lastSignal();
    v->findChild<QPushButton*>("cmdWordData0")->click();
    ASSERT_EQ(msgs.size(), 1u) << c.message;
    EXPECT_EQ(msgs[0].caption, c.title);
    EXPECT_EQ(msgs[0].text, c.message);
    EXPECT_FALSE(msgs[0].cancel);  // a notice
    EXPECT_TRUE(inputs.empty());
    EXPECT_NE(manager->lastSignal(), before);
  }
  for (std::int16_t w : words(kD)) ASSERT_EQ(w, 0);
}

TEST_F(WordView, DoubleClickFillsTheCurrentCellOnly) {
  start();
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  g->setSelection(5, 1, 9, 1);  // current cell (5, 1), selection down to row 9
  inputAnswers = {"77,1"};
  emit g->dblClicked();
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].caption, "D000004");
  EXPECT_EQ(words(kD)[4], 77);
  EXPECT_EQ(words(kD)[5], 0);
  EXPECT_EQ(g->textMatrix(5, 1), "77");
}

TEST_F(WordView, TypingIntoACellWritesTheRowsWord) {
  struct Case {
    int col;
    const char* keys;
    std::int16_t word;
    const char* dec;
    const char* hex;
  };
  start();
  FrmWordDevice* v = open(kD);
  auto* editor = v->findChild<CellEditor*>("txtInput");
  ASSERT_NE(editor, nullptr);
  FlexGrid* g = v->panel(1);
  for (const Case& c : {Case{1, "-5\r", -5, "-5", "FFFB"}, Case{1, "99999\r", 32767, "32767", "7FFF"},
                        Case{2, "7\r", 7, "7", "0007"}, Case{2, "1g2c\r", 0x12C, "300", "012C"}}) {
    SCOPED_TRACE(c.keys);
    poke(kD, 68, 1);
    g->setCurrent(5, c.col);  // D000068
    const QString before = manager->lastSignal();
    type(g, QString(c.keys).left(1));
    ASSERT_TRUE(editor->isVisible());
    type(editor, QString(c.keys).mid(1));
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(words(kD)[68], c.word);
    EXPECT_EQ(words(kD)[67], 0);
    EXPECT_EQ(words(kD)[69], 0);
    EXPECT_EQ(g->textMatrix(5, 1), c.dec);
    EXPECT_EQ(g->textMatrix(5, 2), c.hex);
    EXPECT_NE(manager->lastSignal(), before);
    EXPECT_TRUE(manager->lastSignal().startsWith("DATA"));
    EXPECT_EQ(g->row(), 6);  // on to the next row
  }
  // Esc leaves the word alone.
  g->setCurrent(5, 1);
  type(g, "4");
  type(editor, "4\x1b");
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(words(kD)[68], 0x12C);
}

TEST_F(WordView, CopyAndPasteMoveWordsBetweenPanels) {
  start();
  FrmWordDevice* v = open(kW);
  v->goToPage(1);
  poke(kW, 0x100, 111);
  poke(kW, 0x101, -222);
  poke(kW, 0x102, 333);
  v->subDspWordDevice();
  v->panel(0)->setSelection(1, 2, 2, 2);  // W000100, W000101 shown in Hex
  type(v->panel(0), "^C");
  v->panel(2)->setCurrent(33, 1);  // W0001A0
  type(v->panel(2), "^V");
  EXPECT_EQ(words(kW)[0x1A0], 111);
  EXPECT_EQ(words(kW)[0x1A1], -222);
  EXPECT_EQ(words(kW)[0x1A2], 0);
  EXPECT_EQ(v->panel(2)->textMatrix(34, 1), "-222");
  EXPECT_TRUE(manager->lastSignal().startsWith("DATA"));
}

TEST_F(WordView, AllClearAsksAndClearsOnlyOnOk) {
  start();
  FrmWordDevice* v = open(kR);
  for (auto [answer, cleared] : {std::pair{"1", true}, std::pair{"2", false}}) {
    core->state.memory.fill(kR, 0, static_cast<std::int64_t>(words(kR).size()) - 1, std::int16_t{-7});
    v->subDspWordDevice();
    msgs.clear();
    msgAnswers = {answer};
    const QString before = manager->lastSignal();
    v->findChild<QPushButton*>("cmdAllClr")->click();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].caption, "All Data cler");
    EXPECT_EQ(msgs[0].text, "全データを 0　で初期化します！\r\n＜注意＞ 選択範囲に関係なく全データを初期化します！");
    EXPECT_TRUE(msgs[0].cancel);
    const std::int16_t expect = cleared ? 0 : -7;
    EXPECT_EQ(std::count(words(kR).begin(), words(kR).end(), expect), static_cast<long>(words(kR).size()));
    EXPECT_EQ(v->panel(3)->textMatrix(64, 1), QString::number(expect));
    EXPECT_EQ(manager->lastSignal() != before, cleared);
  }
  // The view swallowed the echo of its own signal, and nothing after a
  // Cancel: the next signal from elsewhere is drawn.
  poke(kR, 0, 5);
  core->subDspRenew("R", "DATA");
  EXPECT_EQ(v->panel(0)->textMatrix(1, 1), "5");
}

TEST_F(WordView, RegisteringAddsEachAddressOnceAndAnnouncesIt) {
  start();
  FrmWordDevice* v = open(kW);
  v->goToPage(1);
  v->panel(2)->setSelection(33, 2, 35, 2);  // W0001A0..W0001A2
  auto* moni = v->findChild<QPushButton*>("cmdMoni2");
  moni->click();
  const QString first = manager->lastSignal();
  EXPECT_TRUE(first.startsWith("ASGN"));
  moni->click();
  EXPECT_NE(manager->lastSignal(), first);
  const UserList& list = core->state.userWordList;
  std::vector<std::string> listed;
  for (const auto& e : list)
    if (!e.addressText.empty()) listed.push_back(e.addressText);
  EXPECT_EQ(listed, (std::vector<std::string>{"W0001A0", "W0001A1", "W0001A2"}));
  EXPECT_EQ(list[0].code, "W");
  EXPECT_EQ(list[0].number, 0x1A0);
  EXPECT_EQ(list[2].number, 0x1A2);
}

TEST_F(WordView, RowsPastTheDeviceEndAreEmptyAndRefuseInput) {
  // 1000 registers: the fourth page holds 232 of them.
  start({{"D=D000000-D006143", "D=D000000-D000999"}});
  core->settings.G_SetWindow[kD].Page = 50;  // saved beyond the page count
  FrmWordDevice* v = open(kD);
  EXPECT_EQ(v->page(), 3);
  EXPECT_EQ(v->findChild<QLabel*>("lblPage")->text(), "4/4");
  FlexGrid* g = v->panel(3);
  EXPECT_EQ(g->textMatrix(40, 0), "D000999");
  EXPECT_EQ(g->textMatrix(40, 1), "0");
  for (int col = 0; col < 4; ++col) EXPECT_EQ(g->textMatrix(41, col), "") << col;
  EXPECT_EQ(g->textMatrix(64, 2), "");

  // Word Data whose upper row is past the end asks nothing and says nothing.
  g->setSelection(41, 1, 45, 1);
  QString before = manager->lastSignal();
  v->findChild<QPushButton*>("cmdWordData3")->click();
  EXPECT_TRUE(inputs.empty());
  EXPECT_EQ(manager->lastSignal(), before);

  // A series that runs over the end stops at the last register.
  inputAnswers = {"5,5"};
  g->setSelection(39, 1, 43, 1);
  v->findChild<QPushButton*>("cmdWordData3")->click();
  EXPECT_EQ(words(kD)[998], 5);
  EXPECT_EQ(words(kD)[999], 10);
  EXPECT_EQ(words(kD).size(), 1000u);
  EXPECT_EQ(g->textMatrix(41, 1), "");

  // Keys on a row past the end open no editor.
  g->setCurrent(41, 1);
  type(g, "5");
  EXPECT_FALSE(v->findChild<CellEditor*>("txtInput")->isVisible());

  // Registering the rows across the end takes only those with an address.
  g->setSelection(39, 1, 43, 1);
  v->findChild<QPushButton*>("cmdMoni3")->click();
  EXPECT_EQ(core->state.userWordList[0].addressText, "D000998");
  EXPECT_EQ(core->state.userWordList[1].addressText, "D000999");
  EXPECT_EQ(core->state.userWordList[2].addressText, "");
}

// A right click acts on the cell under the mouse: it becomes current (a
// selection around it stays), and Dec/Hex/ASCII apply to its column.
TEST_F(WordView, ARightClickActsOnTheCellUnderTheMouse) {
  start();
  poke(kD, 0, 0x4142);
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  auto* menu = v->findChild<QMenu*>("popData");
  auto rightClick = [&](int row, int col) {
    const QPoint at = g->cellRect(row, col).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, g->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(g->viewport(), &click);
    menu->hide();
  };
  g->setSelection(1, 1, 3, 1);
  rightClick(1, 2);  // outside the selection
  EXPECT_EQ(g->row(), 1);
  EXPECT_EQ(g->col(), 2);
  v->findChild<QAction*>("popAsc")->trigger();
  EXPECT_EQ(g->textMatrix(0, 2), "ASCII");
  EXPECT_EQ(g->textMatrix(0, 1), "Dec");

  g->setSelection(1, 1, 2, 2);  // current cell in column 1
  rightClick(2, 2);             // inside the selection, in column 2
  EXPECT_TRUE(g->inSelection(1, 1));
  v->findChild<QAction*>("popHex")->trigger();
  EXPECT_EQ(g->textMatrix(0, 2), "Hex");
  EXPECT_EQ(g->textMatrix(0, 1), "Dec");
}

TEST_F(WordView, TheDisplayModeHoldsUntilTheNextFullRedraw) {
  start();
  poke(kD, 0, 0x4142);
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  auto* asc = v->findChild<QAction*>("popAsc");

  g->setCurrent(1, 0);
  EXPECT_FALSE(v->preparePopData(0));  // no menu on the address column
  g->setCurrent(1, 3);
  ASSERT_TRUE(v->preparePopData(0));
  EXPECT_FALSE(asc->isEnabled());
  EXPECT_TRUE(v->findChild<QAction*>("popInputCome")->isEnabled()) << "comments are edited while the port is closed";
  // A right click on a value cell shows the menu with the modes.
  g->setCurrent(1, 2);
  const QPoint at = g->cellRect(1, 2).center();
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, g->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(g->viewport(), &click);
  auto* menu = v->findChild<QMenu*>("popData");
  EXPECT_TRUE(menu->isVisible());
  EXPECT_TRUE(asc->isEnabled());
  menu->hide();
  asc->trigger();
  EXPECT_EQ(g->textMatrix(0, 2), "ASCII");
  EXPECT_EQ(g->textMatrix(1, 2), "AB");
  EXPECT_EQ(v->panel(1)->textMatrix(0, 2), "Hex");  // other panels keep theirs

  g->setCurrent(1, 1);
  v->preparePopData(0);
  v->findChild<QAction*>("popHex")->trigger();
  EXPECT_EQ(g->textMatrix(1, 1), "4142");

  // A value signal keeps the modes; a comment signal and paging restore them.
  core->subDspRenew("D", "DATA");
  EXPECT_EQ(g->textMatrix(0, 2), "ASCII");
  core->subDspRenew("D", "CMNT");
  EXPECT_EQ(g->textMatrix(0, 1), "Dec");
  EXPECT_EQ(g->textMatrix(0, 2), "Hex");
  EXPECT_EQ(g->textMatrix(1, 2), "4142");

  g->setCurrent(1, 2);
  v->preparePopData(0);
  asc->trigger();
  v->findChild<QPushButton*>("cmdNext")->click();
  v->findChild<QPushButton*>("cmdPrev")->click();
  EXPECT_EQ(g->textMatrix(0, 2), "Hex");
  EXPECT_EQ(g->textMatrix(1, 2), "4142");
}

TEST_F(WordView, TheSkipFlagSwallowsOneSignal) {
  start();
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  // The cells show memory whenever they are painted; what a signal decides
  // is whether the window redraws (at the display frame).
  auto signal = [&](const char* device) {
    core->subDspRenew(device, "DATA");
    manager->flushFrame();
  };
  poke(kD, 0, 11);
  int redraws = v->valueRedraws();
  signal("D");
  EXPECT_EQ(v->valueRedraws(), ++redraws);
  EXPECT_EQ(g->textMatrix(1, 1), "11");
  v->setSkip();
  poke(kD, 0, 12);
  signal("D");
  EXPECT_EQ(v->valueRedraws(), redraws);
  signal("D");
  EXPECT_EQ(v->valueRedraws(), ++redraws);
  EXPECT_EQ(g->textMatrix(1, 1), "12");
  // Signals for other devices do not reach the view.
  signal("W");
  EXPECT_EQ(v->valueRedraws(), redraws);
}

// An edit publishes one change set naming exactly the word it wrote, from
// the view that made it; that view draws the change once and every other
// view of the device once.
TEST_F(WordView, AnEditPublishesItsWordsAndEveryViewDrawsItOnce) {
  start();
  FrmWordDevice* d = open(kD);
  FrmWordDevice* special = open(kDx);  // the signal "D" reaches the special registers too
  auto* editor = d->findChild<CellEditor*>("txtInput");
  ASSERT_NE(editor, nullptr);
  struct Seen {
    std::vector<DeviceChange> changes;
    std::string device;
    const void* source;
  };
  std::vector<Seen> seen;
  core->state.memory.subscribe([&](const ChangeNotice& n) {
    seen.push_back({n.changes.changes(), std::string(n.device), n.source});
  });
  struct Case {
    const char* name;
    std::function<void()> edit;
    std::vector<DeviceChange> changes;
  };
  FlexGrid* g = d->panel(1);
  const Case cases[] = {
      {"typed into D000068",
       [&] {
         g->setCurrent(5, 1);
         type(g, "4");
         type(editor, "2\r");
       },
       {{kD, 68, 68}}},
      {"Word Data over D000064-D000066",
       [&] {
         g->setSelection(1, 1, 3, 1);
         inputAnswers = {"5,1"};
         d->cmdWordData_Click(1);
       },
       {{kD, 64, 66}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seen.clear();
    const int ownBefore = d->valueRedraws(), otherBefore = special->valueRedraws();
    c.edit();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].changes, c.changes);
    EXPECT_EQ(seen[0].device, "D");
    EXPECT_EQ(seen[0].source, d);
    EXPECT_EQ(d->valueRedraws(), ownBefore + 1);
    EXPECT_EQ(special->valueRedraws(), otherBefore + 1);
  }
  EXPECT_EQ(words(kD)[68], 42);
  EXPECT_EQ(words(kD)[66], 7);
}

TEST_F(WordView, TheArrowTurnsThePanelsWithTheirButtons) {
  start();
  FrmWordDevice* v = open(kD);
  v->resize(1000, 400);
  QCoreApplication::processEvents();
  std::array<int, 4> x{};
  for (int p = 0; p < 4; ++p) x[static_cast<std::size_t>(p)] = v->panel(p)->x();
  auto* chg = v->findChild<QPushButton*>("cmdChg");
  chg->click();
  EXPECT_EQ(v->panel(0)->x(), x[3]);
  for (int p = 1; p < 4; ++p) EXPECT_EQ(v->panel(p)->x(), x[static_cast<std::size_t>(p - 1)]);
  EXPECT_EQ(v->findChild<QPushButton*>("cmdWordData0")->x(), x[3]);
  EXPECT_EQ(v->panel(0)->textMatrix(1, 0), "D000000");  // addresses stay with their panel
  // The turn survives a resize; four turns are the start again.
  v->resize(1100, 420);
  QCoreApplication::processEvents();
  EXPECT_GT(v->panel(0)->x(), v->panel(3)->x());
  for (int i = 0; i < 3; ++i) chg->click();
  for (int p = 1; p < 4; ++p) EXPECT_GT(v->panel(p)->x(), v->panel(p - 1)->x());
}

TEST_F(WordView, PagingRedrawsAddressesAndValues) {
  start();
  FrmWordDevice* v = open(kD);
  for (std::size_t i = 0; i < words(kD).size(); ++i) poke(kD, i, static_cast<std::int16_t>(i * 37));
  v->goToPage(2);
  EXPECT_EQ(v->panel(0)->textMatrix(1, 0), "D000512");
  EXPECT_EQ(v->panel(0)->textMatrix(1, 1), QString::number(512 * 37));
  EXPECT_EQ(v->panel(3)->textMatrix(64, 0), "D000767");
  EXPECT_EQ(v->panel(3)->textMatrix(64, 1), QString::number(static_cast<std::int16_t>(767 * 37)));
}


// ASCII cells hold system code page bytes: 日 fills both bytes of a word and
// reads back as 日; what does not fit is refused with a message and leaves
// the word as it was.
TEST_F(WordView, AsciiCellsTakeDoubleByteCharactersAndRefuseWhatDoesNotFit) {
  start();
  poke(kD, 0, 0x4142);
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  auto* editor = v->findChild<CellEditor*>("txtInput");
  g->setCurrent(1, 2);
  v->preparePopData(0);
  v->findChild<QAction*>("popAsc")->trigger();
  ASSERT_EQ(g->textMatrix(0, 2), "ASCII");

  g->setCurrent(1, 2);
  type(g, QStringLiteral("日"));
  type(editor, QStringLiteral("本\r"));
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].caption, "入力エラー");
  EXPECT_NE(msgs[0].text.find("「日本」は１ワードに入りません。"), std::string::npos) << msgs[0].text;
  EXPECT_EQ(words(kD)[0], 0x4142);

  g->setCurrent(1, 2);
  type(g, QStringLiteral("日"));
  type(editor, QStringLiteral("\r"));
  EXPECT_EQ(words(kD)[0], static_cast<std::int16_t>(0x93FA));
  EXPECT_EQ(g->textMatrix(1, 2), "日");
  EXPECT_EQ(msgs.size(), 1u);
}


// At its default size (no place saved) every panel shows all four of its
// headings whole.
TEST_F(WordView, TheDefaultSizeShowsEveryHeadingWhole) {
  start();
  FrmWordDevice* v = open(kD);
  v->show();
  QCoreApplication::processEvents();
  for (int i = 0; i < FrmWordDevice::kPanels; ++i) {
    FlexGrid* g = v->panel(i);
    int columns = 0;
    for (int c = 0; c < g->cols(); ++c) columns += g->columnWidth(c);
    EXPECT_GE(g->viewport()->width(), columns) << "panel " << i;
  }
}

// ---------------------------------------------------------------- comments and cell styles

// Comments reach every view that shows the device, T comments the TN view
// and D comments the special registers.
TEST_F(WordView, CommentsShowInEveryViewOfTheirDevice) {
  start();
  FrmWordDevice* d = open(kD);
  FrmWordDevice* tn = open(kTN);
  FrmWordDevice* dx = open(kDx);
  core->comments.subAdd_Comment("D000100\tpump");
  core->comments.subAdd_Comment("TS00003\ttimer three");
  core->comments.subAdd_Comment("D009001\tspecial");
  core->subDspRenew("All", "CMNT");
  EXPECT_EQ(d->panel(1)->textMatrix(37, 3), "pump");
  EXPECT_EQ(tn->panel(0)->textMatrix(4, 3), "timer three");
  EXPECT_EQ(dx->panel(0)->textMatrix(2, 3), "special");
  core->mnuInitDevCome();
  EXPECT_EQ(d->panel(1)->textMatrix(37, 3), "");
  EXPECT_EQ(tn->panel(0)->textMatrix(4, 3), "");
}

TEST_F(WordView, CommentInputEraseAndTheEditorStoreAndDelete) {
  start();
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  auto popup = [&](const char* item) { choose(v, 0, item); };

  // Input: the question, then the store, the cell and one "CMNT".
  g->setCurrent(2, 3);
  presenter.inputAnswers = {std::string("valve")};
  popup("popInputCome");
  ASSERT_EQ(presenter.inputs.size(), 1u);
  EXPECT_EQ(presenter.inputs[0].text, "Address : D000001\r\nコメントを入力してください。");
  EXPECT_EQ(presenter.inputs[0].title, "コメント・入力");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 1), "valve");
  EXPECT_EQ(g->textMatrix(2, 3), "valve");
  EXPECT_TRUE(manager->lastSignal().startsWith("CMNT"));
  // An empty answer or Cancel leaves it.
  for (const std::optional<std::string>& answer : {std::optional<std::string>(""), std::optional<std::string>()}) {
    presenter.inputAnswers = {answer};
    popup("popInputCome");
    EXPECT_EQ(core->comments.fncDeviceComment("D", 1), "valve");
  }
  EXPECT_EQ(presenter.presets.back(), "valve") << "the input opens on the comment shown";

  // The editor: typed text is stored; Enter on an empty editor deletes.
  g->setCurrent(4, 3);
  type(g, "t");  // the first key opens the editor
  type(v->editor(), "ank\r");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 3), "tank");
  EXPECT_EQ(g->textMatrix(4, 3), "tank");
  g->setCurrent(4, 3);
  type(g, "\r");  // opens on the comment shown, all selected
  ASSERT_EQ(v->editor()->text(), "tank");
  v->editor()->clear();
  type(v->editor(), "\r");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 3), "");
  EXPECT_EQ(g->textMatrix(4, 3), "");

  // Erase over rows with and without comments: one question (Cancel the
  // default), only the comments there are removed, one "CMNT".
  core->comments.subAdd_Comment("D000003\tthree");
  core->subDspRenew("D", "CMNT");
  g->setSelection(2, 3, 5, 3);  // D000001..D000004
  presenter.answers = {MsgAnswer::Cancel};
  popup("popDeleteCome");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 3), "three");
  const QString before = manager->lastSignal();
  popup("popDeleteCome");
  ASSERT_EQ(presenter.boxes.size(), 2u);
  EXPECT_EQ(presenter.boxes[1].title, "コメント・消去");
  EXPECT_EQ(presenter.boxes[1].buttons, MsgButtons::OkCancelSafe);
  EXPECT_EQ(presenter.boxes[1].text,
            "Address : D000001 ～ D000004\r\nvalve ～ \r\n選択範囲のコメントを消去しますか？\r\n");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 1), "");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 3), "");
  EXPECT_EQ(g->textMatrix(2, 3), "");
  EXPECT_NE(manager->lastSignal(), before);
  EXPECT_TRUE(manager->lastSignal().startsWith("CMNT"));

  // While the port is open the comment items are off.
  core->pc.G_PortOpen = true;
  ASSERT_TRUE(v->preparePopData(0));
  EXPECT_FALSE(v->findChild<QAction*>("popInputCome")->isEnabled());
  EXPECT_FALSE(v->findChild<QAction*>("popDeleteCome")->isEnabled());
  core->pc.G_PortOpen = false;
}

// Ctrl+C / Ctrl+V on the comment column carry comments into the store;
// empty ones leave a row's comment alone.
TEST_F(WordView, PastedCommentsGoToTheStore) {
  start();
  FrmWordDevice* v = open(kD);
  core->comments.subAdd_Comment("D000000\tfirst");
  core->comments.subAdd_Comment("D000002\tthird");
  core->comments.subAdd_Comment("D000065\tkept");
  core->subDspRenew("D", "CMNT");
  FlexGrid* from = v->panel(0);
  from->setSelection(1, 3, 3, 3);
  type(from, "^C");
  FlexGrid* to = v->panel(1);
  to->setCurrent(1, 3);  // D000064..D000066
  type(to, "^V");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 64), "first");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 65), "kept");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 66), "third");
  EXPECT_EQ(to->textMatrix(3, 3), "third");
  EXPECT_TRUE(manager->lastSignal().startsWith("CMNT"));
}

TEST_F(WordView, ColoursAndFontsAreKeptPerAddressAndColumn) {
  start();
  FrmWordDevice* v = open(kD);
  FlexGrid* g = v->panel(0);
  auto popup = [&](const char* item) { choose(v, 0, item); };
  g->setSelection(63, 2, 64, 3);  // D000062..D000063, Hex and comment
  presenter.colourAnswers = {0x0000FF};  // red (00BBGGRR)
  popup("popCelColor");
  ASSERT_EQ(core->state.cellStyles.size(), 2u) << "the free first entry is taken, then one appended";
  EXPECT_EQ(core->state.cellStyles[0].addressText, "D000062");
  EXPECT_EQ(core->state.cellStyles[0].code, "D");
  EXPECT_EQ(core->state.cellStyles[0].number, 62);
  EXPECT_TRUE(core->state.cellStyles[0].columns[1].set);
  EXPECT_TRUE(core->state.cellStyles[0].columns[2].set);
  EXPECT_FALSE(core->state.cellStyles[0].columns[0].set);
  EXPECT_EQ(core->state.cellStyles[1].columns[1].backColour, 0x0000FF);
  EXPECT_EQ(g->cellStyle(63, 2).back, QColor(255, 0, 0));
  EXPECT_TRUE(manager->lastSignal().startsWith("CMNT"));

  // A second colour replaces the first; the table does not grow.
  g->setSelection(64, 2, 64, 2);
  presenter.colourAnswers = {0x00FF00};
  popup("popCelColor");
  EXPECT_EQ(core->state.cellStyles.size(), 2u);
  EXPECT_EQ(core->state.cellStyles[1].columns[1].backColour, 0x00FF00);
  // Cancel changes nothing.
  popup("popCelColor");
  EXPECT_EQ(core->state.cellStyles[1].columns[1].backColour, 0x00FF00);

  // The font with its effects and colour; the chooser opens on the cell's.
  g->setSelection(63, 3, 63, 3);
  FontChoice f{"Serif", 12.0f, true, true, true, true, 0x00FF0000};
  presenter.fontAnswers = {f};
  popup("popFontSet");
  ASSERT_EQ(presenter.fontPresets.size(), 1u);
  const ColumnStyle& comment = core->state.cellStyles[0].columns[2];
  EXPECT_EQ(comment.fontName, "Serif");
  EXPECT_EQ(comment.fontSize, 12.0f);
  EXPECT_TRUE(comment.bold && comment.italic && comment.underline && comment.strikethrough);
  EXPECT_EQ(comment.foreColour, 0x00FF0000);
  EXPECT_EQ(comment.backColour, 0x0000FF) << "the colour chosen before stays";

  // Paging away and back, and another view of the same device, draw them.
  v->goToPage(1);
  EXPECT_FALSE(g->cellStyle(63, 2).hasBack);
  v->goToPage(0);
  EXPECT_EQ(g->cellStyle(63, 2).back, QColor(255, 0, 0));
  EXPECT_EQ(g->cellStyle(64, 2).back, QColor(0, 255, 0));
  EXPECT_TRUE(g->cellStyle(63, 3).font.bold());
  EXPECT_EQ(g->cellStyle(63, 3).fore, QColor(0, 0, 255));
  EXPECT_FALSE(g->cellStyle(62, 2).hasBack);

  // The reset empties the table; a reopened view shows no styles.
  presenter.answers = {MsgAnswer::Yes};
  manager->mnuResetCell();
  v = open(kD);
  EXPECT_FALSE(v->panel(0)->cellStyle(63, 2).hasBack);
  EXPECT_EQ(core->state.cellStyles.size(), 1u);
}

// A selection that runs past the device end stops at the first row without
// a device.
TEST_F(WordView, StylingStopsAtTheDeviceEnd) {
  start();
  FrmWordDevice* v = open(kD);
  v->goToPage(v->lastPage());
  FlexGrid* g = v->panel(3);  // ends at D006143 (row 64)
  g->setSelection(63, 1, 64, 1);
  presenter.colourAnswers = {0x123456};
  choose(v, 3, "popCelColor");
  EXPECT_EQ(core->state.cellStyles.size(), 2u);
  EXPECT_EQ(core->state.cellStyles[1].addressText, "D006143");
}

}  // namespace
}  // namespace omb
