#include "app/app_core.h"
#include "core/translate.h"

namespace omb {

namespace {
std::string folderOf(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}
}  // namespace

AppCore::AppCore(Presenter& presenter_, const Clock& clock_, std::string programFolder, std::string dataFolder_)
    : presenter(presenter_),
      clock(clock_),
      dataFolder(folderOf(dataFolder_.empty() ? programFolder : std::move(dataFolder_))),
      errorLog(presenter_, clock_),
      state(errorLog),
      comments(errorLog),
      settingsFile(std::move(programFolder), state, settings, presenter_),
      port(comMap),
      line(port, tcp, comMap),
      paced(line, scheduler, clock_),
      log(link, clock_, presenter_, errorLog),
      linkContext{state, link, lists, clock_, log, [this] { listsChanged(stations.first()); }},
      stations(linkContext),
      engine(linkContext, scheduler, paced),
      pc(line, line, engine, link, log, presenter_, errorLog, clock_),
      generators(state.memory),
      script(scheduler, clock_) {
  line.onNotice = [this](const std::string& message) { log.note(message); };
  // Until the settings name the system log folder, reports go where its
  // default is.
  errorLog.setFolder(dataFolder + "Log");
  // The refresh signal "DATA" is one subscriber of the memory's change
  // sets: whoever wrote (the link, a view) publishes, the views are told.
  // Only the station shown is the windows' concern.
  state.memory.subscribe([this](const ChangeNotice& n) { memoryChanged(stations.first(), n); });
  stations.memoryChanged = [this](const std::string& number, const ChangeNotice& n) { memoryChanged(number, n); };
  stations.listsChanged = [this](const std::string& number) { listsChanged(number); };
  // The engine's questions are asked here, with the product's boxes; Yes
  // closes the port as its button does.
  engine.onQuestion = [this](const Question& q) {
    engine.answer(presenter.message(q.text, q.title, MsgIcon::Exclamation, MsgButtons::YesNo) == MsgAnswer::Yes);
  };
  engine.closeRequested = [this] { pc.cmdPClose_Click(); };
  engine.faults = &faults;
  engine.stats = &stats;
  engine.route = [this](std::string_view frame) { return stations.route(frame); };
  generators.changed = [this] { tickGenerators(); };
  generators.stationMemory = [this](std::string_view number) { return memoryOf(number); };
  script.memoryOf = [this](std::string_view number) { return memoryOf(number); };
  watchMemory([this](const std::string& number, const ChangeNotice& n) {
    if (DeviceMemory* m = memoryOf(number)) script.memoryChanged(*m, n);
  });
  engine.onReplied = [this] {
    script.lineReplied();
    if (lineReplied) lineReplied();
  };
  // A TCP client that shut its sending side is answered before it is let
  // go: the line asks whether anything is still being answered, and hears
  // when the engine has finished.
  tcp.answering = [this] { return engine.busy() || paced.queued() > 0; };
  engine.onIdle = [this, idle = std::move(engine.onIdle)] {
    if (idle) idle();
    tcp.lineIdle();
  };
  // A real serial line paces itself; the rate is the one the port opened with.
  paced.characterTime = [this]() -> std::int64_t {
    if (!pacing || !line.unpaced()) return 0;
    const LineConfig c = line.lineConfig();
    return characterTimeUs(c.baud, 1 + c.dataBits + (c.parity == Parity::None ? 0 : 1) + c.stopBits);
  };
}

void AppCore::tickGenerators() {
  if (generatorTimer_) scheduler.cancel(generatorTimer_);
  generatorTimer_ = 0;
  const std::int64_t now = clock.steadyMs();
  generators.tick(now);
  if (const auto due = generators.nextDueMs(now))
    generatorTimer_ = scheduler.schedule(static_cast<int>(std::max<std::int64_t>(*due - now, 0)), [this] {
      generatorTimer_ = 0;
      tickGenerators();
    });
}

int AppCore::watchSettings(std::function<void()> show) {
  settingsWatchers_.emplace_back(++nextWatcher_, std::move(show));
  return nextWatcher_;
}

void AppCore::unwatchSettings(int id) {
  std::erase_if(settingsWatchers_, [id](const auto& w) { return w.first == id; });
}

void AppCore::settingsChanged() {
  pc.subDsp_CommSet();
  // A copy: a watcher may come or go while they are told.
  const auto watchers = settingsWatchers_;
  for (const auto& [id, show] : watchers) show();
}

DeviceMemory* AppCore::memoryOf(std::string_view number) {
  SystemState* s = stations.stateOf(number);
  return s ? &s->memory : nullptr;
}

int AppCore::watchMemory(std::function<void(const std::string& number, const ChangeNotice&)> watcher) {
  memoryWatchers_.emplace_back(++nextWatcher_, std::move(watcher));
  return nextWatcher_;
}

void AppCore::unwatchMemory(int id) {
  std::erase_if(memoryWatchers_, [id](const auto& w) { return w.first == id; });
}

void AppCore::memoryChanged(const std::string& number, const ChangeNotice& n) {
  // By index, one watcher copied at a time: a watcher may come or go
  // meanwhile, and copying them all cost every change set an allocation.
  for (std::size_t i = 0; i < memoryWatchers_.size(); ++i) {
    const auto watch = memoryWatchers_[i].second;
    watch(number, n);
  }
  if (!subDspRenew || number != stations.shown()) return;
  announcing = &n.changes;
  subDspRenew(std::string(n.device), "DATA");
  announcing = nullptr;
}

void AppCore::listsChanged(const std::string& number) {
  if (subDspRenew && number == stations.shown()) subDspRenew("UniUsr", "DATA");
}

void AppCore::shownChanged() {
  shownState = stations.stateOf(stations.shown());
  shownLists = stations.listsOf(stations.shown());
  if (stationShown) stationShown();
  if (subDspRenew) {
    subDspRenew("All", "DATA");
    subDspRenew("UniUsr", "DATA");
  }
}

bool AppCore::showStation(const std::string& number) {
  if (number == stations.shown()) return true;
  if (!stations.show(number)) return false;
  shownChanged();
  settingsChanged();
  return true;
}

std::optional<std::string> AppCore::setStationsText(const std::string& text) {
  std::string error;
  const auto numbers = StationSet::parseNumbers(text, error);
  if (!numbers) return error;
  if (!setStations(*numbers)) return std::string(omb::trs("AppCore", "ポートを閉じてから局番を設定してください"));
  return std::nullopt;
}

bool AppCore::setStations(const std::vector<std::string>& numbers) {
  if (line.isOpen() || numbers.empty()) return false;
  const std::string shownBefore = stations.shown();
  const bool severalBefore = stations.several();  // the windows' captions name the station only then
  const bool frontChanged = stations.configure(numbers);
  if (frontChanged || stations.shown() != shownBefore || shownState != stations.stateOf(stations.shown()))
    shownChanged();
  else if (stations.several() != severalBefore && stationShown)
    stationShown();
  settingsChanged();
  return true;
}

bool AppCore::startUp() {
  subSetRangeCodes(state.range5);
  subSetRangeCodes(state.range7);
  if (!settingsFile.fncGetIniFile(0)) return false;
  subSetFolders(settings.folders, dataFolder);
  subCreateFolders(settings.folders, presenter);
  errorLog.setFolder(settings.folders.SysLog);
  subSysLogCheck(settings.folders.SysLog, clock, presenter, errorLog);
  state.subReDim_Device();
  state.subSet_PageMax();
  comments.subClear_Comment();

  for (int i = 0; i < kComPortCount; ++i) comMap.mapped[static_cast<std::size_t>(i)] = settings.comPorts[static_cast<std::size_t>(i)];
  pc.inBufferSize = settings.GE_InBufferSize;
  pc.outBufferSize = settings.GE_OutBufferSize;
  log.comLogFolder = settings.folders.ComLog;
  log.GS_ComLog = settings.GS_ComLog;
  log.GS_ComLogHdd = settings.GS_ComLogHdd;
  return true;
}

void AppCore::mnuFileInport(int item) {
  static constexpr char kSeparators[] = {' ', ',', '\t'};
  if (item < 0 || item > 2) return;
  guarded(errorLog, "frmMain.mnuFileInport_Click() ", [&](ErrorTrap&) {
    const auto path = presenter.openFileName(omb::trs("AppCore", "デバイス・コメントをインポート"), {"TEXT(*.txt)", "CSV(*.csv)"}, "txt");
    if (!path) return;
    comments.fncRead_Comment(kSeparators[item], *path);
    if (subDspRenew) subDspRenew("All", "CMNT");
  });
}

void AppCore::mnuInitDevCome() {
  comments.subClear_Comment();
  if (subDspRenew) subDspRenew("All", "CMNT");
}

}  // namespace omb
