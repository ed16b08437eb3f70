#include "script/watchdog.h"

#include <QJSEngine>

namespace omb {

Watchdog::Watchdog() : thread_([this] { watch(); }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void Watchdog::arm(QJSEngine& engine, int limitMs) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    engine_ = &engine;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    ++call_;
    fired_ = false;
    wake = idle_;
  }
  if (wake) wake_.notify_one();
}

bool Watchdog::disarm() {
  std::lock_guard lock(mutex_);
  engine_ = nullptr;
  return fired_;
}

void Watchdog::watch() {
  std::unique_lock lock(mutex_);
  while (!quit_) {
    if (!engine_) {
      idle_ = true;
      wake_.wait(lock);
      idle_ = false;
      continue;
    }
    const std::uint64_t call = call_;
    const auto deadline = deadline_;
    wake_.wait_until(lock, deadline);
    if (quit_) break;
    // The same call still running past its deadline: stop it.  (A later
    // call is looked at afresh with its own deadline.)
    if (engine_ && call_ == call && std::chrono::steady_clock::now() >= deadline && !fired_) {
      engine_->setInterrupted(true);
      fired_ = true;
    }
    if (fired_ && engine_ && call_ == call) {
      idle_ = true;  // nothing more to do for this call
      wake_.wait(lock, [&] { return quit_ || !engine_ || call_ != call; });
      idle_ = false;
    }
  }
}

}  // namespace omb
