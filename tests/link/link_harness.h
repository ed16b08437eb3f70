// A protocol engine on an in-memory port with a manual clock: the test plays
// the PC program.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/system_state.h"
#include "link/link_engine.h"
#include "link/memory_port.h"
#include "test_support.h"

namespace omb::test {

// Records the traffic log: on-screen entries and the file's text.
struct RecordingTraffic : TrafficSink {
  struct Entry {
    std::string kind, raw, replaced, hex;
  };
  void subDsp_CommLog(const std::string& kind, const std::string& raw, const std::string& replaced,
                      const std::string& hex) override {
    entries.push_back({kind, raw, replaced, hex});
  }
  void screenInsert(const std::string& text) override { inserted += text; }
  bool fileOpen() const override { return file; }
  void filePrint(const std::string& text) override { fileText += text + "\r\n"; }

  std::vector<Entry> entries;
  std::string inserted;
  bool file = true;
  std::string fileText;
};

struct LinkHarness {
  ManualClock clock{DateTime{2026, 12, 10, 12, 34, 56}};
  ManualScheduler loop{clock};
  RecordingErrorSink errors;
  SystemState state{errors};
  LinkSettings settings;
  LinkLists lists;
  MemoryPort port{loop};
  RecordingPresenter presenter;
  RecordingTraffic log;
  std::vector<std::pair<std::string, std::string>> renews;
  std::string outputAtRenew;  // what had been written when the last refresh ran
  LinkContext ctx{state,
                  settings,
                  lists,
                  port,
                  clock,
                  presenter,
                  log,
                  [this](const std::string& device, const std::string& code) {
                    renews.emplace_back(device, code);
                    outputAtRenew = port.pendingOutput();
                  },
                  [this] {
                    port.setPortOpen(false);
                    engine.abort();
                  }};
  LinkEngine engine{ctx, loop};

  LinkHarness() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    settings.waitMs = 10;
    settings.chkViewAlert = true;  // no question boxes unless a test wants them
    port.onComm = [this](CommEvent e) {
      if (e == CommEvent::Receive) engine.onReceiveEvent();
    };
    port.setNullDiscard(true);
    port.setInputLen(1);
    port.setPortOpen(true);
    port.setRThreshold(1);
  }

  void setFormat(int n) { settings.setFormat(n == 1 ? "形式１" : n == 2 ? "形式２" : n == 3 ? "形式３" : "形式４"); }

  // Sends bytes at once and lets the line fall silent long enough for every
  // reply; returns what was answered.
  std::string exchange(const std::string& bytes) {
    port.feed(bytes);
    loop.advance(1000);
    return port.takeOutput();
  }
};

}  // namespace omb::test
