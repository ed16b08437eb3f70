// The modal input dialog every view asks its questions with: a caption, a
// prompt (`lblComment`), a text box (`txtInput`) and "OK" / "ｷｬﾝｾﾙ".  OK
// answers the text, Cancel the empty text, so an empty answer and Cancel
// look the same to the caller.  Enter in the text box only moves the focus
// to OK (a second Enter presses it); Esc moves it to Cancel.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace omb {

class dlgInput : public QDialog {
  Q_OBJECT
 public:
  dlgInput(const QString& caption, const QString& prompt, const QString& text, QWidget* parent = nullptr);

  // Shows the dialog modally and returns the answer.
  static QString ask(QWidget* parent, const QString& caption, const QString& prompt, const QString& text);

  // The answer of the last button pressed: the text after OK, empty after
  // Cancel or closing.
  QString answer() const { return answer_; }

  QLabel* lblComment() const { return lblComment_; }
  QLineEdit* txtInput() const { return txtInput_; }
  QPushButton* cmdOK() const { return cmdOK_; }
  QPushButton* cmdCancel() const { return cmdCancel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* lblComment_;
  QLineEdit* txtInput_;
  QPushButton* cmdOK_;
  QPushButton* cmdCancel_;
  QString answer_;
};

}  // namespace omb
