// Each function of a script's API, on the manual clock.
#include "script_fixture.h"

namespace omb::test {
namespace {

using ScriptApiTest = ScriptFixture;

TEST_F(ScriptApiTest, SetAndGetReadAndWriteDeviceMemoryAsScriptsWriteValues) {
  load(R"(
    set("D100", 1234);
    set("D200", [1, -2, 70000]);    // a run; words modulo 65536
    set("X1F", 1);                  // hexadecimal numbers of X
    set("M5", [1, 0, 1]);
    set("M9", 0.5);                 // a bit is on for anything but 0
    set("D9000", 7);                // a special register
    log(get("D100"), get("D200", 3).join("/"), get("M5", 3).join(""), get("X1F"), get("M9"), get("D9000"));
    log(get("D201") === -2, Array.isArray(get("D100", 1)));
  )");
  EXPECT_EQ(value("D100"), 1234);
  EXPECT_EQ(value("D201"), -2);
  EXPECT_EQ(value("D202"), 70000 - 65536);
  EXPECT_EQ(value("X1F"), 1);
  EXPECT_EQ(value("X1E"), 0);
  EXPECT_EQ(value("M5") * 100 + value("M6") * 10 + value("M7"), 101);
  EXPECT_EQ(value("M9"), 1);
  EXPECT_EQ(value("D9000"), 7);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0], "1234 1/-2/4464 101 1 1 7");
  EXPECT_EQ(said[1], "true true");
}

TEST_F(ScriptApiTest, AMistakenCallThrowsAtItsLineAndWritesNothing) {
  struct Case {
    const char* call;
    const char* says;
  };
  const Case cases[] = {
      {"set(\"Q100\", 1)", "デバイスの書き方が違います: Q100"},
      {"set(\"D100-D101\", 1)", "デバイスの書き方が違います"},
      {"set(\"D100\", \"many\")", "数ではありません"},
      {"set(\"D100\", [])", "1 から 4096 個"},
      {"set(\"D0\", [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20]); set(\"D99999\", 1)",
       "D99999 はデバイスメモリにありません"},
      {"get(\"D100\", 0)", "点数は 1 から 4096"},
      {"get(\"D100\", 1.5)", "点数は 1 から 4096"},
      {"on(\"D100\", 5)", "関数を渡してください"},
      {"every(0, function () {})", "1 から 86400000"},
      {"after(\"x\", function () {})", "1 から 86400000"},
      {"station(\"7F\").get(\"D0\")", "局 7F はこの回線にありません"},
  };
  for (const Case& c : cases) {
    said.clear();
    const auto failed = host.load(std::string("// first line\n") + c.call + ";\nset(\"D100\", 9);", "test.js");
    ASSERT_TRUE(failed) << c.call;
    EXPECT_EQ(failed->line, 2) << c.call;
    EXPECT_NE(failed->display().find(c.says), std::string::npos) << c.call << " -> " << failed->display();
    EXPECT_EQ(failed->display().rfind("test.js:2: ", 0), 0u) << failed->display();
    EXPECT_EQ(value("D100"), 0) << c.call;
  }
  // The run's own first writes stand: a call that failed later does not
  // undo them, but the one that failed wrote nothing of its run.
  EXPECT_EQ(value("D0"), 1);
  EXPECT_EQ(value("D20"), 0);
}

TEST_F(ScriptApiTest, EveryAndAfterRunOnTheProgramsClock) {
  load(R"(
    var ticks = every(100, function () { set("D0", get("D0") + 1); });
    after(250, function () { set("M0", 1); });
    var never = after(150, function () { set("M1", 1); });
    cancel(never);
    on("D0", function (v) { if (v === 3) cancel(ticks); });
  )");
  h.loop.advance(99);
  EXPECT_EQ(value("D0"), 0);
  h.loop.advance(1);
  EXPECT_EQ(value("D0"), 1);
  h.loop.advance(150);
  EXPECT_EQ(value("D0"), 2);
  EXPECT_EQ(value("M0"), 1);
  h.loop.advance(1000);
  EXPECT_EQ(value("D0"), 3);  // the handler of D0 cancelled the ticks at 3
  EXPECT_EQ(value("M1"), 0);
  EXPECT_EQ(host.status().timers, 0);
  EXPECT_TRUE(h.loop.idle());  // nothing left armed
}

TEST_F(ScriptApiTest, OnTellsEachChangeWithItsOldValueFromAnyWriterFromTheLoop) {
  load(R"(
    on("D10", function (v, old) { log("D10", old, "->", v); });
    on("X3", function (v, old) { log("X3", old, "->", v); });
  )");
  poke("D10", -5);
  EXPECT_TRUE(said.empty()) << "told inside the writer's publication";
  h.loop.runDue();
  poke("D10", -5);  // the same value: no change
  poke("X2", 1);    // a neighbour in the same word
  poke("X3", 1);
  h.loop.runDue();
  EXPECT_EQ(h.exchange(E + "00FFWW0D001001" + "0010"), A + "00FF");  // the line's write
  EXPECT_EQ(said, (std::vector<std::string>{"D10 0 -> -5", "X3 0 -> 1", "D10 -5 -> 16"}));
}

TEST_F(ScriptApiTest, ALineOnlyHandlerHearsTheLinesWritesAlone) {
  load(R"(
    on("M0", function (v) { log("line", v); }, { line: true });
    on("M0", function (v) { log("any", v); });
  )");
  poke("M0", 1);
  h.loop.runDue();
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "0"), A + "00FF");
  EXPECT_EQ(said, (std::vector<std::string>{"any 1", "line 0", "any 0"}));
}

TEST_F(ScriptApiTest, AStationsFunctionsWorkOnItsOwnMemory) {
  load(R"(
    var s = station("01");
    s.set("D0", 11);
    set("D0", 22);
    s.on("M0", function (v) { s.set("D1", s.get("D0") + v); log("01 M0", v); });
    on("M0", function (v) { log("00 M0", v); });
    s.log("station", s.get("D0"), get("D0"));
  )");
  EXPECT_EQ(value("D0", &second), 11);
  EXPECT_EQ(value("D0"), 22);
  poke("M0", 1, &second);
  h.loop.runDue();
  EXPECT_EQ(value("D1", &second), 12);
  EXPECT_EQ(value("D1"), 0);
  EXPECT_EQ(said, (std::vector<std::string>{"station 11 22", "01 M0 1"}));
}

TEST_F(ScriptApiTest, AHandlersWritesArePublishedAsOneChangeSetOfItsOwn) {
  load(R"(
    on("M0", function () { set("D0", 1); set("D5", [2, 3]); set("Y0", 1); });
  )");
  sources.clear();
  h.changeSets.clear();
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "1"), A + "00FF");
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(sources[0], lineWriterSource());
  EXPECT_NE(sources[1], nullptr);
  EXPECT_NE(sources[1], lineWriterSource());
  const auto& written = h.changeSets[1].changes();
  EXPECT_EQ(written, (std::vector<DeviceChange>{{kD, 0, 0}, {kD, 5, 6}, {kY, 0, 0}}));
}

TEST_F(ScriptApiTest, StopAndStatusAndAReplacingLoad) {
  load("on('M0', function () { set('D0', 1); }); every(100, function () {}); log('one');");
  ScriptStatus s = host.status();
  EXPECT_TRUE(s.running);
  EXPECT_EQ(s.file, "test.js");
  EXPECT_EQ(s.handlers, 1);
  EXPECT_EQ(s.timers, 1);
  // A script that fails its first run leaves the one running.
  EXPECT_TRUE(host.load("on('M0', function () { set('D0', 2); });\nnosuch();", "two.js"));
  EXPECT_EQ(host.status().file, "test.js");
  poke("M0", 1);
  h.loop.runDue();
  EXPECT_EQ(value("D0"), 1);
  load("on('M0', function () { set('D0', 3); });");
  poke("M0", 0);
  h.loop.runDue();
  EXPECT_EQ(value("D0"), 3);
  host.stop();
  EXPECT_FALSE(host.status().running);
  poke("M0", 1);
  h.loop.advance(1000);
  EXPECT_EQ(value("D0"), 3);
  EXPECT_TRUE(h.loop.idle());
}

}  // namespace
}  // namespace omb::test
