// The old-version import window: the file chosen and the comment of the
// project read from it, "再インポート" to read another (or the same) file,
// "閉じる".  It runs one import as soon as it opens.
#pragma once

#include <QDialog>

class QLabel;

namespace omb {

class ProjectCommands;

class FrmInport : public QDialog {
  Q_OBJECT
 public:
  FrmInport(ProjectCommands& project, QWidget* parent);

  void cmdGet_Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ProjectCommands& project_;
  QLabel* lblFileName_ = nullptr;
  QLabel* lblProjectName_ = nullptr;
  bool loaded_ = false;
};

}  // namespace omb
