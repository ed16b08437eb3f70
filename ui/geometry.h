// Settings and project files keep window geometry in twips (1/1440 inch);
// widgets are placed in pixels of the screen's logical resolution.  Shared
// by the main window and the device views (ui/ holds what both use; it
// depends on nothing of either).
#pragma once

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace omb {

inline double logicalDpi() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->logicalDotsPerInchY() : 96.0;
}
inline int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips * logicalDpi() / 1440.0)); }
inline double pixelsToTwips(int pixels) { return pixels * 1440.0 / logicalDpi(); }

}  // namespace omb
