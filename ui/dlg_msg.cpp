#include "ui/dlg_msg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/title_fit.h"

namespace omb {

dlgMsg::dlgMsg(const QString& caption, const QString& message, bool showCancel, QWidget* parent)
    : QDialog(parent),
      lblMsg_(new QLabel(message, this)),
      cmdOK_(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel_(new QPushButton(QCoreApplication::translate("DlgMsg", "ｷｬﾝｾﾙ"), this)) {
  setObjectName(QStringLiteral("dlgMsg"));
  setWindowTitle(caption);
  setModal(true);
  lblMsg_->setObjectName(QStringLiteral("lblMsg"));
  // Each line of the message stays one line: the dialog is as wide as its
  // longest line.
  lblMsg_->setWordWrap(false);
  lblMsg_->setTextFormat(Qt::PlainText);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  cmdOK_->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblMsg_);
  layout->addLayout(buttons);
  setMinimumWidth(320);
  fitTitle(*this);
  setCancelVisible(showCancel);

  connect(cmdOK_, &QPushButton::clicked, this, [this] {
    answer_ = QStringLiteral("1");
    accept();
  });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { reject(); });
  connect(this, &QDialog::rejected, this, [this] { answer_ = QStringLiteral("2"); });
}

QString dlgMsg::ask(QWidget* parent, const QString& caption, const QString& message, bool showCancel) {
  dlgMsg dlg(caption, message, showCancel, parent);
  dlg.exec();
  return dlg.answer();
}

void dlgMsg::setCancelVisible(bool visible) { cmdCancel_->setVisible(visible); }

}  // namespace omb
