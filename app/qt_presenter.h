// The Presenter of the desktop program: Qt message boxes.
#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

#include "core/presenter.h"

namespace omb {

class QtPresenter final : public Presenter {
 public:
  // The product's message box: the text as plain text, each line of it on
  // one line, and the same button captions as the product's own dialogs.
  static std::unique_ptr<QMessageBox> buildBox(const std::string& text, const std::string& title, MsgIcon icon,
                                               MsgButtons buttons, QWidget* parent);
  explicit QtPresenter(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  // Opens a help topic (the Help button of messageWithHelp).
  void setHelp(std::function<void(int)> help) { help_ = std::move(help); }
  MsgAnswer message(const std::string& text, const std::string& title, MsgIcon icon,
                    MsgButtons buttons) override;
  void messageWithHelp(const std::string& text, const std::string& title, MsgIcon icon, int helpTopic) override;
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& preset) override;
  void beep() override;
  // The views' dialogs, over the window the user works in.
  std::string dlgInput(const std::string& caption, const std::string& prompt, const std::string& preset) override;
  bool dlgMsg(const std::string& caption, const std::string& message, bool cancelVisible) override;
  std::optional<std::string> openFileName(const std::string& title, const std::vector<std::string>& filters,
                                          const std::string& defaultExtension,
                                          const std::string& folder = std::string()) override;
  std::optional<std::string> saveFileName(const std::string& title, const std::vector<std::string>& filters,
                                          const std::string& defaultExtension, const std::string& initial) override;
  std::optional<std::int32_t> chooseColour(std::int32_t initial) override;
  std::optional<FontChoice> chooseFont(const FontChoice& preset) override;

 private:
  // The window a dialog opens over, for as long as the dialog is open: the
  // window the user works in (a device view); just after another dialog
  // closed, when no window is active again yet (a refusal that follows an
  // input box), the window that dialog opened over; else the main window.
  class Over {
   public:
    explicit Over(QtPresenter& presenter);
    ~Over();
    Over(const Over&) = delete;
    Over& operator=(const Over&) = delete;
    QWidget* window() const { return window_; }

   private:
    QtPresenter& presenter_;
    QWidget* window_;
  };
  // How long after a dialog closed the next one still opens over its window.
  static constexpr int kFollowMs = 500;

  QWidget* parent_;
  std::function<void(int)> help_;
  QPointer<QWidget> lastOver_;
  QElapsedTimer lastClosed_;
};

}  // namespace omb
