// Inputs the fuzzer once broke the engine with, replayed on every test run
// (and under the sanitizers in CI).
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/link_fuzz.h"
#include "test_support.h"

namespace omb {
namespace {

TEST(FuzzRegressions, EveryRecordedInputRunsThrough) {
  int replayed = 0;
  for (const char* dir : {OMBRISAL_SOURCE_DIR "/fuzz/regressions/link", OMBRISAL_SOURCE_DIR "/fuzz/corpus/link"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      const std::string bytes = test::readFile(entry.path().string());
      EXPECT_EQ(fuzz::runLinkInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
          << entry.path();
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace omb
