// The bit display of word devices offscreen, driven as a user would.
#include "views/word_bit_view.h"

#include <QAction>
#include <QLabel>

#include "core/device_kind.h"
#include "view_fixture.h"

namespace omb {
namespace {

using test::click;
using test::doubleClick;
using test::key;

using WordBitView = test::ViewFixture;
constexpr int kSlotD = 20, kSlotW = 21, kSlotDx = 23;
constexpr int kDec = FrmWordBitDevice::kColValue1;
constexpr int kHex = FrmWordBitDevice::kColValue2;
constexpr int kComment = FrmWordBitDevice::kColComment;
// Grid column of bit k.
constexpr int bitCol(int k) { return FrmWordBitDevice::kColLastBit - k; }

TEST_F(WordBitView, RowsAreWordsOfBitsValuesAndComments) {
  core->comments.subAdd_Comment("W0000FF\tlink word");
  poke(kW, 0xFF, 0x0101);
  auto& v = open<FrmWordBitDevice>(kSlotW);
  EXPECT_EQ(v.objectName(), "frmWordDeviceBitW");
  EXPECT_EQ(v.windowTitle(), "リンクレジスタ　W");
  FlexGrid& g = *v.grid();
  v.goToPage(3);  // 64 words a page: W0000C0..
  const QStringList heads{g.textMatrix(0, 0), g.textMatrix(0, 1), g.textMatrix(0, 16), g.textMatrix(0, kDec),
                          g.textMatrix(0, kHex), g.textMatrix(0, kComment)};
  EXPECT_EQ(heads, (QStringList{"Address", "F", "0", "Dec", "Hex", "Device Comment"}));
  EXPECT_EQ(g.textMatrix(64, 0), "W0000FF");
  EXPECT_EQ(g.textMatrix(64, bitCol(0)), v.onText());
  EXPECT_EQ(g.textMatrix(64, bitCol(8)), v.onText());
  EXPECT_EQ(g.textMatrix(64, bitCol(1)), v.offText());
  EXPECT_EQ(g.textMatrix(64, kDec), "257");
  EXPECT_EQ(g.textMatrix(64, kHex), "0101");
  EXPECT_EQ(g.textMatrix(64, kComment), "link word");

  // The special registers, 16 a page, start at D009000.
  auto& dx = open<FrmWordBitDevice>(kSlotDx);
  EXPECT_EQ(dx.grid()->rows(), 17);
  EXPECT_EQ(dx.grid()->textMatrix(1, 0), "D009000");
  EXPECT_EQ(dx.grid()->textMatrix(16, 0), "D009015");
}

TEST_F(WordBitView, BitOperationsDoubleClickAndKeys) {
  auto& v = open<FrmWordBitDevice>(kSlotD);
  FlexGrid& g = *v.grid();
  // Double click on bit 0 of D000000: 0 becomes 1.
  doubleClick(g, 1, bitCol(0));
  EXPECT_EQ(mem(kD)[0], 1);
  EXPECT_EQ(g.textMatrix(1, kDec), "1");
  EXPECT_EQ(g.textMatrix(1, kHex), "0001");
  EXPECT_TRUE(signal().startsWith("DATA"));

  // SET over a selection that runs into the value columns stops at bit 0.
  g.setSelection(2, bitCol(3), 3, kHex);
  click(v, "cmdSet");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[1]), 0x000F);
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[2]), 0x000F);
  // Keys on a bit cell: 0 resets, 1 sets, Enter inverts.
  g.setCurrent(4, bitCol(15));
  key(&g, Qt::Key_1, "1");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[3]), 0x8000);
  key(&g, Qt::Key_Return, "\r");
  EXPECT_EQ(mem(kD)[3], 0);

}

// SET on rows past the device end writes nothing there and nothing breaks.
TEST_F(WordBitView, RowsPastTheDeviceEndTakeNothing) {
  restart({{"D=D000000-D006143", "D=D000000-D000099"}});
  auto& v = open<FrmWordBitDevice>(kSlotD);
  FlexGrid& g = *v.grid();
  v.goToPage(1);  // D000064..D000099, then 28 empty rows
  EXPECT_EQ(g.textMatrix(36, 0), "D000099");
  EXPECT_EQ(g.textMatrix(37, 0), "");
  g.setSelection(36, bitCol(0), 40, bitCol(0));
  click(v, "cmdSet");
  EXPECT_EQ(mem(kD).back(), 1);
  EXPECT_EQ(g.textMatrix(37, bitCol(0)), "");
  g.setCurrent(37, kDec);
  inputs.clear();
  click(v, "cmdWordData");
  EXPECT_TRUE(inputs.empty()) << "nothing is asked for a row without a word";
  doubleClick(g, 38, bitCol(1));
  EXPECT_EQ(g.textMatrix(38, bitCol(1)), "");
}

TEST_F(WordBitView, WordDataAndValueDoubleClick) {
  auto& v = open<FrmWordBitDevice>(kSlotD);
  FlexGrid& g = *v.grid();
  // A series into three rows of the Dec column.
  g.setSelection(1, kDec, 3, kDec);
  inputAnswers = {"10,5"};
  click(v, "cmdWordData");
  EXPECT_EQ((std::vector<std::int16_t>(mem(kD).begin(), mem(kD).begin() + 3)), (std::vector<std::int16_t>{10, 15, 20}));
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].caption, "D000000 - D000002");
  // Cancel: nothing written, no signal.
  const QString before = signal();
  inputAnswers = {""};
  click(v, "cmdWordData");
  EXPECT_EQ(signal(), before);
  // Not a value column: the message, nothing asked.
  g.setCurrent(1, bitCol(2));
  inputs.clear();
  click(v, "cmdWordData");
  EXPECT_TRUE(inputs.empty());
  ASSERT_FALSE(msgs.empty());
  EXPECT_EQ(msgs.back().caption, "選択範囲範囲外");

  // ASCII over two rows: AB, CD.
  ASSERT_TRUE(v.preparePopup(g, std::pair{1, kHex}));
  v.findChild<QAction*>("popAsc")->trigger();
  EXPECT_EQ(g.textMatrix(0, kHex), "ASCII");
  g.setSelection(5, kHex, 6, kHex);
  inputAnswers = {"ABCD"};
  click(v, "cmdWordData");
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[4]), 0x4142);
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[5]), 0x4344);
  // A double click on an ASCII cell writes the text on, past the rows shown.
  v.goToPage(0);
  EXPECT_EQ(g.textMatrix(0, kHex), "ASCII") << "paging keeps the display modes";
  inputAnswers = {"ABCDEF"};
  doubleClick(g, 64, kHex);
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[63]), 0x4142);
  EXPECT_EQ(static_cast<std::uint16_t>(mem(kD)[65]), 0x4546);
  EXPECT_EQ(g.textMatrix(64, kHex), "AB");
}

TEST_F(WordBitView, RegistrationTooltipCommentsAndStyles) {
  auto& v = open<FrmWordBitDevice>(kSlotD);
  FlexGrid& g = *v.grid();
  v.goToPage(1);  // D000064..
  // Bits F and E of D000100: registered right to left.
  g.setSelection(37, bitCol(15), 37, bitCol(14));
  click(v, "cmdMoni");
  EXPECT_EQ(core->state.userBitList[0].addressText, "D000100-E");
  EXPECT_EQ(core->state.userBitList[1].addressText, "D000100-F");
  EXPECT_EQ(core->state.userBitList[1].number, 100);
  EXPECT_TRUE(signal().startsWith("ASGN"));
  g.setSelection(37, kDec, 38, kComment);
  click(v, "cmdMoni");
  EXPECT_EQ(core->state.userWordList[0].addressText, "D000100");
  EXPECT_EQ(core->state.userWordList[1].addressText, "D000101");

  g.setCurrent(37, bitCol(15));
  EXPECT_EQ(g.toolTip(), "D000100 - 15");
  g.setCurrent(37, kDec);
  EXPECT_EQ(g.toolTip(), "");

  // A comment typed into column 19 reaches the store and the D word view.
  g.setCurrent(37, kComment);
  key(&g, Qt::Key_P, "p");
  key(v.editor(), Qt::Key_Return, "\r");
  EXPECT_EQ(core->comments.fncDeviceComment("D", 100), "p");

  // A colour on the value and comment cells survives paging; bit cells in
  // the selection are not styled.
  g.setSelection(37, bitCol(0), 37, kComment);
  ASSERT_TRUE(v.preparePopup(g, std::pair{37, kDec}));
  presenter.colourAnswers = {0x0000FF};
  v.findChild<QAction*>("popCelColor")->trigger();
  v.goToPage(0);
  EXPECT_FALSE(g.cellStyle(37, kDec).hasBack);
  v.goToPage(1);
  for (int c : {kDec, kHex, kComment}) EXPECT_EQ(g.cellStyle(37, c).back, QColor(255, 0, 0)) << c;
  EXPECT_FALSE(g.cellStyle(37, bitCol(0)).hasBack);
  // The menu shows only on the value and comment columns.
  EXPECT_FALSE(v.preparePopup(g, std::pair{37, bitCol(0)}));
  EXPECT_FALSE(v.preparePopup(g, std::pair{37, 0}));
  EXPECT_TRUE(v.preparePopup(g, std::pair{37, kComment}));
  EXPECT_FALSE(v.findChild<QAction*>("popDec")->isEnabled());
}

}  // namespace
}  // namespace omb
