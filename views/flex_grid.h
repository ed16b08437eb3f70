// The grid every device view draws in.  It keeps the manners of the grids
// the views were designed around: one fixed header row (row 0) and one
// fixed first column (column 0), cells addressed as (row, column) with the
// header row included, a current cell and a selection end that may lie on
// either side of it, per-cell styles and suspended drawing.  It is a view
// over a GridModel, which keeps beside the texts what its columns and rows
// stand for (ColumnMode / RowDevice): the routines that type, copy and
// paste decide by those, never by a heading or an address read back from a
// cell.  The value cells are not stored: the model asks the window for
// their text when one is painted or read.
//
// Row 0 is drawn as the horizontal header; the table's own vertical header
// is hidden.  Column 0 is a real column drawn grey and closed to the user:
// it cannot become current or part of the selection by mouse or keyboard
// (pressing it selects its row instead), the way fixed cells behave.  It
// never scrolls out of view: a second view of the same cells, showing only
// that column, stays over the left edge and follows the rows.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QTableView>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "views/grid_model.h"

namespace omb {

class ChangeSet;

class FlexGrid : public QTableView {
  Q_OBJECT
 public:
  explicit FlexGrid(QWidget* parent = nullptr);

  // Size, the header row and the fixed column included.
  void setRows(int rows);
  void setCols(int cols);
  int rows() const;
  int cols() const;

  // Any cell's text; row 0 is the header row.
  QString textMatrix(int row, int col) const;
  void setTextMatrix(int row, int col, const QString& text);
  // Empties every cell, headers included, forgets what the columns and rows
  // stand for, and returns every cell to its
  // column's look (styles set with setCellStyle / setCellBackground go;
  // setColBackground stays).
  void clearTexts();

  // Current cell and selection end; the selection is the rectangle between
  // them.  setCurrent moves both to one cell.
  int row() const;
  int col() const;
  int rowSel() const;
  int colSel() const;
  void setCurrent(int row, int col);
  // The cell (row 1-based, column) at a point of the viewport, if any.
  std::optional<std::pair<int, int>> cellAt(const QPoint& viewportPos) const;
  // Whether the cell lies in the selection.
  bool inSelection(int row, int col) const;
  void setSelection(int row, int col, int rowSel, int colSel);
  // The selection with its corners ordered.
  int topRow() const;
  int bottomRow() const;
  int leftCol() const;
  int rightCol() const;
  // Moves the current cell one row down, staying on the last row.
  void moveDown();

  // Widths in twips, alignment per column (data cells) and for headers.
  void setColWidthTwips(int col, int twips);
  void setColAlignment(int col, Qt::Alignment alignment);
  void setFixedAlignment(int col, Qt::Alignment alignment);
  int colWidthTwips(int col) const;

  // Style of one cell.  Parts without their has-flag return to the
  // column's look.
  using CellStyle = GridCellStyle;
  void setCellStyle(int row, int col, const CellStyle& style);
  void setCellBackground(int row, int col, const QColor& colour);
  CellStyle cellStyle(int row, int col) const;
  // Background of every data cell of a column, kept through clearTexts
  // (an invalid colour returns the column to the plain look).
  void setColBackground(int col, const QColor& colour);
  // Font of every data cell of a column without a font of its own.
  void setColFont(int col, const QFont& font);

  // false: changes are not drawn; true: drawn once with everything.
  void setRedraw(bool on);
  bool redraw() const { return redraw_; }

  // The cells, for what reads them as a model does.
  GridModel& cells() { return *model_; }
  const GridModel& cells() const { return *model_; }
  // The text of the value cells of rows with a device, computed when a
  // cell is painted or read (see GridModel::LiveText).
  void setLiveText(GridModel::LiveText live) { model_->setLiveText(std::move(live)); }
  // Every value cell may have changed: repainted with the next paint.
  void refreshValues();
  // Device memory changed: the rows on the screen whose device lies in one
  // of the changed words are noted, to be repainted by flushMarked().
  // True when any row was noted.
  bool markChanged(const ChangeSet& changes);
  // The rows noted and not yet repainted, in order.
  const std::vector<int>& markedRows() const { return marked_; }
  // Repaints the noted rows (one paint of the grid) and forgets them.
  void flushMarked();
  // The first and last grid rows on the screen (0, -1 when none is).
  std::pair<int, int> visibleRows() const;

  // A column's heading and what its cells hold (clearTexts empties both).
  void setColumn(int col, ColumnMode mode, const QString& heading);
  ColumnMode columnMode(int col) const;
  // Which of the three column styles of the cell style table a column's
  // cells keep (0-2), or -1 for a column whose cells are not styled.
  void setStyleSlot(int col, int slot);
  int styleSlot(int col) const;
  // The device a data row stands for; rows without one (past a device's
  // end, or cleared) take no input.
  void setRowDevice(int row, std::optional<RowDevice> device);
  // Rows filled as they are first needed (GridModel::setRowFiller).
  void setRowFiller(GridModel::RowFiller fill) { model_->setRowFiller(std::move(fill)); }
  const RowDevice* rowDevice(int row) const;

  // Geometry of a cell within the grid's viewport, for the in-place editor
  // (a header cell lies above the viewport: negative top).
  QRect cellRect(int row, int col) const;

  // Typing searches nothing: every key belongs to the views.
  void keyboardSearch(const QString&) override {}

 signals:
  void keyPressed(int key, const QString& text, Qt::KeyboardModifiers modifiers);
  void mouseDown(Qt::MouseButton button);
  void clicked();
  void dblClicked();
  void selChange();
  void lostFocus();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

 private:
  void fitRowHeight();
  // The frozen view of column 0: its column, rows, font and place.
  void updateFrozen();
  void syncSelection();
  void headerPressed(int col);
  void select(int row, int col, int rowSel, int colSel, bool scroll);
  void initialCurrent();
  int rowCount() const { return model_->dataRows(); }
  int columnCount() const { return model_->cols(); }

  GridModel* model_ = nullptr;
  QTableView* frozen_ = nullptr;
  std::vector<int> colTwips_;
  std::vector<int> marked_;
  bool redraw_ = true;
  bool leftPressed_ = false;
  bool extending_ = false;  // a Shift+press stretches the selection while dragged
  int quiet_ = 0;  // >0: selection bookkeeping without selChange
  // Active cell and selection end as the views see them (grid rows).
  int row_ = 0, col_ = 0, rowSel_ = 0, colSel_ = 0;
};

// Keeps a grid from drawing until the scope ends, also when a routine
// leaves through its error trap; the grid draws again only if it did before.
class RedrawSuspended {
 public:
  explicit RedrawSuspended(FlexGrid& grid) : grid_(grid), was_(grid.redraw()) { grid_.setRedraw(false); }
  ~RedrawSuspended() { grid_.setRedraw(was_); }
  RedrawSuspended(const RedrawSuspended&) = delete;
  RedrawSuspended& operator=(const RedrawSuspended&) = delete;

 private:
  FlexGrid& grid_;
  bool was_;
};

}  // namespace omb
