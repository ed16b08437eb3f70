// Everything the protocol engine works with, passed by reference.
#pragma once

#include <functional>
#include <string>

#include "core/clock.h"
#include "core/presenter.h"
#include "core/system_state.h"
#include "link/comm_port.h"
#include "link/link_lists.h"
#include "link/link_settings.h"
#include "link/traffic_sink.h"

namespace omb {

struct LinkContext {
  SystemState& state;  // device memory, ranges, error report
  LinkSettings& settings;
  LinkLists& lists;
  CommPort& port;
  const Clock& clock;
  Presenter& presenter;
  TrafficSink& log;
  // Device memory changed: ("All", "DATA") after writes and tests,
  // ("UniUsr", "DATA") after monitor registrations.  Runs before the reply
  // is written.
  std::function<void(const std::string& device, const std::string& code)> subDspRenew;
  // "Yes" in a question box: close the port the way its close button does.
  std::function<void()> closePort;
};

}  // namespace omb
