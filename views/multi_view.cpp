#include "views/multi_view.h"

#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <array>

#include "core/device_kind.h"
#include "ui/geometry.h"
#include "ui/window_place.h"
#include "views/bit_rows.h"
#include "views/cell_input.h"
#include "views/cell_style.h"
#include "views/flex_grid.h"
#include "views/view_manager.h"
#include "views/word_view.h"
#include "core/translate.h"

namespace omb {

namespace {

using namespace gridGeometry;

constexpr std::array<ViewFamily, 12> kMultiFamilies{{
    {kTN, kTN, "frmWT", QT_TRANSLATE_NOOP("ViewFamily", "タイマー（現在値）　ＴＮ"), "TN", 5, false},
    {kCN, kCN, "frmWC", QT_TRANSLATE_NOOP("ViewFamily", "カウンタ（現在値）　ＣＮ"), "CN", 5, false},
    {kD, kD, "frmWD", QT_TRANSLATE_NOOP("ViewFamily", "データレジスタＤ"), "D", 6, false},
    {kW, kW, "frmWW", QT_TRANSLATE_NOOP("ViewFamily", "リンクレジスタＷ"), "W", 6, true},
    {kR, kR, "frmWR", QT_TRANSLATE_NOOP("ViewFamily", "ファイルレジスタ　Ｒ"), "R", 6, false},
    {kX, kX, "frmBX", QT_TRANSLATE_NOOP("ViewFamily", "入力Ｘ"), "X", 6, true},
    {kY, kY, "frmBY", QT_TRANSLATE_NOOP("ViewFamily", "出力Ｙ"), "Y", 6, true},
    {kM, kM, "frmBM", QT_TRANSLATE_NOOP("ViewFamily", "内部リレーＭ"), "M", 6, false},
    {kL, kL, "frmBL", QT_TRANSLATE_NOOP("ViewFamily", "ラッチリレーＬ"), "L", 6, false},
    {kS, kS, "frmBS", QT_TRANSLATE_NOOP("ViewFamily", "ステップリレーＳ"), "S", 6, false},
    {kB, kB, "frmBB", QT_TRANSLATE_NOOP("ViewFamily", "リンクリレーＢ"), "B", 6, true},
    {kF, kF, "frmBF", QT_TRANSLATE_NOOP("ViewFamily", "アナンシェータＦ"), "F", 6, false},
}};

const QString kGridFont = QStringLiteral("ＭＳ ゴシック");
const QString kCommentFont = QStringLiteral("ＭＳＰ ゴシック");

// Bit windows: the grid's columns.
constexpr int kColBin = 1;
constexpr int kColBitComment = 2;

QString numberText(std::int64_t n, bool hex) {
  return hex ? QStringLiteral("&H") + QString::number(n, 16).toUpper() : QString::number(n);
}

}  // namespace

const ViewFamily* multiFamily(int kind) {
  for (const ViewFamily& f : kMultiFamilies)
    if (f.slot + 1 == kind) return &f;
  return nullptr;
}

// ---------------------------------------------------------------- common

MultiView::MultiView(ViewContext& ctx, const ViewFamily& family, int number, bool bits, int defaultWidthTwips,
                     int defaultHeightTwips)
    : GridView(ctx, family, defaultWidthTwips, defaultHeightTwips, ctx.mainWindow), number_(number), bits_(bits) {
  retitle();
  rows_ = ctx.settings.multiPageTable[static_cast<std::size_t>(family.slot)];
  if (rows_ < 2) rows_ = 16;
  offset_ = record().startOffset;
}

QString MultiView::baseCaption() const {
  return QCoreApplication::translate("ViewFamily", family_.caption) + QStringLiteral(" - ") + QString::number(number_);
}

MultiWindowRecord& MultiView::record() {
  auto& records = ctx_.state.multi.G_MultiView[static_cast<std::size_t>(kind())].records;
  if (records.size() < static_cast<std::size_t>(number_)) records.resize(static_cast<std::size_t>(number_));
  return records[static_cast<std::size_t>(number_ - 1)];
}

std::int64_t MultiView::firstNumber() const { return memory().firstNumber(family_.kind); }

std::int64_t MultiView::deviceCount() const {
  const auto words = static_cast<std::int64_t>(memory().size(family_.kind));
  return bits_ ? 16 * words : words;
}

void MultiView::load() {
  const std::string label = std::string(family_.form) + ".Form_Load() ";
  guarded(ctx_.errors, label.c_str(), [&](ErrorTrap&) {
    const MultiWindowRecord& r = record();
    if (r.top != 0) {
      setGeometry(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height));
    } else if (ctx_.multiCascade.has) {
      const Cascade& c = ctx_.multiCascade;
      setGeometry(placeOnScreen(QRect(twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.width),
                                      twipsToPixels(c.height)),
                                ctx_.mainWindow));
    } else {
      // Just below the main window, as far as the screen goes.
      const QRect main = ctx_.mainWindow ? ctx_.mainWindow->frameGeometry() : QRect();
      setGeometry(placeOnScreen(
          QRect(main.left(), main.top() + main.height(), twipsToPixels(defaultWidth_), twipsToPixels(defaultHeight_)),
          ctx_.mainWindow));
    }
    buildGrid();
    redrawAddresses();
    redrawValues();
  });
}

QPushButton* MultiView::makeAddressButton() {
  return cmdAddress_ = makeButton("cmdAddress", QCoreApplication::translate("MultiView", "表示アドレス"),
                                  QCoreApplication::translate("MultiView", "表示するアドレスを変更します"), [this] { cmdAddress_Click(); });
}

void MultiView::storeRecord() {
  if (isMinimized() || isMaximized()) return;
  const auto [top, left, width, height] = placeTwips();
  MultiWindowRecord& r = record();
  r.top = top;
  r.left = left;
  r.width = width;
  r.height = height;
  r.startOffset = static_cast<std::int32_t>(offset_);
}

void MultiView::moveEvent(QMoveEvent* event) {
  GridView::moveEvent(event);
  if (isVisible()) storeRecord();
}

void MultiView::resizeEvent(QResizeEvent* event) {
  GridView::resizeEvent(event);
  if (isVisible()) storeRecord();
}

void MultiView::windowClosing() {
  // A window closed while minimized or maximized keeps its slot.
  if (!isMinimized() && !isMaximized()) {
    storeRecord();
    record().number = 0;
  }
  ctx_.manager.multiViewClosed(this);
}

void MultiView::onReNew(const QString& code) {
  if (code == QLatin1String("SAVE")) {
    ctx_.state.multi.G_MultiView[static_cast<std::size_t>(kind())].open = true;
    storeRecord();
  } else if (addressesShow(code)) {
    redrawAddresses();
    redrawValues();
  } else if (code == QLatin1String("DATA")) {
    redrawValues();
  }
}

std::optional<std::int64_t> MultiView::fncStartAddress() {
  const char* label = bits_ ? "mdlSubBitDevice.fncStartAddressBit() " : "mdlSubWordDevice.fncStartAddressWord() ";
  return guarded<std::optional<std::int64_t>>(
      ctx_.errors, label, std::nullopt, [&](ErrorTrap&) -> std::optional<std::int64_t> {
        const QString text = QString::fromStdString(ctx_.presenter.dlgInput(
                                                        omb::trs("MultiView", "表示アドレス設定"), omb::trs("MultiView", "表示アドレス（数値部分）を入力してください"),
                                                        family_.hex ? "&H0" : "0"))
                                 .trimmed();
        if (text.isEmpty()) return std::nullopt;
        // The allowed starts: from the first device up to, not including,
        // the last one.
        const std::int64_t low = firstNumber(), high = firstNumber() + deviceCount() - 2;
        const std::string range = numberText(low, family_.hex).toStdString() + omb::trs("MultiView", "　～ ") +
                                  numberText(high, family_.hex).toStdString() +
                                  omb::trs("MultiView", " の範囲で、数値入力をやり直してください。");
        const bool hex = text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive);
        const QString digits = hex ? text.mid(2) : text;
        bool ok = !digits.isEmpty() && digits.size() <= 15;
        for (QChar c : digits) ok = ok && (hex ? c.isDigit() || QStringLiteral("abcdefABCDEF").contains(c) : c.isDigit());
        const std::int64_t n = ok ? digits.toLongLong(&ok, hex ? 16 : 10) : 0;
        if (!ok) {
          ctx_.presenter.dlgMsg(omb::trs("MultiView", "数値として認識できませんでした"), range, false);
          return std::nullopt;
        }
        if (n < low || n > high) {
          ctx_.presenter.dlgMsg(omb::trs("MultiView", "デバイス範囲外"), range, false);
          return std::nullopt;
        }
        return n - firstNumber();
      });
}

void MultiView::cmdAddress_Click() {
  if (const auto start = fncStartAddress()) showFrom(*start);
}

void MultiView::showFrom(std::int64_t offset) {
  offset_ = std::clamp<std::int64_t>(offset, 0, std::max<std::int64_t>(0, deviceCount() - 2));
  redrawAddresses();
  redrawValues();
  grid_->scrollToTop();
}

void MultiView::popSetValue_Click() {
  const int n = ctx_.manager.fncSetRow(rows_);
  if (n <= 1 || n > 32767) return;
  rows_ = n;
  // The next windows of the kind open with this many rows; the open ones
  // keep theirs until they are opened again.
  ctx_.settings.multiPageTable[static_cast<std::size_t>(family_.slot)] = static_cast<std::int16_t>(n);
  buildGrid();
  redrawAddresses();
  redrawValues();
}

// ---------------------------------------------------------------- word windows

FrmMultiWord::FrmMultiWord(ViewContext& ctx, int kind, int number)
    : MultiView(ctx, *multiFamily(kind), number, false, 5200, 4500) {
  grid_ = new FlexGrid(this);
  makeLive(grid_);
  grid_->setObjectName(QStringLiteral("fgrdWord"));
  attachPopup(grid_);
  connect(grid_, &FlexGrid::dblClicked, this, [this] {
    grid_->setCurrent(grid_->row(), grid_->col());
    cmdWordData_Click();
  });
  connect(grid_, &FlexGrid::keyPressed, this,
          [this](int key, const QString& text, Qt::KeyboardModifiers m) { gridKey(*grid_, key, text, m); });
  buildAllClear();
  cmdMoni_ = makeButton("cmdMoni", QCoreApplication::translate("MultiView", "登録"), QCoreApplication::translate("MultiView", "選択範囲をユーザー登録画面に登録します"),
                        [this] { cmdMoni_Click(); });
  cmdWordData_ = makeButton("cmdWordData", QStringLiteral("Word Data"), QCoreApplication::translate("MultiView", "選択範囲にデータを書き込みます"),
                            [this] { cmdWordData_Click(); });
  makeAddressButton();
  buildEditor();
  buildPopup({"popData", true, true, true});
  setMinimumSize(twipsToPixels(4300 - kFrameWidth), twipsToPixels(kMinHeight - kFrameHeight));
  load();
}

void FrmMultiWord::buildGrid() {
  mdlSubWordDevice::subFgrdSetW(ctx_.errors, {&grid_, 1}, rows_);
  layoutControls();
}

void FrmMultiWord::redrawAddresses() {
  guarded(ctx_.errors, "mdlSubWordDevice.subDspAddressW() ", [&](ErrorTrap&) {
    FlexGrid& g = *grid_;
    RedrawSuspended quiet(g);
    g.clearTexts();
    mdlSubWordDevice::setAddressColumnsW(g);
    // Rows are filled as they are first shown or used: a window of many
    // rows opens as fast as one of a screenful.
    g.setRowFiller([this](int r) {
      DeviceMemory& m = memory();
      const mdlSubWordDevice::WordDeviceRef dev{m, family_.kind, m.firstNumber(family_.kind), family_.code,
                                                family_.digits, family_.hex};
      mdlSubWordDevice::fillAddressRowW(*grid_, r, dev.first + offset_ + r - 1, dev, ctx_.comments);
      CellStyleIndex::applyOne(ctx_.state.cellStyles, *grid_, r);
    });
  });
}

void FrmMultiWord::cmdWordData_Click() {
  mdlSubWordDevice::subFgrdSerectDataW(ctx_, *grid_, [this] { raiseOwn("DATA"); });
  redrawValues();
}

void FrmMultiWord::cmdMoni_Click() {
  mdlSubWordDevice::subGfrdUserPutW(ctx_, *grid_, [this] { raiseOwn("ASGN"); });
}

void FrmMultiWord::layoutControls() {
  guarded(ctx_.errors, "mdlSubWordDevice.subWord_CmdBtnSetS() ", [&](ErrorTrap&) {
    const double height = std::max(layoutHeight(), double{kMinHeight});
    const double width = layoutWidth();
    const double gridWidth = std::max(0.0, width - 400);
    place(grid_, 100, 60, gridWidth, std::max(0.0, height - 1550));
    const double fixed = grid_->colWidthTwips(1) + grid_->colWidthTwips(2) + 1150;
    if (gridWidth > fixed) grid_->setColWidthTwips(3, static_cast<int>(gridWidth - fixed));
    double left = 100;
    for (const auto& [b, w] : std::array<std::pair<QPushButton*, int>, 4>{
             {{cmdAllClr_, 1000}, {cmdMoni_, 700}, {cmdWordData_, 1100}, {cmdAddress_, 1300}}}) {
      place(b, left, height - 1400, w, kButtonHeight);
      left += w;
    }
  });
}

// ---------------------------------------------------------------- bit windows

FrmMultiBit::FrmMultiBit(ViewContext& ctx, int kind, int number)
    : MultiView(ctx, *multiFamily(kind), number, true, 4600, 4500) {
  grid_ = new FlexGrid(this);
  makeLive(grid_);
  grid_->setObjectName(QStringLiteral("fgrdBit"));
  attachPopup(grid_);
  connect(grid_, &FlexGrid::dblClicked, this, [this] { subFgrdOnOffS(); });
  // The step relays' windows take no keys: no typing, no copy and paste.
  if (family_.kind != kS) {
    connect(grid_, &FlexGrid::keyPressed, this,
            [this](int key, const QString& text, Qt::KeyboardModifiers m) { gridKey(*grid_, key, text, m); });
    buildEditor();
  }
  cmdSet_ = makeButton("cmdSet", QStringLiteral("SET"), QCoreApplication::translate("MultiView", "選択範囲を１にセットします"),
                       [this] { subFgrdSerectOnOffS(BitOp::Set); });
  cmdReset_ = makeButton("cmdReset", QStringLiteral("RESET"), QCoreApplication::translate("MultiView", "選択範囲を０リセットします"),
                         [this] { subFgrdSerectOnOffS(BitOp::Reset); });
  cmdNot_ = makeButton("cmdNot", QStringLiteral("NOT"), QCoreApplication::translate("MultiView", "選択範囲をビット反転します"),
                       [this] { subFgrdSerectOnOffS(BitOp::Not); });
  cmdMoni_ = makeButton("cmdMoni", QCoreApplication::translate("MultiView", "登録"), QCoreApplication::translate("MultiView", "選択範囲をユーザー登録画面に登録します"),
                        [this] { subGfrdUserPutS(); });
  makeAddressButton();
  buildPopup({"popSet", true, false, false});
  setMinimumSize(twipsToPixels(4200 - kFrameWidth), twipsToPixels(kMinHeight - kFrameHeight));
  load();
}

void FrmMultiBit::buildGrid() {
  guarded(ctx_.errors, "mdlSubBitDevice.subFgrdSetBs() ", [&](ErrorTrap&) {
    FlexGrid& g = *grid_;
    RedrawSuspended quiet(g);
    g.setFont(QFont(kGridFont, 9));
    g.setCols(3);  // columns first: a long grid is then sized once
    g.setRows(rows_ + 1);
    g.setColumn(0, ColumnMode::Address, columnHeading(ColumnMode::Address));
    g.setColumn(kColBin, ColumnMode::Bit, QStringLiteral("Bin"));
    g.setColumn(kColBitComment, ColumnMode::Comment, columnHeading(ColumnMode::Comment));
    g.setColWidthTwips(0, 900);
    g.setColWidthTwips(kColBin, 400);
    g.setColWidthTwips(kColBitComment, 2000);
    g.setColAlignment(kColBin, Qt::AlignCenter);
    g.setColAlignment(kColBitComment, Qt::AlignLeft | Qt::AlignVCenter);
    g.setColFont(kColBitComment, QFont(kCommentFont, 9));
    for (int c = 0; c < 3; ++c) g.setFixedAlignment(c, Qt::AlignCenter);
    // "Bin" and the comment keep the first two column styles of an address.
    g.setStyleSlot(kColBin, 0);
    g.setStyleSlot(kColBitComment, 1);
  });
  layoutControls();
}

void FrmMultiBit::redrawAddresses() {
  guarded(ctx_.errors, "mdlSubBitDevice.subDspAddressBs() ", [&](ErrorTrap&) {
    FlexGrid& g = *grid_;
    RedrawSuspended quiet(g);
    g.clearTexts();
    g.setColumn(0, ColumnMode::Address, columnHeading(ColumnMode::Address));
    g.setColumn(kColBin, ColumnMode::Bit, QStringLiteral("Bin"));
    g.setColumn(kColBitComment, ColumnMode::Comment, columnHeading(ColumnMode::Comment));
    // Rows are filled as they are first shown or used.
    g.setRowFiller([this](int r) {
      FlexGrid& g = *grid_;
      const std::int64_t index = offset_ + r - 1, first = firstNumber();
      if (index >= deviceCount()) return;  // past the device end the row stays empty
      const QString text = mdlSubWordDevice::fncAddressTextW(family_.code, first + index, family_.digits, family_.hex);
      g.setRowDevice(r, RowDevice{family_.kind, index / 16, family_.code, text, static_cast<int>(index % 16)});
      g.setTextMatrix(r, 0, text);
      CellStyleIndex::applyOne(ctx_.state.cellStyles, g, r);
      g.setTextMatrix(r, kColBitComment,
                      QString::fromStdString(ctx_.comments.fncDeviceComment(family_.code, first + index)));
    });
  });
}

QString FrmMultiBit::bitText(const FlexGrid&, bool on) const {
  return on ? QStringLiteral("●") : QStringLiteral("○");
}

bool FrmMultiBit::popupOn(const FlexGrid& g, int col) const {
  return g.columnMode(col) == ColumnMode::Bit || g.columnMode(col) == ColumnMode::Comment;
}

void FrmMultiBit::subFgrdSerectOnOffS(BitOp op) {
  guarded(ctx_.errors, "mdlSubBitDevice.subFgrdSerectOnOffS() ", [&](ErrorTrap&) {
    FlexGrid& g = *grid_;
    if (op != BitOp::Not && !g.rowDevice(g.row())) {
      ctx_.presenter.dlgMsg(op == BitOp::Set ? omb::trs("MultiView", "選択デバイスのビットセット") : omb::trs("MultiView", "選択デバイスのビットリセット"),
                            omb::trs("MultiView", "選択範囲に、デバイスが登録されていません。"), false);
      return;
    }
    bitRows::applyToRowBits(memory(), g, op);
    raiseOwn("DATA");
    redrawValues();
  });
}

void FrmMultiBit::subFgrdOnOffS() {
  guarded(ctx_.errors, "mdlSubBitDevice.subFgrdOnOffS() ", [&](ErrorTrap&) {
    const RowDevice* d = grid_->rowDevice(grid_->row());
    if (!d) return;
    memory().toggleBit(d->kind, d->word, d->bit);
    raiseOwn("DATA");
    redrawValues();
  });
}

void FrmMultiBit::bitKey(FlexGrid&, DirectAction action) {
  switch (action) {
    case DirectAction::Set: subFgrdSerectOnOffS(BitOp::Set); break;
    case DirectAction::Reset: subFgrdSerectOnOffS(BitOp::Reset); break;
    case DirectAction::Not: subFgrdSerectOnOffS(BitOp::Not); break;
    default: break;
  }
}

void FrmMultiBit::subGfrdUserPutS() {
  guarded(ctx_.errors, "mdlSubBitDevice.subGfrdUserPutS() ", [&](ErrorTrap&) {
    setSkip();
    SystemState& state = ctx_.state;
    const std::int64_t first = firstNumber();
    for (int r = grid_->topRow(); r <= grid_->bottomRow(); ++r) {
      const RowDevice* d = grid_->rowDevice(r);
      if (!d) continue;
      const std::string text = d->text.toStdString();
      if (state.fncCheck_UserDevice_B(text)) continue;
      const std::int64_t number = first + 16 * d->word + d->bit;
      state.userBitList.add({family_.code, text, ctx_.comments.fncDeviceComment(family_.code, number),
                                          static_cast<std::int32_t>(number)});
    }
    raiseOwn("ASGN");
  });
}

void FrmMultiBit::layoutControls() {
  guarded(ctx_.errors, "mdlSubBitDevice.subBit_CmdBtnSetS() ", [&](ErrorTrap&) {
    const double height = std::max(layoutHeight(), double{kMinHeight});
    const double width = layoutWidth();
    const double gridWidth = std::max(0.0, width - 550);
    place(grid_, 100, 60, gridWidth, std::max(0.0, height - 1550));
    const double fixed = grid_->colWidthTwips(kColBin) + 1250;
    if (gridWidth > fixed)
      grid_->setColWidthTwips(kColBitComment, static_cast<int>(gridWidth - grid_->colWidthTwips(kColBin) - 1260));
    double left = 100;
    for (const auto& [b, w] : std::array<std::pair<QPushButton*, int>, 5>{
             {{cmdSet_, 700}, {cmdReset_, 750}, {cmdNot_, 650}, {cmdMoni_, 650}, {cmdAddress_, 1300}}}) {
      place(b, left, height - 1400, w, kButtonHeight);
      left += w;
    }
  });
}

}  // namespace omb
