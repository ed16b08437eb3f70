#include <QApplication>
#include <QDir>

#include <cstring>
#include <iostream>

#include "app/frm_main.h"
#include "app/qt_presenter.h"
#include "app/serve_mode.h"
#include "core/clock.h"
#include "core/system_state.h"
#include "store/error_log.h"

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
  omb::QtPresenter presenter;
  omb::SystemClock clock;
  omb::ErrorLog errorLog(presenter, clock);
  errorLog.setFolder(QDir(QCoreApplication::applicationDirPath()).filePath("Log").toStdString());
  QDir().mkpath(QString::fromStdString(errorLog.folder()));
  omb::subSysLogCheck(errorLog.folder(), clock, presenter, errorLog);

  omb::SystemState state(errorLog);
  omb::subSetOldVersionRanges(state.range5, state.range7);
  state.subReDim_Device();

  omb::FrmMain w(state);
  presenter.setParent(&w);
  w.show();
  return app.exec();
}
