// Timers for the protocol engine.  The engine never sleeps: every wait of
// the protocol is a timer, and events of the port are posted through the
// same loop.  The application runs them on the Qt event loop; tests advance
// a manual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "core/clock.h"

namespace omb {

class Scheduler {
 public:
  using TimerId = std::uint64_t;
  virtual ~Scheduler() = default;
  // Runs `fn` once after `delayMs` (0: as soon as the loop is free).
  virtual TimerId schedule(int delayMs, std::function<void()> fn) = 0;
  virtual void cancel(TimerId id) = 0;
};

// A scheduler driven by hand over a ManualClock.  Timers due at the same
// moment run in the order they were scheduled.
class ManualScheduler final : public Scheduler {
 public:
  explicit ManualScheduler(ManualClock& clock) : clock_(clock) {}

  TimerId schedule(int delayMs, std::function<void()> fn) override {
    TimerId id = ++next_;
    timers_.emplace(Key{clock_.steadyMs() + (delayMs < 0 ? 0 : delayMs), id}, std::move(fn));
    return id;
  }
  void cancel(TimerId id) override {
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->first.id == id) {
        timers_.erase(it);
        return;
      }
  }
  // Runs everything due now, including what those callbacks schedule for now.
  void runDue() { advance(0); }
  // Moves the clock forward by `ms`, running every timer on the way at its
  // own moment.
  void advance(std::int64_t ms) {
    const std::int64_t target = clock_.steadyMs() + ms;
    while (!timers_.empty() && timers_.begin()->first.at <= target) {
      auto it = timers_.begin();
      clock_.advanceMs(it->first.at - clock_.steadyMs());
      auto fn = std::move(it->second);
      timers_.erase(it);
      fn();
    }
    clock_.advanceMs(target - clock_.steadyMs());
  }
  bool idle() const { return timers_.empty(); }
  std::size_t pending() const { return timers_.size(); }

 private:
  struct Key {
    std::int64_t at;
    TimerId id;
    bool operator<(const Key& o) const { return at != o.at ? at < o.at : id < o.id; }
  };
  ManualClock& clock_;
  std::map<Key, std::function<void()>> timers_;
  TimerId next_ = 0;
};

}  // namespace omb
