// Recording change sets as CSV, reading a recording back into traces, and
// live traces of chosen devices.
#include <gtest/gtest.h>

#include "core/system_state.h"
#include "core/trend.h"
#include "test_support.h"

namespace omb {
namespace {

class Trend : public ::testing::Test {
 protected:
  Trend() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
  }
  void write(const char* code, int n, std::int16_t v) {
    state.memory.subDeviceWrite(n, code, v);
    state.memory.publish(code);
  }
  void bit(const char* code, int n, bool on) {
    state.memory.subBitWrite(n, code, on);
    state.memory.publish(code);
  }
  test::RecordingErrorSink errors;
  SystemState state{errors};
  ManualClock clock{DateTime{2026, 12, 10, 0, 0, 0}};
};

TEST_F(Trend, TheRecordingHasARowPerDeviceThatChangedWithItsTime) {
  std::string out;
  ChangeRecorder rec(state.memory, clock, [&](std::string_view s) { out += s; });
  clock.advanceMs(12);
  write("D", 100, 1234);
  clock.advanceMs(1);
  write("D", 100, 1234);  // the same value: no row
  write("D", 9000, -1);   // special register, unsigned
  clock.advanceMs(5);
  state.memory.subBitWrite(0x1F, "X", true);
  state.memory.subBitWrite(0x10, "X", true);
  state.memory.subBitWrite(9001, "M", true);
  state.memory.publish("All");  // one change set, one time
  bit("X", 0x10, false);
  EXPECT_EQ(out,
            "time_ms,device,value\n"
            "12.000,D100,1234\n"
            "13.000,D9000,65535\n"
            "18.000,X10,1\n"
            "18.000,X1F,1\n"
            "18.000,M9001,1\n"
            "18.000,X10,0\n");
  EXPECT_EQ(rec.rows(), 6u);
  std::size_t skipped = 0;
  const std::vector<Trace> traces = readRecording(out + "oops\n19.5,Q1,3\n20,D100,7\r\n", skipped);
  EXPECT_EQ(skipped, 2u);
  ASSERT_EQ(traces.size(), 5u);
  EXPECT_EQ(traces[0].device, "D100");
  EXPECT_EQ(traces[0].points, (std::vector<std::pair<double, double>>{{0.012, 1234}, {0.020, 7}}));
  EXPECT_EQ(traces[2].device, "X10");
  EXPECT_EQ(traces[2].points, (std::vector<std::pair<double, double>>{{0.018, 1}, {0.018, 0}}));
  EXPECT_EQ(traceValueAt(traces[0], 0.011), std::nullopt);
  EXPECT_EQ(traceValueAt(traces[0], 0.015), 1234);

  // Several stations: each row names its station, and so does each trace.
  SystemState other{errors};
  subSetOldVersionRanges(other.range5, other.range7);
  other.subReDim_Device();
  std::string both;
  {
    const std::int64_t start = clock.steadyUs();
    ChangeRecorder first(state.memory, clock, [&](std::string_view rows) { both += rows; },
                         ChangeRecorder::Options{"00", true, start});
    ChangeRecorder second(other.memory, clock, [&](std::string_view rows) { both += rows; },
                          ChangeRecorder::Options{"01", false, start});
    clock.advanceMs(2);
    write("D", 100, 1);
    other.memory.subDeviceWrite(100, "D", 2);
    other.memory.publish("All");
  }
  EXPECT_EQ(both, "time_ms,station,device,value\n2.000,00,D100,1\n2.000,01,D100,2\n");
  const std::vector<Trace> stationTraces = readRecording(both + "3,,D100,5\n", skipped);
  EXPECT_EQ(skipped, 1u);
  ASSERT_EQ(stationTraces.size(), 2u);
  EXPECT_EQ(stationTraces[1].device, "01:D100");
  EXPECT_EQ(stationTraces[1].points, (std::vector<std::pair<double, double>>{{0.002, 2}}));
}

TEST_F(Trend, LiveTracesStepWithTheValuesAndExportWhatIsVisible) {
  TraceSet set(state.memory, clock);
  EXPECT_TRUE(set.add("D100"));
  EXPECT_TRUE(set.add("X1F"));
  EXPECT_FALSE(set.add("D100"));     // already traced
  EXPECT_FALSE(set.add("D99999"));   // not in memory
  EXPECT_FALSE(set.add("D1-D5"));    // one device only
  clock.advanceMs(1000);
  write("D", 100, 5);
  clock.advanceMs(500);
  bit("X", 0x1F, true);
  set.setPaused(true);
  clock.advanceMs(500);
  write("D", 100, 6);  // not seen while paused
  set.setPaused(false);
  EXPECT_EQ(set.traces()[0].points, (std::vector<std::pair<double, double>>{{0, 0}, {1, 0}, {1, 5}}));
  EXPECT_EQ(set.csv(0.5, 2.0),
            "time_s,D100,X1F\n"
            "1.000,5,0\n"
            "1.500,5,1\n");
  set.sample();  // the next sample catches up
  EXPECT_EQ(set.traces()[0].points.back(), (std::pair<double, double>{2, 6}));
}

TEST_F(Trend, ATraceKeepsItsLatestPointsOnly) {
  TraceSet set(state.memory, clock, 100);
  ASSERT_TRUE(set.add("D0"));
  for (int i = 1; i <= 1000; ++i) {
    clock.advanceMs(1);
    write("D", 0, static_cast<std::int16_t>(i));
  }
  const auto& p = set.traces()[0].points;
  EXPECT_LE(p.size(), 125u);
  EXPECT_EQ(p.back(), (std::pair<double, double>{1.0, 1000}));
}

using Points = std::vector<std::pair<double, double>>;

// What a chart draws of a recorded trace: square steps, the value at the
// left edge, the last value held to the right edge or the end of the data.
TEST(TracePlot, DrawsSquareStepsBetweenTheEdges) {
  const Trace t{"D0", {}, {{1, 10}, {2, 20}, {3, 20}, {4, 5}}};
  struct Case {
    const char* name;
    double t0, t1, end;
    Points want;
  } cases[] = {
      {"whole", 0, 10, 4, {{1, 10}, {2, 10}, {2, 20}, {4, 20}, {4, 5}}},
      {"held to now", 0, 10, 6, {{1, 10}, {2, 10}, {2, 20}, {4, 20}, {4, 5}, {6, 5}}},
      {"left edge inside", 2.5, 10, 6, {{2.5, 20}, {4, 20}, {4, 5}, {6, 5}}},
      {"right edge inside", 0, 3.5, 6, {{1, 10}, {2, 10}, {2, 20}, {3.5, 20}}},
      {"before the data", 0, 0.5, 6, {}},
      {"edge on a point", 2, 3, 6, {{2, 20}, {3, 20}}},
  };
  for (const Case& c : cases) EXPECT_EQ(tracePlot(t, c.t0, c.t1, c.end, 1000), c.want) << c.name;
}

// A trace far denser than the chart keeps a few points a slice, yet its
// one-sample spike and its final value are still drawn.
TEST(TracePlot, ADenseTraceIsThinnedButKeepsSpikes) {
  Trace t{"D0", {}, {}};
  for (int i = 0; i < 100000; ++i) t.points.emplace_back(i * 0.001, i == 54321 ? 9999 : i % 7);
  const Points p = tracePlot(t, 0, 100, 100, 100);
  EXPECT_LE(p.size(), 100u * 5 + 2);
  double top = 0;
  for (const auto& [x, v] : p) top = std::max(top, v);
  EXPECT_EQ(top, 9999);
  EXPECT_EQ(p.back(), (std::pair<double, double>{100, 99999 % 7}));
  for (std::size_t i = 1; i < p.size(); ++i) ASSERT_LE(p[i - 1].first, p[i].first) << i;
}

}  // namespace
}  // namespace omb
