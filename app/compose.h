// The composition root of the desktop program: the one place that knows
// both the main window and the device views.  The main window is given the
// commands the views provide and which views exist; the view manager is
// given the main window's marks.  Whatever nothing is registered for stays
// disabled, saying it is not available yet.
#pragma once

namespace omb {

class AppCore;
class FrmMain;
class ProjectCommands;
class ViewManager;

void composeWindow(AppCore& core, FrmMain& main, ViewManager& views, ProjectCommands& project);

}  // namespace omb
