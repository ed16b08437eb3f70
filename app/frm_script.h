// "スクリプト": the controller's program as a script.  An editor with line
// numbers holds the script (the one the project keeps, or the last run);
// 実行 runs the text in place of the script running, 停止 stops it; the
// console below shows what the script logs and its errors, and an error's
// line is marked in the editor.  Everything it does goes through AppCore's
// script host, which works the same without the window.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QWidget>

#include "app/app_core.h"

namespace omb {

// A plain text editor with the line numbers in a margin; lines marked as
// errors are drawn red in both.
class ScriptEditor : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit ScriptEditor(QWidget* parent = nullptr);
  int marginWidth() const;
  void paintMargin(QPaintEvent* event);
  // Lines (from 1) shown as errors; empty clears them.
  void markErrors(const QSet<int>& lines);
  const QSet<int>& errorLines() const { return errors_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void layoutMargin();
  QWidget* margin_;
  QSet<int> errors_;
};

class FrmScript : public QWidget {
  Q_OBJECT
 public:
  explicit FrmScript(AppCore& core, QWidget* parent = nullptr);
  ~FrmScript() override;

  // The editor's text runs in place of the script running; an error of its
  // first run is marked at its line and shown in the console.
  void cmdScriptRun_Click();
  void cmdScriptStop_Click();
  // A script file read into the editor (not run), or the editor written.
  void cmdScriptLoad_Click();
  void cmdScriptSave_Click();
  // The state line and buttons from the host.
  void refresh();

 private:
  void tell(const ScriptMessage& m);
  std::string scriptName() const;

  AppCore& core_;
  ScriptEditor* txtScript_;
  QPlainTextEdit* txtConsole_;
  QLabel* lblScriptState_;
  QPushButton *cmdScriptRun_, *cmdScriptStop_, *cmdScriptLoad_, *cmdScriptSave_, *cmdConsoleClear_;
  std::string name_;  // the script's name in messages
};

}  // namespace omb
