// The Presenter of the desktop program: Qt message boxes.
#pragma once

#include <QWidget>

#include "core/presenter.h"

namespace omb {

class QtPresenter final : public Presenter {
 public:
  explicit QtPresenter(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  MsgAnswer message(const std::string& text, const std::string& title, MsgIcon icon,
                    MsgButtons buttons) override;
  std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& preset) override;
  void beep() override;

 private:
  QWidget* parent_;
};

}  // namespace omb
