// When handlers run: after the reply that caused them has left, the line's
// requests before the timers due at the same moment, and registration
// order within one moment.
#include "script_fixture.h"

namespace omb::test {
namespace {

using ScriptOrderTest = ScriptFixture;

TEST_F(ScriptOrderTest, ALineWritesHandlerRunsAfterItsReplyHasLeft) {
  load(R"(on("M0", function (v) { log("M0", v); set("M1", v); });)");
  EXPECT_EQ(h.exchange(E + "00FFBW0M000001" + "1"), A + "00FF");
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(sentWhenSaid[0], A + "00FF") << "the handler ran before the reply was sent";
  // The next request already sees what the handler wrote.
  EXPECT_EQ(h.exchange(E + "00FFBR0M000002"), S + "00FF" + "11" + X);  // M0 and M1
}

TEST_F(ScriptOrderTest, ARequestComesBeforeATimerDueAtTheSameMoment) {
  // The timer is armed first; the frame is complete one wait (10 ms) after
  // its bytes, at the moment the timer is due.
  load(R"(
    after(10, function () { log("timer sees M0 =", get("M0")); });
    on("M0", function (v) { log("line", v); });
  )");
  h.port.feed(E + "00FFBW0M000001" + "1");
  h.loop.advance(10);
  EXPECT_EQ(h.port.takeOutput(), A + "00FF");
  EXPECT_EQ(said, (std::vector<std::string>{"line 1", "timer sees M0 = 1"}));
}

TEST_F(ScriptOrderTest, HandlersOfOneMomentRunInTheOrderTheyWereRegistered) {
  load(R"(
    on("M2", function () { log("M2"); });
    every(2000, function () { log("every"); });
    on("M0", function () { log("M0 first"); });
    after(2000, function () { log("after"); });
    on("M1", function () { log("M1"); });
    on("M0", function () { log("M0 second"); });
  )");
  EXPECT_EQ(h.exchange(E + "00FFBW0M000003" + "111"), A + "00FF");  // M0-M2 in one request (1 s)
  h.loop.advance(1000);  // the moment both timers are due
  EXPECT_EQ(said, (std::vector<std::string>{"M2", "M0 first", "M1", "M0 second", "every", "after"}));
}

TEST_F(ScriptOrderTest, AChangeAHandlerMakesIsToldAfterWhatIsDueAndAChainIsCut) {
  load(R"(
    on("D0", function (v) { log("D0", v); if (v < 2) set("D0", v + 1); });
    on("M0", function () { set("D0", 1); log("M0 done"); });
    on("M0", function () { log("M0 second"); });
  )");
  poke("M0", 1);
  h.loop.runDue();
  EXPECT_EQ(said, (std::vector<std::string>{"M0 done", "M0 second", "D0 1", "D0 2"}));

  // A handler that feeds itself is cut, told once, and the loop goes on.
  said.clear();
  load(R"(on("D1", function (v) { set("D1", v + 1); });)");
  poke("D1", 1);
  h.loop.runDue();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("連鎖が 64 段を超えた"), std::string::npos) << said[0];
  EXPECT_EQ(value("D1"), 1 + ScriptHost::kMaxChain + 1);
  EXPECT_TRUE(h.loop.idle());
}

}  // namespace
}  // namespace omb::test
