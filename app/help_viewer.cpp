#include "app/help_viewer.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <QFile>
#include <QTextStream>
#include <QUrl>
#include <QVBoxLayout>

#include "app/language.h"

namespace omb {

HelpViewer::HelpViewer(QString folder, QWidget* parent) : QWidget(parent, Qt::Window), folder_(std::move(folder)) {
  setObjectName("frmHelp");
  setWindowTitle(QCoreApplication::translate("HelpViewer", "Ombrisal ヘルプ"));
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("helpBrowser");
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(760, 600);

  QFile map(folder_ + "/topics.txt");
  if (map.open(QIODevice::ReadOnly | QIODevice::Text)) {
    QTextStream in(&map);
    while (!in.atEnd()) {
      const QStringList parts = in.readLine().split('\t');
      if (parts.size() != 2) continue;
      bool ok = false;
      const int topic = parts[0].trimmed().toInt(&ok);
      const QStringList target = parts[1].trimmed().split('#');
      if (ok) topics_[topic] = {target.value(0), target.value(1)};
    }
  }
}

void HelpViewer::open(const QString& page, const QString& anchor) {
  // In English the page of the English set beside the Japanese one, while
  // a page has no translation yet the Japanese page.
  QString file = folder_ + "/" + page;
  if (currentLanguage() == Language::English && QFileInfo::exists(folder_ + "/en/" + page))
    file = folder_ + "/en/" + page;
  QUrl url = QUrl::fromLocalFile(file);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  browser_->setSource(url);
  show();
  raise();
  activateWindow();
}

void HelpViewer::showContents() { open("index.html", ""); }

void HelpViewer::showTopic(int topic) {
  auto it = topics_.find(topic);
  if (it == topics_.end()) showContents();
  else open(it->second.first, it->second.second);
}

}  // namespace omb
