// Everything the library asks of the person at the screen goes through one
// Presenter: message boxes with the exact texts, and the beep.  The
// application answers with Qt dialogs, the serve mode and tests answer
// without blocking.
#pragma once

#include <functional>
#include <optional>
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
  // An OK box with a Help button that opens help topic `helpTopic` while
  // the box stays.
  virtual void messageWithHelp(const std::string& text, const std::string& title, MsgIcon icon, int helpTopic) {
    (void)helpTopic;
    message(text, title, icon, MsgButtons::Ok);
  }
  // A modal input box; empty when cancelled.
  virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                              const std::string& preset) = 0;
  // The system beep.
  virtual void beep() {}
  // The device views' own input dialog (caption, prompt, the text it opens
  // with): the answer, empty for Cancel.
  virtual std::string dlgInput(const std::string& caption, const std::string& prompt, const std::string& preset) {
    return inputBox(prompt, caption, preset).value_or(std::string());
  }
  // The device views' own message dialog, with Cancel for confirmations:
  // true for OK.
  virtual bool dlgMsg(const std::string& caption, const std::string& text, bool cancelVisible) {
    return message(text, caption, MsgIcon::None, cancelVisible ? MsgButtons::OkCancel : MsgButtons::Ok) ==
           MsgAnswer::Ok;
  }
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
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& preset) override {
    inputs.push_back({prompt, title, MsgIcon::None, MsgButtons::OkCancel});
    presets.push_back(preset);
    if (inputAnswers.empty()) return std::nullopt;
    auto a = inputAnswers.front();
    inputAnswers.erase(inputAnswers.begin());
    return a;
  }
  void beep() override { ++beeps; }
  // The views' dialogs are answered by these when set (a test looks at
  // what was asked and scripts the answer), otherwise with Cancel and OK.
  std::function<std::string(const std::string& caption, const std::string& prompt, const std::string& preset)>
      dlgInputAnswer;
  std::function<bool(const std::string& caption, const std::string& message, bool cancelVisible)> dlgMsgAnswer;
  std::string dlgInput(const std::string& caption, const std::string& prompt, const std::string& preset) override {
    return dlgInputAnswer ? dlgInputAnswer(caption, prompt, preset) : std::string();
  }
  bool dlgMsg(const std::string& caption, const std::string& message, bool cancelVisible) override {
    return dlgMsgAnswer ? dlgMsgAnswer(caption, message, cancelVisible) : true;
  }

  std::vector<Box> boxes;
  std::vector<MsgAnswer> answers;  // scripted answers, used in order
  std::vector<Box> inputs;         // input boxes asked (prompt in text)
  std::vector<std::string> presets;
  std::vector<std::optional<std::string>> inputAnswers;  // scripted, in order; none left: cancel
  int beeps = 0;
};

}  // namespace omb
