// The grid the device views draw in, offscreen: selection in either
// direction, suspended drawing, texts and styles, the fixed column, the
// events the views listen to and cell geometry.
#include "views/flex_grid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <vector>

#include "ui/geometry.h"

namespace omb {
namespace {

// A word panel as the views build it: 65 rows, Address / Dec / Hex / Device
// Comment, shown offscreen.
// Lets every posted paint happen: a window asks for its repaint through
// the platform, which may answer a few milliseconds later.
void settle() {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 40) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct ShownGrid {
  explicit ShownGrid(int rows = 65, int cols = 4) {
    grid.setRows(rows);
    grid.setCols(cols);
    for (int c = 0; c < cols; ++c) grid.setColWidthTwips(c, 780);
    grid.resize(900, 600);
    grid.show();
    settle();
  }
  QPoint centre(int row, int col) const { return grid.cellRect(row, col).center(); }
  void mouse(QEvent::Type type, int row, int col, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPointF p = centre(row, col);
    QMouseEvent e(type, p, grid.viewport()->mapToGlobal(p), button, buttons, mods);
    QApplication::sendEvent(grid.viewport(), &e);
  }
  void drag(int r0, int c0, int r1, int c1) {
    mouse(QEvent::MouseButtonPress, r0, c0, Qt::LeftButton, Qt::LeftButton);
    // Through a cell in between, as a hand does.
    mouse(QEvent::MouseMove, (r0 + r1) / 2, (c0 + c1) / 2, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, r1, c1, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, r1, c1, Qt::LeftButton, Qt::NoButton);
  }
  void key(int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(&grid, &e);
  }
  FlexGrid grid;
};

// Counts a signal's emissions.
template <class Signal>
struct Count {
  Count(FlexGrid* g, Signal signal) { QObject::connect(g, signal, g, [this] { ++n; }); }
  int n = 0;
};

struct Rect {
  int top, bottom, left, right;
  bool operator==(const Rect&) const = default;
};
Rect rectOf(const FlexGrid& g) { return {g.topRow(), g.bottomRow(), g.leftCol(), g.rightCol()}; }
std::ostream& operator<<(std::ostream& os, const Rect& r) {
  return os << "rows " << r.top << ".." << r.bottom << " cols " << r.left << ".." << r.right;
}

TEST(GridSelection, DraggedEitherWayReportsTheSameRectangle) {
  struct Case {
    const char* name;
    int r0, c0, r1, c1;
    Rect want;
  };
  const Case cases[] = {
      {"down", 2, 2, 6, 2, {2, 6, 2, 2}},
      {"up", 6, 2, 2, 2, {2, 6, 2, 2}},
      {"up and left", 6, 3, 2, 1, {2, 6, 1, 3}},
      {"down and right", 2, 1, 6, 3, {2, 6, 1, 3}},
      {"up, right", 7, 1, 3, 3, {3, 7, 1, 3}},
  };
  for (const Case& c : cases) {
    ShownGrid g;
    Count sel(&g.grid, &FlexGrid::selChange);
    g.drag(c.r0, c.c0, c.r1, c.c1);
    EXPECT_EQ(rectOf(g.grid), c.want) << c.name;
    // The press is the active cell, the drag's end the selection end.
    EXPECT_EQ(g.grid.row(), c.r0) << c.name;
    EXPECT_EQ(g.grid.col(), c.c0) << c.name;
    EXPECT_EQ(g.grid.rowSel(), c.r1) << c.name;
    EXPECT_EQ(g.grid.colSel(), c.c1) << c.name;
    EXPECT_GE(sel.n, 2) << c.name << ": press and drag each change the selection";
  }
}

TEST(GridSelection, KeyboardAndCodeSelectEitherWayRound) {
  ShownGrid g;
  // Shift+Up from row 6 stretches upwards; the active cell stays.
  g.grid.setCurrent(6, 2);
  for (int i = 0; i < 4; ++i) g.key(Qt::Key_Up, {}, Qt::ShiftModifier);
  EXPECT_EQ(rectOf(g.grid), (Rect{2, 6, 2, 2}));
  EXPECT_EQ(g.grid.row(), 6);
  EXPECT_EQ(g.grid.rowSel(), 2);
  // Shift+click extends from the active cell too.
  g.mouse(QEvent::MouseButtonPress, 9, 3, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  g.mouse(QEvent::MouseButtonRelease, 9, 3, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
  EXPECT_EQ(rectOf(g.grid), (Rect{6, 9, 2, 3}));
  // A plain arrow collapses to one cell.
  g.key(Qt::Key_Down);
  EXPECT_EQ(rectOf(g.grid), (Rect{10, 10, 3, 3}));

  // From code, either corner first.
  g.grid.setSelection(8, 3, 4, 1);
  EXPECT_EQ(rectOf(g.grid), (Rect{4, 8, 1, 3}));
  EXPECT_EQ(g.grid.selectionModel()->selectedIndexes().size(), 5 * 3);
  Count sel(&g.grid, &FlexGrid::selChange);
  g.grid.setCurrent(5, 2);
  EXPECT_EQ(rectOf(g.grid), (Rect{5, 5, 2, 2}));
  EXPECT_EQ(g.grid.selectionModel()->selectedIndexes().size(), 1);
  g.grid.setCurrent(5, 2);  // the same cell again is no change
  EXPECT_EQ(sel.n, 1);

  // Moving down stays on the last row.
  g.grid.setCurrent(63, 1);
  g.grid.moveDown();
  EXPECT_EQ(g.grid.row(), 64);
  g.grid.moveDown();
  EXPECT_EQ(g.grid.row(), 64);
}

TEST(GridSelection, FixedColumnIsNeverCurrentAndSelectsItsRow) {
  ShownGrid g;
  g.grid.setCurrent(3, 1);
  g.key(Qt::Key_Left);
  g.key(Qt::Key_Home);
  EXPECT_EQ(g.grid.col(), 1);
  g.mouse(QEvent::MouseButtonPress, 7, 0, Qt::LeftButton, Qt::LeftButton);
  g.mouse(QEvent::MouseButtonRelease, 7, 0, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(rectOf(g.grid), (Rect{7, 7, 1, 3}));
  // A drag that runs into the fixed column stops at column 1.
  g.drag(4, 3, 2, 0);
  EXPECT_EQ(g.grid.leftCol(), 1);
  EXPECT_EQ(g.grid.rightCol(), 3);
  // A header press selects the column's data rows.
  const QHeaderView* h = g.grid.horizontalHeader();
  const QPointF p(h->sectionViewportPosition(2) + 5, h->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, p, h->viewport()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(h->viewport(), &press);
  EXPECT_EQ(rectOf(g.grid), (Rect{1, 64, 2, 2}));
}

TEST(GridText, HeaderAndCellsRoundTripAndClearing) {
  FlexGrid g;
  g.setRows(5);
  g.setCols(4);
  EXPECT_EQ(g.rows(), 5);
  EXPECT_EQ(g.cols(), 4);
  const char* headers[] = {"Address", "Dec", "Hex", "Device Comment"};
  for (int c = 0; c < 4; ++c) g.setTextMatrix(0, c, headers[c]);
  for (int r = 1; r < 5; ++r)
    for (int c = 0; c < 4; ++c) g.setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(g.textMatrix(0, c), headers[c]);
    EXPECT_EQ(g.model()->headerData(c, Qt::Horizontal).toString(), headers[c]);  // row 0 is what the header shows
  }
  EXPECT_EQ(g.textMatrix(4, 3), "4,3");
  EXPECT_EQ(g.textMatrix(1, 0), "1,0");
  // Outside the grid: nothing, and nothing breaks.
  g.setTextMatrix(5, 1, "x");
  g.setTextMatrix(1, 4, "x");
  EXPECT_EQ(g.textMatrix(5, 1), "");
  EXPECT_EQ(g.textMatrix(-1, 0), "");

  // What the columns and rows stand for is kept beside the texts: a heading
  // typed over does not change a column's mode, and only clearing forgets.
  g.setColumn(1, ColumnMode::Hex, "Hex");
  g.setTextMatrix(0, 1, "Dec");
  EXPECT_EQ(g.columnMode(1), ColumnMode::Hex);
  EXPECT_EQ(g.columnMode(0), ColumnMode::Other);
  EXPECT_EQ(g.columnMode(9), ColumnMode::Other);
  g.setRowDevice(2, RowDevice{2, 100, "D", "D000100"});
  g.setRowDevice(7, RowDevice{2, 1, "D", "D000001"});  // outside: ignored
  ASSERT_NE(g.rowDevice(2), nullptr);
  EXPECT_EQ(g.rowDevice(2)->word, 100);
  EXPECT_EQ(g.rowDevice(1), nullptr);
  EXPECT_EQ(g.rowDevice(7), nullptr);

  // Styles: the cell's own go with clearing, the column's tint stays.
  FlexGrid::CellStyle st;
  st.back = Qt::red;
  st.hasBack = true;
  st.fore = Qt::blue;
  st.hasFore = true;
  st.font = QFont("Sans", 15);
  st.hasFont = true;
  g.setCellStyle(2, 3, st);
  g.setColBackground(1, QColor(0xF7, 0xF7, 0xF7));
  g.setCellBackground(2, 1, Qt::yellow);
  EXPECT_TRUE(g.cellStyle(2, 3).hasBack);
  EXPECT_EQ(g.cellStyle(2, 3).fore, QColor(Qt::blue));
  EXPECT_EQ(g.cellStyle(2, 3).font.pointSize(), 15);
  EXPECT_EQ(g.model()->index(1, 1).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::yellow));

  g.clearTexts();
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(g.textMatrix(r, c), "") << r << "," << c;
  EXPECT_EQ(g.columnMode(1), ColumnMode::Other);
  EXPECT_EQ(g.rowDevice(2), nullptr);
  EXPECT_FALSE(g.cellStyle(2, 3).hasBack);
  EXPECT_FALSE(g.cellStyle(2, 3).hasFore);
  EXPECT_FALSE(g.cellStyle(2, 3).hasFont);
  EXPECT_EQ(g.model()->index(1, 1).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0xF7, 0xF7, 0xF7));

  // Growing keeps what was there; the new rows are empty.
  g.setTextMatrix(4, 2, "kept");
  g.setRows(9);
  EXPECT_EQ(g.textMatrix(4, 2), "kept");
  EXPECT_EQ(g.textMatrix(8, 2), "");
  g.setTextMatrix(8, 2, "new");
  EXPECT_EQ(g.textMatrix(8, 2), "new");
}

TEST(GridText, AlignmentsAndTwips) {
  FlexGrid g;
  g.setRows(3);
  g.setCols(4);
  g.setColAlignment(1, Qt::AlignRight);
  g.setFixedAlignment(1, Qt::AlignHCenter);
  g.setFixedAlignment(0, Qt::AlignRight);
  EXPECT_EQ(Qt::Alignment(g.model()->index(1, 1).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(Qt::Alignment(g.model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
  // Column 0's rows are fixed cells: they follow the fixed alignment.
  EXPECT_EQ(Qt::Alignment(g.model()->index(0, 0).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask, Qt::AlignRight);

  g.setColWidthTwips(3, 2000);
  EXPECT_EQ(g.columnWidth(3), static_cast<int>(std::lround(2000 * logicalDpi() / 1440.0)));
  EXPECT_EQ(g.colWidthTwips(3), 2000);
}

// Counts the paints of the grid's cell area.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void fill(FlexGrid& g, int round) {
  for (int r = 1; r < g.rows(); ++r)
    for (int c = 0; c < g.cols(); ++c) g.setTextMatrix(r, c, QString::number(r * 100 + c + round));
}

TEST(GridRedraw, SuspendedDrawingShowsNothingUntilResumed) {
  ShownGrid g(65, 20);
  PaintCounter counter;
  g.grid.viewport()->installEventFilter(&counter);

  // Control: with drawing on, a change is painted.
  g.grid.setTextMatrix(1, 1, "on");
  settle();
  ASSERT_GT(counter.paints, 0);

  counter.paints = 0;
  g.grid.setRedraw(false);
  EXPECT_FALSE(g.grid.redraw());
  fill(g.grid, 1);
  g.grid.setTextMatrix(0, 5, "Dec");
  settle();
  EXPECT_EQ(counter.paints, 0) << "no intermediate state may be drawn";

  g.grid.setRedraw(true);
  settle();
  EXPECT_GE(counter.paints, 1);
  EXPECT_EQ(g.grid.textMatrix(64, 19), QString::number(6400 + 19 + 1));

  // A redraw that finds every cell as it was paints nothing at all (a
  // refresh of a window whose devices did not change costs no painting).
  counter.paints = 0;
  {
    RedrawSuspended quiet(g.grid);
    fill(g.grid, 1);
  }
  settle();
  EXPECT_EQ(counter.paints, 0);
}

TEST(GridEvents, KeysMouseAndFocus) {
  ShownGrid g;
  g.grid.setTextMatrix(9, 2, "A9");
  g.grid.setCurrent(3, 2);

  struct Key {
    int key;
    QString text;
    Qt::KeyboardModifiers mods;
  };
  std::vector<Key> keys;
  QObject::connect(&g.grid, &FlexGrid::keyPressed, &g.grid,
                   [&](int k, const QString& t, Qt::KeyboardModifiers m) { keys.push_back({k, t, m}); });
  g.key(Qt::Key_A, "a");
  g.key(Qt::Key_C, "\x03", Qt::ControlModifier);
  g.key(Qt::Key_V, "\x16", Qt::ControlModifier);
  g.key(Qt::Key_Return, "\r");
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].text, "a");
  EXPECT_EQ(keys[1].key, Qt::Key_C);
  EXPECT_EQ(keys[1].mods, Qt::ControlModifier);
  EXPECT_EQ(keys[2].key, Qt::Key_V);
  EXPECT_EQ(keys[3].text, "\r");
  // A window's Ctrl+C / Ctrl+V shortcuts do not take the keys from the grid.
  for (int k : {Qt::Key_C, Qt::Key_V}) {
    QKeyEvent so(QEvent::ShortcutOverride, k, Qt::ControlModifier, {});
    so.ignore();
    QApplication::sendEvent(&g.grid, &so);
    EXPECT_TRUE(so.isAccepted()) << k;
  }
  // Typing moves nothing (no search for a cell starting with the letter).
  EXPECT_EQ(rectOf(g.grid), (Rect{3, 3, 2, 2}));

  // The right button is told but leaves the selection alone.
  g.grid.setSelection(2, 1, 5, 3);
  std::vector<Qt::MouseButton> down;
  QObject::connect(&g.grid, &FlexGrid::mouseDown, &g.grid, [&](Qt::MouseButton b) { down.push_back(b); });
  Count clicked(&g.grid, &FlexGrid::clicked);
  Count dbl(&g.grid, &FlexGrid::dblClicked);
  g.mouse(QEvent::MouseButtonPress, 9, 2, Qt::RightButton, Qt::RightButton);
  g.mouse(QEvent::MouseButtonRelease, 9, 2, Qt::RightButton, Qt::NoButton);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0], Qt::RightButton);
  EXPECT_EQ(rectOf(g.grid), (Rect{2, 5, 1, 3}));
  EXPECT_EQ(clicked.n, 0);

  // Left: down, click, and a double click on the cell.
  g.mouse(QEvent::MouseButtonPress, 9, 2, Qt::LeftButton, Qt::LeftButton);
  g.mouse(QEvent::MouseButtonRelease, 9, 2, Qt::LeftButton, Qt::NoButton);
  g.mouse(QEvent::MouseButtonDblClick, 9, 2, Qt::LeftButton, Qt::LeftButton);
  g.mouse(QEvent::MouseButtonRelease, 9, 2, Qt::LeftButton, Qt::NoButton);
  ASSERT_EQ(down.size(), 2u);
  EXPECT_EQ(down[1], Qt::LeftButton);
  EXPECT_EQ(clicked.n, 1);
  EXPECT_EQ(dbl.n, 1);
  EXPECT_EQ(rectOf(g.grid), (Rect{9, 9, 2, 2}));

  // Focus moving to another widget is a lost focus; a menu is not.
  Count lost(&g.grid, &FlexGrid::lostFocus);
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(&g.grid, &popup);
  EXPECT_EQ(lost.n, 0);
  QFocusEvent away(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(&g.grid, &away);
  EXPECT_EQ(lost.n, 1);
}

TEST(GridGeometry, CellRectFollowsColumnsAndScrolling) {
  ShownGrid g;
  g.grid.setColWidthTwips(0, 780);
  g.grid.setColWidthTwips(1, 650);
  const QRect a = g.grid.cellRect(3, 2);
  EXPECT_EQ(a.left(), g.grid.columnWidth(0) + g.grid.columnWidth(1));
  // Inside the cell's grid lines.
  EXPECT_GE(a.width(), g.grid.columnWidth(2) - 1);
  EXPECT_LE(a.width(), g.grid.columnWidth(2));
  EXPECT_EQ(a.top(), 2 * g.grid.rowHeight(0));
  EXPECT_EQ(g.grid.cellRect(4, 2).top() - a.top(), g.grid.rowHeight(3));
  // The header row lies above the cell area.
  EXPECT_LT(g.grid.cellRect(0, 2).top(), 0);
  // Scrolled down, the cell moves up with the rows.
  g.grid.setCurrent(60, 2);
  EXPECT_LT(g.grid.cellRect(3, 2).top(), a.top());
  EXPECT_TRUE(g.grid.viewport()->rect().contains(g.grid.cellRect(60, 2).center()));

  g.grid.setToolTip("X00000F");
  EXPECT_EQ(g.grid.toolTip(), "X00000F");
}


// The fixed column stays at the left edge when the grid is scrolled
// sideways, showing the same cells, and a press on it still selects the
// row.
TEST(FixedColumn, NeverScrollsOutOfView) {
  FlexGrid g;
  g.setRows(6);
  g.setCols(5);
  for (int c = 0; c < 5; ++c) g.setColWidthTwips(c, 1500);
  g.setTextMatrix(0, 0, "Address");
  for (int r = 1; r < 6; ++r) g.setTextMatrix(r, 0, QStringLiteral("D%1").arg(r));
  g.resize(200, 200);
  g.show();
  QApplication::processEvents();
  g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->maximum());
  QApplication::processEvents();
  ASSERT_LT(g.columnViewportPosition(0), 0) << "the grid itself has scrolled column 0 away";

  const QPoint inside(g.frameWidth() + 5, g.frameWidth() + g.horizontalHeader()->height() + g.rowHeight(1) + 2);
  auto* frozen = qobject_cast<QTableView*>(g.childAt(inside)->parentWidget());
  ASSERT_NE(frozen, nullptr);
  const QModelIndex shown = frozen->indexAt(frozen->viewport()->mapFrom(&g, inside));
  EXPECT_EQ(shown.column(), 0);
  EXPECT_EQ(shown.data().toString(), "D2");
  EXPECT_EQ(frozen->model()->headerData(0, Qt::Horizontal).toString(), "Address");

  const QPointF at = frozen->viewport()->mapFrom(&g, inside);
  QMouseEvent press(QEvent::MouseButtonPress, at, frozen->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(frozen->viewport(), &press);
  EXPECT_EQ(g.topRow(), 2);
  EXPECT_EQ(g.leftCol(), 1);
  EXPECT_EQ(g.rightCol(), 4);
}

}  // namespace
}  // namespace omb
