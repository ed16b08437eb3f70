#include "app/frm_script.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPainter>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/chosen_file.h"
#include "core/atomic_file.h"
#include "store/project_file.h"
#include "ui/window_place.h"

namespace omb {

namespace {

class Margin : public QWidget {
 public:
  explicit Margin(ScriptEditor* editor) : QWidget(editor), editor_(editor) {}
  QSize sizeHint() const override { return {editor_->marginWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->paintMargin(event); }

 private:
  ScriptEditor* editor_;
};

const QColor kErrorText(0xC0, 0x00, 0x00);
const QColor kErrorLine(0xFF, 0xE0, 0xE0);

}  // namespace

ScriptEditor::ScriptEditor(QWidget* parent) : QPlainTextEdit(parent), margin_(new Margin(this)) {
  setObjectName("txtScript");
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 2);
  margin_->setObjectName("lblScriptLines");
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { layoutMargin(); });
  connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
    if (dy) margin_->scroll(0, dy);
    else margin_->update(0, rect.y(), margin_->width(), rect.height());
  });
  // Editing an error's text clears its mark: the next run tells again.
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!errors_.isEmpty()) markErrors({});
  });
  layoutMargin();
}

int ScriptEditor::marginWidth() const {
  int digits = 1;
  for (int n = std::max(1, blockCount()); n >= 10; n /= 10) ++digits;
  return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void ScriptEditor::layoutMargin() {
  setViewportMargins(marginWidth(), 0, 0, 0);
  const QRect r = contentsRect();
  margin_->setGeometry(QRect(r.left(), r.top(), marginWidth(), r.height()));
}

void ScriptEditor::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  layoutMargin();
}

void ScriptEditor::paintMargin(QPaintEvent* event) {
  QPainter p(margin_);
  p.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  const int lineHeight = fontMetrics().height();
  while (block.isValid() && top <= event->rect().bottom()) {
    const int number = block.blockNumber() + 1;
    if (block.isVisible() && top + lineHeight >= event->rect().top()) {
      const bool error = errors_.contains(number);
      if (error) p.fillRect(0, top, margin_->width(), lineHeight, kErrorLine);
      p.setPen(error ? kErrorText : palette().color(QPalette::PlaceholderText));
      p.drawText(0, top, margin_->width() - 4, lineHeight, Qt::AlignRight, QString::number(number));
    }
    top += qRound(blockBoundingRect(block).height());
    block = block.next();
  }
}

void ScriptEditor::markErrors(const QSet<int>& lines) {
  errors_ = lines;
  QList<QTextEdit::ExtraSelection> marks;
  for (const int line : lines) {
    const QTextBlock block = document()->findBlockByNumber(line - 1);
    if (!block.isValid()) continue;
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(block);
    mark.format.setBackground(kErrorLine);
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    marks << mark;
  }
  setExtraSelections(marks);
  margin_->update();
}

FrmScript::FrmScript(AppCore& core, QWidget* parent) : QWidget(parent, kOwnedWindow), core_(core) {
  setObjectName("frmScript");
  setWindowTitle(tr("スクリプト"));

  txtScript_ = new ScriptEditor(this);
  txtScript_->setPlainText(QString::fromStdString(core_.script.source()));
  txtScript_->setPlaceholderText(
      tr("on(\"M0\", function (v) { ... }) / every(ms, fn) / after(ms, fn) / get(\"D100\") / set(\"Y0\", 1) / "
         "log(\"...\") / station(\"01\")"));
  txtConsole_ = new QPlainTextEdit(this);
  txtConsole_->setObjectName("txtScriptConsole");
  txtConsole_->setReadOnly(true);
  txtConsole_->setMaximumBlockCount(static_cast<int>(ScriptHost::kConsoleLines));
  txtConsole_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lblScriptState_ = new QLabel(this);
  lblScriptState_->setObjectName("lblScriptState");

  cmdScriptRun_ = new QPushButton(tr("実行"), this);
  cmdScriptRun_->setObjectName("cmdScriptRun");
  cmdScriptRun_->setToolTip(tr("エディタの内容を、動作中のスクリプトと入れ替えて実行します"));
  cmdScriptStop_ = new QPushButton(tr("停止"), this);
  cmdScriptStop_->setObjectName("cmdScriptStop");
  cmdScriptLoad_ = new QPushButton(tr("ファイルから読込..."), this);
  cmdScriptLoad_->setObjectName("cmdScriptLoad");
  cmdScriptSave_ = new QPushButton(tr("ファイルへ保存..."), this);
  cmdScriptSave_->setObjectName("cmdScriptSave");
  cmdConsoleClear_ = new QPushButton(tr("コンソール消去"), this);
  cmdConsoleClear_->setObjectName("cmdConsoleClear");

  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(txtScript_);
  split->addWidget(txtConsole_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdScriptRun_);
  buttons->addWidget(cmdScriptStop_);
  buttons->addWidget(lblScriptState_, 1);
  buttons->addWidget(cmdConsoleClear_);
  buttons->addWidget(cmdScriptLoad_);
  buttons->addWidget(cmdScriptSave_);
  auto* v = new QVBoxLayout(this);
  v->addWidget(split, 1);
  v->addLayout(buttons);
  resize(820, 600);

  connect(cmdScriptRun_, &QPushButton::clicked, this, &FrmScript::cmdScriptRun_Click);
  connect(cmdScriptStop_, &QPushButton::clicked, this, &FrmScript::cmdScriptStop_Click);
  connect(cmdScriptLoad_, &QPushButton::clicked, this, &FrmScript::cmdScriptLoad_Click);
  connect(cmdScriptSave_, &QPushButton::clicked, this, &FrmScript::cmdScriptSave_Click);
  connect(cmdConsoleClear_, &QPushButton::clicked, this, [this] {
    txtConsole_->clear();
    core_.script.clearConsole();
  });

  for (const ScriptMessage& m : core_.script.console()) tell(m);
  core_.script.told = [this](const ScriptMessage& m) { tell(m); };
  core_.script.changed = [this] { refresh(); };
  refresh();
}

FrmScript::~FrmScript() {
  core_.script.told = nullptr;
  core_.script.changed = nullptr;
}

std::string FrmScript::scriptName() const {
  if (!core_.script.file().empty()) return core_.script.file();
  if (!core_.projectFileName.empty()) return scriptFileOf(core_.projectFileName);
  return "script.js";
}

void FrmScript::tell(const ScriptMessage& m) {
  const bool error = m.kind == ScriptMessage::Kind::Error;
  const QString line = QString::fromStdString(m.display()).toHtmlEscaped();
  txtConsole_->appendHtml(error ? QStringLiteral("<span style=\"color:#c00000\">%1</span>").arg(line) : line);
  // An error of the script in the editor is marked at its line.
  if (error && m.line > 0 && m.file == scriptName()) {
    QSet<int> lines = txtScript_->errorLines();
    lines.insert(m.line);
    const QSignalBlocker quiet(txtScript_);
    txtScript_->markErrors(lines);
  }
}

void FrmScript::cmdScriptRun_Click() {
  txtScript_->markErrors({});
  core_.script.load(txtScript_->toPlainText().toStdString(), scriptName());
  refresh();
}

void FrmScript::cmdScriptStop_Click() {
  core_.script.stop();
  refresh();
}

void FrmScript::cmdScriptLoad_Click() {
  const auto file = chooseAndRead(core_.presenter, tr("スクリプトを開く").toStdString(), {"JavaScript(*.js)", "All(*.*)"},
                                  "js", tr("スクリプト").toStdString());
  if (!file) return;
  txtScript_->setPlainText(QString::fromUtf8(file->text.data(), static_cast<qsizetype>(file->text.size())));
}

void FrmScript::cmdScriptSave_Click() {
  const auto path = core_.presenter.saveFileName(tr("スクリプトを保存").toStdString(), {"JavaScript(*.js)", "All(*.*)"},
                                                 "js", core_.settings.folders.Projects + "/" + scriptName());
  if (!path) return;
  if (const auto failed = writeFileAtomically(*path, txtScript_->toPlainText().toStdString()))
    core_.presenter.message(tr("%1 に保存できません: %2").arg(QString::fromStdString(*path),
                                                           QString::fromStdString(failed->reason)).toStdString(),
                            tr("スクリプト").toStdString(), MsgIcon::Exclamation, MsgButtons::Ok);
}

void FrmScript::refresh() {
  const ScriptStatus s = core_.script.status();
  lblScriptState_->setText(
      s.running ? tr("実行中: %1（変化の処理 %2、タイマ %3、エラー %4）")
                      .arg(QString::fromStdString(s.file))
                      .arg(s.handlers)
                      .arg(s.timers)
                      .arg(s.errors)
                : tr("停止中"));
  cmdScriptStop_->setEnabled(s.running);
}

}  // namespace omb
