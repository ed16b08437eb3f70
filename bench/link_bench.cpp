// Requests per second through the checking processor and execution, with
// no waits and no logging, so that changes to the engine can be compared.
#include <benchmark/benchmark.h>

#include "link/link_engine.h"
#include "link/memory_port.h"

namespace {

struct Engine {
  omb::ManualClock clock;
  omb::ManualScheduler loop{clock};
  omb::NullErrorSink errors;
  omb::SystemState state{errors};
  omb::LinkSettings settings;
  omb::LinkLists lists;
  omb::MemoryPort port{loop};
  omb::RecordingPresenter presenter;
  omb::NullTrafficSink log;
  omb::LinkContext ctx{state, settings, lists, port, clock, presenter, log, nullptr, nullptr};
  omb::LinkEngine engine{ctx, loop};
  Engine() {
    omb::subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    settings.chkLogDsp = false;
    settings.chkViewAlert = true;
    port.setInputLen(1);
    port.setPortOpen(true);
  }
};

void runProcessor(benchmark::State& s, const std::string& request) {
  Engine e;
  const omb::FrameTexts frame = omb::renderFrame(request);
  for (auto _ : s) {
    auto d = e.engine.processor().subCmnd(frame);
    if (d && d->act) d->act();
    benchmark::DoNotOptimize(e.port.takeOutput());
  }
  s.SetItemsProcessed(s.iterations());
}

const std::string E(1, omb::ENQ);
void BM_ReadWords64(benchmark::State& s) { runProcessor(s, E + "00FFQR0D00000040"); }
void BM_ReadBits256(benchmark::State& s) { runProcessor(s, E + "00FFBR0M000000"); }
void BM_WriteWords10(benchmark::State& s) { runProcessor(s, E + "00FFWW0D00000A" + std::string(40, '1')); }
void BM_Refused(benchmark::State& s) { runProcessor(s, E + "00FFWR0D700001"); }
BENCHMARK(BM_ReadWords64)->Name("subCmnd/QR 64 words");
BENCHMARK(BM_ReadBits256)->Name("subCmnd/BR 256 bits");
BENCHMARK(BM_WriteWords10)->Name("subCmnd/WW 10 words");
BENCHMARK(BM_Refused)->Name("subCmnd/refused (range)");

// The whole road of a request: port, receive state machine, processor,
// reply; the clock is advanced by hand, so no time passes in waiting.
void BM_FullRoad(benchmark::State& s) {
  Engine e;
  e.settings.cpuType = "AnACPU";
  e.port.onComm = [&](omb::CommEvent ev) {
    if (ev == omb::CommEvent::Receive) e.engine.onReceiveEvent();
  };
  e.port.setRThreshold(1);
  const std::string request = E + "00FFQR0D00000040";
  for (auto _ : s) {
    e.port.feed(request);
    e.loop.advance(100);
    benchmark::DoNotOptimize(e.port.takeOutput());
  }
  s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_FullRoad)->Name("engine/QR 64 words, port to reply");

}  // namespace
