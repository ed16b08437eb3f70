// A script host on the protocol engine of the link harness: a manual clock
// and scheduler, the in-memory line (the test plays the PC program), the
// first station's memory and a second station "01".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/framing.h"
#include "link/link_harness.h"
#include "script/script_host.h"

namespace omb::test {

inline const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK);

struct ScriptFixture : ::testing::Test {
  LinkHarness h;
  DeviceMemory second{h.errors};
  ScriptHost host{h.loop, h.clock};
  std::vector<std::string> said;           // every message, as displayed
  std::vector<std::string> sentWhenSaid;   // what the line had sent by then
  std::vector<const void*> sources;        // the source of each publication of the first memory

  ScriptFixture() {
    second.subReDim_Device(h.state.range7);
    host.memoryOf = [this](std::string_view st) -> DeviceMemory* {
      if (st.empty() || st == "00") return &h.state.memory;
      return st == "01" ? &second : nullptr;
    };
    h.state.memory.subscribe([this](const ChangeNotice& n) {
      sources.push_back(n.source);
      host.memoryChanged(h.state.memory, n);
    });
    second.subscribe([this](const ChangeNotice& n) { host.memoryChanged(second, n); });
    h.engine.onReplied = [this] { host.lineReplied(); };
    host.limitMs = 1000;  // generous: a loaded machine must not interrupt a test's short handler
    host.told = [this](const ScriptMessage& m) {
      said.push_back(m.display());
      sentWhenSaid.push_back(h.port.pendingOutput());
    };
  }

  void load(const std::string& source) {
    const auto failed = host.load(source, "test.js");
    ASSERT_FALSE(failed) << failed->display();
  }
  std::int32_t value(const std::string& device, DeviceMemory* memory = nullptr) {
    const auto span = parseDeviceSpan(device);
    EXPECT_TRUE(span) << device;
    return static_cast<std::int16_t>(*(memory ? memory : &h.state.memory)->deviceValue(span->kind, span->first));
  }
  // A writer other than the line (a window, the control channel).
  void poke(const std::string& device, std::int32_t v, DeviceMemory* memory = nullptr) {
    DeviceMemory& m = memory ? *memory : h.state.memory;
    const auto span = parseDeviceSpan(device);
    m.writeDevice(span->kind, span->first, v);
    m.publish("All");
  }
};

}  // namespace omb::test
