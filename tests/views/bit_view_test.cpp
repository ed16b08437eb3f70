// The paged bit-device view offscreen: a program folder with the shipped
// settings, the views opened through the view manager so that every refresh
// signal travels the real way, the controls found by name and driven as a
// user would (selections, buttons, keys, double clicks) with the dialogs
// answered by script.
#include "views/bit_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <deque>
#include <memory>
#include <ostream>

#include "core/device_kind.h"
#include "core/presenter.h"
#include "ui/dlg_input.h"
#include "ui/dlg_msg.h"
#include "views/flex_grid.h"
#include "app/compose.h"
#include "app/app_core.h"
#include "views/view_manager.h"
#include "test_support.h"
#include "view_fixture.h"

namespace omb {
namespace {

using test::click;
using test::doubleClick;
using test::find;
using test::key;

constexpr int kColF = FrmBitDevice::kColFirstBit;  // header "F"
constexpr int kCol0 = FrmBitDevice::kColLastBit;   // header "0"
constexpr int kColDec = FrmBitDevice::kColDec;
constexpr int kColHex = FrmBitDevice::kColHex;
constexpr int kColAddr = FrmBitDevice::kColWordAddress;
// Grid column of bit k.
constexpr int bitCol(int k) { return kCol0 - k; }

struct Asked {
  QString caption, prompt, text;
};

class BitView : public ::testing::Test {
 protected:
  BitView() {
    test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
    manager = std::make_unique<ViewManager>(omb::viewHostOf(*core), nullptr);
    manager->factory = [](ViewContext& ctx, int slot) -> DeviceView* { return new FrmBitDevice(ctx, slot); };
    presenter.dlgInputAnswer = [this](const std::string& caption, const std::string& prompt, const std::string& preset) {
      inputs.push_back({QString::fromStdString(caption), QString::fromStdString(prompt), QString::fromStdString(preset)});
      if (inputAnswers.empty()) return std::string();
      const QString a = inputAnswers.front();
      inputAnswers.pop_front();
      return a.toStdString();
    };
    presenter.dlgMsgAnswer = [this](const std::string& caption, const std::string& message, bool cancelVisible) {
      messages.push_back({QString::fromStdString(caption), QString::fromStdString(message), cancelVisible ? "cancel" : ""});
      return msgAnswer == "1";
    };
  }
  ~BitView() override { manager.reset(); }

  FrmBitDevice& open(int slot) {
    manager->openSingleView(slot);
    auto* v = dynamic_cast<FrmBitDevice*>(manager->view(slot));
    EXPECT_NE(v, nullptr);
    return *v;
  }
  const std::vector<std::int16_t>& mem(int kind) { return core->state.memory.words(kind); }
  void poke(int kind, std::int64_t index, std::int16_t value) { core->state.memory.write(kind, index, value); }
  QString signal() const { return manager->lastSignal(); }

  test::TempDir dir;
  RecordingPresenter presenter;
  SystemClock clock;
  std::unique_ptr<AppCore> core;
  std::unique_ptr<ViewManager> manager;
  std::vector<Asked> inputs, messages;
  std::deque<QString> inputAnswers;
  QString msgAnswer = QStringLiteral("1");
};

TEST_F(BitView, BuildsTheNamedControlsAndTheGrid) {
  FrmBitDevice& v = open(kX);
  EXPECT_EQ(v.objectName(), "frmBitDeviceX");
  EXPECT_EQ(v.windowTitle(), QStringLiteral("入力　Ｘ"));
  const std::vector<std::pair<const char*, QString>> buttons{
      {"cmdSet", "SET"},           {"cmdReset", "RESET"},         {"cmdNot", "NOT"},   {"cmdMoni", "登録"},
      {"cmdWordData", "Word Data"}, {"cmdAllClr", "ALL Clear"}, {"cmdPrev", "Prev"}, {"cmdNext", "Next"}};
  for (const auto& [name, text] : buttons) EXPECT_EQ(find<QPushButton>(v, name).text(), text) << name;
  EXPECT_EQ(find<QPushButton>(v, "cmdSet").toolTip(), QStringLiteral("選択範囲を１にセットします"));
  EXPECT_EQ(find<QPushButton>(v, "cmdReset").toolTip(), QStringLiteral("選択範囲を０リセットします"));
  EXPECT_EQ(find<QPushButton>(v, "cmdNot").toolTip(), QStringLiteral("選択範囲をビット反転します"));

  FlexGrid& g = find<FlexGrid>(v, "fgrdBit");
  ASSERT_EQ(g.cols(), 20);
  EXPECT_EQ(g.rows(), 65);  // 64 words and the header row
  QStringList headers;
  for (int c = 0; c < g.cols(); ++c) headers << g.textMatrix(0, c);
  EXPECT_EQ(headers.join(' '), "Address F E D C B A 9 8 7 6 5 4 3 2 1 0 Address Dec Hex");
  const std::vector<std::pair<int, int>> widths{{0, 780}, {1, 280}, {16, 280}, {17, 780}, {18, 650}, {19, 600}};
  for (const auto& [c, twips] : widths) EXPECT_NEAR(g.colWidthTwips(c), twips, 15) << c;
  // Nibbles alternate light and grey.
  auto back = [&g](int row, int col) { return g.model()->index(row - 1, col).data(Qt::BackgroundRole).value<QBrush>().color(); };
  const QColor light = v.palette().color(QPalette::HighlightedText), grey(0xF7, 0xF7, 0xF7);
  for (int c : {1, 4, 9, 12}) EXPECT_EQ(back(64, c), light) << c;
  for (int c : {5, 8, 13, 16}) EXPECT_EQ(back(1, c), grey) << c;
  // The shipped settings draw a clear bit as ○ and a set one as ●.
  EXPECT_EQ(v.offText(), QStringLiteral("○"));
  EXPECT_EQ(v.onText(), QStringLiteral("●"));
  EXPECT_EQ(g.textMatrix(1, kCol0), QStringLiteral("○"));
}

struct FirstRow {
  int slot;
  const char* form;
  const char* caption;
  const char* bitF;
  const char* bit0;
  const char* lastRowBit0;
  const char* page;
};

TEST_F(BitView, AddressTextsOfTheFirstPageFollowTheFamily) {
  const FirstRow cases[] = {
      {kX, "frmBitDeviceX", "入力　Ｘ", "X00000F", "X000000", "X0003F0", "1/2"},
      {kB, "frmBitDeviceB", "リンクリレーＢ", "B00000F", "B000000", "B0003F0", "1/4"},
      {kM, "frmBitDeviceM", "内部リレーＭ", "M000015", "M000000", "M001008", "1/8"},
      {kTS, "frmBitDeviceTS", "タイマー（接点）　ＴＳ", "TS00015", "TS00000", "TS01008", "1/2"},
      {kCC, "frmBitDeviceCC", "カウンタ（コイル）　ＣＣ", "CC00015", "CC00000", "CC01008", "1/1"},
      // Sixteen rows of special relays: M9000 to M9255 on one page.
      {kMx, "frmBitDeviceMX", "特殊リレー　Ｍ", "M009015", "M009000", "M009240", "1/1"},
  };
  for (const FirstRow& c : cases) {
    FrmBitDevice& v = open(c.slot);
    FlexGrid& g = *v.grid();
    EXPECT_EQ(v.objectName(), c.form);
    EXPECT_EQ(v.windowTitle(), QString::fromUtf8(c.caption));
    EXPECT_EQ(g.textMatrix(1, 0), c.bitF) << c.form;
    EXPECT_EQ(g.textMatrix(1, kColAddr), c.bit0) << c.form;
    EXPECT_EQ(g.textMatrix(g.rows() - 1, kColAddr), c.lastRowBit0) << c.form;
    EXPECT_EQ(find<QLabel>(v, "lblPage").text(), c.page) << c.form;
  }
  EXPECT_EQ(open(kMx).grid()->rows(), 17);
  EXPECT_EQ(open(kMx).grid()->textMatrix(16, 0), "M009255");
}

TEST_F(BitView, PagesOfXAndTheirAddresses) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  QLabel& page = find<QLabel>(v, "lblPage");
  poke(kX, 64, 0x0101);
  click(v, "cmdNext");
  EXPECT_EQ(page.text(), "2/2");
  EXPECT_EQ(g.textMatrix(1, 0), "X00040F");
  EXPECT_EQ(g.textMatrix(1, kColAddr), "X000400");
  EXPECT_EQ(g.textMatrix(64, kColAddr), "X0007F0");
  EXPECT_EQ(g.textMatrix(1, kColHex), "0101");
  EXPECT_EQ(g.textMatrix(1, bitCol(8)), v.onText());
  click(v, "cmdNext");  // already on the last page
  EXPECT_EQ(page.text(), "2/2");
  click(v, "cmdPrev");
  EXPECT_EQ(page.text(), "1/2");
  EXPECT_EQ(g.textMatrix(1, 0), "X00000F");
  EXPECT_EQ(g.textMatrix(1, kColHex), "0000");
}

TEST_F(BitView, RowsPastTheDeviceEndAreEmptyAndTakeNothing) {
  // 100 X words on pages of 64: the second page holds 36.
  core->state.range7.at(kX).last = 100 * 16 - 1;
  core->state.subReDim_Device();
  core->state.subSet_PageMax();
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  click(v, "cmdNext");
  EXPECT_EQ(g.textMatrix(36, kColAddr), "X000630");
  for (int c : {0, kColF, kCol0, kColAddr, kColDec, kColHex}) EXPECT_EQ(g.textMatrix(37, c), "") << c;
  g.setSelection(30, kColF, 40, kCol0);
  click(v, "cmdSet");
  EXPECT_EQ(mem(kX).size(), 100u);
  EXPECT_EQ(mem(kX)[99], -1);
  g.setCurrent(40, kColDec);
  doubleClick(g, 40, kColDec);
  EXPECT_TRUE(inputs.empty());
}

TEST_F(BitView, SetOnTheLowByteOfThreeRows) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  poke(kX, 1, 0x1200);
  g.setSelection(1, bitCol(7), 3, bitCol(0));
  const QString before = signal();
  click(v, "cmdSet");
  EXPECT_EQ(mem(kX)[0], 0x00FF);
  EXPECT_EQ(mem(kX)[1], 0x12FF);
  EXPECT_EQ(mem(kX)[2], 0x00FF);
  EXPECT_EQ(mem(kX)[3], 0);
  for (int r : {1, 3}) {
    EXPECT_EQ(g.textMatrix(r, kColDec), "255");
    EXPECT_EQ(g.textMatrix(r, kColHex), "00FF");
    EXPECT_EQ(g.textMatrix(r, bitCol(7)), v.onText());
    EXPECT_EQ(g.textMatrix(r, bitCol(8)), v.offText());
  }
  EXPECT_EQ(g.textMatrix(2, kColHex), "12FF");
  EXPECT_NE(signal(), before);
  EXPECT_TRUE(signal().startsWith("DATA"));

  // The column headed "8" is bit 8: from there to "0" are nine bits.
  g.setSelection(4, bitCol(8), 4, bitCol(0));
  click(v, "cmdSet");
  EXPECT_EQ(g.textMatrix(4, kColHex), "01FF");
}

struct SelectionCase {
  const char* name;
  FrmBitDevice::BitOp op;
  std::int16_t before;
  int row, col, rowSel, colSel;
  std::int16_t after;
  bool signalled;
};

TEST_F(BitView, BitOperationsOnSelections) {
  using Op = FrmBitDevice::BitOp;
  const SelectionCase cases[] = {
      // From "3" into the Hex column: cut at "0".
      {"set cut at bit 0", Op::Set, 0, 1, bitCol(3), 1, kColHex, 0x000F, true},
      // Dragged from the right upwards: the same rectangle.
      {"set dragged backwards", Op::Set, 0, 1, kColHex, 1, bitCol(3), 0x000F, true},
      {"not", Op::Not, 0x00F0, 1, bitCol(7), 1, bitCol(0), 0x000F, true},
      {"not sign bit", Op::Not, 0, 1, kColF, 1, kColF, static_cast<std::int16_t>(0x8000), true},
      {"reset", Op::Reset, -1, 1, bitCol(3), 1, bitCol(0), static_cast<std::int16_t>(0xFFF0), true},
      // Wholly in Dec and Hex: nothing.
      {"set on values", Op::Set, 0x1234, 1, kColDec, 1, kColHex, 0x1234, false},
      {"reset on values", Op::Reset, 0x1234, 1, kColDec, 1, kColHex, 0x1234, false},
      {"not on values", Op::Not, 0x1234, 1, kColHex, 1, kColHex, 0x1234, false},
      {"set on word address", Op::Set, 0x1234, 1, kColAddr, 1, kColHex, 0x1234, false},
  };
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  for (const SelectionCase& c : cases) {
    poke(kX, 0, c.before);
    v.subDspBitDevice();
    g.setSelection(c.row, c.col, c.rowSel, c.colSel);
    const QString before = signal();
    switch (c.op) {
      case Op::Set: click(v, "cmdSet"); break;
      case Op::Reset: click(v, "cmdReset"); break;
      case Op::Not: click(v, "cmdNot"); break;
    }
    EXPECT_EQ(mem(kX)[0], c.after) << c.name;
    EXPECT_EQ(g.textMatrix(1, kColDec), QString::number(c.after)) << c.name;
    EXPECT_EQ(signal() != before, c.signalled) << c.name;
  }
}

TEST_F(BitView, OwnChangesDoNotSwallowTheNextSignal) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  g.setSelection(1, kColF, 1, kCol0);
  click(v, "cmdSet");
  g.setSelection(1, kColDec, 1, kColDec);
  click(v, "cmdSet");  // refused: no signal of its own
  // A change from elsewhere (the protocol) is drawn at once.
  poke(kX, 5, 77);
  core->subDspRenew("X", "DATA");
  EXPECT_EQ(g.textMatrix(6, kColDec), "77");
  // A signal for another device does not reach this window at all (its
  // cells show memory as it is whenever they are painted).
  poke(kX, 6, 1);
  const int redraws = v.valueRedraws();
  core->subDspRenew("Y", "DATA");  // not this device
  EXPECT_EQ(v.valueRedraws(), redraws);
  core->subDspRenew("All", "CMNT");
  EXPECT_EQ(v.valueRedraws(), redraws + 1);
  EXPECT_EQ(g.textMatrix(7, kColDec), "1");
}

TEST_F(BitView, SpecialRelaysSignalForM) {
  FrmBitDevice& mx = open(kMx);
  FrmBitDevice& m = open(kM);
  mx.grid()->setSelection(2, bitCol(0), 2, bitCol(0));
  click(mx, "cmdSet");
  EXPECT_EQ(mem(kMx)[1], 1);
  EXPECT_TRUE(signal().startsWith("DATA"));
  // The M view heard it and the special-relay view drew it itself.
  poke(kM, 0, 3);
  mx.grid()->setSelection(2, bitCol(1), 2, bitCol(1));
  click(mx, "cmdSet");
  EXPECT_EQ(m.grid()->textMatrix(1, kColDec), "3");
  EXPECT_EQ(mx.grid()->textMatrix(2, kColDec), "3");
}

TEST_F(BitView, DoubleClickInvertsOneBitAndWritesValues) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  const QString before = signal();
  doubleClick(g, 2, bitCol(4));
  EXPECT_EQ(mem(kX)[1], 0x10);
  EXPECT_EQ(g.textMatrix(2, bitCol(4)), v.onText());
  EXPECT_TRUE(signal().startsWith("DATA"));
  EXPECT_NE(signal(), before);
  doubleClick(g, 2, bitCol(4));
  EXPECT_EQ(mem(kX)[1], 0);
  EXPECT_EQ(g.textMatrix(2, kColHex), "0000");

  // On the value columns: the word's dialog, its answer written.
  poke(kX, 2, 300);
  v.subDspBitDevice();
  inputAnswers = {"-5", "7fff"};
  doubleClick(g, 3, kColDec);
  doubleClick(g, 4, kColHex);
  ASSERT_EQ(inputs.size(), 2u);
  EXPECT_EQ(inputs[0].caption, "X000020");
  EXPECT_EQ(inputs[0].prompt, QStringLiteral("１０進数で入力してください\r\nステップ数は，カンマで区切ります"));
  EXPECT_EQ(inputs[0].text, "300");
  EXPECT_EQ(inputs[1].prompt, QStringLiteral("１６進数で入力してください\r\nステップ数は，カンマで区切ります"));
  EXPECT_EQ(inputs[1].text, "0000");
  EXPECT_EQ(mem(kX)[2], -5);
  EXPECT_EQ(mem(kX)[3], 0x7FFF);
  EXPECT_EQ(g.textMatrix(3, kColHex), "FFFB");
  // Cancel leaves the word.
  doubleClick(g, 3, kColDec);
  EXPECT_EQ(mem(kX)[2], -5);
}

TEST_F(BitView, RegistersBitsInAscendingOrderAndWordsOnce) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  UserList& bits = core->state.userBitList;
  g.setSelection(1, kColF, 1, bitCol(12));  // "F".."C"
  click(v, "cmdMoni");
  EXPECT_TRUE(signal().startsWith("ASGN"));
  const char* expected[] = {"X00000C", "X00000D", "X00000E", "X00000F"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bits[static_cast<std::size_t>(i)].addressText, expected[i]);
    EXPECT_EQ(bits[static_cast<std::size_t>(i)].code, "X");
    EXPECT_EQ(bits[static_cast<std::size_t>(i)].number, 12 + i);
  }
  click(v, "cmdMoni");
  EXPECT_EQ(bits[4].addressText, "");

  // Bits and values together register the bits only; values alone the words.
  g.setSelection(3, bitCol(1), 2, kColHex);
  click(v, "cmdMoni");
  EXPECT_EQ(bits[4].addressText, "X000010");
  EXPECT_EQ(bits[7].addressText, "X000021");
  EXPECT_EQ(core->state.userWordList[0].addressText, "");
  g.setSelection(2, kColAddr, 3, kColHex);
  click(v, "cmdMoni");
  click(v, "cmdMoni");
  EXPECT_EQ(core->state.userWordList[0].addressText, "X000010");
  EXPECT_EQ(core->state.userWordList[0].number, 0x10);
  EXPECT_EQ(core->state.userWordList[1].addressText, "X000020");
  EXPECT_EQ(core->state.userWordList[2].addressText, "");
}

TEST_F(BitView, WordDataWritesSeriesAndRefusesOtherColumns) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  g.setSelection(1, kColDec, 4, kColDec);
  inputAnswers = {"100,2"};
  click(v, "cmdWordData");
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].caption, "X000000 - X000030");
  EXPECT_EQ(inputs[0].text, "0");
  EXPECT_EQ((std::vector<std::int16_t>(mem(kX).begin(), mem(kX).begin() + 5)),
            (std::vector<std::int16_t>{100, 102, 104, 106, 0}));
  EXPECT_EQ(g.textMatrix(4, kColDec), "106");
  EXPECT_TRUE(signal().startsWith("DATA"));

  // Hexadecimal, the step too, stopping where the series leaves 16 bits.
  g.setSelection(6, kColHex, 8, kColHex);
  inputAnswers = {"7FF0,A"};
  const QString beforeOverflow = signal();
  click(v, "cmdWordData");
  ASSERT_FALSE(presenter.boxes.empty());
  EXPECT_EQ(presenter.boxes.back().title, "mdlSubBitDevice.subFgrdSerectData() 6");
  EXPECT_EQ(mem(kX)[5], 0x7FF0);
  EXPECT_EQ(mem(kX)[6], 0x7FFA);
  EXPECT_EQ(mem(kX)[7], 0);
  EXPECT_EQ(signal(), beforeOverflow);
  EXPECT_EQ(g.textMatrix(7, kColHex), "7FFA");

  // A refused number writes nothing.
  g.setSelection(10, kColDec, 10, kColDec);
  inputAnswers = {"40000"};
  click(v, "cmdWordData");
  EXPECT_EQ(mem(kX)[9], 0);
  EXPECT_EQ(presenter.boxes.back().title, "mdlSubBitDevice.fncDataInput() 6");
  EXPECT_TRUE(messages.empty());

  // Outside Dec and Hex: a notice and nothing else.
  for (int col : {bitCol(5), kColAddr}) {
    g.setSelection(1, col, 2, col);
    const QString before = signal();
    const auto asked = inputs.size();
    click(v, "cmdWordData");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().caption, QStringLiteral("選択範囲範囲外"));
    EXPECT_EQ(messages.back().prompt, QStringLiteral("選択範囲が無効です、[Dec][Hex]を選択してください。"));
    EXPECT_EQ(messages.back().text, "");  // Cancel hidden
    EXPECT_EQ(inputs.size(), asked);
    EXPECT_EQ(signal(), before);
  }
  // Both value columns: one column, please.
  g.setSelection(1, kColDec, 1, kColHex);
  click(v, "cmdWordData");
  EXPECT_EQ(messages.back().caption, QStringLiteral("セル範囲選択異常"));
  EXPECT_EQ(messages.back().prompt, QStringLiteral("１つの列を選択してください。"));
  EXPECT_EQ(mem(kX)[0], 100);
}

struct KeyCase {
  const char* name;
  int key;
  const char* text;
  std::int16_t before, after;
};

TEST_F(BitView, KeysOnBitCellsActAsTheButtons) {
  const KeyCase cases[] = {
      {"1 sets", Qt::Key_1, "1", 0x0100, 0x0103},
      {"0 resets", Qt::Key_0, "0", 0x0103, 0x0100},
      {"space resets", Qt::Key_Space, " ", 0x0003, 0x0000},
      {"enter inverts", Qt::Key_Return, "\r", 0x0002, 0x0001},
      {"other keys nothing", Qt::Key_5, "5", 0x0001, 0x0001},
  };
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  for (const KeyCase& c : cases) {
    poke(kX, 0, c.before);
    v.subDspBitDevice();
    g.setSelection(1, bitCol(1), 1, bitCol(0));
    key(&g, c.key, QString::fromLatin1(c.text));
    EXPECT_EQ(mem(kX)[0], c.after) << c.name;
    EXPECT_EQ(g.textMatrix(1, kColHex), QStringLiteral("%1").arg(c.after, 4, 16, QChar('0')).toUpper()) << c.name;
  }
}

TEST_F(BitView, TypingIntoTheValueColumns) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  v.activateWindow();
  g.setFocus();

  g.setCurrent(1, kColDec);
  key(&g, Qt::Key_Minus, "-");
  ASSERT_FALSE(v.editor()->isHidden());
  key(v.editor(), Qt::Key_5, "5");
  key(v.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(mem(kX)[0], -5);
  EXPECT_TRUE(v.editor()->isHidden());
  EXPECT_EQ(g.textMatrix(1, kColHex), "FFFB");
  EXPECT_EQ(g.textMatrix(1, kColF), v.onText());  // the bits follow
  EXPECT_EQ(g.row(), 2);

  g.setCurrent(3, kColHex);
  key(&g, Qt::Key_C, "c");
  key(v.editor(), Qt::Key_G, "g");  // not a hexadecimal digit
  key(v.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(mem(kX)[2], 0x000C);
  EXPECT_EQ(g.textMatrix(3, kColHex), "000C");

  // Esc leaves the word; address columns take no keys.
  g.setCurrent(5, kColDec);
  key(&g, Qt::Key_9, "9");
  key(v.editor(), Qt::Key_Escape, "\x1b");
  EXPECT_EQ(mem(kX)[4], 0);
  g.setCurrent(5, kColAddr);
  key(&g, Qt::Key_1, "1");
  EXPECT_TRUE(v.editor()->isHidden());
  EXPECT_EQ(mem(kX)[4], 0);
}

TEST_F(BitView, CopyAndPasteWords) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  g.setCurrent(60, kColDec);
  key(&g, Qt::Key_V, "\x16", Qt::ControlModifier);  // nothing copied yet
  EXPECT_EQ(mem(kX)[59], 0);

  poke(kX, 0, 11);
  poke(kX, 1, -2);
  poke(kX, 2, 0x4000);
  v.subDspBitDevice();
  g.setSelection(1, kColDec, 3, kColDec);
  key(&g, Qt::Key_C, "\x03", Qt::ControlModifier);
  g.setCurrent(63, bitCol(3));  // pasting stops at the last row
  key(&g, Qt::Key_V, "\x16", Qt::ControlModifier);
  EXPECT_EQ(mem(kX)[62], 11);
  EXPECT_EQ(mem(kX)[63], -2);
  EXPECT_EQ(mem(kX)[64], 0);
  EXPECT_EQ(g.textMatrix(64, kColDec), "-2");
  EXPECT_EQ(g.textMatrix(64, kColF), v.onText());
}

TEST_F(BitView, TooltipShowsTheBitUnderTheCursor) {
  FrmBitDevice& v = open(kX);
  FlexGrid& g = *v.grid();
  g.setCurrent(2, bitCol(12));
  EXPECT_EQ(g.toolTip(), "X00001C");
  core->comments.subAdd_Comment("X00001C\tstart");
  g.setCurrent(2, bitCol(11));
  g.setCurrent(2, bitCol(12));
  EXPECT_EQ(g.toolTip(), "X00001C start");
  g.setCurrent(2, kColDec);
  EXPECT_EQ(g.toolTip(), "");

  FrmBitDevice& ts = open(kTS);
  ts.grid()->setCurrent(64, bitCol(15));
  EXPECT_EQ(ts.grid()->toolTip(), "TS01023");
}

TEST_F(BitView, AllClearAsksFirst) {
  FrmBitDevice& v = open(kY);
  core->state.memory.fill(kY, 0, static_cast<std::int64_t>(mem(kY).size()) - 1, 0x55);
  msgAnswer = "2";
  click(v, "cmdAllClr");
  EXPECT_EQ(mem(kY)[127], 0x55);
  ASSERT_EQ(messages.size(), 1u);  // the view's own dialog asks, not a message box
  EXPECT_TRUE(presenter.boxes.empty());
  msgAnswer = "1";
  click(v, "cmdAllClr");
  for (std::int16_t w : mem(kY)) ASSERT_EQ(w, 0);
  EXPECT_EQ(v.grid()->textMatrix(1, kColDec), "0");
  EXPECT_TRUE(signal().startsWith("DATA"));
}

TEST_F(BitView, ASignalRedrawsEveryRowOfThePage) {
  FrmBitDevice& v = open(kX);
  QCoreApplication::processEvents();
  for (int round = 0; round < 2; ++round) {
    // Every cell of the page changes in every round.
    for (std::size_t i = 0; i < 64; ++i) poke(kX, i, static_cast<std::int16_t>(round % 2 ? 0x5A5A : 0xA5A5));
    core->subDspRenew("X", "DATA");
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(v.grid()->textMatrix(1, kColHex), "5A5A");
  EXPECT_EQ(v.grid()->textMatrix(64, kColHex), "5A5A");
  EXPECT_EQ(v.grid()->textMatrix(64, kColF), v.offText());
}

TEST_F(BitView, ClosingRecordsThePage) {
  FrmBitDevice& v = open(kX);
  EXPECT_TRUE(core->settings.G_SetWindow[kX].flg);
  click(v, "cmdNext");
  v.close();
  EXPECT_FALSE(manager->isOpen(kX));
  EXPECT_EQ(core->settings.G_SetWindow[kX].Page, 1);
  FrmBitDevice& again = open(kX);
  EXPECT_EQ(find<QLabel>(again, "lblPage").text(), "2/2");
  EXPECT_EQ(again.grid()->textMatrix(1, kColAddr), "X000400");
}

}  // namespace
}  // namespace omb
