#include "ui/dlg_font.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace omb {

namespace {

QIcon swatch(const QColor& colour) {
  QPixmap p(28, 14);
  p.fill(colour);
  QPainter painter(&p);
  painter.setPen(Qt::gray);
  painter.drawRect(p.rect().adjusted(0, 0, -1, -1));
  return QIcon(p);
}

}  // namespace

DlgFont::DlgFont(const QFont& font, const QColor& colour, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgFont"));
  setWindowTitle(QCoreApplication::translate("DlgFont", "フォント"));
  fonts_ = new QFontDialog(this);
  fonts_->setObjectName(QStringLiteral("fntChooser"));
  fonts_->setWindowFlags(Qt::Widget);
  fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  fonts_->setCurrentFont(font);

  cmdColour_ = new QPushButton(this);
  cmdColour_->setObjectName(QStringLiteral("cmdFontColour"));
  cmdColour_->setToolTip(QCoreApplication::translate("DlgFont", "文字の色を選択します"));
  cmdColour_->setAutoDefault(false);
  auto* label = new QLabel(QCoreApplication::translate("DlgFont", "文字色(&C):"), this);
  label->setObjectName(QStringLiteral("lblFontColour"));
  label->setBuddy(cmdColour_);
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(cmdColour_, 1);
  // Qt's dialog keeps its effects in one group, underline and
  // strikethrough: the colour joins them there.
  QGroupBox* effects = nullptr;
  for (QCheckBox* box : fonts_->findChildren<QCheckBox*>())
    if (auto* group = qobject_cast<QGroupBox*>(box->parentWidget())) effects = group;
  if (effects && qobject_cast<QBoxLayout*>(effects->layout())) {
    static_cast<QBoxLayout*>(effects->layout())->addLayout(row);
  }
  // The sample line is the one text field inside a group of its own.
  for (QLineEdit* edit : fonts_->findChildren<QLineEdit*>())
    if (qobject_cast<QGroupBox*>(edit->parentWidget()) && edit->parentWidget() != effects) sample_ = edit;

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttonBox"));
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("DlgFont", "ｷｬﾝｾﾙ"));
  auto* v = new QVBoxLayout(this);
  v->addWidget(fonts_);
  if (!effects) v->addLayout(row);  // a Qt whose dialog looks otherwise
  v->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(cmdColour_, &QPushButton::clicked, this, &DlgFont::chooseColour);
  setColour(colour);
}

QFont DlgFont::selectedFont() const { return fonts_->currentFont(); }

void DlgFont::setColour(const QColor& colour) {
  colour_ = colour.isValid() ? colour : QColor(Qt::black);
  cmdColour_->setIcon(swatch(colour_));
  cmdColour_->setIconSize(QSize(28, 14));
  cmdColour_->setText(colour_.name(QColor::HexRgb).toUpper());
  if (sample_) {
    QPalette p = sample_->palette();
    p.setColor(QPalette::Text, colour_);
    sample_->setPalette(p);
  }
}

void DlgFont::chooseColour() {
  const QColor c = QColorDialog::getColor(colour_, this, QCoreApplication::translate("DlgFont", "文字色"));
  if (c.isValid()) setColour(c);
}

}  // namespace omb
