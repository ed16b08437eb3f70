// Requests per second through the protocol engine, with no logging, so
// that changes to the engine can be compared.  The clock is advanced by
// hand: no time passes in waiting.
//   subCmnd/...   the checking processor and execution alone;
//   engine/...    bytes in, frame boundary, checks, execution, reply out.
#include <benchmark/benchmark.h>

#include "bench_engine.h"

namespace {

using omb::bench::Engine;

void runProcessor(benchmark::State& s, const std::string& request) {
  Engine e{omb::CpuType::AnACPU};
  for (auto _ : s) {
    const omb::Verdict v = e.engine.processor().subCmnd(request, false);
    if (v.reply) benchmark::DoNotOptimize(e.engine.processor().act().bytes.data());
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

// Bytes handed to the engine as a line delivers them, the silence that ends
// the frame, the reply taken from the line.
void runEngine(benchmark::State& s, const std::string& request, std::size_t replyLength) {
  Engine e{omb::CpuType::AnACPU};
  std::string reply;
  for (auto _ : s) {
    e.engine.feed(request);
    e.loop.advance(e.settings.waitMs);
    reply = e.port.takeOutput();
    if (reply.size() != replyLength) {
      s.SkipWithError("wrong reply");
      break;
    }
  }
  s.SetItemsProcessed(s.iterations());
}
void BM_EngineReadWords64(benchmark::State& s) { runEngine(s, E + "00FFQR0D00000040", 1 + 4 + 64 * 4 + 1); }
void BM_EngineReadBits256(benchmark::State& s) { runEngine(s, E + "00FFBR0M000000", 1 + 4 + 256 + 1); }
BENCHMARK(BM_EngineReadWords64)->Name("engine/QR 64 words, bytes to reply");
BENCHMARK(BM_EngineReadBits256)->Name("engine/BR 256 bits, bytes to reply");

// The same through the in-memory line, whose deliveries are posted through
// the loop the way a real port posts its events.
void BM_FullRoad(benchmark::State& s) {
  Engine e{omb::CpuType::AnACPU};
  const std::string request = E + "00FFQR0D00000040";
  for (auto _ : s) {
    e.port.feed(request);
    e.loop.advance(e.settings.waitMs);
    benchmark::DoNotOptimize(e.port.takeOutput());
  }
  s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_FullRoad)->Name("engine/QR 64 words, line to reply");

}  // namespace
