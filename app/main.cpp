// Start-up: the serve mode when asked for on the command line, otherwise the
// desktop program in the documented order: settings file (the program ends
// without a window when it is missing), working folders, the monthly system
// log check, device storage and page counts, then the main window.
#include <QApplication>

#include <iostream>

#include "app/app_core.h"
#include "app/compose.h"
#include "app/frm_main.h"
#include "app/help_viewer.h"
#include "app/project_commands.h"
#include "app/qt_presenter.h"
#include "app/serve_mode.h"
#include "ui/fonts.h"
#include "views/view_manager.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& a : args)
      if (a == "--help" || a == "-h") {
        std::cout << omb::serveUsage();
        return 0;
      }
    std::string error;
    auto options = omb::parseServeOptions(args, error);
    if (!options) {
      std::cerr << "ombrisal: " << error << "\n(ombrisal --help shows the options)" << std::endl;
      return 2;
    }
    return omb::runServe(argc, argv, *options);
  }

  QApplication app(argc, argv);
  omb::setUpFonts();
  omb::QtPresenter presenter;
  omb::SystemClock clock;
  omb::AppCore core(presenter, clock, QCoreApplication::applicationDirPath().toStdString() + "/");
  if (!core.startUp()) return 1;

  omb::FrmMain w(core);
  omb::ViewManager views(core, &w);
  omb::ProjectCommands project(core);
  omb::composeWindow(core, w, views, project);
  presenter.setParent(&w);
  presenter.setHelp([&w](int topic) { w.help().showTopic(topic); });
  w.Form_Load();
  w.show();
  return app.exec();
}
