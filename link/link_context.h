// Everything the protocol engine works with, passed by reference.
#pragma once

#include <functional>
#include <string>

#include "core/clock.h"
#include "core/system_state.h"
#include "link/link_lists.h"
#include "link/link_settings.h"
#include "link/traffic_sink.h"

namespace omb {

struct LinkContext {
  SystemState& state;  // device memory, ranges, error report
  LinkSettings& settings;
  LinkLists& lists;
  const Clock& clock;
  TrafficSink& log;
  // The monitor lists changed (a monitor registration), before the reply
  // is sent.  Changes of device memory are announced through
  // DeviceMemory::publish with the device "All".
  std::function<void()> listsChanged;
};

}  // namespace omb
