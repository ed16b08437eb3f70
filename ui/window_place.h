// Where a new window of the program opens, and whom it belongs to.  A
// window that opens with no place of its own must open fully on the
// screen, clear of the main window's title bar and never exactly over the
// main window, and every window of the program belongs to the main window
// (its transient parent), so that a window manager keeps it above the main
// window and a click on the main window does not bury it.
#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QVariant>
#include <QWindow>

#include <algorithm>

namespace omb {

// The client rectangle `wanted` (what setGeometry takes) moved so that the
// window with its frame (taken to be as wide as the main window's) lies
// inside the available screen area, as far as its size allows.
// With a main window given: a rectangle that would start exactly where the
// main window starts is moved one step down and right, and one that would
// cover the main window's title bar goes above the main window where there
// is room, else below the title bar.
inline QRect placeOnScreen(QRect wanted, const QWidget* main) {
  const QScreen* screen = main && main->screen() ? main->screen() : QGuiApplication::primaryScreen();
  if (!screen) return wanted;
  constexpr int kStep = 32;
  QRect avail = screen->availableGeometry();
  int bottomBorder = 0;
  QRect title;
  if (main) {
    const QRect frame = main->frameGeometry(), inside = main->geometry();
    bottomBorder = frame.bottom() - inside.bottom();
    avail.adjust(inside.left() - frame.left(), inside.top() - frame.top(), inside.right() - frame.right(),
                 -bottomBorder);
    if (wanted.topLeft() == frame.topLeft() || wanted.topLeft() == inside.topLeft()) wanted.translate(kStep, kStep);
    const int titleBottom = std::max(inside.top(), frame.top() + 1);
    title = QRect(frame.left(), frame.top(), frame.width(), titleBottom - frame.top());
  }
  // A window larger than the screen keeps its size (the size it was
  // designed to show everything at) with its top left corner on the screen.
  auto inside = [&avail](QRect r) {
    r.moveLeft(std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() - r.height() + 1)));
    return r;
  };
  wanted = inside(wanted);
  if (main && wanted.intersects(title)) {
    // Above the main window where there is room, else below its title bar,
    // shortened to the screen.
    if (title.top() - 1 - bottomBorder - avail.top() >= wanted.height()) {
      wanted.moveBottom(title.top() - 1 - bottomBorder);
    } else {
      wanted.moveTop(title.bottom() + 1 + kStep);
      if (wanted.bottom() > avail.bottom()) wanted.setBottom(avail.bottom());
    }
  }
  return wanted;
}

// The window type of the program's own windows (device views, multi-screen
// and tool windows): a window of its own with a title bar, minimize,
// maximize and close, that the window manager treats as belonging to its
// parent.  (An X11 window manager learns the owner from WM_TRANSIENT_FOR,
// which Qt sets only for dialog-like types, never for a plain Qt::Window.)
inline constexpr Qt::WindowFlags kOwnedWindow = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// Makes `window` belong to the window of `owner` for the window manager.
// Qt gives a top-level widget with a parent its parent as transient parent
// only for some window types; the program's windows set it themselves when
// they are shown.
inline void ownBy(QWidget* window, const QWidget* owner) {
  if (!window || !owner) return;
  QWidget* top = owner->window();
  if (!top || top == window) return;
  if (!top->windowHandle()) top->winId();
  if (!window->windowHandle()) window->winId();
  if (window->windowHandle() && top->windowHandle())
    window->windowHandle()->setTransientParent(top->windowHandle());
}

// Shows a tool window of the main window (faults, generators, trend): the
// first time at a place of its own on the screen beside the main window,
// every time owned by it, raised and active.
inline void showToolWindow(QWidget* window, QWidget* main) {
  if (!window) return;
  if (main && !window->property("ombPlaced").toBool()) {
    window->setProperty("ombPlaced", true);
    const QRect inside = main->geometry();
    window->setGeometry(placeOnScreen(QRect(inside.topLeft() + QPoint(inside.width() / 4, 96), window->size()), main));
  }
  ownBy(window, main);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace omb
