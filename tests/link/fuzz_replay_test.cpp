// Inputs the fuzzer once broke the engine with, replayed on every test run
// (and under the sanitizers in CI).
#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace omb {
namespace {

TEST(FuzzRegressions, EveryRecordedInputRunsThrough) {
  int replayed = 0;
  for (const char* dir : {OMBRISAL_SOURCE_DIR "/fuzz/regressions/link", OMBRISAL_SOURCE_DIR "/fuzz/corpus/link"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      const std::string bytes = test::readFile(entry.path().string());
      EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0)
          << entry.path();
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace omb
