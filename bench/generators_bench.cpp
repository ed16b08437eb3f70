// What 200 value generators cost the thread that also answers the line:
// one tick where every one of them steps (the worst case of a 10 ms tick),
// with the change set published as the program publishes it.
#include <benchmark/benchmark.h>

#include "core/generators.h"
#include "core/system_state.h"

namespace {

void BM_GeneratorTick200(benchmark::State& s) {
  omb::NullErrorSink errors;
  omb::SystemState state{errors};
  omb::subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();
  std::size_t changes = 0;
  state.memory.subscribe([&](const omb::ChangeNotice& n) { changes += n.changes.changes().size(); });
  omb::GeneratorSet set(state.memory);
  static const char* const kinds[] = {"counter", "ramp", "sine", "random", "square"};
  std::string error;
  for (int i = 0; i < 200; ++i) {
    const std::string line = std::string(kinds[i % 5]) + " D" + std::to_string(1000 + i) + " period=10";
    set.add(*omb::parseGenerator(line, error), 0, error);
  }
  std::int64_t now = 0;
  for (auto _ : s) {
    now += 10;
    benchmark::DoNotOptimize(set.tick(now));
  }
  s.counters["changes_per_tick"] = static_cast<double>(changes) / static_cast<double>(s.iterations());
}
BENCHMARK(BM_GeneratorTick200)->Unit(benchmark::kMicrosecond);

// Start-up with a long generator file: N lines read and added, with the
// program's own watcher (a tick on every notice), and a ring check over the
// followers among them.  Linear in N.
void BM_GeneratorFileLoad(benchmark::State& s) {
  omb::NullErrorSink errors;
  omb::SystemState state{errors};
  omb::subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();
  std::string text;
  for (std::int64_t i = 0; i < s.range(0); ++i) {
    const std::string d = std::to_string(i % 3000);
    text += i % 2 ? "follow D" + std::to_string(3000 + i % 3000) + " source=D" + d + "\n"
                  : "counter D" + d + " step=1 min=0 max=9 period=1000\n";
  }
  for (auto _ : s) {
    omb::GeneratorSet set(state.memory);
    set.changed = [&] { set.tick(0); };
    std::string error;
    benchmark::DoNotOptimize(set.load(text, 0, error));
  }
  s.SetItemsProcessed(s.iterations() * s.range(0));
}
BENCHMARK(BM_GeneratorFileLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
