// Redrawing the device views: a full page of a word view (256 devices) and
// of a bit view (64 rows), and one "DATA" signal with every single view
// open.  A frame is 16 ms; a refresh of every view should stay under 50 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QPaintEvent>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/frm_main.h"
#include "qt_bench_main.h"
#include "views/flex_grid.h"
#include "views/view_factory.h"
#include "app/compose.h"
#include "app/app_core.h"
#include "views/view_manager.h"

namespace {

struct Setup {
  omb::RecordingPresenter presenter;
  omb::SystemClock clock;
  std::string folder;
  std::unique_ptr<omb::AppCore> core;
  std::unique_ptr<omb::FrmMain> main;
  std::unique_ptr<omb::ViewManager> views;
  Setup() {
    folder = (std::filesystem::temp_directory_path() / ("ombrisal-views-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(OMBRISAL_SOURCE_DIR "/resources/Init.ini", folder + "/Init.ini",
                               std::filesystem::copy_options::overwrite_existing);
    core = std::make_unique<omb::AppCore>(presenter, clock, folder + "/");
    core->startUp();
    main = std::make_unique<omb::FrmMain>(*core);
    views = std::make_unique<omb::ViewManager>(omb::viewHostOf(*core), main.get());
    views->factory = omb::createSingleView;
    for (int k = 0; k < omb::kKindCount; ++k) {
      omb::DeviceMemory& memory = core->state.memory;
      for (std::size_t i = 0; i < memory.size(k); ++i)
        memory.write(k, static_cast<std::int64_t>(i), static_cast<std::int16_t>(i * 7919));
    }
  }
  ~Setup() {
    views.reset();
    main.reset();
    core.reset();
    std::filesystem::remove_all(folder);
  }
};

// Counts the paint events of every widget and the area they cover, so a
// benchmark can tell how much was drawn for one write whatever the
// machine's speed.
struct PaintCounter : QObject {
  long events = 0;
  double pixels = 0;
  PaintCounter() { qApp->installEventFilter(this); }
  ~PaintCounter() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++events;
      for (const QRect& r : static_cast<QPaintEvent*>(e)->region()) pixels += double(r.width()) * r.height();
    }
    return false;
  }
};

std::unique_ptr<Setup>& instance() {
  static std::unique_ptr<Setup> s;
  return s;
}
Setup& setup() {
  if (!instance()) instance() = std::make_unique<Setup>();
  return *instance();
}

void BM_WordViewFullRedraw(benchmark::State& state) {
  auto& s = setup();
  s.views->openSingleView(omb::kD);
  omb::DeviceView* v = s.views->view(omb::kD);
  for (auto _ : state) v->goToPage(v->page());
}
BENCHMARK(BM_WordViewFullRedraw)->Unit(benchmark::kMillisecond);

// The same page where every device has a comment and a styled cell, with
// 100,000 comments and 6,000 styled addresses in the program.
void BM_WordViewFullRedrawCommentedAndStyled(benchmark::State& state) {
  auto& s = setup();
  static bool filled = false;
  if (!filled) {
    for (int i = 0; i < 100000; ++i)
      s.core->comments.subAdd_Comment((i < 6144 ? "D" : "M") + std::to_string(1000000 + i % 1000000).substr(1) +
                                      "\t搬送ライン" + std::to_string(i));
    for (int i = 0; i < 6144; ++i) {
      omb::CellStyleRecord r;
      r.code = "D";
      r.number = i;
      r.addressText = "D" + std::to_string(1000000 + i).substr(1);
      for (auto& c : r.columns) {
        c.set = true;
        c.backColour = 0x00C0FFFF;
        c.bold = true;
      }
      s.core->state.cellStyles.push_back(r);
    }
    filled = true;
  }
  s.views->openSingleView(omb::kD);
  omb::DeviceView* v = s.views->view(omb::kD);
  for (auto _ : state) v->goToPage(v->page());
}
BENCHMARK(BM_WordViewFullRedrawCommentedAndStyled)->Unit(benchmark::kMillisecond);

void BM_BitViewFullRedraw(benchmark::State& state) {
  auto& s = setup();
  s.views->openSingleView(omb::kX);
  omb::DeviceView* v = s.views->view(omb::kX);
  for (auto _ : state) v->goToPage(v->page());
}
BENCHMARK(BM_BitViewFullRedraw)->Unit(benchmark::kMillisecond);

// A grid page refilled and painted: 65 rows of a word panel (4 columns)
// and of a bit view (20 columns).
void BM_GridRefillAndPaint(benchmark::State& state) {
  const int cols = static_cast<int>(state.range(0));
  omb::FlexGrid grid;
  grid.setRows(65);
  grid.setCols(cols);
  grid.resize(900, 600);
  grid.show();
  QApplication::processEvents();
  int round = 0;
  for (auto _ : state) {
    grid.setRedraw(false);
    grid.clearTexts();
    for (int r = 1; r < 65; ++r)
      for (int c = 0; c < cols; ++c) grid.setTextMatrix(r, c, QString::number(r * 100 + c + round));
    grid.setRedraw(true);
    QApplication::processEvents();
    ++round;
  }
}
BENCHMARK(BM_GridRefillAndPaint)->Arg(4)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_DataSignalToEveryView(benchmark::State& state) {
  auto& s = setup();
  for (int slot = 0; slot < omb::kViewSlotCount; ++slot)
    if (omb::hasSingleView(slot)) s.views->openSingleView(slot);
  for (auto _ : state) s.views->subDspRenew("All", "DATA");
}
BENCHMARK(BM_DataSignalToEveryView)->Unit(benchmark::kMillisecond);

// Every single view and 40 multi-screen windows of all twelve kinds.
void openEveryWindow(Setup& s) {
  s.views->multiFactory = omb::createMultiView;
  for (int slot = 0; slot < omb::kViewSlotCount; ++slot)
    if (omb::hasSingleView(slot)) s.views->openSingleView(slot);
  const int kinds[] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13};
  while (s.views->multiViews.size() < 40)
    s.views->openMultiView(kinds[s.views->multiViews.size() % std::size(kinds)]);
}

// What one PC write of 64 words costs the screen with every single view and
// 40 multi-screen windows (of all twelve kinds) open: the write published
// as the link publishes it, every window told and redrawn, and the windows
// painted.
void BM_Write64WordsWithFortyMultiWindows(benchmark::State& state) {
  auto& s = setup();
  openEveryWindow(s);
  QApplication::processEvents();  // every window drawn once before the clock runs
  omb::DeviceMemory& memory = s.core->state.memory;
  QApplication::processEvents();
  std::int16_t v = 0;
  PaintCounter painted;
  for (auto _ : state) {
    ++v;
    for (int i = 0; i < 64; ++i) memory.write(omb::kD, i, v);
    memory.publish("All");  // as the link publishes
    s.views->flushFrame();  // the display frame, then the paints it asked for
    QApplication::processEvents();
  }
  // What one write drew: widgets painted and their area.
  state.counters["paints"] = benchmark::Counter(double(painted.events), benchmark::Counter::kAvgIterations);
  state.counters["painted_kpx"] = benchmark::Counter(painted.pixels / 1000, benchmark::Counter::kAvgIterations);
  s.views->mnuAllClr();
}
BENCHMARK(BM_Write64WordsWithFortyMultiWindows)->Unit(benchmark::kMillisecond);

// What the line itself pays for one 64-word write with the same windows
// open: the publication as the request runs, before its reply (the windows
// only note the rows that changed).
void BM_Write64WordsAnnouncedOnly(benchmark::State& state) {
  auto& s = setup();
  openEveryWindow(s);
  QApplication::processEvents();
  omb::DeviceMemory& memory = s.core->state.memory;
  std::int16_t v = 0;
  for (auto _ : state) {
    ++v;
    for (int i = 0; i < 64; ++i) memory.write(omb::kD, i, v);
    memory.publish("All");
  }
  s.views->flushFrame();
  QApplication::processEvents();
  s.views->mnuAllClr();
}
BENCHMARK(BM_Write64WordsAnnouncedOnly)->Unit(benchmark::kMicrosecond);

// Opening a multi-screen window of 32767 rows (the most a window takes),
// shown and painted once.
void BM_OpenMultiWindowOf32767Rows(benchmark::State& state) {
  auto& s = setup();
  s.views->multiFactory = omb::createMultiView;
  s.core->settings.multiPageTable[omb::kD] = 32767;
  for (auto _ : state) {
    s.views->openMultiView(omb::kD + 1);
    QApplication::processEvents();
    state.PauseTiming();
    s.views->mnuAllClr();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  s.core->settings.multiPageTable[omb::kD] = 0;
}
BENCHMARK(BM_OpenMultiWindowOf32767Rows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return omb::bench::runWithQt(argc, argv, [] { instance().reset(); });  // the windows go before the application
}
