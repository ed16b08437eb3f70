// What reading frames costs.  The engine hands every frame to a tap; a tap
// that does not read pays nothing for parsing, one that shows or writes
// readings pays for them.  Each engine round is two frames (request and
// reply): the cost per frame is the difference to "no tap", halved.
//   reading/engine, no tap          the baseline
//   reading/engine, tap not reading frames handed over, not read
//   reading/engine, tap reading     both frames read out
//   reading/engine, JSON lines      both frames as JSON lines (a capture)
//   reading/request and reply       the reader alone, two frames
#include <benchmark/benchmark.h>

#include <memory>

#include "app/frame_journal.h"
#include "link/frame_reading.h"
#include "bench_engine.h"

namespace {

const std::string E(1, omb::ENQ);
const std::string kRequest = E + "00FFWR0D010004";

using omb::bench::Engine;

struct Counting final : omb::FrameTap {
  std::size_t bytes = 0;
  void frame(const omb::TappedFrame& f) override { bytes += f.bytes.size(); }
};
struct Reading final : omb::FrameTap {
  explicit Reading(const omb::LinkConfig& c) : config(c) {}
  const omb::LinkConfig& config;
  omb::FrameReader reader;
  std::string last;
  void frame(const omb::TappedFrame& f) override { last = reader.reading(f.fromPc, f.bytes, config); }
};

void runEngine(benchmark::State& s, omb::FrameTap* (*make)(Engine&)) {
  Engine e;
  std::unique_ptr<omb::FrameTap> tap(make ? make(e) : nullptr);
  e.engine.tap = tap.get();
  for (auto _ : s) {
    e.engine.feed(kRequest);
    e.loop.advance(e.settings.waitMs);
    if (e.port.takeOutput().size() != 22) {
      s.SkipWithError("wrong reply");
      break;
    }
  }
  s.SetItemsProcessed(s.iterations() * 2);  // frames
}

void BM_NoTap(benchmark::State& s) { runEngine(s, nullptr); }
void BM_TapNotReading(benchmark::State& s) {
  runEngine(s, [](Engine&) -> omb::FrameTap* { return new Counting; });
}
void BM_TapReading(benchmark::State& s) {
  runEngine(s, [](Engine& e) -> omb::FrameTap* { return new Reading(e.settings.config); });
}
void BM_TapJournal(benchmark::State& s) {
  runEngine(s, [](Engine& e) -> omb::FrameTap* {
    auto* j = new omb::FrameJournal(e.settings.config, omb::wallClockMs);
    j->addOutput([](std::string_view line) { benchmark::DoNotOptimize(line.data()); });
    return j;
  });
}
BENCHMARK(BM_NoTap)->Name("reading/engine, no tap");
BENCHMARK(BM_TapNotReading)->Name("reading/engine, tap not reading");
BENCHMARK(BM_TapReading)->Name("reading/engine, tap reading");
BENCHMARK(BM_TapJournal)->Name("reading/engine, JSON lines");

void BM_Reader(benchmark::State& s) {
  omb::LinkConfig config;
  omb::FrameReader reader;
  const std::string reply = std::string(1, omb::STX) + "00FF0001000200030004" + std::string(1, omb::ETX) + "B3";
  for (auto _ : s) {
    benchmark::DoNotOptimize(reader.reading(true, kRequest, config).data());
    benchmark::DoNotOptimize(reader.reading(false, reply, config).data());
  }
  s.SetItemsProcessed(s.iterations() * 2);
}
BENCHMARK(BM_Reader)->Name("reading/request and reply");

}  // namespace
