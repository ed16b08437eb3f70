// Request-to-reply latency of `ombrisal --serve` over a virtual port with a
// 2 ms inter-character wait.  A request costs at least two waits (one after
// its start character, one silence after its last one); the counters give
// the time beyond those: median and 99th percentile, in milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "e2e/serve_process.h"

namespace {

constexpr int kWaitMs = 2;

void BM_ServeLatency(benchmark::State& state) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("ombrisal-bench-" + std::to_string(::getpid()))).string();
  omb::test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", std::to_string(kWaitMs)});
  if (!serve.waitForOutput("serving on")) {
    state.SkipWithError("ombrisal --serve did not start");
    return;
  }
  omb::test::PcPort pc(path);
  const std::string request = std::string(1, 0x05) + "00FFWR0D000010";
  const std::size_t replyLength = 1 + 4 + 16 * 4 + 1;
  std::vector<double> excess;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const std::string reply = pc.exchange(request, replyLength);
    const auto t1 = std::chrono::steady_clock::now();
    if (reply.size() != replyLength) {
      state.SkipWithError("no reply");
      break;
    }
    const double ms = std::chrono::duration<double, std::milli>(t1 - t0).count();
    state.SetIterationTime(ms / 1000.0);
    excess.push_back(ms - 2 * kWaitMs);
    serve.drain();  // keep the traffic log on standard output flowing
  }
  serve.stop();
  if (excess.empty()) return;
  std::sort(excess.begin(), excess.end());
  state.counters["median_beyond_waits_ms"] = excess[excess.size() / 2];
  state.counters["p99_beyond_waits_ms"] = excess[std::min(excess.size() - 1, excess.size() * 99 / 100)];
}
BENCHMARK(BM_ServeLatency)->UseManualTime()->Iterations(500)->Unit(benchmark::kMillisecond);

}  // namespace
