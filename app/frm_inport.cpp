#include "app/frm_inport.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/project_commands.h"

namespace omb {

FrmInport::FrmInport(ProjectCommands& project, QWidget* parent) : QDialog(parent), project_(project) {
  setObjectName(QStringLiteral("frmInport"));
  setWindowTitle(QCoreApplication::translate("FrmInport", "旧バージョン・プロジェクトのインポート"));
  auto* grid = new QGridLayout(this);
  auto field = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromUtf8(name));
    l->setFrameShape(QFrame::StyledPanel);
    l->setMinimumWidth(360);
    return l;
  };
  grid->addWidget(new QLabel(QCoreApplication::translate("FrmInport", "ファイル フルパス"), this), 0, 0);
  grid->addWidget(lblFileName_ = field("lblFileName"), 0, 1, 1, 2);
  grid->addWidget(new QLabel(QCoreApplication::translate("FrmInport", "プロジェクト・コメント"), this), 1, 0);
  grid->addWidget(lblProjectName_ = field("lblProjectName"), 1, 1, 1, 2);
  auto* get = new QPushButton(QCoreApplication::translate("FrmInport", "再インポート"), this);
  get->setObjectName(QStringLiteral("cmdGet"));
  auto* close = new QPushButton(QCoreApplication::translate("FrmInport", "閉じる"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  grid->addWidget(get, 2, 1);
  grid->addWidget(close, 2, 2);
  connect(get, &QPushButton::clicked, this, &FrmInport::cmdGet_Click);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void FrmInport::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (loaded_) return;
  loaded_ = true;
  // The first import runs as soon as the window is up.
  QTimer::singleShot(0, this, &FrmInport::cmdGet_Click);
}

void FrmInport::cmdGet_Click() {
  const auto path = project_.cmdGet_Click();
  if (!path) return;
  lblFileName_->setText(QString::fromStdString(*path));
  lblProjectName_->setText(QString::fromStdString(project_.comment()));
}

}  // namespace omb
