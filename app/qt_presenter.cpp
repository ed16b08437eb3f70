#include "app/qt_presenter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/dlg_input.h"
#include "ui/dlg_msg.h"

namespace omb {

MsgAnswer QtPresenter::message(const std::string& text, const std::string& title, MsgIcon icon,
                               MsgButtons buttons) {
  QMessageBox box(parent_);
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);  // a stray Enter never closes a port or discards settings
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return MsgAnswer::Ok;
  }
}

void QtPresenter::messageWithHelp(const std::string& text, const std::string& title, MsgIcon icon, int helpTopic) {
  QMessageBox box(parent_);
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  box.setIcon(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning);
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Help);
  // Help opens the topic and the box stays until OK.
  while (box.exec() == QMessageBox::Help)
    if (help_) help_(helpTopic);
}

std::optional<std::string> QtPresenter::inputBox(const std::string& prompt, const std::string& title,
                                                 const std::string& preset) {
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, QString::fromStdString(title), QString::fromStdString(prompt),
                                             QLineEdit::Normal, QString::fromStdString(preset), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

void QtPresenter::beep() { QApplication::beep(); }

// The dialogs open over the window the user works in (a device view),
// else over the main window.
static QWidget* activeOr(QWidget* fallback) {
  QWidget* active = QApplication::activeWindow();
  return active ? active : fallback;
}

std::string QtPresenter::dlgInput(const std::string& caption, const std::string& prompt, const std::string& preset) {
  return omb::dlgInput::ask(activeOr(parent_), QString::fromStdString(caption), QString::fromStdString(prompt),
                            QString::fromStdString(preset))
      .toStdString();
}

bool QtPresenter::dlgMsg(const std::string& caption, const std::string& message, bool cancelVisible) {
  return omb::dlgMsg::ask(activeOr(parent_), QString::fromStdString(caption), QString::fromStdString(message),
                          cancelVisible) == QStringLiteral("1");
}

}  // namespace omb
