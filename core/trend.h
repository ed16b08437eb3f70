// How device values evolved while a PC program ran: a recorder that writes
// every change set with its time (serve mode's --record), the traces a
// trend chart draws, and the reader that turns a recording back into
// traces.
//
// A recording is CSV, one row per device whose value changed:
//   time_ms,device,value
//   12.345,D100,1234
//   12.345,X1F,1
// time_ms counts from the start of the recording (steady clock, three
// decimals); the device is written short (D100, X1F, TN5; special devices as
// D9000 and M9000); a word's value is its unsigned 16-bit value, a bit's 0 or
// 1.  Rows of one change set share its time.  Only real changes are rows: a
// write of the value a device already had leaves no row.
//
// When a line serves several stations, each row names its station after
// the time:
//   time_ms,station,device,value
//   12.345,01,D100,1234
#pragma once

#include <cstdint>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/device_kind.h"
#include "core/device_memory.h"

namespace omb {

class ChangeRecorder {
 public:
  struct Options {
    // Rows name this station (the station column); empty: no column.
    std::string station;
    // The header goes first (one recorder of several writes it).
    bool header = true;
    // Where time 0 is on the steady clock; the clock's now when not given,
    // so that several recorders of one recording share it.
    std::optional<std::int64_t> startUs;
  };
  // Rows go to `sink` as text, the header first; one call per change set.
  ChangeRecorder(DeviceMemory& memory, const Clock& clock, std::function<void(std::string_view)> sink);
  ChangeRecorder(DeviceMemory& memory, const Clock& clock, std::function<void(std::string_view)> sink, Options options);
  ~ChangeRecorder();
  ChangeRecorder(const ChangeRecorder&) = delete;
  ChangeRecorder& operator=(const ChangeRecorder&) = delete;

  std::uint64_t rows() const { return rows_; }

 private:
  void onChange(const ChangeNotice& n);

  DeviceMemory& memory_;
  const Clock& clock_;
  std::function<void(std::string_view)> sink_;
  DeviceMemory::SubscriptionId subscription_;
  std::int64_t startUs_;
  std::string station_;  // with its comma, or empty
  std::array<std::vector<std::int16_t>, kKindCount> shadow_;  // what was recorded last
  std::string text_;
  std::uint64_t rows_ = 0;
};

// One device's values over time, as a chart draws them.
struct Trace {
  std::string device;  // "D100"
  DeviceSpan span;     // one device
  std::vector<std::pair<double, double>> points;  // (seconds, value), in time order
};

// The traces of a recording's text; devices in the order they first
// appear.  Rows that cannot be read are counted in `skipped`.
std::vector<Trace> readRecording(std::string_view csv, std::size_t& skipped);

// Live traces of chosen devices, sampled whenever device memory publishes a
// change and when asked.  Each trace keeps about `maxPoints` (up to a
// quarter more); the oldest go first.
class TraceSet {
 public:
  TraceSet(DeviceMemory& memory, const Clock& clock, std::size_t maxPoints = 200000);
  ~TraceSet();
  TraceSet(const TraceSet&) = delete;
  TraceSet& operator=(const TraceSet&) = delete;

  // Adds a device ("D100", "X1F"); false when it is not one or not in
  // device memory, or already traced.
  bool add(std::string_view device);
  void remove(std::size_t index);
  void clear();
  const std::vector<Trace>& traces() const { return traces_; }
  // Samples every trace now; a value that did not change adds nothing.
  void sample();
  // Seconds since the traces began.
  double now() const;
  // Stops and restarts sampling (the chart's pause).
  void setPaused(bool paused) { paused_ = paused; }
  bool paused() const { return paused_; }

  // "time_s,D100,X1F" and one row per moment any trace changed, from t0 to
  // t1 seconds: every column shows the value its device had at that moment
  // (empty before its first sample).
  std::string csv(double t0, double t1) const;

 private:
  std::optional<std::int32_t> value(const DeviceSpan& s) const;
  void sampleAt(double t);

  DeviceMemory& memory_;
  const Clock& clock_;
  std::size_t maxPoints_;
  DeviceMemory::SubscriptionId subscription_;
  std::int64_t startUs_;
  std::vector<Trace> traces_;
  bool paused_ = false;
};

// The value of a trace at time t (the last point at or before it).
std::optional<double> traceValueAt(const Trace& trace, double t);

// "time_s,D100,X1F" and one row per moment any trace changed from t0 to t1
// seconds, every column the value its device had then (empty before its
// first point).
std::string tracesCsv(const std::vector<Trace>& traces, double t0, double t1);

// The points a chart draws of a trace between t0 and t1 seconds, as square
// steps: the value at t0, every change, and the last value held up to
// min(t1, end) (`end`: now for a live trace, the last time of a recording).
// When more than four points a bucket would be drawn, each of `buckets`
// equal slices of time keeps only its first, lowest, highest and last
// value, so a chart of a million points draws as fast as one of a few
// thousand and still shows every spike.
std::vector<std::pair<double, double>> tracePlot(const Trace& trace, double t0, double t1, double end,
                                                 std::size_t buckets);

}  // namespace omb
