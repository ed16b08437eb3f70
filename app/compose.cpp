#include "app/compose.h"

#include "app/app_core.h"
#include "app/control_channel.h"
#include "app/device_values.h"
#include "app/frm_inport.h"
#include "app/frm_main.h"
#include "app/project_commands.h"
#include "views/view_factory.h"
#include "views/view_manager.h"

namespace omb {

ViewHost viewHostOf(AppCore& core) {
  return ViewHost{core.state,
                  core.shownState,
                  core.shownLists,
                  core.comments,
                  core.settings,
                  core.settingsFile,
                  core.presenter,
                  core.errorLog,
                  [&core] { return core.pc.G_PortOpen; },
                  [&core] { return core.engine.busy(); },
                  core.subDspRenew,
                  core.announcing,
                  [&core] { return core.stations.several() ? core.stations.shown() : std::string(); },
                  core.lineReplied};
}

void composeWindow(AppCore& core, FrmMain& main, ViewManager& views, ProjectCommands& project) {
  views.factory = createSingleView;
  views.multiFactory = createMultiView;
  main.openMultiView = [&views](int kind) { views.openMultiView(kind); };
  main.registerCommand("mnuMultiClear", [&views] { views.mnuAllClr(); });
  main.registerCommand("mnuMultiInit", [&views] { views.mnuMuliInit(); });
  views.viewChecked = [&main](int slot, bool open) { main.setViewChecked(slot, open); };
  main.openSingleView = [&views](int slot) { views.openSingleView(slot); };
  main.toolbarSingleView = [&views](int slot) { views.toolbarSingleView(slot); };
  main.subCloseDeviceView = [&views] { views.subCloseDeviceView(); };
  main.subView_Dsp = [&views] { views.subView_Dsp(); };
  main.registerCommand("mnuInitWindow", [&views] { views.mnuResetView(); });
  main.registerCommand("mnuInitCell", [&views] { views.mnuResetCell(); });
  for (int item = 0; item < 3; ++item)
    main.registerCommand(QStringLiteral("mnuFileInport%1").arg(item), [&core, item] { core.mnuFileInport(item); });
  main.registerCommand("mnuInitDevCome", [&core] { core.mnuInitDevCome(); });
  project.closeViews = [&views] { views.subCloseDeviceView(); };
  project.clearMultiViews = [&views] { views.mnuAllClr(); };
  project.recordViews = [&views] { views.subGet_DeviceView(); };
  project.saveMultiViews = [&views] { views.subSave_MultiView(); };
  project.reopenViews = [&views] {
    views.subView_Dsp();
    views.subView_DspM();
  };
  // Another station shown, or the one shown loaded anew: its pages may
  // differ.
  core.stationShown = [&views] { views.reopenViews(); };
  project.recountViews = [&views] { views.reopenViews(); };
  project.mainWindowPlace = [&main] { return main.placeTwips(); };
  project.placeMainWindow = [&main](const MainWindowSetting& place) { main.placeAt(place); };
  project.projectChanged = [&main](const std::string& how) { main.projectChanged(how); };
  project.showVersion = [&main](const std::string& version) { main.showPanel4(version); };
  main.registerCommand("mnuFileOpen", [&project] { project.mnuFileOpen(); });
  main.registerCommand("mnuFileSaveAs", [&project] { project.mnuFileSaveAs(); });
  main.registerCommand("mnuFileSave", [&project] { project.mnuFileSave(); });
  project.showImportDialog = [&project, &main] {
    FrmInport dialog(project, &main);
    dialog.exec();
  };
  main.registerCommand("mnuOldFileOpen", [&project] { project.mnuOldFileOpen(); });
  main.registerCommand("mnuValuesExport", [&core] { valuesExportFromMenu(core.presenter, core.state.memory); });
  main.registerCommand("mnuValuesImport", [&core] { valuesImportFromMenu(core.presenter, core.state.memory); });
  // The control channel lives as long as the window's hooks; a quit
  // request closes the window as its menu does.
  auto control = std::make_shared<ControlChannel>(core, project);
  control->setOnQuit([&main] { main.close(); });
  main.startControl = [control](const std::string& path) { return control->start(path); };
  main.stopControl = [control] { control->stop(); };
  for (int slot = 0; slot < kViewSlotCount; ++slot) main.setViewAvailable(slot, hasSingleView(slot));
  main.finishCommands();
}

}  // namespace omb
