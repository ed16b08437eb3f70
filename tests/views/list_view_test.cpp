// The user registration view and the test monitor offscreen: the lists
// filled by the other views and by a PC program, and the value operations
// on them.
#include "views/list_view.h"

#include <QAction>
#include <QLabel>

#include "core/device_kind.h"
#include "link/link_engine.h"
#include "link/memory_transport.h"
#include "views/bit_view.h"
#include "views/word_view.h"
#include "view_fixture.h"

namespace omb {
namespace {

using test::click;
using test::doubleClick;
using test::key;

class UserView : public test::ViewFixture {
 protected:
  FrmUser& user() { return open<FrmUser>(19); }
  void registerBits(std::initializer_list<std::pair<const char*, std::int32_t>> bits, const char* code = "X") {
    for (const auto& [text, number] : bits) core->state.userBitList.add({code, text, "", number});
    core->subDspRenew("UniUsr", "ASGN");
  }
  void registerWords(std::initializer_list<std::pair<const char*, std::int32_t>> words, const char* code = "D") {
    for (const auto& [text, number] : words) core->state.userWordList.add({code, text, "", number});
    core->subDspRenew("UniUsr", "ASGN");
  }
};

// The 登録 of the word and bit views fills the lists, each address once.
TEST_F(UserView, RegistrationsFromTheOtherViewsAppearWithTheirCount) {
  FrmUser& u = user();
  auto& x = open<FrmBitDevice>(kX);
  x.grid()->setSelection(1, FrmBitDevice::kColLastBit, 1, FrmBitDevice::kColLastBit);  // X000000
  click(x, "cmdMoni");
  click(x, "cmdMoni");
  EXPECT_EQ(u.bitGrid()->textMatrix(1, 0), "X000000");
  EXPECT_EQ(u.bitGrid()->textMatrix(2, 0), "");
  EXPECT_EQ(u.findChild<QLabel*>("lblKensuu0")->text(), "登録件数1/128");
  EXPECT_EQ(u.findChild<QLabel*>("lblKensuu1")->text(), "登録件数0/128");
  // Buttons follow the lists.
  EXPECT_TRUE(u.findChild<QPushButton*>("cmdSet")->isEnabled());
  EXPECT_FALSE(u.findChild<QPushButton*>("cmdWordData")->isEnabled());
  EXPECT_FALSE(u.findChild<QPushButton*>("cmdClr1")->isEnabled());
  EXPECT_TRUE(u.findChild<QPushButton*>("cmdAllClr")->isEnabled());
}

TEST_F(UserView, BitOperationsOnEntriesOfAnyDevice) {
  core->state.userBitList.add({"D", "D000100-F", "", 100});
  core->state.userBitList.add({"M", "M009000", "", 9000});
  registerBits({{"X00001F", 0x1F}});
  FrmUser& u = user();
  FlexGrid& g = *u.bitGrid();
  g.setSelection(1, 1, 3, 1);
  click(u, "cmdSet");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[100]), 0x8000) << "bit F of D100 only";
  EXPECT_EQ(mem(kMx)[0], 1) << "bit 0 of the first special-relay word";
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kX)[1]), 0x8000);
  EXPECT_EQ(g.textMatrix(1, 1), QString::fromStdString(core->settings.Hi)) << "a listed bit shows its state";
  EXPECT_EQ(g.textMatrix(4, 1), "") << "an empty row nothing";
  EXPECT_TRUE(signal().startsWith("DATA"));
  // NOT on the middle row, double click on the first.
  g.setSelection(2, 1, 2, 1);
  click(u, "cmdNot");
  EXPECT_EQ(mem(kMx)[0], 0);
  doubleClick(g, 1, 2);
  EXPECT_EQ(mem(kD)[100], 0);
  // Key 0 on Bin resets.
  g.setCurrent(3, 1);
  key(&g, Qt::Key_0, "0");
  EXPECT_EQ(mem(kX)[1], 0);

  // Below the last entry: the notice, nothing changes.
  g.setCurrent(5, 1);
  for (const char* button : {"cmdSet", "cmdReset", "cmdNot"}) {
    msgs.clear();
    click(u, button);
    ASSERT_EQ(msgs.size(), 1u) << button;
    EXPECT_EQ(msgs[0].text, "選択範囲に、デバイスが登録されていません。");
  }
  EXPECT_EQ(msgs[0].caption, "選択デバイスのビット反転");
}

TEST_F(UserView, WordDataSeriesAndItsErrors) {
  registerWords({{"D000010", 10}, {"D000011", 11}, {"D000012", 12}});
  core->state.userWordList.add({"TN", "TN00005", "", 5});
  core->subDspRenew("UniUsr", "ASGN");
  FrmUser& u = user();
  FlexGrid& g = *u.wordGrid();
  struct Case {
    int col;
    const char* answer;
    std::vector<std::int16_t> words;  // D10..D12 afterwards
    bool error;
  };
  const Case cases[] = {
      {1, "100,5", {100, 105, 110}, false},
      {1, "100", {100, 100, 100}, false},
      {2, "7fff,1", {0x7FFF, 100, 100}, true},
      {1, "", {0x7FFF, 100, 100}, false},
  };
  for (const Case& c : cases) {
    presenter.boxes.clear();
    g.setSelection(1, c.col, 3, c.col);
    inputAnswers = {c.answer};
    click(u, "cmdWordData");
    EXPECT_EQ((std::vector<std::int16_t>(mem(kD).begin() + 10, mem(kD).begin() + 13)), c.words) << c.answer;
    EXPECT_EQ(!presenter.boxes.empty(), c.error) << c.answer;
  }
  EXPECT_EQ(inputs.back().caption, "D000010 - D000012");
  // Rows of different devices: the TN entry takes its own word.
  g.setSelection(4, 1, 4, 1);
  inputAnswers = {"42"};
  click(u, "cmdWordData");
  EXPECT_EQ(mem(kTN)[5], 42);
  // ASCII is not filled in series here.
  ASSERT_TRUE(u.preparePopup(g, std::pair{1, 2}));
  u.findChild<QAction*>("popAsc")->trigger();
  EXPECT_EQ(g.textMatrix(0, 2), "ASCII");
  msgs.clear();
  g.setSelection(1, 2, 2, 2);
  click(u, "cmdWordData");
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].caption, "連続入力不可");
  // Double click on ASCII: AB, ABC and A.
  for (const auto& [answer, word] : {std::pair{"AB", 0x4142}, std::pair{"ABC", 0x4142}, std::pair{"A", 0x4100}}) {
    inputAnswers = {answer};
    doubleClick(g, 1, 2);
    EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[10]), word) << answer;
  }
  // The next full redraw brings "Dec" and "Hex" back.
  core->subDspRenew("D", "ASGN");
  EXPECT_EQ(g.textMatrix(0, 2), "Hex");
}

TEST_F(UserView, ReleaseMovesTheRestUp) {
  for (int i = 0; i < 10; ++i)
    core->state.userWordList.add({"D", "D00000" + std::to_string(i), "", i});
  FrmUser& u = user();
  FlexGrid& g = *u.wordGrid();
  g.setSelection(3, 1, 5, 1);
  msgs.clear();
  click(u, "cmdClr1");
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].text, "デバイス登録データを解放しますか？");
  EXPECT_TRUE(msgs[0].cancel);
  EXPECT_EQ(g.textMatrix(3, 0), "D000005");
  EXPECT_EQ(g.textMatrix(8, 0), "");
  EXPECT_EQ(u.findChild<QLabel*>("lblKensuu1")->text(), "登録件数7/128");
  // A selection reaching below the entries: asked to choose again.
  g.setSelection(7, 1, 9, 1);
  msgs.clear();
  click(u, "cmdClr1");
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].text, "解放する領域を選択してください。");
  EXPECT_EQ(core->state.userWordList.count(), 7);
}

TEST_F(UserView, PasteCommentsAllClearAndSwappingSides) {
  registerWords({{"D000001", 1}, {"D000002", 2}});
  registerBits({{"X000001", 1}, {"X000002", 2}});
  FrmUser& u = user();
  core->comments.subAdd_Comment("D000001\tvalve");
  core->subDspRenew("All", "CMNT");
  FlexGrid& w = *u.wordGrid();
  EXPECT_EQ(w.textMatrix(1, 3), "valve");
  EXPECT_EQ(core->state.userWordList[0].comment, "valve");
  // Copy D1..D2 and paste: values and, on the comment column, comments.
  poke(kD, 1, 11);
  poke(kD, 2, 22);
  w.setSelection(1, 1, 2, 1);
  key(&w, Qt::Key_C, "\x03", Qt::ControlModifier);
  w.setCurrent(2, 1);
  key(&w, Qt::Key_V, "\x16", Qt::ControlModifier);
  EXPECT_EQ(mem(kD)[2], 11);
  // Paste on "Bin" changes nothing.
  FlexGrid& b = *u.bitGrid();
  b.setCurrent(1, 1);
  key(&b, Qt::Key_V, "\x16", Qt::ControlModifier);
  EXPECT_EQ(mem(kX)[0], 0);
  // A comment typed into the word list.
  w.setCurrent(2, 3);
  key(&w, Qt::Key_P, "p");
  ASSERT_TRUE(u.editor()->isVisible()) << u.editor()->text().toStdString();
  key(u.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 2), "p");
  EXPECT_EQ(w.textMatrix(2, 3), "p");

  // ALL Clear: only the listed devices.
  poke(kD, 3, 33);
  core->state.memory.writeBit(kX, 0, 1, true);
  core->state.memory.writeBit(kX, 0, 3, true);
  click(u, "cmdAllClr");
  EXPECT_EQ(msgs.back().caption, "All Data cler");
  EXPECT_EQ(mem(kD)[1], 0);
  EXPECT_EQ(mem(kD)[2], 0);
  EXPECT_EQ(mem(kD)[3], 33);
  EXPECT_EQ(mem(kX)[0], 0x0008) << "X3 is not listed";

  const int bitLeft = b.x();
  click(u, "cmdChg");
  EXPECT_EQ(u.leftList(), 1);
  EXPECT_LT(w.x(), b.x());
  EXPECT_EQ(w.x(), bitLeft);
}

// ---------------------------------------------------------------- test monitor

class TestMonitor : public test::ViewFixture {
 protected:
  TestMonitor() {
    port.onReceived = [this](std::string_view bytes) { engine.feed(bytes); };
    port.open();
    engine.onQuestion = [this](const Question&) { engine.answer(false); };
  }
  ~TestMonitor() override { port.close(); }
  // A PC program's request (format 1, no sum) and the controller's answer.
  std::string exchange(const std::string& request) {
    port.feed("\x05" + request);
    loop.advance(1000);
    manager->flushFrame();  // the window draws at its next display frame
    return port.takeOutput();
  }
  ManualScheduler loop{clock};
  MemoryTransport port{loop};
  LinkEngine engine{core->linkContext, loop, port};
};

// A PC program registers words for monitoring; they appear in the test
// monitor, and a value typed there is what the next monitor request reads.
TEST_F(TestMonitor, AMonitorRegistrationShowsAndATypedValueIsRead) {
  core->comments.subAdd_Comment("D000002\tspeed");
  auto& uni = open<FrmUni>(18);
  EXPECT_EQ(uni.windowTitle(), "テスト・モニター画面");
  ASSERT_EQ(exchange("00FFWM002D0002D0005"), "\x06" "00FF");
  FlexGrid& words = *uni.grid(3);
  EXPECT_EQ(words.textMatrix(1, 0), "D0002");
  EXPECT_EQ(words.textMatrix(2, 0), "D0005");
  EXPECT_EQ(words.textMatrix(3, 0), "");
  EXPECT_EQ(words.textMatrix(1, 3), "speed");
  EXPECT_EQ(core->state.monitorComments.moniWord[0], "speed");

  words.setCurrent(2, 2);  // Hex of D0005
  key(&words, Qt::Key_A, "a");
  key(uni.editor(), Qt::Key_B, "b");
  key(uni.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(mem(kD)[5], 0xAB);
  EXPECT_EQ(exchange("00FFMN0"), "\x02" "00FF000000AB\x03");
  // A value written by the PC program is drawn.
  exchange("00FFWW0D0002011234");
  EXPECT_EQ(words.textMatrix(1, 2), "1234");

  // A second registration of fewer devices leaves only those.
  exchange("00FFWM001D0009");
  EXPECT_EQ(words.textMatrix(1, 0), "D0009");
  EXPECT_EQ(words.textMatrix(2, 0), "");
}

// A bit device registered by word (X0010 with WM) is one word row: a
// value typed there is written to its sixteen bits and read back by the PC
// program, as double click and Word Data write it, and ALL Clear clears
// the whole word.
TEST_F(TestMonitor, AValueTypedForABitDeviceRegisteredByWordIsWritten) {
  auto& uni = open<FrmUni>(18);
  ASSERT_EQ(exchange("00FFWM001X0010"), "\x06" "00FF");
  FlexGrid& words = *uni.grid(3);
  ASSERT_EQ(words.textMatrix(1, 0), "X0010");
  words.setCurrent(1, 1);  // Dec
  key(&words, Qt::Key_5, "5");
  key(uni.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(mem(kX)[1], 5) << "X0010 to X001F hold 5";
  EXPECT_EQ(words.textMatrix(1, 1), "5");
  EXPECT_TRUE(msgs.empty());
  EXPECT_EQ(exchange("00FFMN0"), "\x02" "00FF0005\x03");

  inputAnswers = {"300"};
  doubleClick(words, 1, 1);
  EXPECT_EQ(mem(kX)[1], 300);
  inputAnswers = {"1234"};
  words.setSelection(1, 2, 1, 2);
  click(uni, "cmdWordData");
  EXPECT_EQ(mem(kX)[1], 0x1234);
  click(uni, "cmdAllClr");
  EXPECT_EQ(mem(kX)[1], 0) << "all sixteen bits";
}

TEST_F(TestMonitor, TestListsAreReadOnlyMonitorBitsChangeAndAllClearSparesTests) {
  auto& uni = open<FrmUni>(18);
  ASSERT_EQ(exchange("00FFBM002M9000X0001"), "\x06" "00FF");
  ASSERT_EQ(exchange("00FFBT002Y00001X00021"), "\x06" "00FF");  // test: Y0 and X2 on
  FlexGrid& tests = *uni.grid(0);
  FlexGrid& monitored = *uni.grid(1);
  EXPECT_EQ(monitored.textMatrix(1, 0), "M9000");
  EXPECT_EQ(tests.textMatrix(1, 0), "Y0000");
  EXPECT_EQ(tests.toolTip(), "書き換えできません");
  // SET on the monitored special relay: bit 0 of the first special word.
  monitored.setSelection(1, 1, 1, 1);
  click(uni, "cmdSet");
  EXPECT_EQ(mem(kMx)[0], 1);
  EXPECT_EQ(monitored.textMatrix(1, 1), "1");
  // Keys on a test list do nothing.
  tests.setCurrent(1, 1);
  const auto before = mem(kY)[0];
  key(&tests, Qt::Key_0, "0");
  EXPECT_EQ(mem(kY)[0], before);
  // ALL Clear: the monitored devices, not the tested ones.
  click(uni, "cmdAllClr");
  EXPECT_EQ(mem(kMx)[0], 0);
  EXPECT_EQ(mem(kY)[0], before);
}

}  // namespace
}  // namespace omb
