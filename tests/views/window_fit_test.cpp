// Every window at the size it opens with, shown: all its columns and
// labels can be read, nothing stands on anything else, and a new page is
// shown from its first row.
#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "core/device_kind.h"
#include "views/device_view.h"
#include "views/flex_grid.h"
#include "views/view_factory.h"
#include "views/word_view.h"
#include "view_fixture.h"

namespace omb {
namespace {

// What a user would find cut or hidden in a window: a grid that needs its
// horizontal scroll bar, a caption wider than its control, two controls on
// top of each other or a control outside the window.
std::vector<std::string> cutOrHidden(QWidget& window) {
  std::vector<std::string> found;
  for (FlexGrid* g : window.findChildren<FlexGrid*>())
    if (g->isVisible() && g->horizontalScrollBar()->maximum() > 0)
      found.push_back(g->objectName().toStdString() + " scrolls its columns (" +
                      std::to_string(g->horizontalScrollBar()->maximum()) + " px more)");
  std::vector<QWidget*> captions;
  for (QLabel* l : window.findChildren<QLabel*>())
    if (l->isVisible() && !l->text().isEmpty() && l->parentWidget() == &window) captions.push_back(l);
  for (QAbstractButton* b : window.findChildren<QAbstractButton*>())
    if (b->isVisible() && b->parentWidget() == &window) captions.push_back(b);
  for (QWidget* w : captions) {
    // A button's caption with a few pixels of its frame either side.
    const QString text = w->property("text").toString();
    const int needs = w->fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&'))) +
                      (qobject_cast<QLabel*>(w) ? 0 : 6);
    if (needs > w->width())
      found.push_back(w->objectName().toStdString() + " \"" + text.toStdString() + "\" needs " +
                      std::to_string(needs) + " px, has " + std::to_string(w->width()));
    if (!window.rect().contains(w->geometry()))
      found.push_back(w->objectName().toStdString() + " lies outside the window");
  }
  for (std::size_t i = 0; i < captions.size(); ++i)
    for (std::size_t j = i + 1; j < captions.size(); ++j)
      if (captions[i]->geometry().intersects(captions[j]->geometry()) &&
          captions[i]->geometry().intersected(captions[j]->geometry()).width() > 2)
        found.push_back(captions[i]->objectName().toStdString() + " and " + captions[j]->objectName().toStdString() +
                        " overlap");
  return found;
}

class WindowFit : public test::ViewFixture {
 protected:
  void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
};

TEST_F(WindowFit, EverySingleViewOpensShowingAllItsColumnsAndLabels) {
  for (int slot = 0; slot < kViewSlotCount; ++slot) {
    if (!hasSingleView(slot)) continue;
    restart();  // no view before it to cascade from: the size it opens with
    manager->openSingleView(slot);
    DeviceView* v = manager->view(slot);
    ASSERT_NE(v, nullptr) << slot;
    v->show();
    settle();
    EXPECT_EQ(cutOrHidden(*v), std::vector<std::string>{}) << v->objectName().toStdString() << " at "
                                                           << v->width() << "x" << v->height();
    manager->subCloseDeviceView();
  }
}

TEST_F(WindowFit, EveryMultiScreenWindowOpensShowingAllItsColumnsAndLabels) {
  for (int kind : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}) {
    restart();
    manager->openMultiView(kind);
    ASSERT_FALSE(manager->multiViews.empty()) << kind;
    DeviceView* v = manager->multiViews.back();
    v->show();
    settle();
    EXPECT_EQ(cutOrHidden(*v), std::vector<std::string>{}) << v->objectName().toStdString() << " at "
                                                           << v->width() << "x" << v->height();
    manager->mnuAllClr();
  }
}

// Prev and Next show every panel from the first row of the new page, also
// when a panel was left scrolled down.
TEST_F(WindowFit, APageChangeShowsEveryGridFromItsFirstRow) {
  for (int slot : {int{kD}, int{kX}}) {
    manager->openSingleView(slot);
    auto* v = manager->view(slot);
    v->show();
    settle();
    for (const char* button : {"cmdNext", "cmdPrev"}) {
      const auto grids = v->findChildren<FlexGrid*>();
      ASSERT_FALSE(grids.isEmpty());
      for (FlexGrid* g : grids) {
        g->scrollToBottom();
        ASSERT_GT(g->visibleRows().first, 1) << "the grid scrolls at all";
      }
      test::click(*v, button);
      settle();
      for (FlexGrid* g : grids)
        EXPECT_EQ(g->visibleRows().first, 1) << v->objectName().toStdString() << " " << g->objectName().toStdString()
                                             << " after " << button;
    }
  }
}

}  // namespace
}  // namespace omb
