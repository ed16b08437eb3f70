#include "serial/qt_scheduler.h"

namespace omb {

QtScheduler::~QtScheduler() {
  for (auto& [id, timer] : timers_) delete timer;
}

Scheduler::TimerId QtScheduler::schedule(int delayMs, std::function<void()> fn) {
  const TimerId id = ++next_;
  auto* timer = new QTimer;
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer, &QTimer::timeout, timer, [this, id, fn = std::move(fn)] {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    QTimer* t = it->second;
    timers_.erase(it);
    t->deleteLater();
    fn();
  });
  timers_.emplace(id, timer);
  timer->start(delayMs < 0 ? 0 : delayMs);
  return id;
}

void QtScheduler::cancel(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

}  // namespace omb
