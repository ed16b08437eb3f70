#include "app/app_core.h"

namespace omb {

AppCore::AppCore(Presenter& presenter_, const Clock& clock_, std::string programFolder)
    : presenter(presenter_),
      clock(clock_),
      errorLog(presenter_, clock_),
      state(errorLog),
      settingsFile(std::move(programFolder), state, settings, presenter_),
      port(comMap),
      log(link, clock_, presenter_, errorLog),
      linkContext{state,
                  link,
                  lists,
                  port,
                  clock_,
                  presenter_,
                  log,
                  [this](const std::string& device, const std::string& code) {
                    if (subDspRenew) subDspRenew(device, code);
                  },
                  [this] { pc.cmdPClose_Click(); }},
      engine(linkContext, scheduler),
      pc(port, engine, link, log, presenter_, errorLog, clock_) {
  // Until the settings name the system log folder, reports go beside the
  // program.
  errorLog.setFolder(settingsFile.programFolder() + "Log");
}

bool AppCore::startUp() {
  subSetRangeCodes(state.range5);
  subSetRangeCodes(state.range7);
  if (!settingsFile.fncGetIniFile(0)) return false;
  subSetFolders(settings.folders, settingsFile.programFolder());
  subCreateFolders(settings.folders, presenter);
  errorLog.setFolder(settings.folders.SysLog);
  subSysLogCheck(settings.folders.SysLog, clock, presenter, errorLog);
  state.subReDim_Device();
  state.subSet_PageMax();

  for (int i = 0; i < kComPortCount; ++i) comMap.mapped[static_cast<std::size_t>(i)] = settings.comPorts[static_cast<std::size_t>(i)];
  pc.inBufferSize = settings.GE_InBufferSize;
  pc.outBufferSize = settings.GE_OutBufferSize;
  log.comLogFolder = settings.folders.ComLog;
  log.GS_ComLog = settings.GS_ComLog;
  log.GS_ComLogHdd = settings.GS_ComLogHdd;
  return true;
}

}  // namespace omb
