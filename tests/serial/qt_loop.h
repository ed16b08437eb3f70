// The event loop for the line tests: one application object, and running
// the loop for a while or until something happened.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace omb::test {

inline QCoreApplication& app() {
  static int argc = 1;
  static char name[] = "test_serial";
  static char* argv[] = {name, nullptr};
  static QCoreApplication a(argc, argv);
  return a;
}

// Runs the event loop for `ms`, or until `done` says so.
inline bool spin(int ms, const std::function<bool()>& done = nullptr) {
  app();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (done && done()) return true;
  }
  return false;
}

}  // namespace omb::test
