// What the device windows need of the program around them, and no more:
// the models they show and edit, the settings they record their places in,
// the presenter and the error log, whether the line is open, and the
// program's refresh hook.  The application fills it (app/compose.h), so the
// windows never see the application core with its engine, port and log.
#pragma once

#include <functional>
#include <string>

#include "core/device_memory.h"
#include "core/presenter.h"
#include "core/system_state.h"
#include "link/link_lists.h"
#include "store/comment_store.h"
#include "store/settings_file.h"

namespace omb {

struct ViewHost {
  // The program-wide parts of the state: user lists, cell styles,
  // multi-screen records.
  SystemState& state;
  // The station the windows show (its memory, pages and monitor comments)
  // and the engine's test and monitor lists of it; the application moves
  // these when another station is chosen.
  SystemState* const& shownState;
  const LinkLists* const& shownLists;
  CommentStore& comments;
  Settings& settings;
  SettingsFile& settingsFile;
  Presenter& presenter;
  ErrorSink& errors;
  // Whether the line is open.
  std::function<bool()> portOpen;
  // Whether the line is in the middle of an exchange (a request being
  // received or answered, or the silence after it): the windows draw in
  // the line's quiet moments.  Empty: never.
  std::function<bool()> lineBusy;
  // The program's refresh signal: the view manager answers it while it
  // lives (whoever changed comments, registrations or memory calls it).
  std::function<void(const std::string& device, const std::string& code)>& subDspRenew;
  // While a change set is announced as "DATA": that set; null otherwise.
  const ChangeSet* const& announcing;
  // The number of the station shown when the line carries several, for
  // the windows' captions; empty with one station.
  std::function<std::string()> stationNote;
  // Called by the program after each reply has left; the view manager
  // answers it while it lives.
  std::function<void()>& lineReplied;
};

}  // namespace omb
