#include "app/qt_presenter.h"

#include <QCoreApplication>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QAbstractButton>
#include <QFontMetrics>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>

#include <algorithm>

#include "ui/colour.h"
#include "ui/dlg_font.h"
#include "ui/dlg_input.h"
#include "ui/dlg_msg.h"
#include "ui/title_fit.h"
#include "core/translate.h"

namespace omb {

QtPresenter::Over::Over(QtPresenter& presenter) : presenter_(presenter) {
  QWidget* active = QApplication::activeWindow();
  const bool following = presenter.lastOver_ && presenter.lastClosed_.isValid() &&
                         presenter.lastClosed_.elapsed() < kFollowMs;
  window_ = active ? active : following ? presenter.lastOver_.data() : presenter.parent_;
  presenter.lastOver_ = window_;
}

QtPresenter::Over::~Over() { presenter_.lastClosed_.start(); }

namespace {

// The captions every dialog of the product uses.
void nameButtons(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, const char*> names[] = {
      {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, QT_TRANSLATE_NOOP("QtPresenter", "ｷｬﾝｾﾙ")}, {QMessageBox::Yes, QT_TRANSLATE_NOOP("QtPresenter", "はい(&Y)")},
      {QMessageBox::No, QT_TRANSLATE_NOOP("QtPresenter", "いいえ(&N)")}, {QMessageBox::Help, QT_TRANSLATE_NOOP("QtPresenter", "ヘルプ(&H)")}};
  for (const auto& [which, text] : names)
    if (QAbstractButton* b = box.button(which)) b->setText(QCoreApplication::translate("QtPresenter", text));
}

// A box as wide as its longest line (within the screen), so that a line
// such as "初期化します！" is never broken in two, and wide enough for its
// title with the frame's buttons beside it, so that the window manager
// does not cut the title short ("プロジェ…て保存").
void fitWidth(QMessageBox& box, const QString& text, const QString& title) {
  int widest = 0;
  const QFontMetrics metrics(box.font());
  for (const QString& line : text.split(QRegularExpression("\\r\\n|\\n")))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  widest = std::max(widest, titleBarWidth(box, title));
  const QScreen* screen = box.screen();
  const int room = screen ? screen->availableGeometry().width() * 9 / 10 : 1200;
  // The label's own room is the box less its icon and margins.
  box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }").arg(std::min(widest + 8, room - 120)));
}

}  // namespace

std::unique_ptr<QMessageBox> QtPresenter::buildBox(const std::string& text, const std::string& title, MsgIcon icon,
                                                   MsgButtons buttons, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  const QString body = QString::fromStdString(text);
  box->setWindowTitle(QString::fromStdString(title));
  box->setTextFormat(Qt::PlainText);
  box->setText(body);
  switch (icon) {
    case MsgIcon::Critical: box->setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box->setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box->setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box->setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
  }
  switch (buttons) {
    case MsgButtons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::OkCancelSafe:
      box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box->setDefaultButton(QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box->setDefaultButton(QMessageBox::No);  // a stray Enter never closes a port or discards settings
      break;
  }
  nameButtons(*box);
  fitWidth(*box, body, box->windowTitle());
  return box;
}

MsgAnswer QtPresenter::message(const std::string& text, const std::string& title, MsgIcon icon,
                               MsgButtons buttons) {
  const Over over(*this);
  const auto box = buildBox(text, title, icon, buttons, over.window());
  switch (box->exec()) {
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return MsgAnswer::Ok;
  }
}

void QtPresenter::messageWithHelp(const std::string& text, const std::string& title, MsgIcon icon, int helpTopic) {
  const Over over(*this);
  const auto box = buildBox(text, title, icon == MsgIcon::Critical ? icon : MsgIcon::Exclamation, MsgButtons::Ok, over.window());
  box->setStandardButtons(QMessageBox::Ok | QMessageBox::Help);
  nameButtons(*box);
  // Help opens the topic and the box stays until OK.
  while (box->exec() == QMessageBox::Help)
    if (help_) help_(helpTopic);
}

std::optional<std::string> QtPresenter::inputBox(const std::string& prompt, const std::string& title,
                                                 const std::string& preset) {
  const Over over(*this);
  QInputDialog dialog(over.window());
  dialog.setWindowTitle(QString::fromStdString(title));
  dialog.setLabelText(QString::fromStdString(prompt));
  dialog.setTextValue(QString::fromStdString(preset));
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QCoreApplication::translate("QtPresenter", "ｷｬﾝｾﾙ"));
  // The dialog's layout sets its own minimum: the text field carries the
  // title's width.
  if (auto* edit = dialog.findChild<QLineEdit*>())
    edit->setMinimumWidth(titleBarWidth(dialog, dialog.windowTitle()));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

void QtPresenter::beep() { QApplication::beep(); }


std::string QtPresenter::dlgInput(const std::string& caption, const std::string& prompt, const std::string& preset) {
  const Over over(*this);
  return omb::dlgInput::ask(over.window(), QString::fromStdString(caption), QString::fromStdString(prompt),
                            QString::fromStdString(preset))
      .toStdString();
}

bool QtPresenter::dlgMsg(const std::string& caption, const std::string& message, bool cancelVisible) {
  const Over over(*this);
  return omb::dlgMsg::ask(over.window(), QString::fromStdString(caption), QString::fromStdString(message),
                          cancelVisible) == QStringLiteral("1");
}

std::optional<std::string> QtPresenter::openFileName(const std::string& title, const std::vector<std::string>& filters,
                                                     const std::string& defaultExtension, const std::string& folder) {
  const Over over(*this);
  QFileDialog dialog(over.window(), QString::fromStdString(title));
  if (!folder.empty()) dialog.setDirectory(QString::fromStdString(folder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList list;
  for (const std::string& f : filters) list << QString::fromStdString(f);
  dialog.setNameFilters(list);
  dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtPresenter::saveFileName(const std::string& title, const std::vector<std::string>& filters,
                                                     const std::string& defaultExtension, const std::string& initial) {
  const Over over(*this);
  QFileDialog dialog(over.window(), QString::fromStdString(title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  QStringList list;
  for (const std::string& f : filters) list << QString::fromStdString(f);
  dialog.setNameFilters(list);
  dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
  dialog.selectFile(QString::fromStdString(initial));
  // An existing project is replaced without a question, as the product does.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

std::optional<std::int32_t> QtPresenter::chooseColour(std::int32_t initial) {
  const Over over(*this);
  const QColor c = QColorDialog::getColor(toQColor(initial), over.window());
  if (!c.isValid()) return std::nullopt;
  return fromQColor(c);
}

// The font chooser with the text colour beside underline and
// strikethrough.
std::optional<FontChoice> QtPresenter::chooseFont(const FontChoice& preset) {
  QFont font(QString::fromStdString(preset.name));
  font.setPointSizeF(preset.size > 0 ? preset.size : 9.0);
  font.setBold(preset.bold);
  font.setItalic(preset.italic);
  font.setUnderline(preset.underline);
  font.setStrikeOut(preset.strikethrough);
  const Over over(*this);
  DlgFont dialog(font, toQColor(preset.colour), over.window());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QFont chosen = dialog.selectedFont();
  FontChoice c;
  c.name = chosen.family().toStdString();
  c.size = static_cast<float>(chosen.pointSizeF() > 0 ? chosen.pointSizeF() : preset.size);
  c.bold = chosen.bold();
  c.italic = chosen.italic();
  c.underline = chosen.underline();
  c.strikethrough = chosen.strikeOut();
  c.colour = fromQColor(dialog.colour());
  return c;
}

}  // namespace omb
