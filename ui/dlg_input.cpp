#include "ui/dlg_input.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/title_fit.h"

namespace omb {

dlgInput::dlgInput(const QString& caption, const QString& prompt, const QString& text, QWidget* parent)
    : QDialog(parent),
      lblComment_(new QLabel(prompt, this)),
      txtInput_(new QLineEdit(text, this)),
      cmdOK_(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel_(new QPushButton(QCoreApplication::translate("DlgInput", "ｷｬﾝｾﾙ"), this)) {
  setObjectName(QStringLiteral("dlgInput"));
  setWindowTitle(caption);
  setModal(true);
  lblComment_->setObjectName(QStringLiteral("lblComment"));
  lblComment_->setWordWrap(true);
  txtInput_->setObjectName(QStringLiteral("txtInput"));
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblComment_);
  layout->addWidget(txtInput_);
  layout->addLayout(buttons);
  setMinimumWidth(320);
  fitTitle(*this);

  txtInput_->installEventFilter(this);
  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    answer_ = txtInput_->text();
    accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] {
    answer_.clear();
    reject();
  });
  connect(this, &QDialog::rejected, this, [this] { answer_.clear(); });
}

QString dlgInput::ask(QWidget* parent, const QString& caption, const QString& prompt, const QString& text) {
  dlgInput dlg(caption, prompt, text, parent);
  dlg.exec();
  return dlg.answer();
}

void dlgInput::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  txtInput_->setFocus(Qt::OtherFocusReason);
  txtInput_->selectAll();
}

bool dlgInput::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtInput_) {
    if (event->type() == QEvent::FocusIn) {
      txtInput_->selectAll();
    } else if (event->type() == QEvent::KeyPress) {
      // Enter and Esc in the text box only choose the button; the key
      // itself goes nowhere, so Enter never answers straight away.
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        cmdOK_->setFocus(Qt::OtherFocusReason);
        return true;
      }
      if (key == Qt::Key_Escape) {
        cmdCancel_->setFocus(Qt::OtherFocusReason);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace omb
