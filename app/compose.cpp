#include "app/compose.h"

#include "app/app_core.h"
#include "app/frm_main.h"
#include "views/view_factory.h"
#include "views/view_manager.h"

namespace omb {

void composeWindow(AppCore& core, FrmMain& main, ViewManager& views) {
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
  for (int slot = 0; slot < kViewSlotCount; ++slot) main.setViewAvailable(slot, hasSingleView(slot));
  main.finishCommands();
}

}  // namespace omb
