// The grid every device view draws in.  It keeps the manners of the grids
// the views were designed around: one fixed header row (row 0) and one
// fixed first column (column 0), cells addressed as (row, column) with the
// header row included, a current cell and a selection end that may lie on
// either side of it, per-cell styles, suspended drawing and a free text tag.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QTableWidget>

namespace omb {

class FlexGrid : public QTableWidget {
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
  // Empties every cell, headers included.
  void clearTexts();

  // Current cell and selection end; the selection is the rectangle between
  // them.  setCurrent moves both to one cell.
  int row() const;
  int col() const;
  int rowSel() const;
  int colSel() const;
  void setCurrent(int row, int col);
  void setSelection(int row, int col, int rowSel, int colSel);
  // The selection with its corners ordered.
  int topRow() const;
  int bottomRow() const;
  int leftCol() const;
  int rightCol() const;

  // Widths in twips, alignment per column (data cells) and for headers.
  void setColWidthTwips(int col, int twips);
  void setColAlignment(int col, Qt::Alignment alignment);
  void setFixedAlignment(int col, Qt::Alignment alignment);

  // Style of one cell.
  struct CellStyle {
    QColor back, fore;
    QFont font;
    bool hasBack = false, hasFore = false, hasFont = false;
  };
  void setCellStyle(int row, int col, const CellStyle& style);
  void setCellBackground(int row, int col, const QColor& colour);

  // false: changes are not drawn; true: drawn once with everything.
  void setRedraw(bool on);

  QString tag() const { return tag_; }
  void setTag(const QString& tag) { tag_ = tag; }

  // Geometry of a cell within the grid's viewport, for the in-place editor.
  QRect cellRect(int row, int col) const;

 signals:
  void keyPressed(int key, const QString& text, Qt::KeyboardModifiers modifiers);
  void mouseDown(Qt::MouseButton button);
  void clicked();
  void dblClicked();
  void selChange();
  void lostFocus();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QString tag_;
};

}  // namespace omb
