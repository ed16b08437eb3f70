// The comment store at the size of a large plant: a comment file of 100,000
// comments read (and written), and lookups as a page redraw makes them.
#include <benchmark/benchmark.h>

#include <string>

#include "core/error.h"
#include "store/comment_store.h"

namespace {

// 100,000 comments over the D, M and X tables, Japanese text with commas
// and quotes among them.
std::string bigCommentFile() {
  omb::NullErrorSink errors;
  omb::CommentStore s(errors);
  for (int i = 0; i < 100000; ++i) {
    const char* code = i % 3 == 0 ? "D" : i % 3 == 1 ? "M" : "X";
    char address[16];
    std::snprintf(address, sizeof address, i % 3 == 2 ? "%s%06X" : "%s%06d", code, i);
    s.subAdd_Comment(std::string(address) + "\t搬送ライン" + std::to_string(i) + ", \"起動\" 確認");
  }
  return s.fileBytes();
}

void BM_CommentFileRead100k(benchmark::State& state) {
  const std::string bytes = bigCommentFile();
  omb::NullErrorSink errors;
  omb::CommentStore s(errors);
  for (auto _ : state) benchmark::DoNotOptimize(s.readFileBytes(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_CommentFileRead100k)->Unit(benchmark::kMillisecond);

void BM_CommentFileWrite100k(benchmark::State& state) {
  omb::NullErrorSink errors;
  omb::CommentStore s(errors);
  s.readFileBytes(bigCommentFile());
  for (auto _ : state) benchmark::DoNotOptimize(s.fileBytes());
}
BENCHMARK(BM_CommentFileWrite100k)->Unit(benchmark::kMillisecond);

// The 256 lookups of a word-view page in a store of 100,000 comments.
void BM_CommentLookupPage(benchmark::State& state) {
  omb::NullErrorSink errors;
  omb::CommentStore s(errors);
  s.readFileBytes(bigCommentFile());
  for (auto _ : state)
    for (int i = 0; i < 256; ++i) {
      char address[16];
      std::snprintf(address, sizeof address, "D%06d", 30000 + 3 * i);
      benchmark::DoNotOptimize(s.commentOfAddress(address));
    }
}
BENCHMARK(BM_CommentLookupPage)->Unit(benchmark::kMicrosecond);

}  // namespace
