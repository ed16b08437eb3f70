// main() of the benchmarks that need a QApplication (offscreen unless a
// platform is set): `teardown` runs after the benchmarks, while the
// application still exists (windows go before it does).
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <functional>

namespace omb::bench {

inline int runWithQt(int argc, char** argv, const std::function<void()>& teardown = nullptr) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (teardown) teardown();
  return 0;
}

}  // namespace omb::bench
