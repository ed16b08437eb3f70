#include "views/bit_grid_view.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <array>

#include "ui/geometry.h"
#include "views/flex_grid.h"

namespace omb {

namespace {

using namespace gridGeometry;
constexpr int kGridLeft = 120;
constexpr int kGridTop = 60;
constexpr int kPageLabelHeight = 300;
constexpr int kPrevNextWidth = 800;

// The eight buttons in their fixed horizontal places: the bit operations,
// then the word operations, then paging.
struct ButtonPlace {
  int left, width;
};
constexpr ButtonPlace kSetPlace{120, 750}, kResetPlace{870, 750}, kNotPlace{1620, 750};
constexpr ButtonPlace kMoniPlace{2470, 750}, kWordDataPlace{3220, kWordDataWidth};
constexpr ButtonPlace kAllClrPlace{4420, 1100};
constexpr ButtonPlace kPrevPlace{5620, kPrevNextWidth}, kNextPlace{6420, kPrevNextWidth};

const QString kGridFont = QStringLiteral("ＭＳ ゴシック");

}  // namespace

BitGridView::BitGridView(ViewContext& ctx, const ViewFamily& family, int defaultRows, QWidget* parent,
                         int defaultWidthTwips)
    : GridView(ctx, family, defaultWidthTwips, 4950, parent ? parent : ctx.mainWindow) {
  rowsPerPage_ = ctx.station->pages[static_cast<std::size_t>(family.slot)].perPage;
  if (rowsPerPage_ < 1) rowsPerPage_ = defaultRows;

  fgrdBit_ = new FlexGrid(this);
  fgrdBit_->setObjectName(QStringLiteral("fgrdBit"));
  makeLive(fgrdBit_);
  connect(fgrdBit_, &FlexGrid::dblClicked, this, [this] { onDoubleClick(); });
  connect(fgrdBit_, &FlexGrid::clicked, this, [this] { showTip(); });
  connect(fgrdBit_, &FlexGrid::selChange, this, [this] { showTip(); });
  connect(fgrdBit_, &FlexGrid::lostFocus, this, [this] { fgrdBit_->setToolTip(QString()); });
  connect(fgrdBit_, &FlexGrid::keyPressed, this,
          [this](int key, const QString& text, Qt::KeyboardModifiers m) { gridKey(*fgrdBit_, key, text, m); });

  cmdSet_ = makeButton("cmdSet", QStringLiteral("SET"), QCoreApplication::translate("BitGridView", "選択範囲を１にセットします"),
                       [this] { cmdSet_Click(); });
  cmdReset_ = makeButton("cmdReset", QStringLiteral("RESET"), QCoreApplication::translate("BitGridView", "選択範囲を０リセットします"),
                         [this] { cmdReset_Click(); });
  cmdNot_ = makeButton("cmdNot", QStringLiteral("NOT"), QCoreApplication::translate("BitGridView", "選択範囲をビット反転します"),
                       [this] { cmdNot_Click(); });
  cmdMoni_ = makeButton("cmdMoni", QCoreApplication::translate("BitGridView", "登録"), QCoreApplication::translate("BitGridView", "選択範囲をユーザー登録画面に登録します"),
                        [this] { cmdMoni_Click(); });
  cmdWordData_ = makeButton("cmdWordData", QStringLiteral("Word Data"), QCoreApplication::translate("BitGridView", "選択範囲にデータを書き込みます"),
                            [this] { cmdWordData_Click(); });
  buildPaging();
  buildEditor();

  setMinimumSize(twipsToPixels(kWordDataWidth + 2 * kPrevNextWidth + 700 - kFrameWidth),
                 twipsToPixels(kMinHeight - kFrameHeight));
}

const std::vector<std::int16_t>& BitGridView::words() const { return memory().words(family_.kind); }

std::int64_t BitGridView::rowWord(int row) const {
  return static_cast<std::int64_t>(page_) * rowsPerPage_ + (row - 1);
}

void BitGridView::buildBitColumns(int cols, int gridWidthTwips) {
  FlexGrid& g = *fgrdBit_;
  g.setFont(QFont(kGridFont, 9));
  g.setCols(cols);
  g.setRows(rowsPerPage_ + 1);
  g.resize(twipsToPixels(gridWidthTwips), twipsToPixels(3900));
  g.setColumn(0, ColumnMode::Address, columnHeading(ColumnMode::Address));
  g.setColWidthTwips(0, 780);
  const QColor light = palette().color(QPalette::HighlightedText);
  const QColor grey(0xF7, 0xF7, 0xF7);
  for (int c = kColFirstBit; c <= kColLastBit; ++c) {
    g.setColumn(c, ColumnMode::Bit, QString::number(bitRows::bitOf(c), 16).toUpper());
    g.setColWidthTwips(c, 280);
    g.setColAlignment(c, Qt::AlignCenter);
    // Groups of four bits alternate light and grey, so a nibble reads at a
    // glance.
    g.setColBackground(c, ((c - 1) / 4) % 2 == 0 ? light : grey);
  }
  for (int c = 0; c < cols; ++c) g.setFixedAlignment(c, Qt::AlignCenter);
}

void BitGridView::subFgrdSerectOnOff(BitOp op) {
  guarded(ctx_.errors, onOffLabel(), [&](ErrorTrap& trap) {
    trap.section(20);
    if (!bitRows::apply(memory(), *fgrdBit_, op)) return;
    trap.section(30);
    raiseOwn("DATA");
    redrawValues();
  });
}

void BitGridView::bitKey(FlexGrid&, DirectAction action) {
  switch (action) {
    case DirectAction::Set: cmdSet_Click(); break;
    case DirectAction::Reset: cmdReset_Click(); break;
    case DirectAction::Not: cmdNot_Click(); break;
    default: break;
  }
}

void BitGridView::layoutControls() {
  guarded(ctx_.errors, "mdlSubBitDevice.subBit_CmdBtnSet() ", [&](ErrorTrap&) {
    const double height = layoutHeight();
    const double width = layoutWidth();
    place(fgrdBit_, kGridLeft, kGridTop, std::max(0.0, width - 550), std::max(0.0, height - 1550));
    const std::array<std::pair<QPushButton*, ButtonPlace>, 8> buttons{{
        {cmdSet_, kSetPlace},
        {cmdReset_, kResetPlace},
        {cmdNot_, kNotPlace},
        {cmdMoni_, kMoniPlace},
        {cmdWordData_, kWordDataPlace},
        {cmdAllClr_, kAllClrPlace},
        {cmdPrev_, kPrevPlace},
        {cmdNext_, kNextPlace},
    }};
    for (const auto& [b, at] : buttons) place(b, at.left, height - 1300, at.width, kButtonHeight);
    place(lblPage_, width / 2 - kPageLabelWidth, height - 900, kPageLabelWidth, kPageLabelHeight);
  });
}

}  // namespace omb
