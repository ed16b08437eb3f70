// A protocol engine on an in-memory port with a manual clock: the test plays
// the PC program.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/presenter.h"
#include "core/system_state.h"
#include "link/link_engine.h"
#include "link/memory_transport.h"
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
  void note(const std::string& message) override {
    notes.push_back(message);
    fileText += "【" + message + "】\r\n";
  }
  void lineError(const std::string& message) override {
    fileText += "【Comm Port 異常】 : " + message + "\r\n";
    entries.push_back({"【Comm Port 異常】 : " + message, "", "", ""});
  }

  std::vector<Entry> entries;
  std::vector<std::string> notes;
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
  MemoryTransport port{loop};
  RecordingPresenter presenter;
  RecordingTraffic log;
  std::vector<std::pair<std::string, std::string>> renews;
  std::vector<ChangeSet> changeSets;  // every change set the memory published
  std::string outputAtRenew;  // what had been written when the last refresh ran
  // A change of the monitor lists is recorded as the program announces it
  // to the windows.
  LinkContext ctx{state, settings, lists, clock, log, [this] {
                    renews.emplace_back("UniUsr", "DATA");
                    outputAtRenew = port.pendingOutput();
                  }};
  LinkEngine engine{ctx, loop, port};

  LinkHarness() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    settings.waitMs = 10;
    settings.chkViewAlert = true;  // no question boxes unless a test wants them
    state.memory.subscribe([this](const ChangeNotice& n) {
      renews.emplace_back(std::string(n.device), "DATA");
      changeSets.push_back(n.changes);
      outputAtRenew = port.pendingOutput();
    });
    // Questions are answered through the presenter, as the program does.
    engine.onQuestion = [this](const Question& q) {
      engine.answer(presenter.message(q.text, q.title, MsgIcon::Exclamation, MsgButtons::YesNo) == MsgAnswer::Yes);
    };
    engine.closeRequested = [this] {
      port.close();
      engine.abort();
    };
    port.onReceived = [this](std::string_view bytes) { engine.feed(bytes); };
    port.open();
  }

  void setFormat(int n) { settings.config.format = static_cast<Format>(n); }
  void setSum(CheckState sum) { settings.config.sum = sum; }
  void setCpu(CpuType cpu) { settings.config.cpu = cpu; }

  // Sends bytes at once and lets the line fall silent long enough for every
  // reply; returns what was answered.
  std::string exchange(const std::string& bytes) {
    port.feed(bytes);
    loop.advance(1000);
    return port.takeOutput();
  }
};

}  // namespace omb::test
