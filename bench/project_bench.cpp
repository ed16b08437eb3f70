// A project with every device range at its largest (six-digit decimal and
// hexadecimal addresses: D and R 0-999999, W, X, Y and B 0-FFFFFF ...):
// saving it (the image written to bytes) and opening it (bytes read into a
// fresh image), about 43 MB of device memory.
#include <benchmark/benchmark.h>

#include <string>

#include "core/dev_range.h"
#include "core/numeric.h"
#include "store/project_file.h"

namespace {

omb::ProjectImage largest() {
  omb::ProjectImage p;
  omb::subSetOldVersionRanges(p.range5, p.range7);
  for (int k = 0; k < omb::kKindCount; ++k) {
    omb::DevRange& r = p.range7[static_cast<std::size_t>(k)];
    const bool hex = omb::kindInfo(k).radix == 16;
    const bool five = omb::kindInfo(k).digits7 == 5;
    r.last = hex ? 0xFFFFFF : five ? 99999 : 999999;
    if (r.first > r.last) r.first = 0;
    const std::int64_t points = std::int64_t{r.last} - r.first + 1;
    p.memory[static_cast<std::size_t>(k)].assign(
        static_cast<std::size_t>(omb::isWordKind(k) ? points : omb::wordsForPoints(points)), std::int16_t{0x1234});
  }
  return p;
}

const omb::ProjectImage& image() {
  static const omb::ProjectImage p = largest();
  return p;
}

void BM_ProjectSaveLargest(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string b = omb::encodeProject(image());
    bytes = b.size();
    benchmark::DoNotOptimize(b.data());
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ProjectSaveLargest)->Unit(benchmark::kMillisecond);

void BM_ProjectOpenLargest(benchmark::State& state) {
  const std::string b = omb::encodeProject(image());
  for (auto _ : state) {
    const omb::ProjectRead r = omb::decodeProject(b);
    if (!r.image) state.SkipWithError(r.error.c_str());
    benchmark::DoNotOptimize(r.image->memory[omb::kW].data());
  }
}
BENCHMARK(BM_ProjectOpenLargest)->Unit(benchmark::kMillisecond);

}  // namespace
