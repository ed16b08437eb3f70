// Finding a window's controls by object name, for tests that drive windows.
#pragma once

#include <QWidget>

#include <gtest/gtest.h>

namespace omb::test {

// The child of `w` of type T named `name`; a failure of the test, and
// nullptr, when there is none.
template <class T>
T* child(QWidget& w, const char* name) {
  T* t = w.findChild<T*>(name);
  EXPECT_NE(t, nullptr) << name;
  return t;
}

}  // namespace omb::test
