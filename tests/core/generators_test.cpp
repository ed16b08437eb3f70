// Values that move by themselves: each kind's values at given times, the
// writes they make, pause and resume, following with a delay, and who wins
// when a generator and a PC program write the same device.
#include <gtest/gtest.h>

#include "core/generators.h"
#include "core/system_state.h"
#include "test_support.h"

namespace omb {
namespace {

GeneratorSpec spec(const char* line) {
  std::string error;
  auto g = parseGenerator(line, error);
  EXPECT_TRUE(g) << error;
  return g.value_or(GeneratorSpec{});
}

TEST(GeneratorValues, EachKindAtGivenTimes) {
  struct Case {
    const char* line;
    std::int64_t ms;
    std::int32_t value;
  };
  const Case cases[] = {
      {"counter D0 step=1 min=0 max=3 period=100", 0, 0},
      {"counter D0 step=1 min=0 max=3 period=100", 99, 0},
      {"counter D0 step=1 min=0 max=3 period=100", 100, 1},
      {"counter D0 step=1 min=0 max=3 period=100", 300, 3},
      {"counter D0 step=1 min=0 max=3 period=100", 400, 0},  // wraps to min
      {"counter D0 step=-2 min=0 max=9 period=100", 0, 9},   // counting down starts at max
      {"counter D0 step=-2 min=0 max=9 period=100", 400, 1},
      {"counter D0 step=-2 min=0 max=9 period=100", 500, 9},
      {"counter D0 step=5 min=-10 max=10 period=10", 50, 15 - 21},  // -10 + 25 wraps over 21 values
      {"counter D0 step=1 min=0 max=65535 period=1", 86400000LL * 365, (86400000LL * 365) % 65536},
      {"ramp D0 offset=100 amplitude=1000 period=1000", 0, 100},
      {"ramp D0 offset=100 amplitude=1000 period=1000", 250, 350},
      {"ramp D0 offset=100 amplitude=1000 period=1000", 999, 1099},
      {"ramp D0 offset=100 amplitude=1000 period=1000", 1000, 100},
      {"sine D0 offset=500 amplitude=400 period=2000", 0, 500},
      {"sine D0 offset=500 amplitude=400 period=2000", 500, 900},
      {"sine D0 offset=500 amplitude=400 period=2000", 1000, 500},
      {"sine D0 offset=500 amplitude=400 period=2000", 1500, 100},
      {"square X0 period=1000 duty=0.25", 0, 1},
      {"square X0 period=1000 duty=0.25", 249, 1},
      {"square X0 period=1000 duty=0.25", 250, 0},
      {"square X0 period=1000 duty=0.25", 1000, 1},
      {"square D0 period=100 duty=0.5 min=10 max=20", 60, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " at " + std::to_string(c.ms));
    EXPECT_EQ(generatorValueAt(spec(c.line), c.ms), c.value);
  }
}

TEST(GeneratorValues, RandomRepeatsWithItsSeedAndStaysWithinItsLimits) {
  const GeneratorSpec a = spec("random D0 min=10 max=20 seed=7 period=100");
  const GeneratorSpec b = spec("random D0 min=10 max=20 seed=8 period=100");
  std::string seqA, seqB;
  for (int n = 0; n < 200; ++n) {
    const std::int32_t v = generatorValueAt(a, n * 100);
    EXPECT_GE(v, 10);
    EXPECT_LE(v, 20);
    EXPECT_EQ(generatorValueAt(a, n * 100 + 99), v);  // holds through its period
    seqA += std::to_string(v) + ",";
    seqB += std::to_string(generatorValueAt(b, n * 100)) + ",";
  }
  EXPECT_NE(seqA, seqB);
  std::string again;
  for (int n = 0; n < 200; ++n) again += std::to_string(generatorValueAt(a, n * 100)) + ",";
  EXPECT_EQ(again, seqA);
}

TEST(GeneratorLines, ReadBackAsWrittenAndMistakesNamed) {
  for (const char* line : {"counter D100-D109 step=1 min=0 max=999 period=100",
                           "ramp W1A offset=-5 amplitude=1000.5 period=5000",
                           "sine R0 offset=500 amplitude=400 period=2000 paused",
                           "random M0-M15 min=0 max=1 seed=7 period=250", "square X0 duty=0.5 period=1000",
                           "square D0 duty=0.25 min=10 max=20 period=100",
                           "follow Y10 source=X0 delay=200 invert", "follow D9000 source=TN5",
                           "counter D100 step=1 min=0 max=9 period=100 station=1F paused"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(generatorText(spec(line)), line);
  }
  struct Case {
    const char* line;
    const char* says;
  };
  const Case cases[] = {
      {"counter", "種類とデバイス"},
      {"wobble D0", "種類は"},
      {"counter Q0", "デバイス \"Q0\""},
      {"counter D10-D5", "デバイス"},
      {"sine X0", "ビットデバイスには"},
      {"counter D0 period=0", "period は 1 以上"},
      {"counter D0 period=1.5", "period は 1 以上"},
      {"counter D0 step=0.5", "整数"},
      {"counter D0 min=5 max=1", "min が max より"},
      {"square X0 duty=2", "duty"},
      {"follow Y0", "source"},
      {"follow Y0 source=X0-X3", "source は一つ"},
      {"counter D0 source=X0", "follow にだけ"},
      {"counter D0 speed=3", "\"speed\" は使えない"},
      {"counter D0 step", "key=値"},
      {"counter D0 step=abc", "数値ではありません"},
      {"counter D0 station=1", "station は局番"},
      {"counter D0 station=1f", "station は局番"},
      {"follow D100 source=D100", "自分自身には追従できません"},
      {"follow D100-D109 source=D105 delay=50", "自分自身には追従できません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string error;
    EXPECT_FALSE(parseGenerator(c.line, error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

// Old-version device memory and a set of generators over it.
class Generators : public ::testing::Test {
 protected:
  Generators() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    state.memory.subscribe([this](const ChangeNotice& n) {
      ++publishes;
      lastChanges = n.changes.changes();
    });
  }
  int add(const char* line, std::int64_t now = 0) {
    std::string error;
    const auto id = set.add(spec(line), now, error);
    EXPECT_TRUE(id) << error;
    return id.value_or(0);
  }
  std::int32_t d(int n) { return static_cast<std::uint16_t>(state.memory.fncDeviceData(n, "D")); }
  bool bit(const char* code, int n) { return state.memory.fncBit(n, code); }
  // Ticks at every due moment up to `until`, as the program's timer does.
  void runTo(std::int64_t until) {
    while (auto due = set.nextDueMs(now)) {
      if (*due > until) break;
      now = std::max(now, *due);
      set.tick(now);
    }
    now = until;
    set.tick(now);
  }

  test::RecordingErrorSink errors;
  SystemState state{errors};
  GeneratorSet set{state.memory};
  std::int64_t now = 0;
  int publishes = 0;
  std::vector<DeviceChange> lastChanges;
};

TEST_F(Generators, ARangeGetsOneValueInOneChangeSetAtEachStep) {
  add("counter D100-D103 step=1 min=0 max=9 period=100");
  set.tick(0);
  EXPECT_EQ(publishes, 1);
  ASSERT_EQ(lastChanges.size(), 1u);
  EXPECT_EQ(lastChanges[0], (DeviceChange{kD, 100, 103}));
  EXPECT_EQ(set.nextDueMs(0), 100);
  set.tick(50);  // no step: nothing written, nothing told
  EXPECT_EQ(publishes, 1);
  set.tick(100);
  for (int n = 100; n <= 103; ++n) EXPECT_EQ(d(n), 1) << n;
  EXPECT_EQ(d(104), 0);
  EXPECT_EQ(publishes, 2);
  EXPECT_EQ(set.nextDueMs(100), 200);
  EXPECT_TRUE(errors.reports.empty());
}

TEST_F(Generators, SquareWavesStepAtTheDutyPointAndThePeriod) {
  add("square X10 period=1000 duty=0.3");
  set.tick(0);
  EXPECT_TRUE(bit("X", 0x10));
  EXPECT_EQ(set.nextDueMs(0), 300);
  set.tick(300);
  EXPECT_FALSE(bit("X", 0x10));
  EXPECT_EQ(set.nextDueMs(300), 1000);
}

TEST_F(Generators, AFollowerCopiesItsSourceAfterItsDelay) {
  add("follow Y10 source=X0 delay=200");
  add("follow M5 source=X0 invert");
  runTo(50);
  EXPECT_FALSE(bit("Y", 0x10));
  EXPECT_TRUE(bit("M", 5));  // inverted at once
  state.memory.subBitWrite(0, "X", true);
  state.memory.publish("X");
  runTo(60);
  EXPECT_FALSE(bit("M", 5));
  runTo(259);
  EXPECT_FALSE(bit("Y", 0x10));
  runTo(260);  // the source went on at 60 (the first tick to see it): 200 ms later
  EXPECT_TRUE(bit("Y", 0x10));
  state.memory.subBitWrite(0, "X", false);  // seen by the tick of 270
  runTo(469);
  EXPECT_TRUE(bit("Y", 0x10));
  runTo(470);
  EXPECT_FALSE(bit("Y", 0x10));
}

TEST_F(Generators, PausedTimeDoesNotCountAndResumingGoesOnWhereItStopped) {
  const int id = add("counter D0 step=1 min=0 max=100 period=100");
  runTo(250);
  EXPECT_EQ(d(0), 2);
  ASSERT_TRUE(set.pause(id, 250));
  EXPECT_FALSE(set.nextDueMs(250));
  runTo(1000);
  EXPECT_EQ(d(0), 2);
  ASSERT_TRUE(set.resume(id, 1000));
  runTo(1049);
  EXPECT_EQ(d(0), 2);
  runTo(1050);  // 300 ms of running time
  EXPECT_EQ(d(0), 3);
  EXPECT_FALSE(set.resume(id, 1050));  // not paused
  EXPECT_TRUE(set.remove(id));
  runTo(2000);
  EXPECT_EQ(d(0), 3);
}

// A PC write between two steps stays until the next step; at a step the
// generator's value replaces whatever was written in that moment.
TEST_F(Generators, APcWriteLastsUntilTheGeneratorsNextStep) {
  add("counter D0 step=1 min=0 max=100 period=100");
  runTo(150);
  state.memory.subDeviceWrite(0, "D", 77);  // a request answered at 150
  runTo(199);
  EXPECT_EQ(d(0), 77);
  state.memory.subDeviceWrite(0, "D", 55);  // answered at 200, before the tick of 200
  runTo(200);
  EXPECT_EQ(d(0), 2);
}

// D9000 is the special register the link reads, even where the ordinary
// D registers reach past 9000.
TEST_F(Generators, SpecialRegistersAreTheOnesTheLinkReads) {
  state.range7[kD].last = 12287;
  state.subReDim_Device();
  add("counter D9000 step=5 min=5 max=100 period=100");
  add("follow D9001 source=D9000");
  runTo(0);
  EXPECT_EQ(state.memory.word(kDx, 0), 5);
  EXPECT_EQ(state.memory.word(kDx, 1), 5);
  EXPECT_EQ(state.memory.word(kD, 9000), 0);
  EXPECT_EQ(state.memory.word(kD, 9001), 0);
}

TEST_F(Generators, DevicesOutsideMemoryAreRefusedAndFilesAreAllOrNothing) {
  std::string error;
  EXPECT_FALSE(set.add(spec("counter D99999 period=10"), 0, error));
  EXPECT_NE(error.find("デバイス範囲外"), std::string::npos);
  EXPECT_FALSE(set.add(spec("follow Y0 source=X7FFFF"), 0, error));
  EXPECT_FALSE(set.load("counter D0 period=10\nsine D1 offset=0 amplitude=1 period=100\nramp D99999 period=5\n", 0,
                        error));
  EXPECT_NE(error.find("3 行目"), std::string::npos) << error;
  EXPECT_TRUE(set.empty());
  const std::string text =
      "# generators\n\ncounter D0 step=1 min=0 max=9 period=10   # counts\r\nsquare X0 duty=0.5 period=100 paused\n";
  set.changed = [this] { set.tick(0); };  // as the program ticks on every change
  ASSERT_TRUE(set.load(text, 0, error)) << error;
  ASSERT_EQ(set.entries().size(), 2u);
  EXPECT_TRUE(set.entries()[1].spec.paused);
  // A paused square wave, on at its start, wrote nothing.
  EXPECT_EQ(state.memory.words(kX)[0], 0);
  EXPECT_FALSE(set.entries()[1].written);
  EXPECT_EQ(set.save(),
            "# Ombrisal: values that move by themselves (one generator a line)\n"
            "counter D0 step=1 min=0 max=9 period=10\n"
            "square X0 duty=0.5 period=100 paused\n");
  EXPECT_TRUE(errors.reports.empty());

  // Replacing keeps what runs when a line is bad, and takes the file's
  // generators in place of those running when all lines read.
  EXPECT_FALSE(set.load("ramp D5 period=10\nwobble D1\n", 0, error, true));
  EXPECT_EQ(set.entries().size(), 2u);
  ASSERT_TRUE(set.load("ramp D5 period=10\n", 0, error, true)) << error;
  ASSERT_EQ(set.entries().size(), 1u);
  EXPECT_EQ(set.entries()[0].spec.kind, GeneratorKind::Ramp);

  // Changed in place: a device outside memory or an unknown number is refused.
  const int id = set.entries()[0].id;
  EXPECT_FALSE(set.replace(id, spec("ramp D99999 period=10"), 0, error));
  EXPECT_NE(error.find("D99999"), std::string::npos) << error;
  EXPECT_FALSE(set.replace(id + 1, spec("ramp D6 period=10"), 0, error));
  ASSERT_TRUE(set.replace(id, spec("counter D6 period=10"), 0, error)) << error;
  EXPECT_EQ(set.entries()[0].id, id);
  EXPECT_EQ(generatorText(set.entries()[0].spec), "counter D6 step=1 min=0 max=32767 period=10");
}

// Followers without a delay that pass a value round a ring would do so at
// every tick for ever: refused, from a file (naming a line) and one by one;
// with a delay anywhere in the ring it is an oscillator and runs.
TEST_F(Generators, AZeroDelayFollowRingIsRefused) {
  struct Case {
    const char* text;
    bool ok;
  };
  const Case cases[] = {
      {"follow D1 source=D2\nfollow D2 source=D1\n", false},
      {"follow D1 source=D2\nfollow D2 source=D3\nfollow D3-D5 source=D1\n", false},
      {"follow D1 source=D2\nfollow D2 source=D1 delay=100\n", true},
      {"follow D1 source=D2\nfollow D2 source=D3\ncounter D3 period=10\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    EXPECT_EQ(set.load(c.text, 0, error, true), c.ok) << error;
    if (!c.ok) {
      EXPECT_NE(error.find("輪になっています"), std::string::npos) << error;
      EXPECT_NE(error.find("行目"), std::string::npos) << error;
    }
  }
  std::string error;
  ASSERT_TRUE(set.load("follow D10 source=D11\n", 0, error, true)) << error;
  EXPECT_FALSE(set.add(spec("follow D11 source=D10"), 0, error));
  EXPECT_NE(error.find("輪になっています"), std::string::npos) << error;
  EXPECT_EQ(set.entries().size(), 1u);
}

// Whoever watches is told once per file, however long it is: the program
// ticks every generator on each notice, so one a line made loading a long
// file quadratic.
TEST_F(Generators, ALongFileIsAddedWithOneNotice) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "counter D" + std::to_string(i % 6000) + " step=1 min=0 max=9 period=1000\n";
  int notices = 0;
  set.changed = [&] {
    ++notices;
    set.tick(0);
  };
  std::string error;
  ASSERT_TRUE(set.load(text, 0, error)) << error;
  EXPECT_EQ(set.entries().size(), 20000u);
  EXPECT_EQ(notices, 1);
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// A generator of another station writes (and follows) that station's
// memory; a station the line does not carry is refused by its number.
TEST_F(Generators, AStationNamedChoosesTheMemoryWritten) {
  SystemState other{errors};
  subSetOldVersionRanges(other.range5, other.range7);
  other.subReDim_Device();
  int otherPublishes = 0;
  other.memory.subscribe([&](const ChangeNotice&) { ++otherPublishes; });
  set.stationMemory = [&](std::string_view station) -> DeviceMemory* { return station == "01" ? &other.memory : nullptr; };
  add("counter D100 period=100 station=01");
  add("follow Y0 source=X0 station=01");
  add("counter D100 period=100");
  other.memory.subBitWrite(0, "X", true);
  runTo(300);
  EXPECT_EQ(other.memory.fncDeviceData(100, "D"), 3);
  EXPECT_TRUE(other.memory.fncBit(0, "Y"));
  EXPECT_FALSE(bit("Y", 0));
  EXPECT_EQ(d(100), 3);
  EXPECT_GT(otherPublishes, 0);
  std::string error;
  EXPECT_FALSE(set.add(spec("counter D0 station=07"), now, error));
  EXPECT_NE(error.find("局番 07"), std::string::npos) << error;
}

}  // namespace
}  // namespace omb
