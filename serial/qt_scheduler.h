// The protocol engine's timers on the Qt event loop.  Precise timers: the
// silence that ends a frame and the message wait are counted in
// milliseconds.
#pragma once

#include <QObject>
#include <QTimer>

#include <unordered_map>

#include "link/scheduler.h"

namespace omb {

class QtScheduler final : public Scheduler {
 public:
  QtScheduler() = default;
  ~QtScheduler() override;
  QtScheduler(const QtScheduler&) = delete;
  QtScheduler& operator=(const QtScheduler&) = delete;

  TimerId schedule(int delayMs, std::function<void()> fn) override;
  void cancel(TimerId id) override;

 private:
  std::unordered_map<TimerId, QTimer*> timers_;
  TimerId next_ = 0;
};

}  // namespace omb
