// The cost of the controller's program as a script, with the clock
// advanced by hand:
//   script/line_write_alone         a write of the line published, nothing
//                                   listening (the yardstick);
//   script/line_handler_sets_a_bit  the same write heard by a script whose
//                                   handler sets one bit: the change found,
//                                   the handler called after the reply hook,
//                                   its write published.
// Repeated nine times; read the median.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <memory>

#include "core/device_kind.h"
#include "core/system_state.h"
#include "script/script_host.h"

namespace {

struct ScriptBench {
  omb::ManualClock clock;
  omb::ManualScheduler loop{clock};
  omb::NullErrorSink errors;
  omb::SystemState state{errors};
  omb::ScriptHost host{loop, clock};
  explicit ScriptBench(const char* source) {
    // The script engine wants an application object, as the program has.
    static int argc = 1;
    static char name[] = "script_bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QCoreApplication> app =
        QCoreApplication::instance() ? nullptr : std::make_unique<QCoreApplication>(argc, argv);
    omb::subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    host.memoryOf = [this](std::string_view) { return &state.memory; };
    state.memory.subscribe([this](const omb::ChangeNotice& n) { host.memoryChanged(state.memory, n); });
    if (source) host.load(source, "bench.js");
  }
  // What the line does for a request that writes M0.
  void lineWrite(bool on) {
    state.memory.writeBit(omb::kM, 0, 0, on);
    state.memory.publish("All", omb::lineWriterSource());
    host.lineReplied();
  }
};

void lineWrites(benchmark::State& s, const char* source) {
  ScriptBench b(source);
  bool on = false;
  for (auto _ : s) b.lineWrite(on = !on);
  if (source && *b.state.memory.deviceValue(omb::kY, 0) != on) s.SkipWithError("the handler did not run");
}

void BM_LineWriteAlone(benchmark::State& s) { lineWrites(s, nullptr); }
BENCHMARK(BM_LineWriteAlone)->Name("script/line_write_alone")->Repetitions(9)->ReportAggregatesOnly(true);

void BM_LineHandlerSetsABit(benchmark::State& s) {
  lineWrites(s, "on('M0', function (v) { set('Y0', v); }, { line: true });");
}
BENCHMARK(BM_LineHandlerSetsABit)
    ->Name("script/line_handler_sets_a_bit")
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
