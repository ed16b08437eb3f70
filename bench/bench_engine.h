// The protocol engine on a memory line and a hand-driven clock, for the
// benchmarks that feed it frames: no time passes in waiting, nothing is
// logged.
#pragma once

#include <string_view>

#include "link/link_engine.h"
#include "link/memory_transport.h"

namespace omb::bench {

struct Engine {
  ManualClock clock;
  ManualScheduler loop{clock};
  NullErrorSink errors;
  SystemState state{errors};
  LinkSettings settings;
  LinkLists lists;
  MemoryTransport port{loop};
  NullTrafficSink log;
  LinkContext ctx{state, settings, lists, clock, log, nullptr};
  LinkEngine engine{ctx, loop, port};
  explicit Engine(CpuType cpu = CpuType::ACPU) {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    settings.chkLogDsp = false;
    settings.chkViewAlert = true;
    settings.config.cpu = cpu;
    settings.waitMs = 2;
    port.onReceived = [this](std::string_view bytes) { engine.feed(bytes); };
    port.open();
  }
};

}  // namespace omb::bench
