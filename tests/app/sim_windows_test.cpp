// The value generator window and the trend chart, offscreen, on a program
// whose clock the test moves.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QChartView>
#include <QCheckBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>

#include <cmath>
#include <set>

#include <filesystem>

#include "app/frm_generators.h"
#include "app/frm_main.h"
#include "app/frm_trend.h"
#include "test_support.h"
#include "widget_support.h"

namespace omb {
namespace {

using test::child;

class SimWindows : public ::testing::Test {
 protected:
  SimWindows() {
    test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
  }
  void write(int kind, int number, std::int16_t value) {
    core->state.memory.write(kind, number, value);
    core->state.memory.publish("All");
  }
  std::string lastBox() const { return presenter.boxes.empty() ? std::string() : presenter.boxes.back().text; }

  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
  std::unique_ptr<AppCore> core;
};

TEST_F(SimWindows, GeneratorsAreAddedPausedAndRemovedFromTheirWindow) {
  FrmMain main(*core);
  main.findChild<QAction*>("mnuGenerators")->trigger();
  auto* w = main.findChild<FrmGenerators*>("frmGenerators");
  ASSERT_NE(w, nullptr);
  auto* text = child<QLineEdit>(*w, "txtGenerator");
  auto* grid = child<QTableWidget>(*w, "grdGenerators");

  text->setText("counter D100 step=5 min=0 max=100 period=100");
  child<QPushButton>(*w, "cmdGeneratorAdd")->click();
  text->setText("square X0 period=200 duty=0.25");
  child<QPushButton>(*w, "cmdGeneratorAdd")->click();
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(0, 1)->text(), "カウンタ");
  EXPECT_EQ(grid->item(0, 2)->text(), "D100");
  EXPECT_EQ(grid->item(0, 3)->text(), "step=5 min=0 max=100 period=100");
  EXPECT_EQ(grid->item(1, 4)->text(), "動作中");

  // A line that is not a generator is told and stays for correcting.
  text->setText("counter Q100 period=100");
  child<QPushButton>(*w, "cmdGeneratorAdd")->click();
  EXPECT_NE(lastBox().find("Q100"), std::string::npos) << lastBox();
  EXPECT_EQ(text->text(), "counter Q100 period=100");
  EXPECT_EQ(core->generators.entries().size(), 2u);

  // Pausing the selected row stops its writes; resuming goes on.
  core->tickGenerators();
  clock.advanceMs(250);
  core->tickGenerators();
  EXPECT_EQ(core->state.memory.words(kD)[100], 10);
  grid->selectRow(0);
  child<QPushButton>(*w, "cmdGeneratorPause")->click();
  EXPECT_EQ(grid->item(0, 4)->text(), "一時停止中");
  clock.advanceMs(1000);
  core->tickGenerators();
  EXPECT_EQ(core->state.memory.words(kD)[100], 10);
  child<QPushButton>(*w, "cmdGeneratorResume")->click();
  clock.advanceMs(100);
  core->tickGenerators();
  EXPECT_EQ(core->state.memory.words(kD)[100], 15);
  w->refresh();
  EXPECT_EQ(grid->item(0, 5)->text(), "15");

  // A double click brings a row's line back to change it in place.
  const int id = core->generators.entries()[1].id;
  emit grid->cellDoubleClicked(1, 0);
  EXPECT_EQ(text->text(), "square X0 duty=0.25 period=200");
  text->setText("square X0 duty=0.75 period=400");
  grid->setCurrentCell(1, 0);
  child<QPushButton>(*w, "cmdGeneratorChange")->click();
  EXPECT_EQ(grid->item(1, 3)->text(), "duty=0.75 period=400");
  EXPECT_EQ(core->generators.entries()[1].id, id);
  text->setText("square X0 duty=0.75 period=0");
  child<QPushButton>(*w, "cmdGeneratorChange")->click();
  EXPECT_NE(lastBox().find("period"), std::string::npos) << lastBox();
  EXPECT_EQ(grid->item(1, 3)->text(), "duty=0.75 period=400");

  grid->setCurrentCell(0, 0);
  child<QPushButton>(*w, "cmdGeneratorRemove")->click();
  ASSERT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->item(0, 1)->text(), "矩形波");
  // Everything at once asks first; Cancel keeps them.
  presenter.answers = {MsgAnswer::Cancel};
  child<QPushButton>(*w, "cmdGeneratorClear")->click();
  EXPECT_EQ(grid->rowCount(), 1);
  presenter.answers = {MsgAnswer::Ok};
  child<QPushButton>(*w, "cmdGeneratorClear")->click();
  EXPECT_EQ(grid->rowCount(), 0);
  EXPECT_FALSE(child<QPushButton>(*w, "cmdGeneratorPause")->isEnabled());
}

// At its opening size the generator window shows a generator's settings
// whole: the short columns are as wide as their texts.
TEST_F(SimWindows, TheGeneratorWindowShowsTheSettingsWhole) {
  FrmMain main(*core);
  main.findChild<QAction*>("mnuGenerators")->trigger();
  auto* w = main.findChild<FrmGenerators*>("frmGenerators");
  ASSERT_NE(w, nullptr);
  w->show();
  child<QLineEdit>(*w, "txtGenerator")->setText("counter D100 step=20 min=0 max=1000 period=100");
  child<QPushButton>(*w, "cmdGeneratorAdd")->click();
  QCoreApplication::processEvents();
  auto* grid = child<QTableWidget>(*w, "grdGenerators");
  ASSERT_EQ(grid->rowCount(), 1);
  for (int c = 0; c < grid->columnCount(); ++c) {
    const QTableWidgetItem* item = grid->item(0, c);
    const QString text = item ? item->text() : QString();
    EXPECT_GE(grid->columnWidth(c), grid->fontMetrics().horizontalAdvance(text) + 6) << c << " " << text.toStdString();
  }
}

TEST_F(SimWindows, ATrendChartDrawsTheChosenDevicesAndExportsWhatIsVisible) {
  FrmTrend w(*core);
  w.resize(900, 520);
  w.show();
  child<QLineEdit>(w, "txtTrendDevice")->setText("D100, x0 Q5");
  child<QPushButton>(w, "cmdTrendAdd")->click();
  EXPECT_NE(lastBox().find("Q5"), std::string::npos) << lastBox();
  ASSERT_EQ(w.traces().size(), 2u);
  EXPECT_EQ(w.traces()[1].device, "X0");
  EXPECT_EQ(child<QListWidget>(w, "lstTrendSeries")->count(), 2);

  for (int i = 1; i <= 5; ++i) {
    clock.advanceMs(1000);
    write(kD, 100, static_cast<std::int16_t>(i * 10));
  }
  clock.advanceMs(500);
  core->state.memory.writeBit(kX, 0, 0, true);
  core->state.memory.publish("X");
  clock.advanceMs(500);
  w.redraw();
  const auto series = child<QChartView>(w, "chtTrend")->chart()->series();
  ASSERT_EQ(series.size(), 2);
  EXPECT_EQ(series[0]->name(), "D100");
  // Square steps up to now: the last point is D100's latest value, now.
  const auto* d = static_cast<const QLineSeries*>(series[0]);
  ASSERT_FALSE(d->points().isEmpty());
  EXPECT_EQ(d->points().back(), QPointF(6.0, 50));
  EXPECT_EQ(w.readOut(2.5), "時刻 2.500 秒　D100 = 20　X0 = 0");
  EXPECT_EQ(w.readOut(5.75), "時刻 5.750 秒　D100 = 50　X0 = 1");

  // Zoomed to a part, the CSV holds only what is visible.
  w.zoomTime(0.25, 3.0);
  const auto [t0, t1] = w.visibleRange();
  EXPECT_NEAR(t0, 3.0 - 3.0 * 0.25, 1e-9);
  EXPECT_NEAR(t1, 3.0 + 3.0 * 0.25, 1e-9);
  presenter.saveAnswers = {dir.file("trend.csv"), dir.file("trend.png")};
  child<QPushButton>(w, "cmdTrendCsv")->click();
  EXPECT_EQ(test::readFile(dir.file("trend.csv")), "time_s,D100,X0\n3.000,30,0\n");
  child<QPushButton>(w, "cmdTrendPng")->click();
  EXPECT_EQ(test::readFile(dir.file("trend.png")).substr(0, 4), "\x89PNG");

  // Paused, the picture stays where it was; the data goes on being taken.
  child<QPushButton>(w, "cmdTrendFit")->click();
  child<QCheckBox>(w, "chkTrendPause")->setChecked(true);
  clock.advanceMs(1000);
  write(kD, 100, 99);
  w.redraw();
  EXPECT_EQ(d->points().back(), QPointF(6.0, 50));
  child<QCheckBox>(w, "chkTrendPause")->setChecked(false);
  EXPECT_EQ(d->points().back(), QPointF(7.0, 99));

  // The devices of the registration lists join; a bit of a word cannot.
  core->state.userWordList.add({"D", "D000200", "", 200});
  core->state.userBitList.add({"D", "D000100-F", "", 100});
  core->state.userBitList.add({"Y", "Y000010", "", 0x10});
  child<QPushButton>(w, "cmdTrendAddList")->click();
  ASSERT_EQ(w.traces().size(), 4u);
  EXPECT_EQ(w.traces()[2].device, "D200");
  EXPECT_EQ(w.traces()[3].device, "Y10");
  EXPECT_NE(lastBox().find("1 点"), std::string::npos) << lastBox();
}

// Bits in 0/1 lanes of their own beside the words, as a logic analyser
// draws them: X0 toggling is seen next to D100 counting to 1000.  An empty
// chart has whole numbers on both axes.
TEST_F(SimWindows, BitsAreDrawnInLanesOfTheirOwnBesideTheWords) {
  FrmTrend w(*core);
  w.resize(900, 520);
  w.show();
  QChart* chart = child<QChartView>(w, "chtTrend")->chart();
  auto* time = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
  auto* words = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical, nullptr).value(0));
  ASSERT_NE(time, nullptr);
  ASSERT_NE(words, nullptr);
  w.redraw();
  for (QValueAxis* axis : {time, words}) {
    SCOPED_TRACE(axis == time ? "time axis" : "value axis");
    EXPECT_EQ(axis->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(axis->labelFormat(), "%.0f");
    EXPECT_GE(axis->tickInterval(), 1.0);
    EXPECT_EQ(axis->tickInterval(), std::round(axis->tickInterval()));
    EXPECT_EQ(axis->min(), std::round(axis->min()));
    EXPECT_EQ(axis->max(), std::round(axis->max()));
  }

  child<QLineEdit>(w, "txtTrendDevice")->setText("D100 X0 X1");
  child<QPushButton>(w, "cmdTrendAdd")->click();
  for (int i = 1; i <= 10; ++i) {
    clock.advanceMs(500);
    core->state.memory.write(kD, 100, static_cast<std::int16_t>(i * 100));
    core->state.memory.writeBit(kX, 0, 0, i % 2 == 1);
    core->state.memory.writeBit(kX, 0, 1, i >= 6);
    core->state.memory.publish("All");
  }
  clock.advanceMs(500);
  w.redraw();
  const auto series = chart->series();
  ASSERT_EQ(series.size(), 3);
  auto* lanes = qobject_cast<QCategoryAxis*>(series[1]->attachedAxes().value(1));
  ASSERT_NE(lanes, nullptr) << "a bit stands on the lanes' axis";
  EXPECT_EQ(lanes->categoriesLabels(), (QStringList{"X0", "X1"}));
  EXPECT_TRUE(series[0]->attachedAxes().contains(words));
  EXPECT_FALSE(series[0]->attachedAxes().contains(lanes));
  EXPECT_TRUE(series[2]->attachedAxes().contains(lanes));
  EXPECT_GE(words->max(), 1000) << "the value axis is the words'";
  // X0 in lane 0 (0 and 1), X1 in lane 1 above it; both toggled.
  auto ys = [&](int i) {
    std::set<double> seen;
    for (const QPointF& p : static_cast<const QLineSeries*>(series[i])->points()) seen.insert(p.y());
    return seen;
  };
  EXPECT_EQ(ys(1), (std::set<double>{0, 1}));
  EXPECT_EQ(ys(2), (std::set<double>{1.5, 2.5}));
  EXPECT_LE(lanes->min(), 0);
  EXPECT_GE(lanes->max(), 2.5);
  EXPECT_LT(lanes->max(), 4) << "the lanes' axis spans the lanes, not the words";
  // The read-out tells the bits' own values.
  EXPECT_EQ(w.readOut(5.2), "時刻 5.200 秒　D100 = 1000　X0 = 0　X1 = 1");

  // A bit removed: the word stays on its axis, the lanes close up.
  auto* list = child<QListWidget>(w, "lstTrendSeries");
  list->item(1)->setSelected(true);
  child<QPushButton>(w, "cmdTrendRemove")->click();
  EXPECT_EQ(lanes->categoriesLabels(), (QStringList{"X1"}));
  EXPECT_EQ(ys(1), (std::set<double>{0, 1}));
  EXPECT_TRUE(chart->series()[0]->attachedAxes().contains(words));
}

TEST_F(SimWindows, ARecordingOpensInAChartOfItsOwn) {
  test::writeFile(dir.file("run.csv"),
                  "time_ms,device,value\n0.000,D100,1\n500.000,D100,2\n500.000,Y10,1\nnot a row\n1500.000,Y10,0\n");
  FrmMain main(*core);
  presenter.fileAnswers = {dir.file("run.csv")};
  main.findChild<QAction*>("mnuTrendOpen")->trigger();
  EXPECT_NE(lastBox().find("1 行"), std::string::npos) << lastBox();
  const auto windows = main.findChildren<FrmTrend*>();
  ASSERT_EQ(windows.size(), 1);
  FrmTrend& w = *windows[0];
  EXPECT_TRUE(w.windowTitle().endsWith("run.csv"));
  ASSERT_EQ(w.traces().size(), 2u);
  EXPECT_EQ(w.readOut(1.0), "時刻 1.000 秒　D100 = 2　Y10 = 1");
  EXPECT_FALSE(child<QPushButton>(w, "cmdTrendAdd")->isEnabled());
  w.redraw();
  const auto [t0, t1] = w.visibleRange();
  EXPECT_EQ(t0, 0);
  EXPECT_EQ(t1, 1.5);

  // A file that is no recording opens nothing and says so.
  test::writeFile(dir.file("other.csv"), "a,b\n1,2\n");
  presenter.fileAnswers = {dir.file("other.csv")};
  EXPECT_EQ(FrmTrend::openRecording(*core, &main), nullptr);
  EXPECT_NE(lastBox().find("読める行がありません"), std::string::npos) << lastBox();
}

}  // namespace
}  // namespace omb
