// The cells of one grid window as a table model.  It keeps what a grid is
// told (headings, texts, alignments, colours, fonts) and what its columns
// and rows stand for (ColumnMode, RowDevice), and it asks the window for
// the text of a value cell only when the cell is painted or read: values
// are never copied into the model, so a change of device memory costs the
// grid nothing until a changed row is on the screen.
//
// Grid row r (r >= 1) is model row r - 1; grid row 0 is the horizontal
// header.  Grid column c is model column c.
//
// Changes made while drawing is held back are not announced; the rows and
// columns they touched are gathered and announced once when drawing
// resumes, so a redraw that finds every cell as it was announces nothing.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace omb {

// What the cells of a column hold.  A word column shows its words in one
// of three modes; a bit column shows one bit of the row's word.
enum class ColumnMode { Other, Address, Dec, Hex, Ascii, Comment, Bit };

// The device a row stands for: its storage kind and word, the device code
// of its refresh signal and its address text (the key of its comment, the
// name it is registered under).  A row of one bit names the bit of the word
// (0-15); a row of a whole word has bit -1.
struct RowDevice {
  int kind = 0;
  std::int64_t word = 0;
  std::string code;
  QString text;
  int bit = -1;
};

// Look of one cell.  Parts without their has-flag fall back to the column.
struct GridCellStyle {
  QColor back, fore;
  QFont font;
  bool hasBack = false, hasFore = false, hasFont = false;
};

class GridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // The text of a value cell of a row with a device, computed when asked;
  // empty: the cell shows the text it was given.
  using LiveText = std::function<std::optional<QString>(const RowDevice& row, int col)>;

  explicit GridModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  // Everything a painter needs of a data cell at once (what data() gives
  // role by role): its text, alignment, and the colours and font of its
  // own or its column, null where it has none.
  struct Look {
    QString text;
    int alignment = 0;
    const QColor* back = nullptr;
    const QColor* fore = nullptr;
    const QFont* font = nullptr;
  };
  Look look(const QModelIndex& index) const;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Sizes in data rows (the header row not counted) and columns; texts and
  // looks of the cells that stay are kept.
  void resize(int dataRows, int cols);
  int dataRows() const { return rows_; }
  int cols() const { return cols_; }

  // Texts by grid row (0: the header).
  QString text(int row, int col) const;
  // The stored text, whatever a live text would show.
  void setText(int row, int col, const QString& text);
  void setLiveText(LiveText live) { live_ = std::move(live); }

  void setColumnMode(int col, ColumnMode mode);
  ColumnMode columnMode(int col) const;
  void setStyleSlot(int col, int slot);
  int styleSlot(int col) const;
  void setRowDevice(int row, std::optional<RowDevice> device);
  const RowDevice* rowDevice(int row) const;

  // Rows filled when first needed: the first time anything of data row
  // `row` is read or written, `fill(row)` sets its device, texts and looks
  // through the setters above, as a redraw of every row would have.  A
  // window of 32767 rows then costs what its rows on the screen cost.
  // Setting a filler empties nothing and marks every row unfilled; clear()
  // drops it.
  using RowFiller = std::function<void(int row)>;
  void setRowFiller(RowFiller fill);
  // Data rows that hold a text or a device of their own; the others take
  // no storage.
  int heldRows() const;

  void setColAlignment(int col, Qt::Alignment a);
  void setFixedAlignment(int col, Qt::Alignment a);
  void setColBackground(int col, const QColor& colour);
  // The font of a column's data cells where a cell has none of its own
  // (kept through clear(), as the column background is).
  void setColFont(int col, const QFont& font);
  void setFixedBackground(const QColor& colour) { fixedBack_ = colour; }

  void setCellStyle(int row, int col, const GridCellStyle& style);
  void setCellBackground(int row, int col, const QColor& colour);
  GridCellStyle cellStyle(int row, int col) const;

  // Empties every text, heading, column mode and row device, and every
  // cell's own look (column looks stay); drops the row filler.
  void clear();

  // false: changes are gathered, not announced; true: what was gathered is
  // announced once.
  void setHeld(bool held);
  bool held() const { return held_; }

  // Announces that the live texts of grid rows first..last may have
  // changed: their value columns (Dec, Hex, ASCII, bit), or every column
  // but the fixed one in a grid without live texts.
  void refreshRows(int first, int last);

 private:
  // What a data row holds of its own; rows that hold nothing take no
  // storage but a pointer.
  struct RowCells {
    std::vector<QString> texts;  // by column
    std::optional<RowDevice> device;
  };
  // The row's cells (filled first), nullptr when it holds nothing.
  const RowCells* rowCells(int row) const;
  RowCells& writableRow(int row);
  void ensureFilled(int row) const;
  static std::int64_t key(int row, int col) { return (static_cast<std::int64_t>(row) << 16) | col; }
  bool validCell(int row, int col) const { return row >= 1 && row <= rows_ && col >= 0 && col < cols_; }
  // A cell (grid row, col; row 0: the header) changed.
  void changed(int row, int col);
  // Data cells of a rectangle (clamped to the grid) changed.
  void changedCells(int top, int left, int bottom, int right);
  void changedAll();
  bool valueColumn(int col) const;

  int rows_ = 0, cols_ = 0;
  std::vector<std::unique_ptr<RowCells>> cells_;  // by grid row (index 0 unused)
  std::vector<QString> headers_;
  std::vector<GridCellStyle> headerStyles_;
  std::unordered_map<std::int64_t, GridCellStyle> styles_;
  std::vector<ColumnMode> colMode_;
  std::vector<int> styleSlot_;
  RowFiller filler_;
  mutable std::vector<bool> filled_;  // by grid row, while there is a filler
  mutable bool filling_ = false;
  std::vector<Qt::Alignment> colAlign_, fixedAlign_;
  std::vector<bool> fixedAlignSet_;
  std::vector<QColor> colBack_;
  std::vector<std::optional<QFont>> colFont_;
  QColor fixedBack_;
  LiveText live_;
  bool held_ = false;
  // What changed while held: a rectangle of data cells, and headers.
  int dirtyTop_ = 0, dirtyBottom_ = -1, dirtyLeft_ = 0, dirtyRight_ = -1;
  bool headersDirty_ = false;
};

}  // namespace omb
