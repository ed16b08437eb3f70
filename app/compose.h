// The composition root of the desktop program: the one place that knows
// both the main window and the device views.  The main window is given the
// commands the views provide and which views exist; the view manager is
// given the main window's marks.  Whatever nothing is registered for stays
// disabled, saying it is not available yet.
#pragma once

#include "views/view_host.h"

namespace omb {

class AppCore;
class FrmMain;
class ProjectCommands;
class ViewManager;

// What the device windows reach of the program.
ViewHost viewHostOf(AppCore& core);

void composeWindow(AppCore& core, FrmMain& main, ViewManager& views, ProjectCommands& project);

}  // namespace omb
