// Injected faults: the rules' language, which requests they hit, what each
// does to the reply and to execution, the marks, counts and statistics.
#include <gtest/gtest.h>

#include "link/fault_injector.h"
#include "link/link_stats.h"
#include "link_harness.h"

namespace omb {
namespace {

const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK), N(1, NAK);

TEST(FaultRules, ReadWithEveryActionAndCondition) {
  std::string error;
  const auto r = parseFaultRule(" split=50, at=4, cmd=WR, dev=D100-D199 , every=3, p=0.25 ", error);
  ASSERT_TRUE(r) << error;
  EXPECT_EQ(r->action, FaultAction::Split);
  EXPECT_EQ(r->ms, 50);
  EXPECT_EQ(r->at, 4);
  EXPECT_EQ(r->command, "WR");
  EXPECT_EQ(r->deviceKind, kD);
  EXPECT_EQ(r->first, 100);
  EXPECT_EQ(r->last, 199);
  EXPECT_EQ(r->every, 3);
  EXPECT_DOUBLE_EQ(r->probability, 0.25);
  // D numbers are decimal: "1FF" is not one.
  EXPECT_FALSE(parseFaultRule("drop,dev=D100-D1FF", error));
  const auto hex = parseFaultRule("flip,mask=80,dev=X40-7F", error);
  ASSERT_TRUE(hex) << error;
  EXPECT_EQ(hex->first, 0x40);
  EXPECT_EQ(hex->last, 0x7F);
  EXPECT_EQ(hex->byte, 0x80);
  EXPECT_EQ(parseFaultRule("flip", error)->byte, 0x01);  // the default mask
  const auto nak = parseFaultRule("nak=0A,dev=TN5", error);
  ASSERT_TRUE(nak) << error;
  EXPECT_EQ(nak->nakCode, "0A");
  EXPECT_EQ(nak->deviceKind, kTN);
  EXPECT_EQ(nak->first, 5);
  EXPECT_EQ(nak->last, 5);
}

TEST(FaultRules, MistakesAreRefusedWithTheReason) {
  struct Case {
    const char* rule;
    const char* says;
  };
  const Case cases[] = {
      {"", "動作"},
      {"cmd=WR", "動作"},
      {"drop,twice", "動作は一つだけ"},
      {"delay", "ミリ秒"},
      {"delay=-1", "0 から 60000"},
      {"delay=60001", "0 から 60000"},
      {"nak=6", "16 進 2 桁"},
      {"nak=0g", "16 進 2 桁"},
      {"insert=411", "16 進 2 桁"},
      {"drop=1", "値を取らず"},
      {"drop,at=3", "at は flip, insert, split"},
      {"twice,mask=01", "mask は flip"},
      {"flip,mask=00", "mask"},
      {"drop,cmd=wr", "cmd"},
      {"drop,dev=Q100", "dev"},
      {"drop,dev=D200-D100", "範囲"},
      {"drop,dev=D100-X200", "範囲"},
      {"drop,every=0", "every"},
      {"drop,p=1.5", "確率"},
      {"drop,p=abc", "確率"},
      {"drop,,twice", "空の項目"},
      {"drop,when=now", "\"when\" は使えない"},
      {"drop,cmd=ZZ", "cmd=ZZ はこの通信にないコマンド"},
      {"drop,cmd=WR,cmd=WW", "\"cmd\" が二度"},
      {"drop,every=2,p=0.5,every=3", "\"every\" が二度"},
      {"delay=5,delay=6", "\"delay\" が二度"},
      {"split=0", "1 から 60000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    std::string error;
    EXPECT_FALSE(parseFaultRule(c.rule, error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST(FaultRules, ARulesFileAddsAllOrNothingAndSetsTheSeed) {
  FaultInjector f;
  std::string error;
  EXPECT_TRUE(f.load("# faults for the night run\n\nseed 42\ndrop,cmd=WW\r\n  delay=100 \n", error)) << error;
  ASSERT_EQ(f.rules().size(), 2u);
  EXPECT_EQ(f.rules()[1].rule.text, "delay=100");
  EXPECT_EQ(f.seed(), 42u);
  EXPECT_FALSE(f.load("twice\nbogus\n", error));
  EXPECT_NE(error.find("2 行目"), std::string::npos) << error;
  EXPECT_EQ(f.rules().size(), 2u);
  EXPECT_FALSE(f.load("seed x\n", error));
  EXPECT_NE(error.find("1 行目"), std::string::npos) << error;
}

FaultRule rule(const char* text) {
  std::string error;
  auto r = parseFaultRule(text, error);
  EXPECT_TRUE(r) << error;
  return r.value_or(FaultRule{});
}

TEST(FaultInjector, ConditionsCountAndTheFirstRuleThatFiresWins) {
  FaultInjector f;
  f.add(rule("drop,cmd=WW,every=2"));
  f.add(rule("twice,dev=D100-D109"));
  const FaultSubject wwD105{"WW", kD, 105, 1}, wrD108{"WR", kD, 108, 4}, wrD110{"WR", kD, 110, 1},
      wrD95{"WR", kD, 95, 6}, wwM100{"WW", kM, 100, 16}, refused{"WW", -1, 0, 0};
  EXPECT_EQ(f.pick(wwD105), 1);  // first WW: not the second yet, so the range rule
  EXPECT_EQ(f.pick(wwD105), 0);  // second WW
  EXPECT_EQ(f.pick(wrD108), 1);  // overlaps D100-D109
  EXPECT_EQ(f.pick(wrD95), 1);   // D95-D100 overlaps too
  EXPECT_EQ(f.pick(wrD110), -1);
  EXPECT_EQ(f.pick(wwM100), -1);  // third WW, and M is not D
  EXPECT_EQ(f.pick(refused), 0);  // fourth WW; a refused request has no devices for the range rule
  EXPECT_EQ(f.rules()[0].matched, 4u);
  EXPECT_EQ(f.rules()[1].matched, 4u);
  f.setEnabled(false);
  EXPECT_EQ(f.pick(wwD105), -1);
  EXPECT_EQ(f.rules()[0].matched, 4u);
}

TEST(FaultInjector, ProbabilitiesRepeatWithTheSeed) {
  auto run = [](std::uint64_t seed, const char* text) {
    FaultInjector f;
    f.setSeed(seed);
    f.add(rule(text));
    std::string hits;
    for (int i = 0; i < 2000; ++i) hits += f.pick(FaultSubject{"WR"}) == 0 ? '1' : '0';
    return hits;
  };
  const std::string a = run(7, "drop,p=0.25"), b = run(7, "drop,p=0.25"), c = run(8, "drop,p=0.25");
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  const auto ones = std::count(a.begin(), a.end(), '1');
  EXPECT_GT(ones, 400);
  EXPECT_LT(ones, 600);
  EXPECT_EQ(run(1, "drop,p=0").find('1'), std::string::npos);
  EXPECT_EQ(run(1, "drop,p=1").find('0'), std::string::npos);
}

TEST(FaultInjector, ShapesTheReplyBytes) {
  const std::string data = S + "00FF1234" + X + "B9", crlf = S + "00FF1234" + X + "B9\r\n";
  struct Case {
    const char* rule;
    std::string reply;
    bool summed;
    const char* lineEnd;
    std::string first, second;
    int gap;
    bool applies;
  };
  const Case cases[] = {
      {"badsum", data, true, "", S + "00FF1234" + X + "BA", "", 0, true},
      {"badsum", crlf, true, "\r\n", S + "00FF1234" + X + "BA\r\n", "", 0, true},
      {"badsum", S + "00FF" + X + "FF", true, "", S + "00FF" + X + "00", "", 0, true},
      {"badsum", A + "00FF", false, "", A + "00FF", "", 0, false},
      {"flip,at=1", data, true, "", S + "10FF1234" + X + "B9", "", 0, true},
      {"flip,at=99,mask=20", A + "00FF", false, "", A + "00Ff", "", 0, true},
      {"flip", A + "00FF", false, "", A + "01FF", "", 0, true},
      {"insert=41,at=0", A + "00FF", false, "", "A" + A + "00FF", "", 0, true},
      {"insert=0D", A + "00FF", false, "", A + "0\r0FF", "", 0, true},
      {"split=30,at=3", data, true, "", S + "00", "FF1234" + X + "B9", 30, true},
      {"split=5,at=99", A + "00FF", false, "", A + "00FF", "", 5, true},
      {"twice", A + "00FF", false, "", A + "00FF", A + "00FF", 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    const ShapedReply s = shapeReply(rule(c.rule), c.reply, c.summed, c.lineEnd);
    EXPECT_EQ(s.applies, c.applies);
    EXPECT_EQ(s.first, c.first);
    EXPECT_EQ(s.second, c.second);
    EXPECT_EQ(s.gapMs, c.gap);
  }
}

// A harness with the injector and the statistics attached, D100 = 1234H.
class Faults : public ::testing::Test {
 protected:
  Faults() {
    h.engine.faults = &faults;
    h.engine.stats = &stats;
    h.state.memory.subDeviceWrite(100, "D", 0x1234);
  }
  std::int16_t d100() { return h.state.memory.fncDeviceData(100, "D"); }

  test::LinkHarness h;
  FaultInjector faults;
  LinkStats stats;
};

// The PC program sees exactly what the rule describes, when it describes
// it; the request is executed unless the rule answers with a NAK instead.
TEST_F(Faults, EachActionOnTheLineAndOnExecution) {
  const std::string wr = E + "00FFWR0D010001", ww = E + "00FFWW0D0100015678", wrSum = wr + "2B";
  const std::string data = S + "00FF1234" + X;
  struct Case {
    const char* rule;
    bool sum;
    std::string request;
    int dueMs;  // after the last byte (the wait is 10 ms)
    std::string first;
    int gapMs;  // then, this much later
    std::string second;
    std::int16_t d100;  // afterwards
  };
  const Case cases[] = {
      {"delay=50", false, wr, 60, data, 0, "", 0x1234},
      {"drop", false, ww, 10, "", 0, "", 0x5678},
      {"nak=06", false, ww, 10, N + "00FF06", 0, "", 0x1234},
      {"nak=7F,cmd=WR", false, wr, 10, N + "00FF7F", 0, "", 0x1234},
      {"badsum", true, wrSum, 10, data + "BA", 0, "", 0x1234},
      {"flip,at=1", false, wr, 10, S + "10FF1234" + X, 0, "", 0x1234},
      {"insert=41,at=5", false, ww, 10, A + "00FFA", 0, "", 0x5678},
      {"split=30,at=3", false, wr, 10, S + "00", 30, "FF1234" + X, 0x1234},
      {"twice", false, ww, 10, A + "00FF" + A + "00FF", 0, "", 0x5678},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    h.state.memory.subDeviceWrite(100, "D", 0x1234);
    faults.clear();
    stats.reset();
    h.log.notes.clear();
    faults.add(rule(c.rule));
    h.setSum(c.sum ? CheckState::Checked : CheckState::Unchecked);
    h.port.feed(c.request);
    h.loop.advance(c.dueMs - 1);
    EXPECT_EQ(h.port.takeOutput(), "");
    h.loop.advance(1);
    EXPECT_EQ(h.port.takeOutput(), c.first);
    if (c.gapMs > 0) {
      h.loop.advance(c.gapMs - 1);
      EXPECT_EQ(h.port.takeOutput(), "");
      h.loop.advance(1);
      EXPECT_EQ(h.port.takeOutput(), c.second);
    }
    h.loop.advance(500);
    EXPECT_EQ(h.port.takeOutput(), "");
    EXPECT_FALSE(h.engine.busy());
    EXPECT_EQ(d100(), c.d100);
    ASSERT_EQ(h.log.notes.size(), 1u);
    EXPECT_EQ(h.log.notes[0].rfind("障害注入 #1 (" + std::string(c.rule) + ") : ", 0), 0u) << h.log.notes[0];
    EXPECT_EQ(faults.injected(), 1u);
    EXPECT_EQ(stats.faults(), 1u);
    EXPECT_EQ(stats.requests(), 1u);
  }
}

TEST_F(Faults, ARuleThatFindsNothingToDoIsNeitherMarkedNorCounted) {
  faults.add(rule("badsum"));  // no sum check: nothing to corrupt
  EXPECT_EQ(h.exchange(E + "00FFWR0D010001"), S + "00FF1234" + X);
  faults.clear();
  faults.add(rule("drop,cmd=WW"));  // another command
  EXPECT_EQ(h.exchange(E + "00FFWR0D010001"), S + "00FF1234" + X);
  EXPECT_TRUE(h.log.notes.empty());
  EXPECT_EQ(faults.injected(), 0u);
  EXPECT_EQ(stats.faults(), 0u);
}

TEST_F(Faults, TheMarkStandsBetweenTheRequestAndWhatWasSent) {
  h.log.file = true;
  faults.add(rule("twice,cmd=WR"));
  h.exchange(E + "00FFWR0D010001");
  const std::string& log = h.log.fileText;
  const auto received = log.find("受信"), mark = log.find("障害注入"), sent = log.find("送信");
  ASSERT_NE(mark, std::string::npos);
  EXPECT_LT(received, mark);
  EXPECT_LT(mark, sent);
  EXPECT_EQ(mark, log.rfind("障害注入"));
  // Both copies are logged as sent: the log shows what the line carried.
  EXPECT_NE(log.find("送信", sent + 1), std::string::npos);
}

TEST_F(Faults, StatisticsCountRepliesNaksLineErrorsAndLatency) {
  h.exchange(E + "00FFWR0D010001");               // reply 10 ms after the last byte
  h.exchange(E + "00FFWR5D010001");               // message wait 5: 60 ms
  h.exchange(E + "00FFWR0d010001");               // NAK 07
  h.exchange(E + "00FEWR0D010001");               // NAK 10
  h.exchange(E + "01FFWR0D010001");               // another station: no reply
  h.engine.lineError(LineEvent::ParityError);
  EXPECT_EQ(stats.requests(), 5u);
  EXPECT_EQ(stats.replies(), 4u);
  EXPECT_EQ(stats.lineErrors(), 1u);
  const std::map<std::string, std::uint64_t> naks{{"01", 1}, {"07", 1}, {"10", 1}};
  EXPECT_EQ(stats.naks(), naks);
  const LatencySummary l = stats.latency();
  EXPECT_EQ(l.count, 4u);
  EXPECT_DOUBLE_EQ(l.medianMs, 10.0);
  EXPECT_DOUBLE_EQ(l.maxMs, 60.0);
  EXPECT_EQ(stats.json(),
            "{\"requests\":5,\"replies\":4,\"naks\":{\"01\":1,\"07\":1,\"10\":1},\"line_errors\":1,\"faults\":0,"
            "\"latency_ms\":{\"count\":4,\"median\":10.000,\"p99\":60.000,\"max\":60.000}}");
}

TEST(LinkStatsLatency, KeepsTheLatestFiguresOnlyButCountsAll) {
  LinkStats s;
  for (std::size_t i = 0; i < LinkStats::kLatencyKept; ++i) s.reply(1000000);  // 1 s each
  for (std::size_t i = 0; i < LinkStats::kLatencyKept; ++i) s.reply(2000);
  const LatencySummary l = s.latency();
  EXPECT_EQ(l.count, 2 * LinkStats::kLatencyKept);
  EXPECT_DOUBLE_EQ(l.medianMs, 2.0);
  EXPECT_DOUBLE_EQ(l.p99Ms, 2.0);
  EXPECT_DOUBLE_EQ(l.maxMs, 1000.0);  // the largest ever seen stays
}

}  // namespace
}  // namespace omb
