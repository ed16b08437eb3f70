// Interrupts JavaScript that runs too long.  A thread of its own waits on a
// condition variable (it never polls): arm() before a script's code is
// called, disarm() after; when the limit passes while armed, the engine is
// told to stop (QJSEngine::setInterrupted, which is safe from another
// thread) and disarm() says so.  Between handlers that follow each other
// closely the thread is not woken at every call: it wakes at the deadline
// of the call it saw and looks again.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class QJSEngine;

namespace omb {

class Watchdog {
 public:
  Watchdog();
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // `engine` runs a script's code from now on, for at most `limitMs`.
  void arm(QJSEngine& engine, int limitMs);
  // It has returned; whether the limit passed and the engine was told to
  // stop (the caller then lets it run again).
  bool disarm();

 private:
  void watch();

  std::mutex mutex_;
  std::condition_variable wake_;
  QJSEngine* engine_ = nullptr;  // armed when not null
  std::chrono::steady_clock::time_point deadline_{};
  std::uint64_t call_ = 0;  // counts arm()s
  bool idle_ = false;       // the thread waits for an arm()
  bool fired_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace omb
