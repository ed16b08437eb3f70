// "値の自動変化": the value generators of the device memory in front, each
// with its devices, settings, state and the value it last wrote, redrawn
// twice a second while the window is open.  A generator is added in the
// same one-line text its file holds (--sim); choosing a kind fills in an
// example to edit.  Pause, resume, remove, and reading or writing a
// generator file go through AppCore's generator set, which works the same
// without the window.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include "app/app_core.h"

namespace omb {

class FrmGenerators : public QWidget {
  Q_OBJECT
 public:
  explicit FrmGenerators(AppCore& core, QWidget* parent = nullptr);

  // Adds the generator typed in the text box; a mistake is told in a box
  // and the text stays for correcting.
  void cmdGeneratorAdd_Click();
  // The selected generator changed to the typed line, keeping its number
  // and place (a double click brings a row's line into the text box).
  void cmdGeneratorChange_Click();
  // On the selected rows.
  void cmdGeneratorPause_Click();
  void cmdGeneratorResume_Click();
  void cmdGeneratorRemove_Click();
  void cmdGeneratorClear_Click();
  // A generator file: read (added to those running) or written.
  void cmdGeneratorLoad_Click();
  void cmdGeneratorSave_Click();
  // The table from the model.
  void refresh();

 private:
  std::vector<int> selectedIds() const;
  void message(const std::string& text);

  AppCore& core_;
  QTableWidget* grdGenerators_;
  QComboBox* cboGeneratorKind_;
  QLineEdit* txtGenerator_;
  QPushButton *cmdGeneratorAdd_, *cmdGeneratorChange_, *cmdGeneratorPause_, *cmdGeneratorResume_, *cmdGeneratorRemove_,
      *cmdGeneratorClear_, *cmdGeneratorLoad_, *cmdGeneratorSave_;
  QTimer timer_;
};

}  // namespace omb
