// Everything the library asks of the person at the screen goes through one
// Presenter: message boxes with the exact texts, and the beep.  The
// application answers with Qt dialogs, the serve mode and tests answer
// without blocking.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace omb {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// OkCancelSafe: OK and Cancel with Cancel the default, for questions whose
// OK destroys something.
enum class MsgButtons { Ok, OkCancel, OkCancelSafe, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// What the font chooser offers and answers: the font and its effects, the
// colour as project files store it (00BBGGRR).
struct FontChoice {
  std::string name;
  float size = 9.0f;
  bool bold = false, italic = false, underline = false, strikethrough = false;
  std::int32_t colour = 0;
  bool operator==(const FontChoice&) const = default;
};

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
  // The file chooser for opening: `filters` as the chooser lists them
  // ("TEXT(*.txt)"), the extension added to a name typed without one, and
  // opened in `folder` when one is given (a bare name typed is looked for
  // there).  Nothing when cancelled; without a screen nothing is chosen.
  virtual std::optional<std::string> openFileName(const std::string& title, const std::vector<std::string>& filters,
                                                  const std::string& defaultExtension,
                                                  const std::string& folder = std::string()) {
    (void)title, (void)filters, (void)defaultExtension, (void)folder;
    return std::nullopt;
  }
  // The file chooser for saving, opened on `initial`: nothing when
  // cancelled; an existing file is replaced without a question.
  virtual std::optional<std::string> saveFileName(const std::string& title, const std::vector<std::string>& filters,
                                                  const std::string& defaultExtension, const std::string& initial) {
    (void)title, (void)filters, (void)defaultExtension, (void)initial;
    return std::nullopt;
  }
  // The colour chooser, opened on `initial` (00BBGGRR): the colour chosen,
  // nothing for Cancel.
  virtual std::optional<std::int32_t> chooseColour(std::int32_t initial) {
    (void)initial;
    return std::nullopt;
  }
  // The font chooser with its effects, opened on `preset`: nothing for
  // Cancel.
  virtual std::optional<FontChoice> chooseFont(const FontChoice& preset) {
    (void)preset;
    return std::nullopt;
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

  // The choosers: what was asked, and scripted answers used in order (none
  // left: Cancel).
  std::optional<std::string> openFileName(const std::string& title, const std::vector<std::string>& filters,
                                          const std::string&, const std::string& folder = std::string()) override {
    fileTitles.push_back(title);
    fileFilters = filters;
    fileFolders.push_back(folder);
    return next(fileAnswers);
  }
  std::optional<std::string> saveFileName(const std::string& title, const std::vector<std::string>&,
                                          const std::string&, const std::string& initial) override {
    fileTitles.push_back(title);
    fileFolders.push_back(initial);
    return next(saveAnswers);
  }
  // The folder each open chooser started in, or the file each save
  // chooser was opened on, in order.
  std::vector<std::string> fileFolders;
  std::vector<std::optional<std::string>> saveAnswers;
  std::optional<std::int32_t> chooseColour(std::int32_t initial) override {
    colourPresets.push_back(initial);
    return next(colourAnswers);
  }
  std::optional<FontChoice> chooseFont(const FontChoice& preset) override {
    fontPresets.push_back(preset);
    return next(fontAnswers);
  }
  std::vector<std::string> fileTitles, fileFilters;
  std::vector<std::optional<std::string>> fileAnswers;
  std::vector<std::int32_t> colourPresets;
  std::vector<std::optional<std::int32_t>> colourAnswers;
  std::vector<FontChoice> fontPresets;
  std::vector<std::optional<FontChoice>> fontAnswers;

  std::vector<Box> boxes;
  std::vector<MsgAnswer> answers;  // scripted answers, used in order
  std::vector<Box> inputs;         // input boxes asked (prompt in text)
  std::vector<std::string> presets;
  std::vector<std::optional<std::string>> inputAnswers;  // scripted, in order; none left: cancel
  int beeps = 0;

 private:
  template <class T>
  static std::optional<T> next(std::vector<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<T> a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

}  // namespace omb
