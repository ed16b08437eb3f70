#include "app/project_commands.h"

#include <QCoreApplication>

#include <filesystem>

#include "core/atomic_file.h"
#include "store/old_project.h"
#include "core/translate.h"

namespace omb {

namespace {

std::string fileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

template <std::size_t N>
int firstChecked(const std::array<bool, N>& items) {
  for (std::size_t i = 0; i < N; ++i)
    if (items[i]) return static_cast<int>(i);
  return -1;
}

}  // namespace

ProjectImage ProjectCommands::capture(const std::string& station) {
  ProjectImage p;
  AppCore& c = core_;
  const SystemState& st = *c.stations.stateOf(station);
  p.windows = c.settings.G_SetWindow;
  p.range5 = st.range5;
  p.range7 = st.range7;
  for (std::size_t s = 0; s < p.pageTable.size(); ++s)
    p.pageTable[s] = {static_cast<std::int16_t>(st.pages[s].perPage), static_cast<std::int16_t>(st.pages[s].pages),
                      c.projectCarry.pageThird[s]};
  for (int k = 0; k < kKindCount; ++k) p.memory[static_cast<std::size_t>(k)] = st.memory.words(k);
  p.userWordList = c.state.userWordList;
  p.userBitList = c.state.userBitList;
  p.lists = *c.stations.listsOf(station);
  p.monitorComments = st.monitorComments;
  p.reserved = c.projectCarry.reserved;
  const LinkConfig& link = c.link.config;
  LinkMenus& m = p.menus;
  m.formats[static_cast<std::size_t>(static_cast<int>(link.format) - 1)] = true;
  m.acpu = link.cpu == CpuType::ACPU;
  m.anAcpu = link.cpu == CpuType::AnACPU;
  const PortController& pc = c.pc;
  if (pc.baudIndex >= 0 && pc.baudIndex < 7) m.bauds[static_cast<std::size_t>(pc.baudIndex)] = true;
  m.parities = {pc.parity == 'n', pc.parity == 'e', pc.parity == 'o'};
  m.charLen8 = pc.dataLength == 8;
  m.charLen7 = pc.dataLength == 7;
  m.stopBit1 = pc.stopBits == 1;
  m.stopBit2 = pc.stopBits == 2;
  if (pc.handshaking >= 0 && pc.handshaking < 4) p.handshakes[static_cast<std::size_t>(pc.handshaking)] = true;
  p.wait = static_cast<std::int16_t>(pc.hscWait);
  p.station = station.empty() ? link.station : station;
  p.sum = static_cast<std::int16_t>(link.sum);
  p.comment = c.projectComment;
  for (std::size_t s = 0; s < p.multiPageTable.size(); ++s)
    p.multiPageTable[s] = {c.settings.multiPageTable[s], c.projectCarry.multiPageRest[s][0],
                           c.projectCarry.multiPageRest[s][1]};
  // The slot records in use, renumbered 1, 2, 3 ... in memory as in the
  // file.
  MultiViews& multi = c.state.multi;
  for (int kind = 1; kind <= kMultiKinds; ++kind) {
    const auto i = static_cast<std::size_t>(kind - 1);
    auto& k = multi.G_MultiView[static_cast<std::size_t>(kind)];
    p.multiLast[i] = multi.G_MultiLast[static_cast<std::size_t>(kind)];
    p.multiNo[i] = multi.G_MultiNo[static_cast<std::size_t>(kind)];
    p.kinds[i].open = k.open;
    std::int32_t number = 0;
    for (MultiWindowRecord& r : k.records)
      if (r.number > 0) {
        r.number = ++number;
        p.kinds[i].records.push_back(r);
      }
  }
  p.comPort = 0;
  for (std::size_t i = 0; i < pc.mnuCommPortNo.size(); ++i)
    if (pc.mnuCommPortNo[i].checked) p.comPort = static_cast<std::int16_t>(i + 1);
  p.cellStyles = c.state.cellStyles;
  p.hasMultiScreen = p.hasWindow = true;
  const MainWindowSetting& w = c.settings.mainWindow;
  p.windowTop = w.Top;
  p.windowLeft = w.Left;
  p.windowHeight = w.Height;
  p.windowWidth = w.Width;
  return p;
}

void ProjectCommands::applyLinkMenus(const LinkMenus& m) {
  LinkConfig& link = core_.link.config;
  if (const int f = firstChecked(m.formats); f >= 0) link.format = static_cast<Format>(f + 1);
  if (m.acpu) link.cpu = CpuType::ACPU;
  else if (m.anAcpu) link.cpu = CpuType::AnACPU;
  PortController& pc = core_.pc;
  pc.baudIndex = firstChecked(m.bauds);
  pc.parity = m.parities[0] ? 'n' : m.parities[1] ? 'e' : m.parities[2] ? 'o' : 0;
  pc.dataLength = m.charLen8 ? 8 : m.charLen7 ? 7 : 0;
  pc.stopBits = m.stopBit1 ? 1 : m.stopBit2 ? 2 : 0;
}

// Storage as the ranges now in the state dimension it, then the file's
// words (both readers size them from the same ranges), told as one change.
void ProjectCommands::loadMemory(SystemState& state, const std::array<std::vector<std::int16_t>, kKindCount>& words) {
  DeviceMemory& memory = state.memory;
  memory.subReDim_Device(state.range7);
  // Every word is written, zeros too: the change set then names each word
  // the load may have changed, so a recording or a waiting script sees a
  // value that went back to 0 like any other change.
  for (int k = 0; k < kKindCount; ++k) {
    const auto& from = words[static_cast<std::size_t>(k)];
    const std::size_t n = memory.size(k);
    for (std::size_t i = 0; i < n; ++i) memory.write(k, static_cast<std::int64_t>(i), i < from.size() ? from[i] : 0);
  }
  memory.publish("All");
}

bool ProjectCommands::applyStationPart(const ProjectImage& p, const std::string& station) {
  AppCore& c = core_;
  SystemState* st = c.stations.stateOf(station);
  if (!st) return false;
  st->range5 = p.range5;
  st->range7 = p.range7;
  for (std::size_t s = 0; s < p.pageTable.size(); ++s) {
    st->pages[s].perPage = p.pageTable[s][0];
    st->pages[s].pages = p.pageTable[s][1];
    if (st == &c.state) c.projectCarry.pageThird[s] = p.pageTable[s][2];
  }
  loadMemory(*st, p.memory);
  *c.stations.listsOf(station) = p.lists;
  st->monitorComments = p.monitorComments;
  return true;
}

void ProjectCommands::apply(ProjectImage p) {
  AppCore& c = core_;
  c.settings.G_SetWindow = p.windows;
  applyStationPart(p);
  c.state.userWordList = p.userWordList;
  c.state.userBitList = p.userBitList;
  c.projectCarry.reserved = p.reserved;
  LinkConfig& link = c.link.config;
  applyLinkMenus(p.menus);
  PortController& pc = c.pc;
  pc.handshaking = firstChecked(p.handshakes);
  // The wait, station and sum were checked on reading.
  pc.hscWait = p.wait;
  link.station = p.station;
  link.sum = static_cast<CheckState>(p.sum);
  c.projectComment = p.comment;
  if (p.hasMultiScreen) {
    MultiViews& multi = c.state.multi;
    for (std::size_t s = 0; s < p.multiPageTable.size(); ++s) {
      c.settings.multiPageTable[s] = p.multiPageTable[s][0];
      c.projectCarry.multiPageRest[s] = {p.multiPageTable[s][1], p.multiPageTable[s][2]};
    }
    for (int kind = 1; kind <= kMultiKinds; ++kind) {
      const auto i = static_cast<std::size_t>(kind - 1);
      auto& k = multi.G_MultiView[static_cast<std::size_t>(kind)];
      multi.G_MultiLast[static_cast<std::size_t>(kind)] = p.multiLast[i];
      multi.G_MultiNo[static_cast<std::size_t>(kind)] = p.multiNo[i];
      k.open = p.kinds[i].open;
      // A kind without records keeps what it had.
      if (!p.kinds[i].records.empty()) k.records = p.kinds[i].records;
    }
    // A port index this computer's menu has not is ignored.
    if (p.comPort > 0 && static_cast<std::size_t>(p.comPort) <= pc.mnuCommPortNo.size())
      pc.mnuCommPortNo[static_cast<std::size_t>(p.comPort - 1)].checked = true;
    c.state.cellStyles = p.cellStyles;
  }
  if (p.hasWindow) {
    c.settings.mainWindow = MainWindowSetting{p.windowTop, p.windowLeft, p.windowWidth, p.windowHeight};
    c.windowFromProject = true;
  }
  c.settingsChanged();
}

std::optional<ProjectCommands::LoadFailure> ProjectCommands::load(const std::string& path, const LoadScope& scope) {
  using Why = LoadFailure::Why;
  if (!core_.stations.has(scope.station))
    return LoadFailure{Why::Unreadable, "the line does not carry station " + scope.station};
  ProjectRead read = fncFile_get(path);
  if (read.notAProject) return LoadFailure{Why::NotAProject, omb::trs("ProjectCommands", "バージョンが特定できませんでした。")};
  if (!read.image) return LoadFailure{Why::Unreadable, read.error};
  // The generators are all-or-nothing themselves: a file of them that
  // cannot be read leaves the running ones and everything else as it was.
  if (scope.generators)
    if (const auto why = loadSimFile(path)) return LoadFailure{Why::Generators, *why};
  std::string script;
  if (scope.script)
    if (const auto why = readScriptFile(path, script)) return LoadFailure{Why::Script, *why};

  if (scope.whole) {
    if (closeViews) closeViews();
    if (clearMultiViews) clearMultiViews();
    const std::string version = read.image->version;
    // On a line of several stations the list stays the line's: the
    // project's memory goes to the first station, whatever its number.
    const std::string first = core_.stations.first();
    const bool keepNumber = core_.stations.several();
    apply(std::move(*read.image));
    if (keepNumber) core_.link.config.station = first;
    if (showVersion) showVersion(version);
    if (core_.windowFromProject && placeMainWindow) placeMainWindow(core_.settings.mainWindow);
    core_.projectFileName = fileName(path);
  } else {
    applyStationPart(*read.image, scope.station);
  }
  core_.comments.subClear_Comment();
  const std::string comments = commentFileOf(path);
  if (std::filesystem::exists(comments)) core_.comments.subFile_getDevCmnt(comments);
  if (scope.whole) {
    if (projectChanged) projectChanged("Open");
    if (reopenViews) reopenViews();
  } else if (recountViews && core_.stations.shown() == (scope.station.empty() ? core_.stations.first() : scope.station)) {
    recountViews();
  }
  if (core_.subDspRenew) core_.subDspRenew("All", "CMNT");
  core_.settingsChanged();
  if (scope.script)
    if (const auto why = runScript(script, path)) return LoadFailure{Why::Script, *why, true};
  return std::nullopt;
}

bool ProjectCommands::open(const std::string& path) {
  return guarded<bool>(core_.errorLog, "frmMain.mnuFileOpen_Click() ", false, [&](ErrorTrap&) {
    using Why = LoadFailure::Why;
    const auto failed = load(path, {});
    if (!failed || failed->opened) projectPath_ = path;
    if (!failed) return true;
    switch (failed->why) {
      case Why::NotAProject:
        projectPath_.clear();
        if (showVersion) showVersion("NG Version");
        core_.presenter.message(omb::trs("ProjectCommands", "バージョンが特定できませんでした。"), omb::trs("ProjectCommands", "読み出し不可能なプロジェクト"), MsgIcon::Critical,
                                MsgButtons::Ok);
        break;
      case Why::Unreadable:
        // Nothing of a file that is not whole is taken over.
        core_.presenter.message(omb::trs("ProjectCommands", "プロジェクトを読み込めませんでした。\r\n") + path + "\r\n" + failed->text,
                                omb::trs("ProjectCommands", "プロジェクトを開く"), MsgIcon::Critical, MsgButtons::Ok);
        break;
      case Why::Generators:
        core_.presenter.message(omb::trs("ProjectCommands", "値の自動変化の設定を読み込めませんでした。\r\n") + simFileOf(path) + "\r\n" +
                                    failed->text,
                                omb::trs("ProjectCommands", "プロジェクトを開く"), MsgIcon::Exclamation, MsgButtons::Ok);
        break;
      case Why::Script:
        core_.presenter.message(
            QCoreApplication::translate("ProjectCommands", failed->opened ? "スクリプトを実行できませんでした。"
                                                                          : "スクリプトを読み込めませんでした。")
                    .toStdString() +
                "\r\n" + scriptFileOf(path) + "\r\n" + failed->text,
            "プロジェクトを開く", MsgIcon::Exclamation, MsgButtons::Ok);
        return failed->opened;
    }
    return false;
  });
}

void ProjectCommands::mnuOldFileOpen() {
  if (core_.presenter.message(omb::trs("ProjectCommands", "旧バージョンのプロジェクトを読み込みますか？"), omb::trs("ProjectCommands", "インポート"), MsgIcon::Question,
                              MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  if (closeViews) closeViews();
  for (WindowSetting& w : core_.settings.G_SetWindow) w.Page = 0;
  if (showImportDialog) showImportDialog();
  else cmdGet_Click();
  core_.comments.subClear_Comment();
  if (core_.subDspRenew) core_.subDspRenew("All", "CMNT");
}

std::optional<std::string> ProjectCommands::cmdGet_Click() {
  const auto path = core_.presenter.openFileName(omb::trs("ProjectCommands", "旧バージョン・プロジェクトのインポート"), {"(*.bin)"}, "bin",
                                               core_.settings.folders.Projects);
  if (path) importOld(*path);
  return path;
}

bool ProjectCommands::importOld(const std::string& path) {
  return guarded<bool>(core_.errorLog, "frmInport.cmdGet_Click() ", false, [&](ErrorTrap&) {
    std::string bytes;
    int error = 0;
    const bool whole = readWholeFile(path, bytes, error);
    OldProjectRead read = whole ? decodeOldProject(bytes) : OldProjectRead{};
    if (read.currentVersion) {
      core_.presenter.message(omb::trs("ProjectCommands", "このファイルは現在のバージョンのプロジェクトです。\r\n") + path +
                                  omb::trs("ProjectCommands", "\r\n「プロジェクトを開く」で開いてください。"),
                              omb::trs("ProjectCommands", "インポート"), MsgIcon::Exclamation, MsgButtons::Ok);
      return false;
    }
    if (!read.image) {
      core_.presenter.message(omb::trs("ProjectCommands", "旧バージョンのプロジェクトとして読み込めませんでした。\r\n") + path + "\r\n" +
                                  (whole ? read.error : errorDescription(errorFromErrno(error))),
                              omb::trs("ProjectCommands", "インポート"), MsgIcon::Critical, MsgButtons::Ok);
      return false;
    }
    OldProjectImage& p = *read.image;
    AppCore& c = core_;
    c.projectFileName = fileName(path);
    // Device memory of the old layout, ranges and pages of that generation.
    setOldRanges(c.state.range5, c.state.range7);
    loadMemory(c.state, p.memory);
    setOldPages(c.state.pages);
    c.state.subSet_PageMax();
    // The lists, keeping the comments the old file does not have.
    for (auto [list, from] : {std::pair{&c.state.userWordList, &p.userWordList}, std::pair{&c.state.userBitList, &p.userBitList}}) {
      for (std::size_t i = 0; i < kUserListSize; ++i) {
        UserListEntry& e = (*list)[i];
        const UserListEntry& o = (*from)[i];
        e = UserListEntry{o.code, o.addressText, e.comment, o.number};
      }
      list->setCounters(from->nextIndex(), from->count());
    }
    c.lists = p.lists;
    c.projectCarry.reserved = p.reserved;
    LinkConfig& link = c.link.config;
    applyLinkMenus(p.menus);
    link.station = p.station;
    link.sum = static_cast<CheckState>(p.sum);  // checked on reading
    c.projectComment = p.comment;
    c.settingsChanged();
    if (projectChanged) projectChanged("Import");
    core_.presenter.message(omb::trs("ProjectCommands", "プロジェクトのインポートが終了しました"), omb::trs("ProjectCommands", "インポート"), MsgIcon::Information,
                            MsgButtons::Ok);
    return true;
  });
}

void ProjectCommands::mnuFileOpen() {
  const auto path = core_.presenter.openFileName(omb::trs("ProjectCommands", "プロジェクトを開く"), {"(*.bin)"}, "bin",
                                               core_.settings.folders.Projects);
  if (!path) {
    projectPath_.clear();  // as any other way out of the command
    return;
  }
  open(*path);
}

ProjectRead ProjectCommands::fncFile_get(const std::string& path) {
  std::string bytes;
  int error = 0;
  if (!readWholeFile(path, bytes, error)) {
    ProjectRead failed;
    failed.error = errorDescription(errorFromErrno(error));
    return failed;
  }
  return readProject(bytes);
}

std::optional<WriteFailure> ProjectCommands::subFile_put(const std::string& path, const std::string& station) {
  if (showVersion) showVersion(kProjectVersion);
  return writeFileAtomically(path, encodeProject(capture(station)));
}

bool ProjectCommands::write(const std::string& path, const char* title) {
  if (recordViews) recordViews();
  if (mainWindowPlace) {
    const auto [top, left, height, width] = mainWindowPlace();
    core_.settings.mainWindow = MainWindowSetting{top, left, width, height};
  }
  if (const auto failed = subFile_put(path)) {
    core_.presenter.message(omb::trs("ProjectCommands", "プロジェクトを保存できませんでした。\r\n") + path + "\r\n" +
                                errorDescription(errorFromErrno(failed->error)) + omb::trs("ProjectCommands", "（") + failed->reason + omb::trs("ProjectCommands", "）"),
                            omb::trs("ProjectCommands", title), MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  // The comment file reports its own failure, naming the reason.
  if (!core_.comments.subFile_putDevCmnt(commentFileOf(path))) return false;
  const auto companion = [&](std::optional<WriteFailure> failed, const char* what, const std::string& file) {
    if (!failed) return true;
    core_.presenter.message(omb::trs("ProjectCommands", what) + file + "\r\n" + errorDescription(errorFromErrno(failed->error)) +
                                omb::trs("ProjectCommands", "（") + failed->reason + omb::trs("ProjectCommands", "）"),
                            omb::trs("ProjectCommands", title), MsgIcon::Critical, MsgButtons::Ok);
    return false;
  };
  return companion(saveSimFile(path), QT_TRANSLATE_NOOP("ProjectCommands", "値の自動変化の設定を保存できませんでした。\r\n"),
                   simFileOf(path)) &&
         companion(saveScriptFile(path), QT_TRANSLATE_NOOP("ProjectCommands", "スクリプトを保存できませんでした。\r\n"),
                   scriptFileOf(path));
}

namespace {
// A file beside the project read whole, empty when there is none; why it
// cannot be read.
std::optional<std::string> readCompanion(const std::string& file, std::string& text) {
  text.clear();
  if (!std::filesystem::exists(file)) return std::nullopt;
  int error = 0;
  if (!readWholeFile(file, text, error)) return errorDescription(errorFromErrno(error));
  return std::nullopt;
}

// A file beside the project written whole, or a stale one removed when
// there is nothing to keep, so reopening never brings back what was removed.
std::optional<WriteFailure> saveCompanion(const std::string& file, const std::string& text) {
  if (text.empty()) {
    std::error_code ignored;  // a file that cannot be removed is only stale
    std::filesystem::remove(file, ignored);
    return std::nullopt;
  }
  return writeFileAtomically(file, text);
}
}  // namespace

std::optional<std::string> ProjectCommands::loadSimFile(const std::string& projectPath) {
  std::string text;
  if (auto why = readCompanion(simFileOf(projectPath), text)) return why;
  std::string why;
  if (!core_.generators.load(text, core_.clock.steadyMs(), why, true)) return why;
  return std::nullopt;
}

std::optional<WriteFailure> ProjectCommands::saveSimFile(const std::string& projectPath) {
  return saveCompanion(simFileOf(projectPath), core_.generators.empty() ? std::string() : core_.generators.save());
}

std::optional<std::string> ProjectCommands::readScriptFile(const std::string& projectPath, std::string& text) {
  return readCompanion(scriptFileOf(projectPath), text);
}

std::optional<std::string> ProjectCommands::runScript(const std::string& text, const std::string& projectPath) {
  // A project without a script runs none; one whose script does not start
  // runs none either, and keeps the text for saving.
  core_.script.stop();
  if (const auto failed = core_.script.load(text, fileName(scriptFileOf(projectPath)))) return failed->display();
  return std::nullopt;
}

std::optional<std::string> ProjectCommands::loadScriptFile(const std::string& projectPath) {
  std::string text;
  if (auto why = readScriptFile(projectPath, text)) return why;
  return runScript(text, projectPath);
}

std::optional<WriteFailure> ProjectCommands::saveScriptFile(const std::string& projectPath) {
  return saveCompanion(scriptFileOf(projectPath), core_.script.source());
}

void ProjectCommands::mnuFileSaveAs() {
  guarded(core_.errorLog, "frmMain.mnuFileSaveAs_Click() ", [&](ErrorTrap&) {
    const auto comment = core_.presenter.inputBox(omb::trs("ProjectCommands", "コメントを入力してください\r\n（全角２０文字以内）"),
                                                  omb::trs("ProjectCommands", "プロジェクトに名前を付けて保存"), core_.projectComment);
    if (!comment || comment->empty()) return;
    if (saveMultiViews) saveMultiViews();
    const auto path = core_.presenter.saveFileName(omb::trs("ProjectCommands", "プロジェクトに名前を付けて保存"), {"(*.bin)"}, "bin",
                                                   core_.settings.folders.Projects + "/Test.bin");
    if (!path) return;
    const std::string previousComment = core_.projectComment;
    core_.projectComment = *comment;
    if (!write(*path, QT_TRANSLATE_NOOP("ProjectCommands", "プロジェクトに名前を付けて保存"))) {
      core_.projectComment = previousComment;
      return;
    }
    core_.projectFileName = fileName(*path);
    projectPath_ = *path;
    core_.presenter.message(omb::trs("ProjectCommands", "正常に終了しました。"), omb::trs("ProjectCommands", "プロジェクトに名前を付けて保存"), MsgIcon::Information,
                            MsgButtons::Ok);
    if (projectChanged) projectChanged("SaveAs");
  });
}

void ProjectCommands::mnuFileSave() {
  if (projectPath_.empty()) return;
  guarded(core_.errorLog, "frmMain.mnuFileSave_Click() ", [&](ErrorTrap&) {
    if (saveMultiViews) saveMultiViews();
    if (core_.presenter.message(omb::trs("ProjectCommands", "プロジェクトを、上書き保存しますか？"), omb::trs("ProjectCommands", "プロジェクトの上書き保存"), MsgIcon::Question,
                                MsgButtons::OkCancel) != MsgAnswer::Ok)
      return;
    if (!write(projectPath_, QT_TRANSLATE_NOOP("ProjectCommands", "プロジェクト上書き保存"))) return;
    core_.presenter.message(omb::trs("ProjectCommands", "正常に終了しました。"), omb::trs("ProjectCommands", "プロジェクト上書き保存"), MsgIcon::Information, MsgButtons::Ok);
  });
}

}  // namespace omb
