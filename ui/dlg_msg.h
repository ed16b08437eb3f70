// The modal message dialog of the views: a caption, a message (`lblMsg`)
// and "OK" (answers "1") / "ｷｬﾝｾﾙ" (answers "2").  Notices hide Cancel,
// confirmations show it.  Esc or closing the window answers as Cancel.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace omb {

class dlgMsg : public QDialog {
  Q_OBJECT
 public:
  dlgMsg(const QString& caption, const QString& message, bool showCancel, QWidget* parent = nullptr);

  // Shows the dialog modally and returns "1" (OK) or "2" (Cancel).
  static QString ask(QWidget* parent, const QString& caption, const QString& message, bool showCancel);

  void setCancelVisible(bool visible);
  QString answer() const { return answer_; }

  QLabel* lblMsg() const { return lblMsg_; }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }

 private:
  QLabel* lblMsg_;
  QPushButton* cmdOK_;
  QPushButton* cmdCancel_;
  QString answer_ = QStringLiteral("2");
};

}  // namespace omb
