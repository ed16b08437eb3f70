#include "views/flex_grid.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>

#include "core/device_memory.h"
#include "ui/geometry.h"

namespace omb {

namespace {

constexpr Qt::Alignment kDefaultHeaderAlign = Qt::AlignCenter;

// Draws a cell the plain way a grid does: background, clipped text, focus
// frame.  The general delegate lays every cell out for icons, check boxes
// and elision, which costs several times more per cell than a full page
// of this grid may take.  Texts are laid out once and kept (QStaticText):
// the same few thousand numbers and comments come back on every repaint,
// and laying a text out costs more than drawing it.
class CellPainter : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    // The grid line is the cell's own right and bottom pixel: filled
    // rectangles cost far less than the table's stroked lines.
    const QRect whole = opt.rect;
    p->fillRect(QRect(whole.right(), whole.top(), 1, whole.height()), gridColour(opt));
    p->fillRect(QRect(whole.left(), whole.bottom(), whole.width() - 1, 1), gridColour(opt));
    const QRect r = whole.adjusted(0, 0, -1, -1);
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette& pal = opt.palette;
    // The grid's own model gives a cell's look in one call.
    const auto* model = qobject_cast<const GridModel*>(index.model());
    if (!model) return;
    const GridModel::Look look = model->look(index);
    if (selected) p->fillRect(r, pal.brush(QPalette::Active, QPalette::Highlight));
    else if (look.back) p->fillRect(r, *look.back);
    if (!look.text.isEmpty()) {
      std::optional<QFont> was;
      if (look.font) {
        was = p->font();
        p->setFont(*look.font);
      }
      if (selected) p->setPen(pal.color(QPalette::Active, QPalette::HighlightedText));
      else if (look.fore) p->setPen(*look.fore);
      else p->setPen(pal.color(QPalette::Active, QPalette::Text));
      drawCellText(p, r.adjusted(2, 0, -2, 0), look.alignment, look.text);
      if (was) p->setFont(*was);
    }
    if (opt.state & QStyle::State_HasFocus) {
      QPen pen(selected ? pal.color(QPalette::Active, QPalette::HighlightedText) : pal.color(QPalette::Active, QPalette::Text));
      pen.setStyle(Qt::DotLine);
      const QPen was = p->pen();
      p->setPen(pen);
      p->drawRect(r.adjusted(0, 0, -1, -1));
      p->setPen(was);
    }
  }

 private:
  struct Laid {
    QStaticText text;
    QFont font;
  };
  // Enough for every text of many full windows; a grid that shows more
  // different texts than this starts the cache afresh.
  static constexpr qsizetype kMostTexts = 8192;

  // One line in the painter's font, aligned in `box` and clipped to it.
  void drawCellText(QPainter* p, const QRect& box, int flags, const QString& text) const {
    const QFont& font = p->font();
    auto it = laid_.find(text);
    if (it == laid_.end() || !(it->font == font)) {
      if (laid_.size() >= kMostTexts) laid_.clear();
      QStaticText st(text);
      st.setTextFormat(Qt::PlainText);
      st.setPerformanceHint(QStaticText::AggressiveCaching);
      st.prepare(QTransform(), font);
      it = laid_.insert(text, Laid{st, font});
    }
    const QSizeF size = it->text.size();
    double x = box.left();
    if (flags & Qt::AlignRight) x = box.right() + 1 - size.width();
    else if (flags & Qt::AlignHCenter) x = box.left() + (box.width() - size.width()) / 2;
    double y = box.top();
    if (flags & Qt::AlignBottom) y = box.bottom() + 1 - size.height();
    else if (!(flags & Qt::AlignTop)) y = box.top() + (box.height() - size.height()) / 2;
    const bool fits = size.width() <= box.width() + 4 && size.height() <= box.height();
    if (!fits) {
      p->save();
      p->setClipRect(box.adjusted(-2, 0, 2, 0), Qt::IntersectClip);
    }
    p->drawStaticText(QPointF(x, y), it->text);
    if (!fits) p->restore();
  }

  // The style's grid colour, asked again only when the palette changes.
  const QColor& gridColour(const QStyleOptionViewItem& opt) const {
    if (opt.palette.cacheKey() != gridPalette_ || !gridColour_.isValid()) {
      const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
      gridColour_ = QColor::fromRgba(static_cast<QRgb>(style->styleHint(QStyle::SH_Table_GridLineColor, &opt, opt.widget)));
      gridPalette_ = opt.palette.cacheKey();
    }
    return gridColour_;
  }

  mutable QHash<QString, Laid> laid_;
  mutable QColor gridColour_;
  mutable qint64 gridPalette_ = 0;
};

// The application's style for a grid, less the style's work for each
// cell's row panel: the cells draw their own background and selection, and
// the general style works out its frame colours again for every cell it is
// asked to draw, which cost more than drawing the cell.
class GridStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_PanelItemViewRow) {
      const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
      if (item && (item->features & QStyleOptionViewItem::Alternate))
        painter->fillRect(item->rect, item->palette.brush(QPalette::AlternateBase));
      return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
};

QStyle* plainCellStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = new GridStyle;
    style->setParent(QCoreApplication::instance());
  }
  return style;
}

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
  setModel(model_);
  setStyle(plainCellStyle());
  setItemDelegate(new CellPainter(this));
  setShowGrid(false);  // the cells draw it
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
  model_->setFixedBackground(pal.color(QPalette::Active, QPalette::Button));

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
  frozen_->setStyle(style());
  frozen_->setModel(model());
  frozen_->setSelectionModel(selectionModel());
  frozen_->setItemDelegate(itemDelegate());
  frozen_->setShowGrid(false);
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
  // Every row has the same height, so a grid of any length lays out at
  // once: no row is measured or sized on its own.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { updateFrozen(); });

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
  frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
  frozen_->setGeometry(frameWidth(), frameWidth(), columnWidth(0), viewport()->height() + horizontalHeader()->height());
  frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  updateFrozen();
}

// ---------------------------------------------------------------- size

void FlexGrid::setRows(int rows) {
  rows = std::max(1, rows);
  ++quiet_;
  model_->resize(rows - 1, columnCount());
  marked_.clear();
  --quiet_;
  initialCurrent();
}

void FlexGrid::setCols(int cols) {
  cols = std::max(1, cols);
  ++quiet_;
  model_->resize(rowCount(), cols);
  colTwips_.resize(static_cast<std::size_t>(cols), -1);
  --quiet_;
  initialCurrent();
}

int FlexGrid::rows() const { return rowCount() + 1; }
int FlexGrid::cols() const { return columnCount(); }

// ---------------------------------------------------------------- texts

QString FlexGrid::textMatrix(int row, int col) const { return model_->text(row, col); }
void FlexGrid::setTextMatrix(int row, int col, const QString& text) { model_->setText(row, col, text); }

void FlexGrid::setColumn(int col, ColumnMode mode, const QString& heading) {
  if (col < 0 || col >= columnCount()) return;
  model_->setColumnMode(col, mode);
  model_->setText(0, col, heading);
}

ColumnMode FlexGrid::columnMode(int col) const { return model_->columnMode(col); }
void FlexGrid::setStyleSlot(int col, int slot) { model_->setStyleSlot(col, slot); }
int FlexGrid::styleSlot(int col) const { return model_->styleSlot(col); }
void FlexGrid::setRowDevice(int row, std::optional<RowDevice> device) { model_->setRowDevice(row, std::move(device)); }
const RowDevice* FlexGrid::rowDevice(int row) const { return model_->rowDevice(row); }
void FlexGrid::clearTexts() { model_->clear(); }

// ---------------------------------------------------------------- changes

void FlexGrid::refreshValues() { model_->refreshRows(1, rowCount()); }

std::pair<int, int> FlexGrid::visibleRows() const {
  if (rowCount() < 1) return {0, -1};
  const int first = rowAt(0);
  if (first < 0) return {0, -1};
  const int last = rowAt(std::max(0, viewport()->height() - 1));
  return {first + 1, (last < 0 ? rowCount() - 1 : last) + 1};
}

bool FlexGrid::markChanged(const ChangeSet& changes) {
  const auto [first, last] = visibleRows();
  bool any = false;
  for (int r = first; r <= last; ++r) {
    const RowDevice* d = model_->rowDevice(r);
    if (!d) continue;
    for (const DeviceChange& c : changes.changes()) {
      if (c.kind != d->kind || d->word < c.firstWord || d->word > c.lastWord) continue;
      const auto at = std::lower_bound(marked_.begin(), marked_.end(), r);
      if (at == marked_.end() || *at != r) marked_.insert(at, r);
      any = true;
      break;
    }
  }
  return any;
}

void FlexGrid::flushMarked() {
  if (marked_.empty()) return;
  model_->refreshRows(marked_.front(), marked_.back());
  marked_.clear();
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
  QModelIndex i = QTableView::moveCursor(action, modifiers);
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
  colTwips_[static_cast<std::size_t>(col)] = twips;
  setColumnWidth(col, twipsToPixels(twips));
}

int FlexGrid::colWidthTwips(int col) const {
  if (col < 0 || col >= columnCount()) return 0;
  const int t = colTwips_[static_cast<std::size_t>(col)];
  return t >= 0 ? t : static_cast<int>(std::lround(pixelsToTwips(columnWidth(col))));
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment) { model_->setColAlignment(col, alignment); }
void FlexGrid::setFixedAlignment(int col, Qt::Alignment alignment) { model_->setFixedAlignment(col, alignment); }
void FlexGrid::setCellStyle(int row, int col, const CellStyle& style) { model_->setCellStyle(row, col, style); }
void FlexGrid::setCellBackground(int row, int col, const QColor& colour) {
  model_->setCellBackground(row, col, colour);
}
FlexGrid::CellStyle FlexGrid::cellStyle(int row, int col) const { return model_->cellStyle(row, col); }
void FlexGrid::setColBackground(int col, const QColor& colour) { model_->setColBackground(col, colour); }
void FlexGrid::setColFont(int col, const QFont& font) { model_->setColFont(col, font); }

// Changes made while drawing is off are announced once when it is on again;
// a redraw that finds every cell as it was announces, and paints, nothing.
void FlexGrid::setRedraw(bool on) {
  if (on == redraw_) return;
  redraw_ = on;
  model_->setHeld(!on);
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
      QTableView::mousePressEvent(event);
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
    QTableView::mouseMoveEvent(event);
    return;
  }
  if (extending_) {
    const QModelIndex idx = indexAt(event->position().toPoint());
    if (idx.isValid() && idx.column() > 0) select(row_, col_, idx.row() + 1, idx.column(), true);
    return;
  }
  QTableView::mouseMoveEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
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
  QTableView::focusOutEvent(event);
  // Opening a menu or switching windows is not leaving the grid.
  if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
    emit lostFocus();
}

void FlexGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
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
  return QTableView::event(event);
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
  return QTableView::eventFilter(watched, event);
}

}  // namespace omb
