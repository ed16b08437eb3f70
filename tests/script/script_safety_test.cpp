// What a script cannot do: run for ever, lose its handlers to an exception,
// or reach anything but its API.
#include "script_fixture.h"

namespace omb::test {
namespace {

using ScriptSafetyTest = ScriptFixture;

TEST_F(ScriptSafetyTest, AnEndlessHandlerIsInterruptedAndTheLineGoesOnAnswering) {
  host.limitMs = 50;
  load(R"(
    on("M0", function () { set("M1", 1); log("looping");
      while (true) {}
    });
    on("M0", function (v) { set("D0", v + 40); });
  )");
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "1"), A + "00FF");
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0], "looping");
  EXPECT_EQ(said[1].rfind("test.js:2: 処理が 50 ms を超えたため中断しました", 0), 0u) << said[1];
  // What it wrote before the loop is published; the next handler ran.
  EXPECT_EQ(value("M1"), 1);
  EXPECT_EQ(value("D0"), 41);
  // The line answers, and the looping handler is gone.
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "0"), A + "00FF");
  EXPECT_EQ(h.exchange(E + "00FFWR0D000001"), S + "00FF" + "0028" + X);
  EXPECT_EQ(host.status().handlers, 1);
  EXPECT_EQ(said.size(), 2u);

  // A first run that never ends is interrupted as well; nothing of it stays.
  const auto failed = host.load("set('D5', 1);\nwhile (true) {}", "loop.js");
  ASSERT_TRUE(failed);
  EXPECT_NE(failed->display().find("50 ms を超えた"), std::string::npos) << failed->display();
  EXPECT_EQ(host.status().file, "test.js");
}

TEST_F(ScriptSafetyTest, AnExceptionIsReportedWithItsLineAndTheHandlersStay) {
  load(R"(
    on("M0", function (v) {
      if (v) null.property;
      log("M0", v);
    });
    every(100, function () { throw "plain " + get("M0"); });
    on("M0", function (v) { set("D0", v ? 7 : 8); });
  )");
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "1"), A + "00FF");
  ASSERT_GE(said.size(), 1u);
  EXPECT_EQ(said[0].rfind("test.js:3: TypeError", 0), 0u) << said[0];
  EXPECT_EQ(value("D0"), 7);  // the other handler ran
  // A thrown value that is no Error: at the line of its registration.
  EXPECT_EQ(said.back(), "test.js:6: plain 1");
  const std::size_t before = said.size();
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "0"), A + "00FF");
  EXPECT_EQ(value("D0"), 8);
  EXPECT_EQ(said[before], "M0 0");
  EXPECT_EQ(host.status().handlers, 2);
  EXPECT_GE(host.status().errors, 3);
  // A syntax error is found before anything runs, with its line.
  const auto failed = host.load("set('D9', 1);\n\nvar = 3;", "bad.js");
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->display().rfind("bad.js:3: SyntaxError", 0), 0u) << failed->display();
  EXPECT_EQ(value("D9"), 0);
}

TEST_F(ScriptSafetyTest, OnlyTheApiIsReachable) {
  // Nothing that reaches files, the network, other programs or the engine's
  // own extensions is defined; a module cannot be imported.
  load(R"(
    var names = ["require", "XMLHttpRequest", "Qt", "console", "print", "gc", "qsTr", "importScripts",
                 "fetch", "WebSocket", "process", "load", "readFile", "api"];
    var found = [];
    for (var i = 0; i < names.length; ++i)
      if (eval("typeof " + names[i]) !== "undefined") found.push(names[i]);
    log("found:", found.join(","));
  )");
  EXPECT_EQ(said, (std::vector<std::string>{"found: "}));  // none
  for (const char* source : {"import('/etc/passwd');", "import x from '/etc/passwd';"}) {
    const auto failed = host.load(source, "import.js");
    ASSERT_TRUE(failed) << source;
    EXPECT_NE(failed->text.find("SyntaxError"), std::string::npos) << failed->text;
  }
}

TEST_F(ScriptSafetyTest, ALogLineIsBounded) {
  load("log(new Array(10001).join('x'));");  // 10000 characters
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], std::string(4096, 'x') + "…");
}

}  // namespace
}  // namespace omb::test
