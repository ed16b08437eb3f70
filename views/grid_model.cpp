#include "views/grid_model.h"

#include <QBrush>

#include <algorithm>

namespace omb {

namespace {

constexpr Qt::Alignment kDefaultCellAlign = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kDefaultHeaderAlign = Qt::AlignCenter;

Qt::Alignment withVertical(Qt::Alignment a) {
  if (!(a & Qt::AlignVertical_Mask)) a |= Qt::AlignVCenter;
  return a;
}

QVariant styleRole(const GridCellStyle& s, int role) {
  switch (role) {
    case Qt::BackgroundRole: return s.hasBack ? QVariant(QBrush(s.back)) : QVariant();
    case Qt::ForegroundRole: return s.hasFore ? QVariant(QBrush(s.fore)) : QVariant();
    case Qt::FontRole: return s.hasFont ? QVariant(s.font) : QVariant();
    default: return {};
  }
}

}  // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

void GridModel::resize(int dataRows, int cols) {
  dataRows = std::max(0, dataRows);
  cols = std::max(1, cols);
  if (dataRows == rows_ && cols == cols_) return;
  beginResetModel();
  cells_.resize(static_cast<std::size_t>(dataRows) + 1);
  if (cols != cols_)
    for (auto& row : cells_)
      if (row) row->texts.resize(static_cast<std::size_t>(cols));
  filled_.resize(static_cast<std::size_t>(dataRows) + 1, false);
  std::erase_if(styles_, [&](const auto& kv) {
    const int r = static_cast<int>(kv.first >> 16), c = static_cast<int>(kv.first & 0xFFFF);
    return r > dataRows || c >= cols;
  });
  const auto n = static_cast<std::size_t>(cols);
  headers_.resize(n);
  headerStyles_.resize(n);
  colAlign_.resize(n, kDefaultCellAlign);
  fixedAlign_.resize(n, kDefaultHeaderAlign);
  fixedAlignSet_.resize(n, false);
  colBack_.resize(n);
  colFont_.resize(n);
  colMode_.resize(n, ColumnMode::Other);
  styleSlot_.resize(n, -1);
  rows_ = dataRows;
  cols_ = cols;
  dirtyBottom_ = dirtyRight_ = -1;
  endResetModel();
}

// ---------------------------------------------------------------- texts

QString GridModel::text(int row, int col) const {
  if (col < 0 || col >= cols_) return {};
  if (row == 0) return headers_[static_cast<std::size_t>(col)];
  if (!validCell(row, col)) return {};
  const RowCells* cells = rowCells(row);
  if (!cells) return {};
  if (live_ && col > 0 && cells->device)
    if (std::optional<QString> t = live_(*cells->device, col)) return std::move(*t);
  return cells->texts[static_cast<std::size_t>(col)];
}

const GridModel::RowCells* GridModel::rowCells(int row) const {
  ensureFilled(row);
  return cells_[static_cast<std::size_t>(row)].get();
}

GridModel::RowCells& GridModel::writableRow(int row) {
  ensureFilled(row);
  auto& cells = cells_[static_cast<std::size_t>(row)];
  if (!cells) {
    cells = std::make_unique<RowCells>();
    cells->texts.resize(static_cast<std::size_t>(cols_));
  }
  return *cells;
}

void GridModel::ensureFilled(int row) const {
  if (!filler_ || filling_ || filled_[static_cast<std::size_t>(row)]) return;
  filled_[static_cast<std::size_t>(row)] = true;
  filling_ = true;
  // The filler writes through the model's own setters; what it sets is
  // what the row has always shown, so nothing is announced.
  const struct Done {
    bool& filling;
    ~Done() { filling = false; }
  } done{filling_};
  filler_(row);
}

int GridModel::heldRows() const {
  return static_cast<int>(std::count_if(cells_.begin(), cells_.end(), [](const auto& row) { return row != nullptr; }));
}

void GridModel::setRowFiller(RowFiller filler) {
  filler_ = std::move(filler);
  std::fill(filled_.begin(), filled_.end(), false);
  changedCells(1, 0, rows_, cols_ - 1);
}

void GridModel::setText(int row, int col, const QString& text) {
  if (col < 0 || col >= cols_) return;
  if (row != 0 && !validCell(row, col)) return;
  if (row != 0 && text.isEmpty()) {
    // An empty text needs no storage.
    const RowCells* cells = rowCells(row);
    if (!cells || cells->texts[static_cast<std::size_t>(col)].isEmpty()) return;
  }
  QString* cell = row == 0 ? &headers_[static_cast<std::size_t>(col)] : &writableRow(row).texts[static_cast<std::size_t>(col)];
  if (*cell == text) return;
  *cell = text;
  changed(row, col);
}

void GridModel::setColumnMode(int col, ColumnMode mode) {
  if (col < 0 || col >= cols_) return;
  if (colMode_[static_cast<std::size_t>(col)] == mode) return;
  colMode_[static_cast<std::size_t>(col)] = mode;
  // What a live column shows follows its mode.
  changedCells(1, col, rows_, col);
}

ColumnMode GridModel::columnMode(int col) const {
  return col >= 0 && col < cols_ ? colMode_[static_cast<std::size_t>(col)] : ColumnMode::Other;
}

void GridModel::setStyleSlot(int col, int slot) {
  if (col >= 0 && col < cols_) styleSlot_[static_cast<std::size_t>(col)] = slot;
}

int GridModel::styleSlot(int col) const {
  return col >= 0 && col < cols_ ? styleSlot_[static_cast<std::size_t>(col)] : -1;
}

void GridModel::setRowDevice(int row, std::optional<RowDevice> device) {
  if (row < 1 || row > rows_) return;
  if (!device) {
    const RowCells* cells = rowCells(row);
    if (!cells || !cells->device) return;
  }
  writableRow(row).device = std::move(device);
  if (live_) changedCells(row, 1, row, cols_ - 1);
}

const RowDevice* GridModel::rowDevice(int row) const {
  if (row < 1 || row > rows_) return nullptr;
  const RowCells* cells = rowCells(row);
  return cells && cells->device ? &*cells->device : nullptr;
}

void GridModel::clear() {
  for (auto& row : cells_) row.reset();
  filler_ = nullptr;
  std::fill(headers_.begin(), headers_.end(), QString());
  std::fill(headerStyles_.begin(), headerStyles_.end(), GridCellStyle{});
  styles_.clear();
  std::fill(colMode_.begin(), colMode_.end(), ColumnMode::Other);
  changedAll();
}

// ---------------------------------------------------------------- looks

void GridModel::setColAlignment(int col, Qt::Alignment a) {
  if (col < 0 || col >= cols_) return;
  colAlign_[static_cast<std::size_t>(col)] = a;
  changedCells(1, col, rows_, col);
}

void GridModel::setFixedAlignment(int col, Qt::Alignment a) {
  if (col < 0 || col >= cols_) return;
  fixedAlign_[static_cast<std::size_t>(col)] = a;
  fixedAlignSet_[static_cast<std::size_t>(col)] = true;
  changed(0, col);
  if (col == 0) changedCells(1, 0, rows_, 0);  // column 0's data cells are fixed cells too
}

void GridModel::setColBackground(int col, const QColor& colour) {
  if (col < 1 || col >= cols_) return;
  colBack_[static_cast<std::size_t>(col)] = colour;
  changedCells(1, col, rows_, col);
}

void GridModel::setColFont(int col, const QFont& font) {
  if (col < 0 || col >= cols_) return;
  colFont_[static_cast<std::size_t>(col)] = font;
  changedCells(1, col, rows_, col);
}

void GridModel::setCellStyle(int row, int col, const GridCellStyle& style) {
  if (col < 0 || col >= cols_) return;
  if (row == 0) {
    headerStyles_[static_cast<std::size_t>(col)] = style;
    changed(0, col);
    return;
  }
  if (!validCell(row, col)) return;
  ensureFilled(row);
  if (!style.hasBack && !style.hasFore && !style.hasFont) {
    if (styles_.erase(key(row, col)) == 0) return;
  } else {
    GridCellStyle& s = styles_[key(row, col)];
    if (s.hasBack == style.hasBack && s.hasFore == style.hasFore && s.hasFont == style.hasFont &&
        (!s.hasBack || s.back == style.back) && (!s.hasFore || s.fore == style.fore) &&
        (!s.hasFont || s.font == style.font))
      return;
    s = style;
  }
  changed(row, col);
}

void GridModel::setCellBackground(int row, int col, const QColor& colour) {
  if (col < 0 || col >= cols_) return;
  if (row == 0) {
    GridCellStyle& s = headerStyles_[static_cast<std::size_t>(col)];
    s.back = colour;
    s.hasBack = true;
    changed(0, col);
    return;
  }
  if (!validCell(row, col)) return;
  ensureFilled(row);
  GridCellStyle& s = styles_[key(row, col)];
  if (s.hasBack && s.back == colour) return;
  s.back = colour;
  s.hasBack = true;
  changed(row, col);
}

GridCellStyle GridModel::cellStyle(int row, int col) const {
  if (col < 0 || col >= cols_) return {};
  if (row == 0) return headerStyles_[static_cast<std::size_t>(col)];
  if (!validCell(row, col)) return {};
  ensureFilled(row);
  const auto it = styles_.find(key(row, col));
  return it == styles_.end() ? GridCellStyle{} : it->second;
}

// ---------------------------------------------------------------- model

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row() + 1, col = index.column();
  if (!validCell(row, col)) return {};
  ensureFilled(row);
  switch (role) {
    case Qt::DisplayRole: return text(row, col);
    case Qt::TextAlignmentRole: {
      const auto c = static_cast<std::size_t>(col);
      return int(withVertical((col == 0 && fixedAlignSet_[0]) ? fixedAlign_[0] : colAlign_[c]));
    }
    case Qt::BackgroundRole: {
      const auto it = styles_.find(key(row, col));
      if (it != styles_.end() && it->second.hasBack) return QBrush(it->second.back);
      const QColor& back = col == 0 ? fixedBack_ : colBack_[static_cast<std::size_t>(col)];
      return back.isValid() ? QVariant(QBrush(back)) : QVariant();
    }
    case Qt::ForegroundRole: {
      const auto it = styles_.find(key(row, col));
      return it == styles_.end() ? QVariant() : styleRole(it->second, role);
    }
    case Qt::FontRole: {
      const auto it = styles_.find(key(row, col));
      if (it != styles_.end() && it->second.hasFont) return it->second.font;
      const auto& font = colFont_[static_cast<std::size_t>(col)];
      return font ? QVariant(*font) : QVariant();
    }
    default: return {};
  }
}

GridModel::Look GridModel::look(const QModelIndex& index) const {
  Look l;
  const int row = index.row() + 1, col = index.column();
  if (!index.isValid() || !validCell(row, col)) return l;
  ensureFilled(row);
  const auto c = static_cast<std::size_t>(col);
  l.text = text(row, col);
  l.alignment = int(withVertical((col == 0 && fixedAlignSet_[0]) ? fixedAlign_[0] : colAlign_[c]));
  const auto it = styles_.find(key(row, col));
  const GridCellStyle* own = it == styles_.end() ? nullptr : &it->second;
  const QColor& columnBack = col == 0 ? fixedBack_ : colBack_[c];
  l.back = own && own->hasBack ? &own->back : columnBack.isValid() ? &columnBack : nullptr;
  l.fore = own && own->hasFore ? &own->fore : nullptr;
  l.font = own && own->hasFont ? &own->font : colFont_[c] ? &*colFont_[c] : nullptr;
  return l;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= cols_) return {};
  const auto c = static_cast<std::size_t>(section);
  switch (role) {
    case Qt::DisplayRole: return headers_[c];
    case Qt::TextAlignmentRole: return int(withVertical(fixedAlign_[c]));
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::FontRole: return styleRole(headerStyles_[c], role);
    default: return {};
  }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.column() == 0) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---------------------------------------------------------------- announcing

void GridModel::changed(int row, int col) {
  if (filling_) return;
  if (row != 0) {
    changedCells(row, col, row, col);
    return;
  }
  if (held_) headersDirty_ = true;
  else emit headerDataChanged(Qt::Horizontal, col, col);
}

void GridModel::changedCells(int top, int left, int bottom, int right) {
  if (filling_) return;
  top = std::max(top, 1);
  left = std::max(left, 0);
  bottom = std::min(bottom, rows_);
  right = std::min(right, cols_ - 1);
  if (top > bottom || left > right) return;
  if (!held_) {
    emit dataChanged(index(top - 1, left), index(bottom - 1, right));
    return;
  }
  if (dirtyBottom_ < dirtyTop_) {
    dirtyTop_ = top;
    dirtyBottom_ = bottom;
    dirtyLeft_ = left;
    dirtyRight_ = right;
    return;
  }
  dirtyTop_ = std::min(dirtyTop_, top);
  dirtyBottom_ = std::max(dirtyBottom_, bottom);
  dirtyLeft_ = std::min(dirtyLeft_, left);
  dirtyRight_ = std::max(dirtyRight_, right);
}

void GridModel::changedAll() {
  changedCells(1, 0, rows_, cols_ - 1);
  if (held_) headersDirty_ = true;
  else emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

void GridModel::setHeld(bool held) {
  if (held == held_) return;
  held_ = held;
  if (held) return;
  if (headersDirty_) {
    headersDirty_ = false;
    emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
  }
  if (dirtyBottom_ >= dirtyTop_ && dirtyBottom_ <= rows_ && dirtyRight_ < cols_) {
    emit dataChanged(index(dirtyTop_ - 1, dirtyLeft_), index(dirtyBottom_ - 1, dirtyRight_));
  }
  dirtyBottom_ = dirtyRight_ = -1;
}

bool GridModel::valueColumn(int col) const {
  const ColumnMode m = colMode_[static_cast<std::size_t>(col)];
  return m == ColumnMode::Dec || m == ColumnMode::Hex || m == ColumnMode::Ascii || m == ColumnMode::Bit;
}

void GridModel::refreshRows(int first, int last) {
  if (!live_) {
    changedCells(first, 1, last, cols_ - 1);
    return;
  }
  // Only the value columns follow device memory; the address and comment
  // columns (often the widest) are left alone, so a write repaints the
  // numbers it changed and not the rows around them.  Each run of adjacent
  // value columns is one announcement.
  for (int c = 1; c < cols_;) {
    if (!valueColumn(c)) {
      ++c;
      continue;
    }
    const int left = c;
    while (c < cols_ && valueColumn(c)) ++c;
    changedCells(first, left, last, c - 1);
  }
}

}  // namespace omb
