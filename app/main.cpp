#include <QApplication>
#include <QDir>

#include "app/frm_main.h"
#include "app/qt_presenter.h"
#include "core/clock.h"
#include "core/system_state.h"
#include "store/error_log.h"

int main(int argc, char** argv) {
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
