// Replies at the speed of the line: each character handed on when it would
// have finished on a real line, replies queuing behind each other.
#include <gtest/gtest.h>

#include "core/error.h"
#include "link/memory_transport.h"
#include "link/paced_transport.h"

namespace omb {
namespace {

TEST(CharacterTime, CountsEveryBitAtTheRate) {
  EXPECT_EQ(characterTimeUs(9600, 10), 1042);   // 8N1: 1041.67 rounded up
  EXPECT_EQ(characterTimeUs(9600, 11), 1146);   // 7E2 or 8E1
  EXPECT_EQ(characterTimeUs(115200, 10), 87);
  EXPECT_EQ(characterTimeUs(0, 10), 0);
}

struct Paced : ::testing::Test {
  ManualClock clock{DateTime{2026, 12, 10, 0, 0, 0}};
  ManualScheduler loop{clock};
  MemoryTransport line{loop};
  PacedTransport paced{line, loop, clock};
  std::int64_t charUs = 1042;
  Paced() {
    paced.characterTime = [this] { return charUs; };
    paced.open();
  }
};

TEST_F(Paced, EachCharacterLeavesWhenItWouldHaveFinished) {
  paced.send("0123456789");
  EXPECT_EQ(line.takeOutput(), "");
  loop.advance(2);  // 2000 us: one character done (1042), not two (2084)
  EXPECT_EQ(line.takeOutput(), "0");
  loop.advance(1);  // 3000 us: two
  EXPECT_EQ(line.takeOutput(), "1");
  loop.advance(7);  // 10000 us: nine
  EXPECT_EQ(line.takeOutput(), "2345678");
  loop.advance(1);  // 11000 us: 10420 us, all
  EXPECT_EQ(line.takeOutput(), "9");
  EXPECT_EQ(paced.queued(), 0u);
  EXPECT_TRUE(loop.idle());
}

TEST_F(Paced, ASecondReplyQueuesBehindTheFirst) {
  paced.send("AB");
  loop.advance(1);
  paced.send("CD");  // the line is still busy with A
  loop.advance(2);   // 3000 us: A B done (2084)
  EXPECT_EQ(line.takeOutput(), "AB");
  loop.advance(2);   // 5000 us: 4168 for D
  EXPECT_EQ(line.takeOutput(), "CD");
  // An idle line starts the next reply at once.
  loop.advance(100);
  paced.send("E");
  loop.advance(1);
  EXPECT_EQ(line.takeOutput(), "");
  loop.advance(1);
  EXPECT_EQ(line.takeOutput(), "E");
}

TEST_F(Paced, OffOrClosedSendsAtOnceAndClosingDropsTheQueue) {
  charUs = 0;
  paced.send("now");
  EXPECT_EQ(line.takeOutput(), "now");
  charUs = 1042;
  paced.send("later");
  paced.discardOutput();
  loop.advance(100);
  EXPECT_EQ(line.takeOutput(), "");
  paced.send("x");
  line.close();  // the line went away under the queue
  loop.advance(100);
  EXPECT_EQ(line.takeOutput(), "");
  EXPECT_TRUE(loop.idle());
  EXPECT_THROW(paced.send("y"), RuntimeError);  // a closed line refuses, as without pacing
}

}  // namespace
}  // namespace omb
