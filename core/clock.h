// Time as the program reads it.  Everything that stamps a log line or waits
// on the line reads time through a Clock, so tests can fix or advance it.
#pragma once

#include <cstdint>
#include <string>

namespace omb {

struct DateTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock time, to the second.
  virtual DateTime now() const = 0;
  // A monotonic millisecond counter for waits and silences.
  virtual std::int64_t steadyMs() const = 0;
  // The same counter in microseconds: silences are measured from the
  // moment a byte arrived, which a whole millisecond would blur.
  virtual std::int64_t steadyUs() const { return steadyMs() * 1000; }
};

class SystemClock final : public Clock {
 public:
  DateTime now() const override;
  std::int64_t steadyMs() const override;
  std::int64_t steadyUs() const override;
};

// A clock that only moves when told to; for tests.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(DateTime start = {}) : now_(start) {}
  DateTime now() const override { return now_; }
  std::int64_t steadyMs() const override { return ms_; }
  void set(DateTime t) { now_ = t; }
  void advanceMs(std::int64_t ms) { ms_ += ms; }

 private:
  DateTime now_;
  std::int64_t ms_ = 0;
};

// "yyyy/mm/dd hh:nn:ss"
std::string formatDateTime(const DateTime& t);
// "hh:nn:ss"
std::string formatTime(const DateTime& t);
// "hhnnss"
std::string formatTimeCompact(const DateTime& t);

}  // namespace omb
