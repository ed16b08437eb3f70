// A program folder with the shipped settings, the program's state, and the
// views opened through the view manager so that every refresh signal
// travels the real way; the views' dialogs answered by script and the
// controls driven as a user would.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "core/presenter.h"
#include "test_support.h"
#include "widget_support.h"
#include "views/flex_grid.h"
#include "views/view_factory.h"
#include "app/compose.h"
#include "views/view_manager.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace omb::test {

// Driving windows as a user would.
template <class T>
T& find(QWidget& w, const char* name) {
  return *child<T>(w, name);
}
inline void click(QWidget& v, const char* button) { find<QPushButton>(v, button).click(); }
inline void key(QWidget* w, int k, const QString& text, Qt::KeyboardModifiers m = Qt::NoModifier) {
  QKeyEvent e(QEvent::KeyPress, k, m, text);
  QCoreApplication::sendEvent(w, &e);
}
// Press, release, double click, release at the centre of a cell.
inline void doubleClick(FlexGrid& g, int row, int col) {
  QWidget* vp = g.viewport();
  const QPointF p = g.cellRect(row, col).center();
  auto send = [&](QEvent::Type t, Qt::MouseButtons held) {
    QMouseEvent e(t, p, vp->mapToGlobal(p), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &e);
  };
  send(QEvent::MouseButtonPress, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::NoButton);
  send(QEvent::MouseButtonDblClick, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, Qt::NoButton);
}

class ViewFixture : public ::testing::Test {
 protected:
  // A question a view asked in its own dialogs.
  struct Asked {
    std::string caption, text, preset;
    bool cancel;
  };

  ViewFixture() {
    restart();
    presenter.dlgInputAnswer = [this](const std::string& caption, const std::string& prompt, const std::string& preset) {
      inputs.push_back({caption, prompt, preset, true});
      if (inputAnswers.empty()) return std::string();
      std::string a = inputAnswers.front();
      inputAnswers.pop_front();
      return a;
    };
    presenter.dlgMsgAnswer = [this](const std::string& caption, const std::string& message, bool cancelVisible) {
      msgs.push_back({caption, message, "", cancelVisible});
      return true;
    };
  }
  ~ViewFixture() override { manager.reset(); }

  // Starts the program afresh on the shipped settings file with `replace`
  // (text, replacement) applied to it.
  void restart(const std::vector<std::pair<std::string, std::string>>& replace = {}) {
    manager.reset();
    core.reset();
    std::string ini = readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
    for (const auto& [from, to] : replace) {
      const std::size_t at = ini.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      ini.replace(at, from.size(), to);
    }
    writeFile(dir.file("Init.ini"), ini);
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    ASSERT_TRUE(core->startUp());
    manager = std::make_unique<ViewManager>(omb::viewHostOf(*core), nullptr);
    manager->factory = createSingleView;
    manager->multiFactory = createMultiView;
  }

  template <class View>
  View& open(int slot) {
    manager->openSingleView(slot);
    auto* v = dynamic_cast<View*>(manager->view(slot));
    EXPECT_NE(v, nullptr) << slot;
    return *v;
  }
  const std::vector<std::int16_t>& mem(int kind) { return core->state.memory.words(kind); }
  void poke(int kind, std::int64_t index, std::int16_t value) { core->state.memory.write(kind, index, value); }
  QString signal() const { return manager->lastSignal(); }

  TempDir dir;
  RecordingPresenter presenter;
  // A clock the test moves, so an engine on it sees exact silences.
  ManualClock clock{DateTime{2026, 12, 10, 12, 0, 0}};
  std::unique_ptr<AppCore> core;
  std::unique_ptr<ViewManager> manager;
  std::vector<Asked> inputs, msgs;
  std::deque<std::string> inputAnswers;  // the views' input dialog, in order; none left: Cancel
};

}  // namespace omb::test
