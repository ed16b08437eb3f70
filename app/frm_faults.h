// "障害注入と統計": the fault rules of the line, each with how often its
// conditions matched and how often it injected, and the traffic statistics,
// redrawn twice a second while the window is open.  Rules are added in the
// same text the command line takes (--fault), or read from a rules file.
// Everything it does goes through AppCore's injector and statistics, which
// work the same without the window.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include "app/app_core.h"

namespace omb {

class FrmFaults : public QWidget {
  Q_OBJECT
 public:
  explicit FrmFaults(AppCore& core, QWidget* parent = nullptr);

  // Adds the rule typed in the rule box; a mistake is told in a box and
  // the text stays for correcting.
  void cmdFaultAdd_Click();
  void cmdFaultRemove_Click();
  void cmdFaultClear_Click();
  // A rules file chosen with the file chooser ("seed N" lines set the seed).
  void cmdFaultLoad_Click();
  // The table and the statistics from the models.
  void refresh();

 private:
  void message(const std::string& text);

  AppCore& core_;
  QTableWidget* grdFaults_;
  QLineEdit *txtFaultRule_, *txtFaultSeed_;
  QCheckBox* chkFaultEnabled_;
  QPushButton *cmdFaultAdd_, *cmdFaultRemove_, *cmdFaultClear_, *cmdFaultLoad_, *cmdStatsReset_;
  QLabel* lblStats_;
  QTimer timer_;
};

}  // namespace omb
