// Multi-screen windows offscreen: their slots, display address, device
// count, bit and word operations, and the records that bring them back.
#include "views/multi_view.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

#include "core/device_kind.h"
#include "view_fixture.h"

namespace omb {
namespace {

using test::click;
using test::doubleClick;
using test::key;

constexpr int kKindD = 3, kKindW = 4, kKindX = 7, kKindS = 11;

class MultiScreen : public test::ViewFixture {
 protected:
  template <class View>
  View& openMulti(int kind) {
    manager->openMultiView(kind);
    auto* v = dynamic_cast<View*>(manager->multiViews.back());
    EXPECT_NE(v, nullptr);
    return *v;
  }
  std::vector<QString> captions() const {
    std::vector<QString> out;
    for (const DeviceView* v : manager->multiViews) out.push_back(v->windowTitle());
    return out;
  }
  // "表示アドレス" answered with `text`.
  void startAt(MultiView& v, const std::string& text) {
    inputAnswers = {text};
    click(v, "cmdAddress");
  }
};

TEST_F(MultiScreen, SlotsAreNumberedAndAFreedSlotIsTakenAgain) {
  for (int i = 0; i < 3; ++i) openMulti<FrmMultiWord>(kKindD);
  EXPECT_EQ(captions(), (std::vector<QString>{"データレジスタＤ - 1", "データレジスタＤ - 2", "データレジスタＤ - 3"}));
  manager->multiViews[1]->close();
  EXPECT_EQ(core->state.multi.G_MultiView[kKindD].records[1].number, 0);
  auto& again = openMulti<FrmMultiWord>(kKindD);
  EXPECT_EQ(again.windowTitle(), "データレジスタＤ - 2");
  EXPECT_EQ(again.number(), 2);
  // Another kind numbers on its own.
  EXPECT_EQ(openMulti<FrmMultiBit>(kKindX).windowTitle(), "入力Ｘ - 1");
  // "マルチ画面全消去" closes them all and frees every slot.
  manager->mnuAllClr();
  EXPECT_TRUE(manager->multiViews.empty());
  EXPECT_EQ(openMulti<FrmMultiWord>(kKindD).number(), 1);
}

TEST_F(MultiScreen, DisplayAddressWithinTheDevice) {
  auto& d = openMulti<FrmMultiWord>(kKindD);
  FlexGrid& g = *d.grid();
  EXPECT_EQ(g.textMatrix(1, 0), "D000000");
  startAt(d, "100");
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].caption, "表示アドレス設定");
  EXPECT_EQ(inputs[0].text, "表示アドレス（数値部分）を入力してください");
  EXPECT_EQ(inputs[0].preset, "0");
  EXPECT_EQ(g.textMatrix(1, 0), "D000100");
  EXPECT_EQ(d.startOffset(), 100);

  struct Case {
    const char* answer;
    const char* caption;  // the message, or "" for none
    std::int64_t offset;  // the start afterwards
  };
  // D000000-D006143: a start up to D006142 is allowed.
  const Case cases[] = {
      {"6142", "", 6142},
      {"6143", "デバイス範囲外", 6142},
      {"12x", "数値として認識できませんでした", 6142},
      {"", "", 6142},
      {"&H10", "", 16},
  };
  for (const Case& c : cases) {
    msgs.clear();
    startAt(d, c.answer);
    EXPECT_EQ(d.startOffset(), c.offset) << c.answer;
    if (*c.caption) {
      ASSERT_EQ(msgs.size(), 1u) << c.answer;
      EXPECT_EQ(msgs[0].caption, c.caption);
      EXPECT_EQ(msgs[0].text, "0　～ 6142 の範囲で、数値入力をやり直してください。");
    } else {
      EXPECT_TRUE(msgs.empty()) << c.answer;
    }
  }
  // Near the device end the rows past it stay empty.
  startAt(d, "6142");
  EXPECT_EQ(g.textMatrix(1, 0), "D006142");
  EXPECT_EQ(g.textMatrix(2, 0), "D006143");
  EXPECT_EQ(g.textMatrix(3, 0), "");
  EXPECT_EQ(g.textMatrix(3, 1), "");

  // Bit windows count in bits, hexadecimal for X.
  auto& x = openMulti<FrmMultiBit>(kKindX);
  inputs.clear();
  startAt(x, "&H100");
  EXPECT_EQ(inputs[0].preset, "&H0");
  EXPECT_EQ(x.grid()->textMatrix(1, 0), "X000100");
  EXPECT_EQ(x.grid()->textMatrix(2, 0), "X000101");
}

TEST_F(MultiScreen, DeviceCountChangesTheRowsOfTheWindowAndTheKind) {
  auto& d = openMulti<FrmMultiWord>(kKindD);
  const int before = d.rows();
  for (const char* answer : {"1", "0", "x", "", "40000"}) {
    inputAnswers = {answer};
    ASSERT_TRUE(d.preparePopup(*d.grid(), std::pair{1, 1}));
    d.findChild<QAction*>("popSetValue")->trigger();
    EXPECT_EQ(d.rows(), before) << answer;
  }
  inputAnswers = {"32"};
  d.findChild<QAction*>("popSetValue")->trigger();
  EXPECT_EQ(inputs.back().caption, "デバイス点数設定");
  EXPECT_EQ(d.rows(), 32);
  EXPECT_EQ(d.grid()->rows(), 33);
  EXPECT_EQ(d.grid()->textMatrix(32, 0), "D000031");
  EXPECT_EQ(core->settings.multiPageTable[kD], 32);
  EXPECT_EQ(openMulti<FrmMultiWord>(kKindD).rows(), 32) << "the next window of the kind opens with it";
}

// A window of the most rows a window takes holds only the rows it has shown
// or been asked about, and each of those reads as if every row were drawn:
// device, address, comment, cell style, values, and writes through it.
TEST_F(MultiScreen, AWindowOfManyRowsFillsTheRowsItUses) {
  core->settings.multiPageTable[kD] = 32767;
  core->settings.multiPageTable[kX] = 32767;
  // A device far down the window (the last D but four), and the row after it.
  const int far = static_cast<int>(mem(kD).size()) - 5, row = far + 1;
  ASSERT_GT(far, 1000);
  const std::string farText = fncAddressText(kD, far), nextText = fncAddressText(kD, far + 1);
  core->comments.subAdd_Comment(farText + "\tfar down");
  CellStyleRecord style;
  style.addressText = nextText;
  style.columns[0].set = true;
  style.columns[0].backColour = 0x0000FF;  // red, as BGR
  core->state.cellStyles.push_back(style);
  core->state.memory.write(kD, far, 1234);

  auto& d = openMulti<FrmMultiWord>(kKindD);
  FlexGrid& g = *d.grid();
  d.show();
  QElapsedTimer shown;
  shown.start();
  while (shown.elapsed() < 40) QApplication::processEvents(QEventLoop::AllEvents, 5);
  ASSERT_EQ(g.rows(), 32768);
  EXPECT_LT(g.cells().heldRows(), 200) << "only what the window shows";
  EXPECT_EQ(g.textMatrix(row, 0).toStdString(), farText);
  EXPECT_EQ(g.textMatrix(row, 1), "1234");
  EXPECT_EQ(g.textMatrix(row, 3), "far down");
  ASSERT_NE(g.rowDevice(row), nullptr);
  EXPECT_EQ(g.rowDevice(row)->word, far);
  EXPECT_EQ(g.rowDevice(row + 10), nullptr) << "past the device end";
  EXPECT_EQ(g.textMatrix(row + 10, 0), "");
  int styledCol = -1;
  for (int c = 1; c < g.cols(); ++c)
    if (g.styleSlot(c) == 0) styledCol = c;
  ASSERT_GE(styledCol, 0);
  EXPECT_TRUE(g.cellStyle(row + 1, styledCol).hasBack);
  EXPECT_FALSE(g.cellStyle(row, styledCol).hasBack);
  EXPECT_LT(g.cells().heldRows(), 210);

  // A write through a row far down, and a comment changed after it was filled.
  g.setCurrent(row, 1);
  inputAnswers = {"77"};
  d.cmdWordData_Click();
  EXPECT_EQ(mem(kD)[static_cast<std::size_t>(far)], 77);
  core->comments.subAdd_Comment(farText + "\tmoved");
  core->subDspRenew("D", "CMNT");
  EXPECT_EQ(g.textMatrix(row, 3), "moved");

  // Bits: a row far down stands for its bit.
  auto& x = openMulti<FrmMultiBit>(kKindX);
  const int bit = static_cast<int>(mem(kX).size()) * 16 - 3;
  EXPECT_EQ(x.grid()->textMatrix(bit + 1, 0).toStdString(), fncAddressText(kX, bit));
  ASSERT_NE(x.grid()->rowDevice(bit + 1), nullptr);
  EXPECT_EQ(x.grid()->rowDevice(bit + 1)->word, bit / 16);
  EXPECT_EQ(x.grid()->rowDevice(bit + 1)->bit, bit % 16);
  EXPECT_LT(x.grid()->cells().heldRows(), 200);
}

TEST_F(MultiScreen, BitWindowsSetResetAndTellWhenARowHoldsNoDevice) {
  core->comments.subAdd_Comment("X00001F\tsensor");
  auto& x = openMulti<FrmMultiBit>(kKindX);
  FlexGrid& g = *x.grid();
  startAt(x, "&H1E");
  EXPECT_EQ(g.textMatrix(0, 1), "Bin");
  EXPECT_EQ(g.textMatrix(2, 2), "sensor");
  EXPECT_EQ(g.textMatrix(1, 1), "○");
  g.setSelection(1, 1, 3, 1);  // X00001E..X000020
  click(x, "cmdSet");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kX)[1]), 0xC000);
  EXPECT_EQ(mem(kX)[2], 1);
  EXPECT_EQ(g.textMatrix(2, 1), "●");
  EXPECT_TRUE(signal().startsWith("DATA"));
  g.setSelection(2, 1, 2, 1);
  click(x, "cmdNot");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kX)[1]), 0x4000);
  doubleClick(g, 2, 1);
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kX)[1]), 0xC000);
  // Keys on "Bin": 0 resets.
  g.setCurrent(1, 1);
  key(&g, Qt::Key_0, "0");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kX)[1]), 0x8000);
  // 登録 with the bit's comment.
  g.setSelection(2, 1, 2, 2);
  click(x, "cmdMoni");
  EXPECT_EQ(core->state.userBitList[0].addressText, "X00001F");
  EXPECT_EQ(core->state.userBitList[0].comment, "sensor");
  EXPECT_EQ(core->state.userBitList[0].number, 0x1F);

  // A row past the device end: SET and RESET tell so, nothing is written.
  startAt(x, "&H7FE");  // X0007FE, X0007FF, then nothing (2048 inputs)
  EXPECT_EQ(g.textMatrix(3, 0), "");
  g.setCurrent(3, 1);
  const QString before = signal();
  for (const char* button : {"cmdSet", "cmdReset"}) {
    msgs.clear();
    click(x, button);
    ASSERT_EQ(msgs.size(), 1u) << button;
    EXPECT_EQ(msgs[0].text, "選択範囲に、デバイスが登録されていません。");
  }
  EXPECT_EQ(msgs[0].caption, "選択デバイスのビットリセット");
  EXPECT_EQ(signal(), before);
}

TEST_F(MultiScreen, StepRelayWindowsTakeNoKeys) {
  auto& s = openMulti<FrmMultiBit>(kKindS);
  FlexGrid& g = *s.grid();
  g.setCurrent(1, 1);
  key(&g, Qt::Key_1, "1");
  g.setCurrent(1, 2);
  key(&g, Qt::Key_A, "a");
  EXPECT_EQ(mem(kS)[0], 0);
  EXPECT_EQ(s.editor(), nullptr);
  click(s, "cmdSet");
  EXPECT_EQ(mem(kS)[0], 1) << "the buttons still work";
}

TEST_F(MultiScreen, WordWindowsEditLikeAPanelAndFollowOtherWriters) {
  auto& w = openMulti<FrmMultiWord>(kKindW);
  FlexGrid& g = *w.grid();
  startAt(w, "&H1A0");
  EXPECT_EQ(g.textMatrix(1, 0), "W0001A0");
  g.setSelection(1, 1, 3, 1);
  inputAnswers = {"7,1"};
  click(w, "cmdWordData");
  EXPECT_EQ((std::vector<std::int16_t>(mem(kW).begin() + 0x1A0, mem(kW).begin() + 0x1A3)),
            (std::vector<std::int16_t>{7, 8, 9}));
  EXPECT_EQ(g.textMatrix(3, 1), "9");
  g.setCurrent(4, 2);
  key(&g, Qt::Key_F, "f");
  key(w.editor(), Qt::Key_F, "f");
  key(w.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(mem(kW)[0x1A3], 0xFF);
  // A write from elsewhere (the link, another window) is drawn.
  poke(kW, 0x1A4, 1234);
  core->state.memory.publish("W");
  EXPECT_EQ(g.textMatrix(5, 1), "1234");
  // Comments: the popup items follow the port here.
  core->pc.G_PortOpen = true;
  ASSERT_TRUE(w.preparePopup(g, std::pair{1, 3}));
  EXPECT_FALSE(w.findChild<QAction*>("popInputCome")->isEnabled());
  core->pc.G_PortOpen = false;
}

// A window's place, size and start are kept as it is left, on "SAVE" and
// when it closes; the windows a project recorded come back in their slots.
TEST_F(MultiScreen, RecordsKeepPlaceAndStartAndBringTheWindowsBack) {
  auto& d1 = openMulti<FrmMultiWord>(kKindD);
  auto& d2 = openMulti<FrmMultiWord>(kKindD);
  auto& x1 = openMulti<FrmMultiBit>(kKindX);
  d1.setGeometry(100, 120, 300, 260);
  d2.setGeometry(420, 120, 310, 270);
  x1.setGeometry(740, 120, 280, 300);
  startAt(d2, "500");
  EXPECT_EQ(core->state.multi.G_MultiView[kKindD].records[0].left, 1500) << "the record follows a move";
  manager->subSave_MultiView();
  const auto& records = core->state.multi.G_MultiView;
  EXPECT_TRUE(records[kKindD].open);
  EXPECT_TRUE(records[kKindX].open);
  EXPECT_FALSE(records[kKindW].open);
  EXPECT_EQ(records[kKindD].records[1].startOffset, 500);
  EXPECT_NE(records[kKindD].records[1].top, 0);
  const auto savedD = records[kKindD].records;
  const auto savedX = records[kKindX].records;

  // As a project open does: the windows go, the records come back.
  manager->subCloseDeviceView();
  EXPECT_TRUE(manager->multiViews.empty());
  core->state.multi.G_MultiView[kKindD].records = savedD;
  core->state.multi.G_MultiView[kKindX].records = savedX;
  manager->subView_DspM();
  ASSERT_EQ(manager->multiViews.size(), 3u);
  EXPECT_EQ(captions(), (std::vector<QString>{"データレジスタＤ - 1", "データレジスタＤ - 2", "入力Ｘ - 1"}));
  auto* back = dynamic_cast<FrmMultiWord*>(manager->multiViews[1]);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->startOffset(), 500);
  EXPECT_EQ(back->grid()->textMatrix(1, 0), "D000500");
  EXPECT_EQ(back->geometry(), QRect(420, 120, 310, 270));
}

// Every multi-screen window hears every signal; a window that wrote swallows
// its own echo.
TEST_F(MultiScreen, EverySignalReachesEveryWindowOnce) {
  auto& a = openMulti<FrmMultiWord>(kKindD);
  auto& b = openMulti<FrmMultiWord>(kKindD);
  a.grid()->setSelection(1, 1, 1, 1);
  inputAnswers = {"42"};
  click(a, "cmdWordData");
  EXPECT_EQ(a.grid()->textMatrix(1, 1), "42");
  EXPECT_EQ(b.grid()->textMatrix(1, 1), "42");
  core->comments.subAdd_Comment("D000000\tfirst");
  core->subDspRenew("All", "CMNT");
  EXPECT_EQ(a.grid()->textMatrix(1, 3), "first");
  EXPECT_EQ(b.grid()->textMatrix(1, 3), "first");
}

}  // namespace
}  // namespace omb
