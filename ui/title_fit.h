// A dialog as wide as its title: the window manager shortens a title that
// does not fit ("プロジェ… て保存"), and the title is often what tells the
// user which command asks.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>

namespace omb {

// The width a window needs to show `title` whole beside the title bar's
// buttons and window icon (title bars often draw in bold).
inline int titleBarWidth(const QWidget& w, const QString& title) {
  QFont bold = w.font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(title) + 120;
}

// Makes the window at least as wide as its title needs.
inline void fitTitle(QWidget& w) {
  w.setMinimumWidth(std::max(w.minimumWidth(), titleBarWidth(w, w.windowTitle())));
}

}  // namespace omb
