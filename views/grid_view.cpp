#include "views/grid_view.h"

#include <QCoreApplication>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>

#include <array>

#include "core/device_kind.h"
#include "core/numeric.h"
#include "ui/geometry.h"
#include "views/bit_rows.h"
#include "views/cell_style.h"
#include "views/word_view.h"
#include "core/translate.h"

namespace omb {

namespace {

constexpr std::array<ViewFamily, 22> kFamilies{{
    {kTN, kTN, "frmWordDeviceTN", QT_TRANSLATE_NOOP("ViewFamily", "タイマー（現在値）　ＴＮ"), "TN", 5, false},
    {kCN, kCN, "frmWordDeviceCN", QT_TRANSLATE_NOOP("ViewFamily", "カウンタ（現在値）　ＣＮ"), "CN", 5, false},
    {kD, kD, "frmWordDeviceD", QT_TRANSLATE_NOOP("ViewFamily", "データレジスタＤ"), "D", 6, false},
    {kW, kW, "frmWordDeviceW", QT_TRANSLATE_NOOP("ViewFamily", "リンクレジスタ　Ｗ"), "W", 6, true},
    {kR, kR, "frmWordDeviceR", QT_TRANSLATE_NOOP("ViewFamily", "ファイルレジスタ　Ｒ"), "R", 6, false},
    {kDx, kDx, "frmWordDeviceDX", QT_TRANSLATE_NOOP("ViewFamily", "特殊レジスタ　D"), "D", 6, false},
    {kX, kX, "frmBitDeviceX", QT_TRANSLATE_NOOP("ViewFamily", "入力　Ｘ"), "X", 6, true},
    {kY, kY, "frmBitDeviceY", QT_TRANSLATE_NOOP("ViewFamily", "出力　Ｙ"), "Y", 6, true},
    {kM, kM, "frmBitDeviceM", QT_TRANSLATE_NOOP("ViewFamily", "内部リレーＭ"), "M", 6, false},
    {kL, kL, "frmBitDeviceL", QT_TRANSLATE_NOOP("ViewFamily", "ラッチリレー　Ｌ"), "L", 6, false},
    {kS, kS, "frmBitDeviceS", QT_TRANSLATE_NOOP("ViewFamily", "ステップリレー　Ｓ"), "S", 6, false},
    {kB, kB, "frmBitDeviceB", QT_TRANSLATE_NOOP("ViewFamily", "リンクリレーＢ"), "B", 6, true},
    {kF, kF, "frmBitDeviceF", QT_TRANSLATE_NOOP("ViewFamily", "アナンシェータ　Ｆ"), "F", 6, false},
    {kMx, kMx, "frmBitDeviceMX", QT_TRANSLATE_NOOP("ViewFamily", "特殊リレー　Ｍ"), "M", 6, false},
    {kTS, kTS, "frmBitDeviceTS", QT_TRANSLATE_NOOP("ViewFamily", "タイマー（接点）　ＴＳ"), "TS", 5, false},
    {kTC, kTC, "frmBitDeviceTC", QT_TRANSLATE_NOOP("ViewFamily", "タイマー（コイル）　ＴＣ"), "TC", 5, false},
    {kCS, kCS, "frmBitDeviceCS", QT_TRANSLATE_NOOP("ViewFamily", "カウンタ（接点）　ＣＳ"), "CS", 5, false},
    {kCC, kCC, "frmBitDeviceCC", QT_TRANSLATE_NOOP("ViewFamily", "カウンタ（コイル）　ＣＣ"), "CC", 5, false},
    {20, kD, "frmWordDeviceBitD", QT_TRANSLATE_NOOP("ViewFamily", "データレジスタ Ｄ"), "D", 6, false},
    {21, kW, "frmWordDeviceBitW", QT_TRANSLATE_NOOP("ViewFamily", "リンクレジスタ　W"), "W", 6, true},
    {22, kR, "frmWordDeviceBitR", QT_TRANSLATE_NOOP("ViewFamily", "ファイルレジスタ R"), "R", 6, false},
    {23, kDx, "frmWordDeviceBitDx", QT_TRANSLATE_NOOP("ViewFamily", "特殊データレジスタ Ｄ"), "D", 6, false},
}};

}  // namespace

const ViewFamily& viewFamily(int slot) {
  return kFamilies.at(static_cast<std::size_t>(slot < 18 ? slot : slot - 2));
}

void writeSeries(DeviceMemory& memory, int kind, int topRow, int bottomRow,
                 const std::function<std::optional<std::int64_t>(int row)>& indexOfRow, std::int16_t start,
                 std::int32_t step) {
  std::int64_t next = start;
  for (int r = topRow; r <= bottomRow; ++r) {
    const std::optional<std::int64_t> index = indexOfRow(r);
    if (!index) break;
    memory.write(kind, *index, static_cast<std::int16_t>(next));
    next += step;
    if (next < -32768 || next > 32767) throw RuntimeError(kErrOverflow);
  }
}

GridView::GridView(ViewContext& ctx, const ViewFamily& family, int defaultWidthTwips, int defaultHeightTwips,
                   QWidget* parent)
    : DeviceView(ctx, family.slot, defaultWidthTwips, defaultHeightTwips, parent),
      family_(family),
      settingsOn_(ctx.settings.Hi.empty() ? QStringLiteral("1") : QString::fromStdString(ctx.settings.Hi)),
      settingsOff_(ctx.settings.Lo.empty() ? QStringLiteral("0") : QString::fromStdString(ctx.settings.Lo)) {
  setObjectName(QString::fromUtf8(family_.form));
  retitle();
}

QString GridView::baseCaption() const { return QCoreApplication::translate("ViewFamily", family_.caption); }

void GridView::retitle() { setWindowTitle(ctx_.captionOf(baseCaption())); }

void GridView::buildEditor() {
  txtInput_ = new CellEditor(ctx_.errors, this);
  txtInput_->setObjectName(QStringLiteral("txtInput"));
  txtInput_->hide();
  connect(txtInput_, &CellEditor::committed, this, [this](int row, int col, const QString& text) {
    if (FlexGrid* g = txtInput_->grid()) subCellEditWrite(ctx_.errors, *g, row, col, text, sink(*g));
  });
  // Enter on an empty editor deletes the comment of a comment cell; in a
  // value cell it writes nothing.
  connect(txtInput_, &CellEditor::committedEmpty, this, [this](int, int col) {
    FlexGrid* g = txtInput_->grid();
    if (g && g->columnMode(col) == ColumnMode::Comment) subCellCommentDelete(ctx_, *g, col, commentRaiser());
  });
}

RaiseComment GridView::commentRaiser() {
  return [this](const std::string& code) {
    setSkip();
    ctx_.renew(code, "CMNT", this);
  };
}

DeviceMemory& GridView::memory() const { return ctx_.memory(); }

QPushButton* GridView::makeButton(const char* name, const QString& text, const QString& tip,
                                  std::function<void()> click) {
  auto* b = new QPushButton(text, this);
  b->setObjectName(QString::fromUtf8(name));
  b->setToolTip(tip);
  b->setAutoDefault(false);
  connect(b, &QPushButton::clicked, this, [click = std::move(click)] { click(); });
  return b;
}

void GridView::buildAllClear() {
  cmdAllClr_ = makeButton("cmdAllClr", QStringLiteral("ALL Clear"), QCoreApplication::translate("GridView", "全ての数値を０クリアします"),
                          [this] { cmdAllClr_Click(); });
}

void GridView::buildPaging() {
  buildAllClear();
  cmdPrev_ = makeButton("cmdPrev", QStringLiteral("Prev"), QCoreApplication::translate("GridView", "前ページ表示"), [this] { cmdPrev_Click(); });
  cmdNext_ = makeButton("cmdNext", QStringLiteral("Next"), QCoreApplication::translate("GridView", "次ページ表示"), [this] { cmdNext_Click(); });
  lblPage_ = new QLabel(this);
  lblPage_->setObjectName(QStringLiteral("lblPage"));
  lblPage_->setAlignment(Qt::AlignCenter);
}

void GridView::buildPopup(const PopupSpec& spec) {
  popup_ = new QMenu(this);
  popup_->setObjectName(QString::fromUtf8(spec.name));
  auto item = [this](QAction*& a, const char* name, const QString& text) {
    a = popup_->addAction(text);
    a->setObjectName(QString::fromUtf8(name));
  };
  if (spec.setValue) {
    item(popSetValue_, "popSetValue", QCoreApplication::translate("GridView", "デバイス数設定"));
    connect(popSetValue_, &QAction::triggered, this, [this] { setValueChosen(); });
    popup_->addSeparator();
  }
  if (spec.modes) {
    item(popDec_, "popDec", columnHeading(ColumnMode::Dec));
    item(popHex_, "popHex", columnHeading(ColumnMode::Hex));
    item(popAsc_, "popAsc", columnHeading(ColumnMode::Ascii));
    connect(popDec_, &QAction::triggered, this, [this] { setColumnMode(ColumnMode::Dec); });
    connect(popHex_, &QAction::triggered, this, [this] { setColumnMode(ColumnMode::Hex); });
    connect(popAsc_, &QAction::triggered, this, [this] { setColumnMode(ColumnMode::Ascii); });
    popup_->addSeparator();
  }
  if (!spec.cellItems) return;
  item(popCelColor_, "popCelColor", spec.longCaptions ? QCoreApplication::translate("GridView", "セル色を設定") : QCoreApplication::translate("GridView", "セル色設定"));
  item(popFontSet_, "popFontSet", QCoreApplication::translate("GridView", "フォント設定"));
  popup_->addSeparator();
  item(popInputCome_, "popInputCome",
       spec.longCaptions ? QCoreApplication::translate("GridView", "デバイスコメント入力") : QCoreApplication::translate("GridView", "コメント入力"));
  item(popDeleteCome_, "popDeleteCome",
       spec.longCaptions ? QCoreApplication::translate("GridView", "デバイスコメント消去") : QCoreApplication::translate("GridView", "コメント消去"));
  // The comment operations work on the grid's comment column.
  auto commentCol = [this] {
    for (int c = 1; c < popupGrid_->cols(); ++c)
      if (popupGrid_->columnMode(c) == ColumnMode::Comment) return c;
    return -1;
  };
  connect(popCelColor_, &QAction::triggered, this, [this] {
    if (popupGrid_) subCelColor(ctx_, *popupGrid_, commentRaiser());
  });
  connect(popFontSet_, &QAction::triggered, this, [this] {
    if (popupGrid_) subCelFont(ctx_, *popupGrid_, commentRaiser());
  });
  connect(popInputCome_, &QAction::triggered, this, [this, commentCol] {
    if (popupGrid_ && commentCol() > 0) subCommentInput(ctx_, *popupGrid_, commentCol(), commentRaiser());
  });
  connect(popDeleteCome_, &QAction::triggered, this, [this, commentCol] {
    if (popupGrid_ && commentCol() > 0) subCommentErase(ctx_, *popupGrid_, commentCol(), commentRaiser());
  });
}

void GridView::attachPopup(FlexGrid* g) {
  g->setContextMenuPolicy(Qt::CustomContextMenu);
  // A right click first makes the cell under the mouse current (inside a
  // selection the selection stays), so the menu acts on that cell.
  connect(g, &QWidget::customContextMenuRequested, this, [this, g](const QPoint& pos) {
    const auto cell = g->cellAt(pos);
    if (cell && !g->inSelection(cell->first, cell->second)) g->setCurrent(cell->first, cell->second);
    if (preparePopup(*g, cell)) popup_->popup(g->viewport()->mapToGlobal(pos));
  });
}

bool GridView::popupOn(const FlexGrid& g, int col) const {
  const ColumnMode m = g.columnMode(col);
  return m == ColumnMode::Dec || m == ColumnMode::Hex || m == ColumnMode::Ascii || m == ColumnMode::Comment;
}

bool GridView::preparePopup(FlexGrid& g, std::optional<std::pair<int, int>> clicked) {
  popupGrid_ = &g;
  popupRow_ = clicked ? clicked->first : g.row();
  popupCol_ = clicked ? clicked->second : g.col();
  if (!popup_ || !popupOn(g, popupCol_)) return false;
  const ColumnMode m = g.columnMode(popupCol_);
  const bool valueColumn = m == ColumnMode::Dec || m == ColumnMode::Hex || m == ColumnMode::Ascii;
  for (QAction* a : {popDec_, popHex_, popAsc_})
    if (a) a->setEnabled(valueColumn);
  // Comments are not edited while a PC program may be talking, where the
  // window says so.
  const bool locked = commentsFollowPort() && ctx_.portOpen && ctx_.portOpen();
  for (QAction* a : {popInputCome_, popDeleteCome_})
    if (a) a->setEnabled(!locked);
  return true;
}

void GridView::setColumnMode(ColumnMode mode) {
  if (!popupGrid_) return;
  const ColumnMode m = popupGrid_->columnMode(popupCol_);
  if (m != ColumnMode::Dec && m != ColumnMode::Hex && m != ColumnMode::Ascii) return;
  popupGrid_->setColumn(popupCol_, mode, columnHeading(mode));
  redrawValues();
}

void GridView::showPageLabel() {
  if (!lblPage_) return;
  lblPage_->setText(QStringLiteral("%1/%2").arg(page_ + 1).arg(lastPage_ + 1)); }

void GridView::raiseOwn(const char* code) {
  setSkip();
  ctx_.renew(family_.code, code, this);
}

CellSink GridView::sink(FlexGrid& grid) {
  CellSink s;
  s.readRowWord = [this, &grid](int row) -> std::int16_t {
    const RowDevice* d = grid.rowDevice(row);
    return d && d->bit < 0 ? memory().words(d->kind)[static_cast<std::size_t>(d->word)] : std::int16_t{0};
  };
  s.writeWord = [this](const RowDevice& d, std::int16_t value) {
    if (d.bit < 0) memory().write(d.kind, d.word, value);
  };
  s.renew = [this](const std::string& device, const std::string& code) { ctx_.renew(device, code, this); };
  s.refuse = [this](const std::string& why) { ctx_.presenter.dlgMsg(omb::trs("GridView", "入力エラー"), why, false); };
  s.addComment = [this](const QString& line) { ctx_.comments.subAdd_Comment(line.toStdString()); };
  return s;
}

void GridView::paste(FlexGrid& grid) { subFgrid_Past(ctx_.errors, grid, ctx_.copyBuffer, sink(grid)); }

void GridView::gridKey(FlexGrid& grid, int key, const QString& text, Qt::KeyboardModifiers modifiers) {
  const QString typed = typedKey(key, text, modifiers);
  if (typed.isEmpty()) return;
  if (typed == QLatin1String("\x03")) subFgrid_Copy(ctx_.errors, grid, ctx_.copyBuffer, sink(grid));
  if (typed == QLatin1String("\x16")) {
    paste(grid);
    redrawValues();
  }
  if (grid.row() < 1) return;
  const DirectInput in = fncInput_Direct(ctx_.errors, grid, typed);
  switch (in.action) {
    case DirectAction::Set:
    case DirectAction::Reset:
    case DirectAction::Not: bitKey(grid, in.action); break;
    case DirectAction::OpenEditor:
      // A row past the device end takes no input.
      if (grid.rowDevice(grid.row())) subShowCellEditor(ctx_.errors, grid, *txtInput_, in);
      break;
    case DirectAction::None: break;
  }
}

void GridView::resizeEvent(QResizeEvent* event) {
  DeviceView::resizeEvent(event);
  if (!isMinimized()) layoutControls();
}

double GridView::layoutWidth() const { return pixelsToTwips(width()) + gridGeometry::kFrameWidth; }
double GridView::layoutHeight() const { return pixelsToTwips(height()) + gridGeometry::kFrameHeight; }

void GridView::place(QWidget* w, double left, double top, double width, double height) {
  w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

void GridView::redrawPage() {
  showPageLabel();
  redrawAddresses();
  redrawValues();
  // A new page is read from its first row: a panel left scrolled down
  // would hide the page's first devices.
  for (FlexGrid* g : grids()) g->scrollToTop();
}

void GridView::redrawValues() {
  ++valueRedraws_;
  for (FlexGrid* g : grids()) g->refreshValues();
}

void GridView::onChanged(const ChangeSet& changes) {
  ++valueRedraws_;
  for (FlexGrid* g : grids()) g->markChanged(changes);
}

void GridView::flushMarked() {
  for (FlexGrid* g : grids()) g->flushMarked();
}

void GridView::makeLive(FlexGrid* grid) {
  grid->setLiveText([this, grid](const RowDevice& row, int col) { return liveText(*grid, row, col); });
}

std::optional<QString> GridView::liveText(const FlexGrid& grid, const RowDevice& row, int col) const {
  const ColumnMode mode = grid.columnMode(col);
  if (mode != ColumnMode::Dec && mode != ColumnMode::Hex && mode != ColumnMode::Ascii && mode != ColumnMode::Bit)
    return std::nullopt;
  const DeviceMemory& m = memory();
  if (row.kind < 0 || row.kind >= kKindCount || row.word < 0 || static_cast<std::size_t>(row.word) >= m.size(row.kind))
    return QString();
  const std::int16_t word = m.words(row.kind)[static_cast<std::size_t>(row.word)];
  if (mode != ColumnMode::Bit) return fncWordText(word, mode);
  const int bit = row.bit >= 0 ? row.bit : bitRows::bitOf(col);
  if (bit < 0 || bit > 15) return QString();
  return bitText(grid, wordBit(word, bit));
}

void GridView::onReNew(const QString& code) {
  if (addressesShow(code)) redrawAddresses();
  redrawValues();
}

void GridView::cmdAllClr_Click() {
  mdlSubWordDevice::subAllSet(ctx_, family_.kind, 0, 0, [this] { raiseOwn("DATA"); });
  redrawValues();
}

void GridView::cmdPrev_Click() {
  if (page_ > 0) goToPage(page_ - 1);
}

void GridView::cmdNext_Click() {
  if (page_ < lastPage_) goToPage(page_ + 1);
}

}  // namespace omb
