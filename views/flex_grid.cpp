#include "views/flex_grid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>

#include "ui/geometry.h"

namespace omb {

// Grid row r (r >= 1) is table row r - 1; grid row 0 is the horizontal
// header.  Grid column c is table column c.
//
// Every cell owns one item for the grid's whole life (created when the size
// changes), so a redraw only changes texts and never allocates.
class FlexGrid::Item : public QTableWidgetItem {
 public:
  Item() : QTableWidgetItem(QTableWidgetItem::UserType) {}
  bool styledBack = false, styledFore = false, styledFont = false;
};

namespace {

constexpr Qt::Alignment kDefaultCellAlign = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kDefaultHeaderAlign = Qt::AlignCenter;

Qt::Alignment withVertical(Qt::Alignment a) {
  if (!(a & Qt::AlignVertical_Mask)) a |= Qt::AlignVCenter;
  return a;
}

// Draws a cell the plain way a grid does: background, clipped text, focus
// frame.  The general delegate lays every cell out for icons, check boxes
// and elision, which costs several times more per cell than a full page
// of this grid may take.
class CellPainter : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    const QRect r = opt.rect;
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette& pal = opt.palette;
    if (selected) {
      p->fillRect(r, pal.brush(QPalette::Active, QPalette::Highlight));
    } else {
      const QVariant back = index.data(Qt::BackgroundRole);
      if (back.isValid()) p->fillRect(r, back.value<QBrush>());
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
      const QVariant font = index.data(Qt::FontRole);
      const QVariant fore = index.data(Qt::ForegroundRole);
      p->save();
      if (font.isValid()) p->setFont(font.value<QFont>());
      if (selected) p->setPen(pal.color(QPalette::Active, QPalette::HighlightedText));
      else if (fore.isValid()) p->setPen(fore.value<QBrush>().color());
      else p->setPen(pal.color(QPalette::Active, QPalette::Text));
      const QRect textRect = r.adjusted(2, 0, -2, 0);
      p->setClipRect(r);
      const QVariant align = index.data(Qt::TextAlignmentRole);
      const int flags = align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
      p->drawText(textRect, flags | Qt::TextSingleLine, text);
      p->restore();
    }
    if (opt.state & QStyle::State_HasFocus) {
      QPen pen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Active, QPalette::Text));
      pen.setStyle(Qt::DotLine);
      p->save();
      p->setPen(pen);
      p->drawRect(r.adjusted(0, 0, -1, -1));
      p->restore();
    }
  }
};

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent) {
  setItemDelegate(new CellPainter(this));
  verticalHeader()->hide();
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setDefaultAlignment(kDefaultHeaderAlign);
  horizontalHeader()->setMinimumSectionSize(4);
  horizontalHeader()->viewport()->installEventFilter(this);

  // The fixed column's cells are disabled so that neither mouse nor
  // keyboard lands on them; their text keeps the normal colour.
  QPalette pal = palette();
  pal.setColor(QPalette::Disabled, QPalette::Text, pal.color(QPalette::Active, QPalette::Text));
  setPalette(pal);
  fixedBack_ = pal.color(QPalette::Active, QPalette::Button);

  // A header press selects the column's data cells; the fixed column's
  // header selects nothing.
  disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, nullptr);
  disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, nullptr);
  connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int c) { headerPressed(c); });

  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { syncSelection(); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { syncSelection(); });

  // Column 0 stays in view: the same cells in a view of their own, over
  // the left edge, scrolled with the rows.
  frozen_ = new QTableView(this);
  frozen_->setModel(model());
  frozen_->setSelectionModel(selectionModel());
  frozen_->setItemDelegate(itemDelegate());
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->verticalHeader()->hide();
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->horizontalHeader()->setDefaultAlignment(kDefaultHeaderAlign);
  frozen_->horizontalHeader()->setHighlightSections(false);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollMode(verticalScrollMode());
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->setWordWrap(false);
  frozen_->setPalette(palette());
  frozen_->viewport()->installEventFilter(this);
  frozen_->horizontalHeader()->viewport()->installEventFilter(this);
  viewport()->stackUnder(frozen_);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(), &QAbstractSlider::setValue);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col) {
    if (col == 0) updateFrozen();
  });
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int row, int, int size) { frozen_->setRowHeight(row, size); });
  connect(model(), &QAbstractItemModel::columnsInserted, this, [this] { updateFrozen(); });
  connect(model(), &QAbstractItemModel::rowsInserted, this, [this] { updateFrozen(); });

  fitRowHeight();
  setCols(2);
  setRows(2);
}

void FlexGrid::updateFrozen() {
  if (!frozen_) return;
  for (int c = 1; c < columnCount(); ++c) frozen_->setColumnHidden(c, true);
  frozen_->setColumnHidden(0, false);
  frozen_->setColumnWidth(0, columnWidth(0));
  frozen_->setFont(font());
  // The header row is drawn in the grid header's font (its own header row
  // keeps the font the application gives headers).
  frozen_->horizontalHeader()->setFont(QApplication::font(horizontalHeader()));
  frozen_->verticalHeader()->setMinimumSectionSize(1);
  frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
  for (int r = 0; r < rowCount(); ++r) frozen_->setRowHeight(r, rowHeight(r));
  frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
  frozen_->setGeometry(frameWidth(), frameWidth(), columnWidth(0), viewport()->height() + horizontalHeader()->height());
  frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
  QTableWidget::resizeEvent(event);
  updateFrozen();
}

// ---------------------------------------------------------------- size

void FlexGrid::setRows(int rows) {
  rows = std::max(1, rows);
  changing();
  ++quiet_;
  setRowCount(rows - 1);
  rowDevice_.resize(static_cast<std::size_t>(rows));
  fillItems();
  --quiet_;
  initialCurrent();
}

void FlexGrid::setCols(int cols) {
  cols = std::max(1, cols);
  changing();
  ++quiet_;
  setColumnCount(cols);
  const auto n = static_cast<std::size_t>(cols);
  colAlign_.resize(n, kDefaultCellAlign);
  fixedAlign_.resize(n, kDefaultHeaderAlign);
  fixedAlignSet_.resize(n, false);
  colBack_.resize(n);
  colTwips_.resize(n, -1);
  colMode_.resize(n, ColumnMode::Other);
  styleSlot_.resize(n, -1);
  fillItems();
  --quiet_;
  initialCurrent();
}

int FlexGrid::rows() const { return rowCount() + 1; }
int FlexGrid::cols() const { return columnCount(); }

void FlexGrid::fillItems() {
  const int nc = columnCount();
  for (int c = 0; c < nc; ++c) {
    if (!horizontalHeaderItem(c)) {
      auto* h = new QTableWidgetItem;
      h->setTextAlignment(withVertical(fixedAlign_[static_cast<std::size_t>(c)]));
      setHorizontalHeaderItem(c, h);
    }
  }
  for (int r = 0; r < rowCount(); ++r) {
    for (int c = 0; c < nc; ++c) {
      if (item(r, c)) continue;
      auto* it = new Item;
      it->setFlags(c == 0 ? Qt::NoItemFlags : (Qt::ItemIsEnabled | Qt::ItemIsSelectable));
      const auto ci = static_cast<std::size_t>(c);
      const Qt::Alignment a = (c == 0 && fixedAlignSet_[0]) ? fixedAlign_[0] : colAlign_[ci];
      it->setTextAlignment(withVertical(a));
      resetLook(it, c);
      setItem(r, c, it);
    }
  }
}

FlexGrid::Item* FlexGrid::cell(int row, int col) const {
  if (row < 1 || row > rowCount() || col < 0 || col >= columnCount()) return nullptr;
  return static_cast<Item*>(item(row - 1, col));
}

// ---------------------------------------------------------------- texts

QString FlexGrid::textMatrix(int row, int col) const {
  if (col < 0 || col >= columnCount()) return {};
  if (row == 0) {
    const QTableWidgetItem* h = horizontalHeaderItem(col);
    return h ? h->text() : QString();
  }
  const Item* it = cell(row, col);
  return it ? it->text() : QString();
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text) {
  if (col < 0 || col >= columnCount()) return;
  QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : cell(row, col);
  if (!it || it->text() == text) return;
  changing();
  it->setText(text);
}

void FlexGrid::setColumn(int col, ColumnMode mode, const QString& heading) {
  if (col < 0 || col >= columnCount()) return;
  colMode_[static_cast<std::size_t>(col)] = mode;
  setTextMatrix(0, col, heading);
}

ColumnMode FlexGrid::columnMode(int col) const {
  return col >= 0 && col < columnCount() ? colMode_[static_cast<std::size_t>(col)] : ColumnMode::Other;
}

void FlexGrid::setStyleSlot(int col, int slot) {
  if (col >= 0 && col < columnCount()) styleSlot_[static_cast<std::size_t>(col)] = slot;
}

int FlexGrid::styleSlot(int col) const {
  return col >= 0 && col < columnCount() ? styleSlot_[static_cast<std::size_t>(col)] : -1;
}

void FlexGrid::setRowDevice(int row, std::optional<RowDevice> device) {
  if (row >= 1 && row <= rowCount()) rowDevice_[static_cast<std::size_t>(row)] = std::move(device);
}

const RowDevice* FlexGrid::rowDevice(int row) const {
  if (row < 1 || row > rowCount()) return nullptr;
  const auto& d = rowDevice_[static_cast<std::size_t>(row)];
  return d ? &*d : nullptr;
}

void FlexGrid::clearTexts() {
  changing();
  const int nc = columnCount();
  colMode_.assign(static_cast<std::size_t>(nc), ColumnMode::Other);
  for (auto& d : rowDevice_) d.reset();
  for (int c = 0; c < nc; ++c)
    if (QTableWidgetItem* h = horizontalHeaderItem(c)) h->setText(QString());
  for (int r = 1; r <= rowCount(); ++r) {
    for (int c = 0; c < nc; ++c) {
      Item* it = cell(r, c);
      it->setText(QString());
      if (it->styledBack || it->styledFore || it->styledFont) resetLook(it, c);
    }
  }
}

// ---------------------------------------------------------------- selection

int FlexGrid::row() const { return row_; }
int FlexGrid::col() const { return col_; }
int FlexGrid::rowSel() const { return rowSel_; }
int FlexGrid::colSel() const { return colSel_; }
int FlexGrid::topRow() const { return std::min(row_, rowSel_); }
int FlexGrid::bottomRow() const { return std::max(row_, rowSel_); }
int FlexGrid::leftCol() const { return std::min(col_, colSel_); }
int FlexGrid::rightCol() const { return std::max(col_, colSel_); }

void FlexGrid::setCurrent(int row, int col) { select(row, col, row, col, true); }

std::optional<std::pair<int, int>> FlexGrid::cellAt(const QPoint& viewportPos) const {
  const QModelIndex idx = indexAt(viewportPos);
  if (!idx.isValid()) return std::nullopt;
  return std::make_pair(idx.row() + 1, idx.column());
}

bool FlexGrid::inSelection(int row, int col) const {
  return row >= topRow() && row <= bottomRow() && col >= leftCol() && col <= rightCol();
}

void FlexGrid::setSelection(int row, int col, int rowSel, int colSel) {
  select(row, col, rowSel, colSel, true);
}

void FlexGrid::moveDown() { setCurrent(std::min(row_ + 1, rowCount()), col_); }

void FlexGrid::select(int row, int col, int rowSel, int colSel, bool scroll) {
  if (rowCount() < 1 || columnCount() < 1) return;
  auto clampRow = [&](int r) { return std::clamp(r, 1, rowCount()); };
  auto clampCol = [&](int c) { return std::clamp(c, 0, columnCount() - 1); };
  row = clampRow(row);
  rowSel = clampRow(rowSel);
  col = clampCol(col);
  colSel = clampCol(colSel);

  const QModelIndex end = model()->index(rowSel - 1, colSel);
  ++quiet_;
  selectionModel()->setCurrentIndex(end, QItemSelectionModel::NoUpdate);
  const QItemSelection sel(model()->index(std::min(row, rowSel) - 1, std::min(col, colSel)),
                           model()->index(std::max(row, rowSel) - 1, std::max(col, colSel)));
  selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
  --quiet_;
  if (scroll) scrollTo(end);

  const bool changed = row != row_ || col != col_ || rowSel != rowSel_ || colSel != colSel_;
  row_ = row;
  col_ = col;
  rowSel_ = rowSel;
  colSel_ = colSel;
  if (changed && quiet_ == 0) emit selChange();
}

void FlexGrid::initialCurrent() {
  // A grid starts with its first data cell current, and keeps its cell
  // within a grid that shrank.
  if (rowCount() < 1 || columnCount() < 1) {
    row_ = col_ = rowSel_ = colSel_ = 0;
    return;
  }
  const int firstCol = columnCount() > 1 ? 1 : 0;
  const bool valid = row_ >= 1 && rowSel_ >= 1 && row_ <= rowCount() && rowSel_ <= rowCount() &&
                     col_ < columnCount() && colSel_ < columnCount();
  ++quiet_;
  if (valid) {
    select(row_, col_, rowSel_, colSel_, false);
  } else {
    select(1, firstCol, 1, firstCol, false);
  }
  --quiet_;
}

// The view moved the selection itself (mouse press or drag): the current
// index is the moving end, the opposite corner of the rectangle the
// active cell.
void FlexGrid::syncSelection() {
  if (quiet_ > 0) return;
  const QModelIndex cur = currentIndex();
  if (!cur.isValid()) return;
  const int endR = cur.row() + 1, endC = cur.column();
  int aR = endR, aC = endC;
  const QItemSelection sel = selectionModel()->selection();
  if (sel.size() == 1) {
    const QItemSelectionRange& rg = sel.first();
    const int top = rg.top() + 1, bottom = rg.bottom() + 1, right = rg.right();
    int left = rg.left();
    if (left == 0 && right > 0) left = 1;  // the fixed column never joins a selection
    if (endR >= top && endR <= bottom && endC >= left && endC <= right) {
      aR = (endR - top >= bottom - endR) ? top : bottom;
      aC = (endC - left >= right - endC) ? left : right;
    }
  }
  if (aR == endR && aC == endC) {
    // A lone current cell (or one outside the selection) is the selection.
    ++quiet_;
    selectionModel()->select(cur, QItemSelectionModel::ClearAndSelect);
    --quiet_;
  }
  const bool changed = aR != row_ || aC != col_ || endR != rowSel_ || endC != colSel_;
  row_ = aR;
  col_ = aC;
  rowSel_ = endR;
  colSel_ = endC;
  if (changed) emit selChange();
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  QModelIndex i = QTableWidget::moveCursor(action, modifiers);
  if (i.isValid() && i.column() == 0 && columnCount() > 1) i = model()->index(i.row(), 1);
  return i;
}

void FlexGrid::headerPressed(int col) {
  setFocus(Qt::MouseFocusReason);
  if (col >= 1 && rowCount() >= 1) select(1, col, rowCount(), col, false);
  emit mouseDown(Qt::LeftButton);
}

// ---------------------------------------------------------------- look

void FlexGrid::setColWidthTwips(int col, int twips) {
  if (col < 0 || col >= columnCount()) return;
  if (colTwips_[static_cast<std::size_t>(col)] != twips) changing();
  colTwips_[static_cast<std::size_t>(col)] = twips;
  setColumnWidth(col, twipsToPixels(twips));
}

int FlexGrid::colWidthTwips(int col) const {
  if (col < 0 || col >= columnCount()) return 0;
  const int t = colTwips_[static_cast<std::size_t>(col)];
  return t >= 0 ? t : static_cast<int>(std::lround(pixelsToTwips(columnWidth(col))));
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment) {
  if (col < 0 || col >= columnCount()) return;
  changing();
  colAlign_[static_cast<std::size_t>(col)] = alignment;
  applyAlignment(col);
}

void FlexGrid::setFixedAlignment(int col, Qt::Alignment alignment) {
  if (col < 0 || col >= columnCount()) return;
  const auto ci = static_cast<std::size_t>(col);
  changing();
  fixedAlign_[ci] = alignment;
  fixedAlignSet_[ci] = true;
  if (QTableWidgetItem* h = horizontalHeaderItem(col)) h->setTextAlignment(withVertical(alignment));
  if (col == 0) applyAlignment(0);  // column 0's data cells are fixed cells too
}

void FlexGrid::applyAlignment(int col) {
  const auto ci = static_cast<std::size_t>(col);
  const Qt::Alignment a = withVertical((col == 0 && fixedAlignSet_[0]) ? fixedAlign_[0] : colAlign_[ci]);
  for (int r = 1; r <= rowCount(); ++r) cell(r, col)->setTextAlignment(a);
}

void FlexGrid::resetLook(Item* it, int col) {
  const QColor& back = col == 0 ? fixedBack_ : colBack_[static_cast<std::size_t>(col)];
  it->setData(Qt::BackgroundRole, back.isValid() ? QVariant(QBrush(back)) : QVariant());
  it->setData(Qt::ForegroundRole, QVariant());
  it->setData(Qt::FontRole, QVariant());
  it->styledBack = it->styledFore = it->styledFont = false;
}

void FlexGrid::setCellStyle(int row, int col, const CellStyle& style) {
  changing();
  if (row == 0) {
    QTableWidgetItem* h = horizontalHeaderItem(col);
    if (!h) return;
    h->setData(Qt::BackgroundRole, style.hasBack ? QVariant(QBrush(style.back)) : QVariant());
    h->setData(Qt::ForegroundRole, style.hasFore ? QVariant(QBrush(style.fore)) : QVariant());
    h->setData(Qt::FontRole, style.hasFont ? QVariant(style.font) : QVariant());
    return;
  }
  Item* it = cell(row, col);
  if (!it) return;
  resetLook(it, col);
  if (style.hasBack) {
    it->setData(Qt::BackgroundRole, QBrush(style.back));
    it->styledBack = true;
  }
  if (style.hasFore) {
    it->setData(Qt::ForegroundRole, QBrush(style.fore));
    it->styledFore = true;
  }
  if (style.hasFont) {
    it->setData(Qt::FontRole, style.font);
    it->styledFont = true;
  }
}

void FlexGrid::setCellBackground(int row, int col, const QColor& colour) {
  changing();
  if (row == 0) {
    if (QTableWidgetItem* h = horizontalHeaderItem(col)) h->setData(Qt::BackgroundRole, QBrush(colour));
    return;
  }
  Item* it = cell(row, col);
  if (!it) return;
  it->setData(Qt::BackgroundRole, QBrush(colour));
  it->styledBack = true;
}

FlexGrid::CellStyle FlexGrid::cellStyle(int row, int col) const {
  CellStyle s;
  const QTableWidgetItem* it = row == 0 ? horizontalHeaderItem(col) : cell(row, col);
  if (!it) return s;
  const Item* own = row == 0 ? nullptr : static_cast<const Item*>(it);
  const QVariant back = it->data(Qt::BackgroundRole);
  if ((own ? own->styledBack : back.isValid()) && back.isValid()) {
    s.back = back.value<QBrush>().color();
    s.hasBack = true;
  }
  const QVariant fore = it->data(Qt::ForegroundRole);
  if (fore.isValid()) {
    s.fore = fore.value<QBrush>().color();
    s.hasFore = true;
  }
  const QVariant font = it->data(Qt::FontRole);
  if (font.isValid()) {
    s.font = font.value<QFont>();
    s.hasFont = true;
  }
  return s;
}

void FlexGrid::setColBackground(int col, const QColor& colour) {
  if (col < 1 || col >= columnCount()) return;
  changing();
  colBack_[static_cast<std::size_t>(col)] = colour;
  const QVariant v = colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
  for (int r = 1; r <= rowCount(); ++r) {
    Item* it = cell(r, col);
    if (!it->styledBack) it->setData(Qt::BackgroundRole, v);
  }
}

// Drawing is held back only once something changes while it is off, so a
// redraw that finds every cell as it was paints nothing; enabling again
// repaints the grid and its parts once.
void FlexGrid::setRedraw(bool on) {
  if (on == redraw_) return;
  redraw_ = on;
  if (on && !updatesEnabled()) setUpdatesEnabled(true);
}

void FlexGrid::changing() {
  if (!redraw_ && updatesEnabled()) setUpdatesEnabled(false);
}

void FlexGrid::fitRowHeight() {
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

QRect FlexGrid::cellRect(int row, int col) const {
  if (col < 0 || col >= columnCount()) return {};
  if (row == 0) {
    const int h = horizontalHeader()->height();
    return {columnViewportPosition(col), -h, columnWidth(col), h};
  }
  if (row < 1 || row > rowCount()) return {};
  return visualRect(model()->index(row - 1, col));
}

// ---------------------------------------------------------------- events

void FlexGrid::keyPressEvent(QKeyEvent* event) {
  emit keyPressed(event->key(), event->text(), event->modifiers());

  // Only the movement keys move anything; every other key is the views'.
  CursorAction action;
  switch (event->key()) {
    case Qt::Key_Up: action = MoveUp; break;
    case Qt::Key_Down: action = MoveDown; break;
    case Qt::Key_Left: action = MoveLeft; break;
    case Qt::Key_Right: action = MoveRight; break;
    case Qt::Key_PageUp: action = MovePageUp; break;
    case Qt::Key_PageDown: action = MovePageDown; break;
    case Qt::Key_Home: action = MoveHome; break;
    case Qt::Key_End: action = MoveEnd; break;
    default: event->accept(); return;
  }
  event->accept();
  if (rowCount() < 1) return;
  const QModelIndex next = moveCursor(action, event->modifiers());
  if (!next.isValid()) return;
  if (event->modifiers() & Qt::ShiftModifier)
    select(row_, col_, next.row() + 1, next.column(), true);
  else
    select(next.row() + 1, next.column(), next.row() + 1, next.column(), true);
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex idx = indexAt(event->position().toPoint());
  extending_ = false;
  if (event->button() == Qt::LeftButton) {
    leftPressed_ = true;
    setFocus(Qt::MouseFocusReason);
    if (idx.isValid() && idx.column() == 0) {
      // Pressing the fixed column selects the row's data cells.
      if (columnCount() > 1) select(idx.row() + 1, 1, idx.row() + 1, columnCount() - 1, false);
    } else if (idx.isValid() && (event->modifiers() & Qt::ShiftModifier)) {
      extending_ = true;
      select(row_, col_, idx.row() + 1, idx.column(), false);
    } else {
      QTableWidget::mousePressEvent(event);
    }
  } else {
    // Other buttons leave the selection where it is.
    setFocus(Qt::MouseFocusReason);
    event->accept();
  }
  emit mouseDown(event->button());
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    QTableWidget::mouseMoveEvent(event);
    return;
  }
  if (extending_) {
    const QModelIndex idx = indexAt(event->position().toPoint());
    if (idx.isValid() && idx.column() > 0) select(row_, col_, idx.row() + 1, idx.column(), true);
    return;
  }
  QTableWidget::mouseMoveEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  extending_ = false;
  if (event->button() == Qt::LeftButton && leftPressed_) {
    leftPressed_ = false;
    emit clicked();
  }
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  // The press before it has already placed the selection.
  event->accept();
  emit dblClicked();
}

void FlexGrid::focusOutEvent(QFocusEvent* event) {
  QTableWidget::focusOutEvent(event);
  // Opening a menu or switching windows is not leaving the grid.
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
    emit lostFocus();
}

void FlexGrid::changeEvent(QEvent* event) {
  QTableWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    fitRowHeight();
    updateFrozen();
  }
}

bool FlexGrid::event(QEvent* event) {
  // Ctrl+C and Ctrl+V belong to the grid even where a window has them as
  // shortcuts.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* ke = static_cast<QKeyEvent*>(event);
    if ((ke->modifiers() & Qt::ControlModifier) && (ke->key() == Qt::Key_C || ke->key() == Qt::Key_V)) {
      event->accept();
      return true;
    }
  }
  return QTableWidget::event(event);
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event) {
  // The frozen column: a left press on a cell selects its row, as a press
  // on the fixed column does; everything else is the grid's own.
  if (frozen_ && (watched == frozen_->viewport() || watched == frozen_->horizontalHeader()->viewport())) {
    if (event->type() == QEvent::MouseButtonPress && watched == frozen_->viewport()) {
      const auto* me = static_cast<QMouseEvent*>(event);
      const int row = frozen_->rowAt(me->position().toPoint().y());
      setFocus(Qt::MouseFocusReason);
      if (me->button() == Qt::LeftButton && row >= 0 && columnCount() > 1)
        select(row + 1, 1, row + 1, columnCount() - 1, false);
      emit mouseDown(me->button());
      return true;
    }
    if (event->type() == QEvent::Wheel) {
      QCoreApplication::sendEvent(viewport(), event);
      return true;
    }
    return event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick ||
           event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseMove;
  }
  // Presses on the header row: the left button selects a column (and tells
  // mouseDown from headerPressed); the others only tell.
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
    const auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() != Qt::LeftButton) {
      setFocus(Qt::MouseFocusReason);
      emit mouseDown(me->button());
      return true;
    }
  }
  return QTableWidget::eventFilter(watched, event);
}

}  // namespace omb
