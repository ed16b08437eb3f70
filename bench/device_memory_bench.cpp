// Device access is on the path of every request and every view refresh.
#include <benchmark/benchmark.h>

#include "core/cp932.h"
#include "core/system_state.h"

namespace {

struct Fixture {
  omb::NullErrorSink errors;
  omb::SystemState state{errors};
  Fixture() {
    omb::subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
  }
};

void BM_WordReadWrite(benchmark::State& s) {
  Fixture f;
  std::int32_t n = 0;
  for (auto _ : s) {
    f.state.memory.subDeviceWrite(n, "D", static_cast<std::int16_t>(n));
    benchmark::DoNotOptimize(f.state.memory.fncDeviceData(n, "D"));
    n = (n + 1) % 6144;
  }
  s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_WordReadWrite);

void BM_SpecialBitWrite(benchmark::State& s) {
  Fixture f;
  std::int32_t n = 9000;
  for (auto _ : s) {
    f.state.memory.subBitWrite(n, "M", (n & 1) != 0);
    n = n == 9255 ? 9000 : n + 1;
  }
  s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_SpecialBitWrite);

void BM_Cp932RoundTrip(benchmark::State& s) {
  const std::string text = "[12:00:00] 受信 (ENQ)00FFWR0D000001 通信電文異常";
  for (auto _ : s) benchmark::DoNotOptimize(omb::cp932::decode(omb::cp932::encode(text)));
}
BENCHMARK(BM_Cp932RoundTrip);

}  // namespace
