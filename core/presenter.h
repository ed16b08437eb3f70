// Everything the library asks of the person at the screen goes through one
// Presenter: message boxes with the exact texts, and the beep.  The
// application answers with Qt dialogs, the serve mode and tests answer
// without blocking.
#pragma once

#include <string>
#include <vector>

namespace omb {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class Presenter {
 public:
  virtual ~Presenter() = default;
  // A modal message box: `text` in the body, `title` as caption.
  virtual MsgAnswer message(const std::string& text, const std::string& title, MsgIcon icon,
                            MsgButtons buttons) = 0;
  // The system beep.
  virtual void beep() {}
};

// Answers every box with its first button (OK or Yes) and remembers what was
// asked; for tests and for running without a screen.
class RecordingPresenter : public Presenter {
 public:
  struct Box {
    std::string text, title;
    MsgIcon icon;
    MsgButtons buttons;
  };
  MsgAnswer message(const std::string& text, const std::string& title, MsgIcon icon,
                    MsgButtons buttons) override {
    boxes.push_back({text, title, icon, buttons});
    if (!answers.empty()) {
      MsgAnswer a = answers.front();
      answers.erase(answers.begin());
      return a;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }
  void beep() override { ++beeps; }

  std::vector<Box> boxes;
  std::vector<MsgAnswer> answers;  // scripted answers, used in order
  int beeps = 0;
};

}  // namespace omb
