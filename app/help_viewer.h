// The help viewer: the program's own HTML help, shown in a window of its
// own at its contents or at a topic number (topics.txt maps numbers to
// pages and anchors).
#pragma once

#include <QTextBrowser>
#include <QWidget>

#include <map>
#include <string>

namespace omb {

class HelpViewer : public QWidget {
  Q_OBJECT
 public:
  // `folder`: the help folder beside the program.
  explicit HelpViewer(QString folder, QWidget* parent = nullptr);
  void showContents();
  void showTopic(int topic);
  QUrl current() const { return browser_->source(); }

 private:
  void open(const QString& page, const QString& anchor);
  QString folder_;
  QTextBrowser* browser_;
  std::map<int, std::pair<QString, QString>> topics_;
};

}  // namespace omb
