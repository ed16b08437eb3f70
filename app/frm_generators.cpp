#include "app/frm_generators.h"

#include "ui/window_place.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "app/chosen_file.h"
#include "core/atomic_file.h"
#include "ui/table_cells.h"
#include "core/translate.h"

namespace omb {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const char* const kTitle = QT_TRANSLATE_NOOP("FrmGenerators", "値の自動変化");

// What each kind's entry in the chooser fills in: a working example.
const char* const kExamples[] = {
    "counter D100 step=1 min=0 max=999 period=100",
    "ramp D200 offset=0 amplitude=1000 period=5000",
    "sine D300 offset=500 amplitude=400 period=2000",
    "random D400 min=0 max=100 seed=1 period=250",
    "square X0 period=1000 duty=0.5",
    "follow Y10 source=X0 delay=200",
};
constexpr GeneratorKind kKindOrder[] = {GeneratorKind::Counter, GeneratorKind::Ramp,   GeneratorKind::Sine,
                                        GeneratorKind::Random,  GeneratorKind::Square, GeneratorKind::Follow};

// What a generator's line says besides its kind and devices.
std::string settingsText(const GeneratorSpec& spec) {
  std::string text = generatorText(spec);
  for (int words = 0; words < 2 && !text.empty(); ++words) {
    const std::size_t blank = text.find(' ');
    text = blank == std::string::npos ? std::string() : text.substr(blank + 1);
  }
  const std::string paused = " paused";
  if (text.size() >= paused.size() && text.compare(text.size() - paused.size(), paused.size(), paused) == 0)
    text.resize(text.size() - paused.size());
  return text;
}

}  // namespace

FrmGenerators::FrmGenerators(AppCore& core, QWidget* parent) : QWidget(parent, kOwnedWindow), core_(core) {
  setObjectName("frmGenerators");
  setWindowTitle(QCoreApplication::translate("FrmGenerators", kTitle));

  grdGenerators_ = new QTableWidget(0, 6, this);
  grdGenerators_->setObjectName("grdGenerators");
  grdGenerators_->setHorizontalHeaderLabels({QCoreApplication::translate("FrmGenerators", "番号"), QCoreApplication::translate("FrmGenerators", "種類"), QCoreApplication::translate("FrmGenerators", "デバイス"),
                                             QCoreApplication::translate("FrmGenerators", "設定"), QCoreApplication::translate("FrmGenerators", "状態"),
                                             QCoreApplication::translate("FrmGenerators", "現在値")});
  grdGenerators_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdGenerators_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdGenerators_->verticalHeader()->hide();
  // The short columns as wide as their texts, so that the settings keep
  // the rest of the width and are not cut ("step=20 min=0 max=1000 …").
  for (int c : {0, 1, 2, 4, 5}) grdGenerators_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  grdGenerators_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
  grdGenerators_->verticalHeader()->setDefaultSectionSize(grdGenerators_->fontMetrics().height() + 6);

  cboGeneratorKind_ = new QComboBox(this);
  cboGeneratorKind_->setObjectName("cboGeneratorKind");
  for (GeneratorKind k : kKindOrder) cboGeneratorKind_->addItem(QCoreApplication::translate("Generators", generatorKindCaption(k)));
  txtGenerator_ = new QLineEdit(this);
  txtGenerator_->setObjectName("txtGenerator");
  txtGenerator_->setText(QString::fromLatin1(kExamples[0]));
  txtGenerator_->setToolTip(
      QCoreApplication::translate("FrmGenerators", "種類 デバイス 設定… の１行で入力します（デバイスは D100 または D100-D109）\n"
                     "counter: step min max period　ramp/sine: offset amplitude period\n"
                     "random: min max seed period　square: period duty (max min)\n"
                     "follow: source delay invert　時間はすべてミリ秒"));
  cmdGeneratorAdd_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "追加"), this);
  cmdGeneratorAdd_->setObjectName("cmdGeneratorAdd");
  cmdGeneratorChange_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "変更"), this);
  cmdGeneratorChange_->setObjectName("cmdGeneratorChange");
  cmdGeneratorChange_->setToolTip(QCoreApplication::translate("FrmGenerators", "選択した行を入力した内容に変更します（行をダブルクリックすると内容が入ります）"));
  cmdGeneratorPause_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "一時停止"), this);
  cmdGeneratorPause_->setObjectName("cmdGeneratorPause");
  cmdGeneratorResume_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "再開"), this);
  cmdGeneratorResume_->setObjectName("cmdGeneratorResume");
  cmdGeneratorRemove_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "削除"), this);
  cmdGeneratorRemove_->setObjectName("cmdGeneratorRemove");
  cmdGeneratorClear_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "全削除"), this);
  cmdGeneratorClear_->setObjectName("cmdGeneratorClear");
  cmdGeneratorLoad_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "ファイルから読込..."), this);
  cmdGeneratorLoad_->setObjectName("cmdGeneratorLoad");
  cmdGeneratorSave_ = new QPushButton(QCoreApplication::translate("FrmGenerators", "ファイルへ保存..."), this);
  cmdGeneratorSave_->setObjectName("cmdGeneratorSave");

  auto* add = new QHBoxLayout;
  add->addWidget(new QLabel(QCoreApplication::translate("FrmGenerators", "種類"), this));
  add->addWidget(cboGeneratorKind_);
  add->addWidget(txtGenerator_, 1);
  add->addWidget(cmdGeneratorAdd_);
  add->addWidget(cmdGeneratorChange_);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {cmdGeneratorPause_, cmdGeneratorResume_, cmdGeneratorRemove_, cmdGeneratorClear_})
    buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(cmdGeneratorLoad_);
  buttons->addWidget(cmdGeneratorSave_);
  auto* v = new QVBoxLayout(this);
  v->addWidget(grdGenerators_, 1);
  v->addLayout(add);
  v->addLayout(buttons);
  resize(760, 420);

  connect(cboGeneratorKind_, &QComboBox::activated, this,
          [this](int i) { txtGenerator_->setText(QString::fromLatin1(kExamples[i])); });
  connect(cmdGeneratorAdd_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorAdd_Click);
  connect(txtGenerator_, &QLineEdit::returnPressed, this, &FrmGenerators::cmdGeneratorAdd_Click);
  connect(cmdGeneratorChange_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorChange_Click);
  connect(cmdGeneratorPause_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorPause_Click);
  connect(cmdGeneratorResume_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorResume_Click);
  connect(cmdGeneratorRemove_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorRemove_Click);
  connect(cmdGeneratorClear_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorClear_Click);
  connect(cmdGeneratorLoad_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorLoad_Click);
  connect(cmdGeneratorSave_, &QPushButton::clicked, this, &FrmGenerators::cmdGeneratorSave_Click);
  // A row double-clicked comes back into the text box, to add changed.
  connect(grdGenerators_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    const auto& entries = core_.generators.entries();
    if (row >= 0 && row < static_cast<int>(entries.size()))
      txtGenerator_->setText(q(generatorText(entries[static_cast<std::size_t>(row)].spec)));
  });
  timer_.setInterval(500);
  connect(&timer_, &QTimer::timeout, this, &FrmGenerators::refresh);
  timer_.start();
  refresh();
}

void FrmGenerators::message(const std::string& text) {
  core_.presenter.message(text, omb::trs("FrmGenerators", kTitle), MsgIcon::Exclamation, MsgButtons::Ok);
}

std::vector<int> FrmGenerators::selectedIds() const {
  std::vector<int> ids;
  const auto& entries = core_.generators.entries();
  for (const QModelIndex& i : grdGenerators_->selectionModel()->selectedRows())
    if (i.row() < static_cast<int>(entries.size())) ids.push_back(entries[static_cast<std::size_t>(i.row())].id);
  if (ids.empty() && grdGenerators_->currentRow() >= 0 &&
      grdGenerators_->currentRow() < static_cast<int>(entries.size()))
    ids.push_back(entries[static_cast<std::size_t>(grdGenerators_->currentRow())].id);
  return ids;
}

void FrmGenerators::cmdGeneratorAdd_Click() {
  const std::string text = txtGenerator_->text().trimmed().toStdString();
  if (text.empty()) return;
  std::string error;
  auto spec = parseGenerator(text, error);
  if (!spec || !core_.generators.add(*spec, core_.clock.steadyMs(), error)) {
    message(error);
    return;
  }
  refresh();
}

void FrmGenerators::cmdGeneratorChange_Click() {
  const auto& entries = core_.generators.entries();
  const int row = grdGenerators_->currentRow();
  if (row < 0 || row >= static_cast<int>(entries.size())) {
    message(omb::trs("FrmGenerators", "変更する行を選択してください"));
    return;
  }
  std::string error;
  auto spec = parseGenerator(txtGenerator_->text().trimmed().toStdString(), error);
  if (!spec ||
      !core_.generators.replace(entries[static_cast<std::size_t>(row)].id, *spec, core_.clock.steadyMs(), error)) {
    message(error);
    return;
  }
  refresh();
}

void FrmGenerators::cmdGeneratorPause_Click() {
  for (int id : selectedIds()) core_.generators.pause(id, core_.clock.steadyMs());
  refresh();
}

void FrmGenerators::cmdGeneratorResume_Click() {
  for (int id : selectedIds()) core_.generators.resume(id, core_.clock.steadyMs());
  refresh();
}

void FrmGenerators::cmdGeneratorRemove_Click() {
  for (int id : selectedIds()) core_.generators.remove(id);
  refresh();
}

void FrmGenerators::cmdGeneratorClear_Click() {
  if (core_.generators.empty()) return;
  if (core_.presenter.message(omb::trs("FrmGenerators", "すべての値の自動変化を削除しますか？"), omb::trs("FrmGenerators", kTitle), MsgIcon::Question,
                              MsgButtons::OkCancelSafe) != MsgAnswer::Ok)
    return;
  core_.generators.clear();
  refresh();
}

void FrmGenerators::cmdGeneratorLoad_Click() {
  const auto file =
      chooseAndRead(core_.presenter, omb::trs("FrmGenerators", "値の自動変化ファイルを開く"), {"TEXT(*.txt)", "All(*.*)"}, "txt", omb::trs("FrmGenerators", kTitle));
  if (!file) return;
  std::string error;
  if (!core_.generators.load(file->text, core_.clock.steadyMs(), error)) message(file->path + "\r\n" + error);
  refresh();
}

void FrmGenerators::cmdGeneratorSave_Click() {
  const auto path = core_.presenter.saveFileName(omb::trs("FrmGenerators", "値の自動変化ファイルに保存"), {"TEXT(*.txt)", "All(*.*)"}, "txt",
                                                 core_.settings.folders.Projects + "/Sim.txt");
  if (!path) return;
  if (const auto failed = writeFileAtomically(*path, core_.generators.save()))
    message(*path + omb::trs("FrmGenerators", " に保存できません: ") + failed->reason);
}

void FrmGenerators::refresh() {
  const auto& entries = core_.generators.entries();
  grdGenerators_->setRowCount(static_cast<int>(entries.size()));
  auto set = [this](int row, int col, const QString& text) { setCellText(*grdGenerators_, row, col, text); };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    const int r = static_cast<int>(i);
    set(r, 0, QString::number(e.id));
    set(r, 1, QCoreApplication::translate("Generators", generatorKindCaption(e.spec.kind)));
    set(r, 2, q(deviceSpanText(e.spec.target)));
    set(r, 3, q(settingsText(e.spec)));
    set(r, 4, e.spec.paused ? QCoreApplication::translate("FrmGenerators", "一時停止中") : QCoreApplication::translate("FrmGenerators", "動作中"));
    set(r, 5, e.written ? QString::number(*e.written) : QString());
  }
  const bool any = !entries.empty();
  for (QPushButton* b : {cmdGeneratorChange_, cmdGeneratorPause_, cmdGeneratorResume_, cmdGeneratorRemove_,
                         cmdGeneratorClear_, cmdGeneratorSave_})
    b->setEnabled(any);
}

}  // namespace omb
