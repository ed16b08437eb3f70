#include "app/frm_faults.h"

#include "ui/window_place.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>


#include "app/chosen_file.h"
#include "ui/table_cells.h"
#include "core/translate.h"

namespace omb {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const char* const kTitle = QT_TRANSLATE_NOOP("FrmFaults", "障害注入と統計");

}  // namespace

FrmFaults::FrmFaults(AppCore& core, QWidget* parent) : QWidget(parent, kOwnedWindow), core_(core) {
  setObjectName("frmFaults");
  setWindowTitle(QCoreApplication::translate("FrmFaults", kTitle));

  auto* rules = new QGroupBox(QCoreApplication::translate("FrmFaults", "障害注入の規則"), this);
  grdFaults_ = new QTableWidget(0, 4, rules);
  grdFaults_->setObjectName("grdFaults");
  grdFaults_->setHorizontalHeaderLabels(
      {QCoreApplication::translate("FrmFaults", "規則"), QCoreApplication::translate("FrmFaults", "内容"), QCoreApplication::translate("FrmFaults", "一致"), QCoreApplication::translate("FrmFaults", "注入")});
  grdFaults_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdFaults_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdFaults_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  grdFaults_->verticalHeader()->setDefaultSectionSize(grdFaults_->fontMetrics().height() + 6);

  txtFaultRule_ = new QLineEdit(rules);
  txtFaultRule_->setObjectName("txtFaultRule");
  txtFaultRule_->setPlaceholderText(QCoreApplication::translate("FrmFaults", "例: nak=06,cmd=WW   delay=300,every=5   split=50,at=4,dev=D100-D199"));
  txtFaultRule_->setToolTip(
      QCoreApplication::translate("FrmFaults", "動作: delay=ms drop nak=コード badsum flip insert=HH split=ms twice\n"
                     "条件: cmd=WR dev=D100-D199 every=N p=0.25　位置: at=N　マスク: mask=HH"));
  cmdFaultAdd_ = new QPushButton(QCoreApplication::translate("FrmFaults", "追加"), rules);
  cmdFaultAdd_->setObjectName("cmdFaultAdd");
  cmdFaultRemove_ = new QPushButton(QCoreApplication::translate("FrmFaults", "削除"), rules);
  cmdFaultRemove_->setObjectName("cmdFaultRemove");
  cmdFaultClear_ = new QPushButton(QCoreApplication::translate("FrmFaults", "全削除"), rules);
  cmdFaultClear_->setObjectName("cmdFaultClear");
  cmdFaultLoad_ = new QPushButton(QCoreApplication::translate("FrmFaults", "ファイルから読込..."), rules);
  cmdFaultLoad_->setObjectName("cmdFaultLoad");
  chkFaultEnabled_ = new QCheckBox(QCoreApplication::translate("FrmFaults", "障害注入を有効にする"), rules);
  chkFaultEnabled_->setObjectName("chkFaultEnabled");
  txtFaultSeed_ = new QLineEdit(rules);
  txtFaultSeed_->setObjectName("txtFaultSeed");
  txtFaultSeed_->setMaximumWidth(txtFaultSeed_->fontMetrics().horizontalAdvance("0") * 22);
  auto* seedLabel = new QLabel(QCoreApplication::translate("FrmFaults", "シード"), rules);

  auto* add = new QHBoxLayout;
  add->addWidget(txtFaultRule_, 1);
  add->addWidget(cmdFaultAdd_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(chkFaultEnabled_);
  buttons->addWidget(seedLabel);
  buttons->addWidget(txtFaultSeed_);
  buttons->addStretch(1);
  buttons->addWidget(cmdFaultLoad_);
  buttons->addWidget(cmdFaultRemove_);
  buttons->addWidget(cmdFaultClear_);
  auto* rl = new QVBoxLayout(rules);
  rl->addWidget(grdFaults_, 1);
  rl->addLayout(add);
  rl->addLayout(buttons);

  auto* statsBox = new QGroupBox(QCoreApplication::translate("FrmFaults", "通信統計"), this);
  lblStats_ = new QLabel(statsBox);
  lblStats_->setObjectName("lblStats");
  lblStats_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lblStats_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  cmdStatsReset_ = new QPushButton(QCoreApplication::translate("FrmFaults", "統計をリセット"), statsBox);
  cmdStatsReset_->setObjectName("cmdStatsReset");
  auto* sl = new QHBoxLayout(statsBox);
  sl->addWidget(lblStats_, 1);
  sl->addWidget(cmdStatsReset_, 0, Qt::AlignBottom);

  auto* v = new QVBoxLayout(this);
  v->addWidget(rules, 1);
  v->addWidget(statsBox);
  resize(720, 460);

  connect(cmdFaultAdd_, &QPushButton::clicked, this, &FrmFaults::cmdFaultAdd_Click);
  connect(txtFaultRule_, &QLineEdit::returnPressed, this, &FrmFaults::cmdFaultAdd_Click);
  connect(cmdFaultRemove_, &QPushButton::clicked, this, &FrmFaults::cmdFaultRemove_Click);
  connect(cmdFaultClear_, &QPushButton::clicked, this, &FrmFaults::cmdFaultClear_Click);
  connect(cmdFaultLoad_, &QPushButton::clicked, this, &FrmFaults::cmdFaultLoad_Click);
  connect(chkFaultEnabled_, &QCheckBox::toggled, this, [this](bool on) { core_.faults.setEnabled(on); });
  connect(txtFaultSeed_, &QLineEdit::editingFinished, this, [this] {
    const std::string t = txtFaultSeed_->text().trimmed().toStdString();
    if (!t.empty() && t.size() <= 19 && t.find_first_not_of("0123456789") == std::string::npos)
      core_.faults.setSeed(std::stoull(t));
    else
      message(omb::trs("FrmFaults", "シードは 0 以上の整数で入力してください"));
    txtFaultSeed_->setText(QString::number(core_.faults.seed()));
  });
  connect(cmdStatsReset_, &QPushButton::clicked, this, [this] {
    core_.stats.reset();
    refresh();
  });
  timer_.setInterval(500);
  connect(&timer_, &QTimer::timeout, this, &FrmFaults::refresh);
  timer_.start();
  refresh();
}

void FrmFaults::message(const std::string& text) {
  core_.presenter.message(text, omb::trs("FrmFaults", kTitle), MsgIcon::Exclamation, MsgButtons::Ok);
}

void FrmFaults::cmdFaultAdd_Click() {
  const std::string text = txtFaultRule_->text().trimmed().toStdString();
  if (text.empty()) return;
  std::string error;
  auto rule = parseFaultRule(text, error);
  if (!rule) {
    message(error);
    return;
  }
  core_.faults.add(std::move(*rule));
  txtFaultRule_->clear();
  refresh();
}

void FrmFaults::cmdFaultRemove_Click() {
  const int row = grdFaults_->currentRow();
  if (row < 0) return;
  core_.faults.remove(static_cast<std::size_t>(row));
  refresh();
}

void FrmFaults::cmdFaultClear_Click() {
  core_.faults.clear();
  refresh();
}

void FrmFaults::cmdFaultLoad_Click() {
  const auto file =
      chooseAndRead(core_.presenter, omb::trs("FrmFaults", "障害注入の規則ファイルを開く"), {"TEXT(*.txt)", "All(*.*)"}, "txt", omb::trs("FrmFaults", kTitle));
  if (!file) return;
  std::string error;
  if (!core_.faults.load(file->text, error)) message(file->path + "\r\n" + error);
  refresh();
}

void FrmFaults::refresh() {
  const auto& rules = core_.faults.rules();
  const bool reshape = grdFaults_->rowCount() != static_cast<int>(rules.size());
  grdFaults_->setRowCount(static_cast<int>(rules.size()));
  auto set = [this](int row, int col, const QString& text) { setCellText(*grdFaults_, row, col, text); };
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const int r = static_cast<int>(i);
    set(r, 0, q(rules[i].rule.text));
    set(r, 1, q(faultDescription(rules[i].rule)));
    set(r, 2, QString::number(rules[i].matched));
    set(r, 3, QString::number(rules[i].fired));
  }
  if (reshape) grdFaults_->resizeColumnToContents(0);
  chkFaultEnabled_->setChecked(core_.faults.enabled());
  if (!txtFaultSeed_->hasFocus()) txtFaultSeed_->setText(QString::number(core_.faults.seed()));
  lblStats_->setText(q(core_.stats.text()));
}

}  // namespace omb
