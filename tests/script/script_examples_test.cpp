// The worked examples of docs/scripting.md, as the document shows them,
// on the manual clock.
#include <fstream>
#include <iterator>

#include "script_fixture.h"

namespace omb::test {
namespace {

std::string example(const std::string& name) {
  std::ifstream in(OMBRISAL_SOURCE_DIR "/docs/examples/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ScriptExamples : ScriptFixture {
  void loadExample(const std::string& name) {
    const std::string text = example(name);
    ASSERT_FALSE(text.empty()) << name;
    const auto failed = host.load(text, name);
    ASSERT_FALSE(failed) << failed->display();
  }
};

TEST_F(ScriptExamples, TheDocumentShowsEachExampleAsItIs) {
  std::ifstream in(OMBRISAL_SOURCE_DIR "/docs/scripting.md", std::ios::binary);
  const std::string doc{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (const char* name : {"handshake.js", "conveyor.js", "counter.js"}) {
    const std::string text = example(name);
    ASSERT_FALSE(text.empty()) << name;
    EXPECT_NE(doc.find("```js\n" + text + "```"), std::string::npos) << name;
  }
}

TEST_F(ScriptExamples, HandshakeBusyThenResultAndDoneAfter200Ms) {
  loadExample("handshake.js");
  h.port.feed(E + "00FFBW0M010001" + "1");  // the request
  h.loop.advance(10);                        // the frame ends one wait later
  EXPECT_EQ(h.port.takeOutput(), A + "00FF");
  EXPECT_EQ(value("M101"), 1);  // busy
  EXPECT_EQ(value("M102"), 0);
  h.loop.advance(199);
  EXPECT_EQ(value("M102"), 0);
  h.loop.advance(1);
  EXPECT_EQ(value("M101"), 0);
  EXPECT_EQ(value("M102"), 1);  // done, with the result
  EXPECT_EQ(h.exchange(E + "00FFWR0D020002"), S + "00FF" + "000A04D2" + X);
  EXPECT_EQ(h.exchange(E + "00FFBW0M010001" + "0"), A + "00FF");
  EXPECT_EQ(value("M102"), 0);
  EXPECT_EQ(said, (std::vector<std::string>{"measurement 1: 10"}));
}

TEST_F(ScriptExamples, ConveyorSensorsFollowTheMotorWithTheirDelays) {
  loadExample("conveyor.js");
  poke("Y0", 1);
  h.loop.advance(499);
  EXPECT_EQ(value("X0"), 0);
  h.loop.advance(1);
  EXPECT_EQ(value("X0"), 1);
  EXPECT_EQ(value("X1"), 0);
  // Stopped before the part reached the end: the end sensor never comes.
  h.loop.advance(200);
  poke("Y0", 0);
  h.loop.advance(299);
  EXPECT_EQ(value("X0"), 1);
  h.loop.advance(1);
  EXPECT_EQ(value("X0"), 0);
  h.loop.advance(5000);
  EXPECT_EQ(value("X1"), 0);
  poke("Y0", 1);
  h.loop.advance(1500);
  EXPECT_EQ(value("X1"), 1);
}

TEST_F(ScriptExamples, CounterCountsPartsRaisesItsAlarmAndTheLineResetsIt) {
  loadExample("counter.js");
  h.loop.advance(10 * 1000);
  EXPECT_EQ(value("D300"), 10);  // one part a second
  poke("D300", 98);
  h.loop.advance(2000);
  EXPECT_EQ(value("D300"), 100);
  EXPECT_EQ(value("M301"), 1);
  // Only the line's reset counts.
  poke("M300", 1);
  h.loop.runDue();
  EXPECT_EQ(value("D300"), 100);
  poke("M300", 0);
  EXPECT_EQ(h.exchange(E + "00FFBW0M030001" + "1"), A + "00FF");
  EXPECT_EQ(value("M300"), 0);
  EXPECT_EQ(value("M301"), 0);
  EXPECT_LE(value("D300"), 1);
  EXPECT_EQ(said.back(), "count reset");
}

}  // namespace
}  // namespace omb::test
