// How device windows follow device memory: the rows a change set marks,
// one repaint per display frame however many writes it holds, storage that
// shrinks under open windows, and where windows open and whom they belong
// to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include "core/device_kind.h"
#include "view_fixture.h"
#include "views/bit_view.h"
#include "views/list_view.h"
#include "views/multi_view.h"
#include "views/word_bit_view.h"
#include "views/word_view.h"
#include "ui/window_place.h"

namespace omb {
namespace {

// Counts the paints of a grid's cell area.
struct PaintCounter : QObject {
  int paints = 0;
  QRegion painted;  // what the paints covered
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++paints;
      painted += static_cast<QPaintEvent*>(e)->region();
    }
    return false;
  }
};

// Runs the event loop for a while: the display frame and the paints the
// platform posts a few milliseconds later.
void settle(int ms = 60) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

class Refresh : public test::ViewFixture {
 protected:
  // A write as the link makes it: words written, then one publication.
  void linkWrite(int kind, std::int64_t first, std::vector<std::int16_t> values) {
    for (std::size_t i = 0; i < values.size(); ++i)
      core->state.memory.write(kind, first + static_cast<std::int64_t>(i), values[i]);
    core->state.memory.publish("All");
  }
};

// A change set of given words marks, in every window, exactly the rows on
// the screen that show one of them: not rows scrolled out of view, not rows
// of other words or kinds, not rows of another panel.
TEST_F(Refresh, AChangeSetMarksExactlyTheVisibleRowsThatShowItsWords) {
  auto& word = open<FrmWordDevice>(kD);
  auto& bits = open<FrmBitDevice>(kX);
  word.resize(1200, 400);
  bits.resize(600, 400);
  settle();
  FlexGrid& p0 = *word.panel(0);
  FlexGrid& p1 = *word.panel(1);
  const auto [first, last] = p0.visibleRows();
  ASSERT_EQ(first, 1);
  ASSERT_GT(last, 6);
  ASSERT_LT(last, 60) << "the window must be short enough to hide rows";

  // D1-D2 (rows 2 and 3 of panel 0), D5 (row 6), D60 (row 61, not on the
  // screen), D65 (row 2 of panel 1), W1 (another kind), X word 3 (row 4 of
  // the X view).
  ChangeSet set;
  set.add(kD, 1, 2);
  set.add(kD, 5, 5);
  set.add(kD, 60, 60);
  set.add(kD, 65, 65);
  set.add(kW, 1, 1);
  set.add(kX, 3, 3);
  core->announcing = &set;
  core->subDspRenew("All", "DATA");
  core->announcing = nullptr;
  EXPECT_EQ(p0.markedRows(), (std::vector<int>{2, 3, 6}));
  EXPECT_EQ(p1.markedRows(), (std::vector<int>{2}));
  EXPECT_TRUE(word.panel(2)->markedRows().empty());
  EXPECT_EQ(bits.grid()->markedRows(), (std::vector<int>{4}));

  // The frame draws them and forgets them.
  manager->flushFrame();
  EXPECT_TRUE(p0.markedRows().empty());
  EXPECT_TRUE(bits.grid()->markedRows().empty());

  // Scrolled down, the rows of D60 are the ones on the screen.
  p0.scrollTo(p0.model()->index(62, 1));
  settle(10);
  const auto [from, to] = p0.visibleRows();
  ASSERT_LE(from, 61);
  ASSERT_GE(to, 61);
  linkWrite(kD, 60, {7});
  EXPECT_EQ(p0.markedRows(), (std::vector<int>{61}));
  EXPECT_EQ(p0.textMatrix(61, 1), "7");
}

// The rows of one bit each (multi-screen bit window): a word of sixteen
// devices marks the rows of its bits.
TEST_F(Refresh, AWordOfBitsMarksTheRowsOfItsBits) {
  manager->openMultiView(kX + 1);
  ASSERT_EQ(manager->multiViews.size(), 1u);
  auto* multi = dynamic_cast<FrmMultiBit*>(manager->multiViews[0]);
  ASSERT_NE(multi, nullptr);
  multi->resize(400, 900);
  settle();
  FlexGrid& g = *multi->grid();
  ASSERT_EQ(g.visibleRows(), std::make_pair(1, 16));
  linkWrite(kX, 0, {0x0002});  // X1 on
  EXPECT_EQ(g.markedRows(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
  EXPECT_EQ(g.textMatrix(2, 1), "●");
  EXPECT_EQ(g.textMatrix(1, 1), "○");
  linkWrite(kX, 1, {0x0001});  // X10: a word no row shows
  EXPECT_EQ(g.markedRows().size(), 16u);
}

// The test monitor follows the PC program's writes row by row, and redraws
// whole only when the lists it shows have changed (a test or monitor
// registration).
TEST_F(Refresh, TheTestMonitorRedrawsWholeOnlyWhenItsListsChange) {
  auto& uni = open<FrmUni>(18);
  uni.resize(1200, 500);
  settle();
  core->lists.MoniWordList[0] = LinkListEntry{"D0005", "D", 5, false, 0};
  core->subDspRenew("UniUsr", "DATA");
  manager->flushFrame();
  FlexGrid& words = *uni.grid(3);
  ASSERT_EQ(words.textMatrix(1, 0), "D0005");

  linkWrite(kD, 5, {9});
  EXPECT_EQ(words.markedRows(), (std::vector<int>{1})) << "the row of the word written";
  manager->flushFrame();
  EXPECT_EQ(words.textMatrix(1, 1), "9");

  // The lists changed with the values: the window is drawn anew at the frame.
  core->lists.MoniWordList[1] = LinkListEntry{"D0006", "D", 6, false, 0};
  linkWrite(kD, 6, {4});
  EXPECT_TRUE(words.markedRows().empty());
  EXPECT_EQ(words.textMatrix(2, 0), "");
  manager->flushFrame();
  EXPECT_EQ(words.textMatrix(2, 0), "D0006");
  EXPECT_EQ(words.textMatrix(2, 1), "4");
}

// However many writes a display frame holds, each window repaints once, at
// the frame, and shows the last values.
TEST_F(Refresh, AHundredWritesWithinOneFrameGiveOneRepaint) {
  auto& word = open<FrmWordDevice>(kD);
  word.resize(1200, 400);
  settle();
  FlexGrid& g = *word.panel(0);
  PaintCounter counter;
  g.viewport()->installEventFilter(&counter);

  for (int i = 0; i < 100; ++i) linkWrite(kD, i % 4, {static_cast<std::int16_t>(i)});
  EXPECT_EQ(counter.paints, 0) << "nothing is drawn while the writes come";
  settle(2 * ViewManager::kFrameMs + 60);
  EXPECT_EQ(counter.paints, 1);
  EXPECT_EQ(g.textMatrix(1, 1), "96");
  EXPECT_EQ(g.textMatrix(4, 1), "99");

  // A write to words no row on the screen shows paints nothing.
  counter.paints = 0;
  linkWrite(kD, 200, {1});
  settle(2 * ViewManager::kFrameMs + 60);
  EXPECT_EQ(counter.paints, 0);
}

// A write repaints the cells of the rows that show it, not the whole grid:
// one word, one row's value cells.
TEST_F(Refresh, AWriteRepaintsOnlyTheRowsThatShowIt) {
  auto& word = open<FrmWordDevice>(kD);
  word.resize(1200, 400);
  settle();
  FlexGrid& g = *word.panel(0);
  ASSERT_GT(g.visibleRows().second, 8) << "several rows on the screen";
  PaintCounter counter;
  g.viewport()->installEventFilter(&counter);

  linkWrite(kD, 5, {77});
  settle(2 * ViewManager::kFrameMs + 60);
  ASSERT_EQ(counter.paints, 1);
  const QRect row = g.cellRect(6, 1).united(g.cellRect(6, g.cols() - 1));
  const QRect painted = counter.painted.boundingRect();
  EXPECT_LE(painted.height(), row.height() + 2) << "one row, not the grid";
  EXPECT_TRUE(painted.intersects(row));
  EXPECT_EQ(g.textMatrix(6, 1), "77");
  // The numbers changed, not the comment beside them (the widest column).
  ASSERT_EQ(g.columnMode(3), ColumnMode::Comment);
  EXPECT_FALSE(counter.painted.intersects(g.cellRect(6, 3).adjusted(2, 1, -2, -1)));
  EXPECT_TRUE(counter.painted.intersects(g.cellRect(6, 2))) << "Hex follows the word too";

  // Words two rows apart: the two rows and what lies between them at most.
  counter.painted = QRegion();
  linkWrite(kD, 2, {1});
  linkWrite(kD, 4, {2});
  settle(2 * ViewManager::kFrameMs + 60);
  EXPECT_LE(counter.painted.boundingRect().height(), 3 * (row.height() + 1));
}

// A display frame that falls due while the line is in an exchange waits
// for a reply to leave or the line to rest, so drawing never runs between
// a request and its reply; a line that never rests still sees its windows
// drawn.
TEST_F(Refresh, WindowsDrawInTheLinesQuietMoments) {
  bool lineBusy = true;
  ViewHost host = viewHostOf(*core);
  host.lineBusy = [&lineBusy] { return lineBusy; };
  manager.reset();  // the refresh hook is the last manager's to clear
  manager = std::make_unique<ViewManager>(host, nullptr);
  manager->factory = createSingleView;
  auto& word = open<FrmWordDevice>(kD);
  word.resize(1200, 400);
  settle();
  PaintCounter counter;
  word.panel(0)->viewport()->installEventFilter(&counter);

  linkWrite(kD, 5, {77});
  settle(3 * ViewManager::kFrameMs);
  EXPECT_EQ(counter.paints, 0) << "nothing drawn while the line is busy";
  lineBusy = false;
  settle(2 * ViewManager::kLineWaitMs + 30);
  EXPECT_EQ(counter.paints, 1) << "drawn as soon as the line rests";

  // A reply that left, the line still busy: drawn at once.
  lineBusy = true;
  counter.paints = 0;
  linkWrite(kD, 5, {79});
  settle(3 * ViewManager::kFrameMs);
  EXPECT_EQ(counter.paints, 0);
  core->engine.onReplied();
  settle(10);
  EXPECT_EQ(counter.paints, 1) << "drawn after the reply";

  // A line that never rests: drawn after the longest wait.
  counter.paints = 0;
  linkWrite(kD, 5, {78});
  settle(ViewManager::kFrameMs + ViewManager::kMostWaitMs / 2);
  EXPECT_EQ(counter.paints, 0);
  settle(ViewManager::kMostWaitMs);
  EXPECT_EQ(counter.paints, 1);
  EXPECT_EQ(word.panel(0)->textMatrix(6, 1), "78");
}

// Storage shrinks under open windows (a project or a station with smaller
// ranges): no window reads past the new end, whatever it paints, redraws
// or is asked to do with rows that stood for devices now gone.
TEST_F(Refresh, StorageThatShrinksUnderOpenWindowsIsNeverReadPastItsEnd) {
  auto& word = open<FrmWordDevice>(kD);
  auto& bits = open<FrmBitDevice>(kX);
  auto& wordBits = open<FrmWordBitDevice>(20);
  auto& user = open<FrmUser>(19);
  manager->openMultiView(kD + 1);
  manager->openMultiView(kX + 1);
  ASSERT_EQ(manager->multiViews.size(), 2u);
  // The last page of D and of X, and registrations at D's end.
  word.goToPage(word.lastPage());
  bits.goToPage(bits.lastPage());
  wordBits.goToPage(wordBits.lastPage());
  const std::int64_t dWords = static_cast<std::int64_t>(mem(kD).size());
  core->state.userWordList.add(UserListEntry{"D", "D" + std::to_string(1000000 + dWords - 1).substr(1), "", static_cast<std::int32_t>(dWords - 1)});
  core->subDspRenew("UniUsr", "ASGN");
  for (QWidget* w : std::initializer_list<QWidget*>{&word, &bits, &wordBits, &user, manager->multiViews[0], manager->multiViews[1]})
    w->show();
  settle(20);

  // Every kind down to 16 devices.
  for (int k = 0; k < kKindCount; ++k) {
    DevRange& r = core->state.range7[static_cast<std::size_t>(k)];
    r.last = r.first + 15;
  }
  core->state.memory.subReDim_Device(core->state.range7);
  ASSERT_EQ(mem(kD).size(), 16u);

  // Paint before any window has heard of it, then the signals, then paint
  // again, then act on the rows that are gone.
  for (QWidget* w : std::initializer_list<QWidget*>{&word, &bits, &wordBits, &user, manager->multiViews[0], manager->multiViews[1]})
    w->repaint();
  settle(10);
  EXPECT_EQ(word.panel(0)->textMatrix(1, 1), "") << "a row past the end shows nothing";
  core->state.memory.publish("All");
  core->subDspRenew("All", "CMNT");
  manager->flushFrame();
  settle(10);
  FlexGrid& g = *bits.grid();
  g.setSelection(1, 1, 2, 16);
  test::click(bits, "cmdSet");
  FlexGrid& w = *user.wordGrid();
  w.setSelection(1, 1, 1, 1);
  inputAnswers = {"5"};
  test::click(user, "cmdWordData");
  for (int i = 0; i < 16; ++i) EXPECT_EQ(mem(kD)[static_cast<std::size_t>(i)], 0) << i;
}

// Device views, multi-screen windows and tool windows belong to the main
// window; new ones open fully on the screen, not over the main window's
// title bar and not exactly over the main window.
// With several stations on the line every window's caption names the
// station it shows, and follows when another is shown; with one station
// the captions are the plain ones.
TEST_F(Refresh, CaptionsNameTheStationShownWhenTheLineCarriesSeveral) {
  manager->factory = createSingleView;
  manager->multiFactory = createMultiView;
  core->stationShown = [this] { manager->reopenViews(); };
  manager->openSingleView(kD);
  manager->openMultiView(kX + 1);
  ASSERT_EQ(manager->multiViews.size(), 1u);
  const auto captions = [this] {
    return std::make_pair(manager->view(kD)->windowTitle(), manager->multiViews[0]->windowTitle());
  };
  EXPECT_EQ(captions(), std::make_pair(QStringLiteral("データレジスタＤ"), QStringLiteral("入力Ｘ - 1")));

  ASSERT_TRUE(core->setStations({"00", "01"}));
  EXPECT_EQ(captions(), std::make_pair(QStringLiteral("データレジスタＤ　（局番 00）"), QStringLiteral("入力Ｘ - 1　（局番 00）")));
  ASSERT_TRUE(core->showStation("01"));
  EXPECT_EQ(captions(), std::make_pair(QStringLiteral("データレジスタＤ　（局番 01）"), QStringLiteral("入力Ｘ - 1　（局番 01）")));

  ASSERT_TRUE(core->setStations({"01"}));
  EXPECT_EQ(captions(), std::make_pair(QStringLiteral("データレジスタＤ"), QStringLiteral("入力Ｘ - 1")));
}

TEST_F(Refresh, WindowsBelongToTheMainWindowAndOpenOnTheScreen) {
  QWidget main;
  main.setObjectName("frmMain");
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  // The main window low on the screen: below it there is no room.
  main.setGeometry(avail.left() + 40, avail.bottom() - 300, 500, 260);
  main.show();
  settle(10);
  restart();
  manager = std::make_unique<ViewManager>(omb::viewHostOf(*core), &main);
  manager->factory = createSingleView;
  manager->multiFactory = createMultiView;

  manager->openSingleView(kD);
  manager->openMultiView(kD + 1);
  manager->openMultiView(kX + 1);
  settle(10);
  std::vector<QWidget*> windows{manager->view(kD)};
  for (DeviceView* v : manager->multiViews) windows.push_back(v);
  for (QWidget* w : windows) {
    SCOPED_TRACE(w->objectName().toStdString());
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_EQ(w->windowHandle()->transientParent(), main.windowHandle());
    // A dialog-like type: the only kind X11 window managers are told the
    // owner of (WM_TRANSIENT_FOR).
    EXPECT_EQ(w->windowType(), Qt::Dialog);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
  }
  for (DeviceView* v : manager->multiViews) {
    SCOPED_TRACE(v->objectName().toStdString());
    EXPECT_TRUE(avail.contains(v->frameGeometry())) << "inside the screen";
    EXPECT_NE(v->geometry().topLeft(), main.geometry().topLeft());
    EXPECT_FALSE(v->frameGeometry().intersects(QRect(main.frameGeometry().topLeft(), QSize(main.width(), 1))))
        << "clear of the main window's top edge";
  }

  // A single view without a recorded place: on the screen too (its
  // designed width may be wider than this small screen; it keeps it).
  const QRect single = manager->view(kD)->frameGeometry();
  EXPECT_TRUE(avail.contains(single.topLeft()));
  EXPECT_LE(single.bottom(), avail.bottom());

  // A tool window the first time it is shown.
  QWidget tool(&main, Qt::Window);
  tool.resize(700, 460);
  showToolWindow(&tool, &main);
  settle(10);
  EXPECT_EQ(tool.windowHandle()->transientParent(), main.windowHandle());
  EXPECT_TRUE(avail.contains(tool.frameGeometry()));
  EXPECT_NE(tool.geometry().topLeft(), main.geometry().topLeft());
  manager.reset();
}

}  // namespace
}  // namespace omb
