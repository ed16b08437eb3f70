// The control channel's commands without a socket: each request line and
// the exact JSON line it is answered with, what it did to device memory,
// and waits on the manual clock.
#include "app/control_commands.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "core/system_state.h"
#include "test_support.h"

namespace omb {
namespace {

// Device memory of the old-version layout (D0-D6143, D9000-D9255, X/Y
// 0-7FF, W 0-FFF), a manual clock, and load and save hooks that record what
// they were asked.
class Commands : public ::testing::Test {
 protected:
  Commands() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    state.memory.subscribe([this](const ChangeNotice& n) { published.push_back(std::string(n.device)); });
  }
  std::string run(std::string_view line) { return interpreter.run(line, collect()).answer; }
  std::function<void(const std::string&)> collect() {
    return [this](const std::string& answer) { answers.push_back(answer); };
  }
  std::array<std::vector<std::int16_t>, kKindCount> words() const {
    std::array<std::vector<std::int16_t>, kKindCount> w;
    for (int k = 0; k < kKindCount; ++k) w[static_cast<std::size_t>(k)] = state.memory.words(k);
    return w;
  }

  test::RecordingErrorSink errors;
  SystemState state{errors};
  ManualClock clock;
  ManualScheduler scheduler{clock};
  FaultInjector faults;
  LinkStats stats;
  std::vector<std::string> loads, saves;
  std::optional<std::string> loadFails, saveFails;
  std::vector<std::string> published, answers;
  ControlInterpreter interpreter{ControlTargets{
      state.memory, scheduler, faults, stats,
      [this](const std::string& path) {
        loads.push_back(path);
        return loadFails;
      },
      [this](const std::string& path) {
        saves.push_back(path);
        return saveFails;
      },
      {}, {}, {}}};
};

// A second station, 01, beside the first: its devices are named 01:D100.
class StationCommands : public ::testing::Test {
 protected:
  StationCommands() {
    for (SystemState* s : {&first, &second}) {
      subSetOldVersionRanges(s->range5, s->range7);
      s->subReDim_Device();
      s->memory.subscribe([this](const ChangeNotice&) {
        for (auto& w : watchers) w();
      });
    }
  }
  std::string run(std::string_view line) {
    return interpreter.run(line, [this](const std::string& a) { answers.push_back(a); }).answer;
  }

  test::RecordingErrorSink errors;
  SystemState first{errors}, second{errors};
  ManualClock clock;
  ManualScheduler scheduler{clock};
  FaultInjector faults;
  LinkStats stats;
  std::vector<std::function<void()>> watchers;
  std::vector<std::string> answers;
  ControlInterpreter interpreter{ControlTargets{
      first.memory, scheduler, faults, stats, {}, {},
      [this](std::string_view station) -> DeviceMemory* {
        if (station == "00") return &first.memory;
        return station == "01" ? &second.memory : nullptr;
      },
      [this](std::function<void()> changed) {
        watchers.push_back(std::move(changed));
        return static_cast<int>(watchers.size());
      },
      [this](int id) { watchers[static_cast<std::size_t>(id - 1)] = [] {}; }}};
};

TEST_F(StationCommands, AStationWrittenBeforeTheDeviceChoosesItsMemory) {
  EXPECT_EQ(run("set 01:D100 7 8"), R"j({"ok":true})j");
  EXPECT_EQ(run("set D100 5"), R"j({"ok":true})j");
  EXPECT_EQ(run("set 00:X0 1"), R"j({"ok":true})j");
  EXPECT_EQ(second.memory.fncDeviceData(100, "D"), 7);
  EXPECT_EQ(second.memory.fncDeviceData(101, "D"), 8);
  EXPECT_EQ(first.memory.fncDeviceData(100, "D"), 5);
  EXPECT_TRUE(first.memory.fncBit(0, "X"));
  EXPECT_FALSE(second.memory.fncBit(0, "X"));
  EXPECT_EQ(run("get 01:D100 2"), R"j({"ok":true,"values":[7,8]})j");
  EXPECT_EQ(run("get 01:d100-d101"), R"j({"ok":true,"values":[7,8]})j");
  EXPECT_EQ(run("get D100"), R"j({"ok":true,"values":[5]})j");
  // A station the line does not carry changes nothing and says so.
  EXPECT_EQ(run("set 07:D100 1"), R"j({"ok":false,"error":"station 07 is not served"})j");
  EXPECT_EQ(run("get 07:D100"), R"j({"ok":false,"error":"station 07 is not served"})j");
  EXPECT_EQ(run("wait-change 07:D100 100"), R"j({"ok":false,"error":"station 07 is not served"})j");

  // A wait on station 01 answers for its write, not for the first's.
  EXPECT_EQ(run("wait-change 01:D100 5000"), "");
  first.memory.write(kD, 100, 99);
  first.memory.publish("All");
  scheduler.runDue();
  EXPECT_TRUE(answers.empty());
  second.memory.write(kD, 100, 42);
  second.memory.publish("All");
  scheduler.runDue();
  EXPECT_EQ(answers, std::vector<std::string>{R"j({"ok":true,"values":[42]})j"});
}

TEST_F(Commands, RequestsAreAnsweredWithTheirJsonLine) {
  struct Case {
    const char* request;
    const char* answer;
  };
  // In order: what one sets, the next reads.
  const Case cases[] = {
      {"set D100 1234 -1 0x7FFF 65535 0x8000", R"j({"ok":true})j"},
      {"get D100 5", R"j({"ok":true,"values":[1234,-1,32767,-1,-32768]})j"},
      {"get D0100", R"j({"ok":true,"values":[1234]})j"},      // five-character protocol text
      {"get D000101", R"j({"ok":true,"values":[-1]})j"},      // seven-character protocol text
      {"get D100-D102", R"j({"ok":true,"values":[1234,-1,32767]})j"},
      {"get D101-102", R"j({"ok":true,"values":[-1,32767]})j"},
      {"set X0 1 0 1", R"j({"ok":true})j"},
      {"get X0000 4", R"j({"ok":true,"values":[1,0,1,0]})j"},
      {"set XA 1", R"j({"ok":true})j"},  // X is numbered in hexadecimal
      {"get X8-XB", R"j({"ok":true,"values":[0,0,1,0]})j"},
      {"get x2", R"j({"ok":true,"values":[1]})j"},
      {"set D9000 7", R"j({"ok":true})j"},  // a special register
      {"get D9000", R"j({"ok":true,"values":[7]})j"},
      {"get D6143 1", R"j({"ok":true,"values":[0]})j"},
      {"set M9000 1", R"j({"ok":true})j"},
      {"get M9000", R"j({"ok":true,"values":[1]})j"},
      {"set W1F 0x00ff", R"j({"ok":true})j"},
      {"get W1E 2", R"j({"ok":true,"values":[0,255]})j"},
      {"set Y0 1\r", R"j({"ok":true})j"},  // a client that ends its lines with CR LF
      {"  get\tY0   ", R"j({"ok":true,"values":[1]})j"},
      {"fault add drop,cmd=WR", R"j({"ok":true,"rules":1})j"},
      {"fault add nak=06,dev=D100-D199", R"j({"ok":true,"rules":2})j"},
  };
  for (const Case& c : cases) EXPECT_EQ(run(c.request), c.answer) << c.request;

  EXPECT_EQ(state.memory.word(kD, 100), 1234);
  EXPECT_EQ(state.memory.word(kDx, 0), 7);
  EXPECT_EQ(static_cast<std::uint16_t>(state.memory.word(kX, 0)), 0b10000000101);
  ASSERT_EQ(faults.rules().size(), 2u);
  EXPECT_EQ(faults.rules()[1].rule.text, "nak=06,dev=D100-D199");
  EXPECT_EQ(run("fault clear"), R"j({"ok":true,"rules":0})j");
  EXPECT_TRUE(faults.rules().empty());
  // Each set is one publication, as one request of the line is.
  EXPECT_EQ(published, std::vector<std::string>(7, "All"));
  EXPECT_TRUE(answers.empty());
}

TEST_F(Commands, MistakesAreAnsweredWithAnErrorAndChangeNothing) {
  state.memory.write(kD, 0, 11);
  state.memory.write(kD, 1, 22);
  state.memory.publish("All");
  published.clear();
  const auto before = words();
  const std::string values = " (decimal -32768 to 65535 or hexadecimal 0x0 to 0xFFFF)";
  struct Case {
    std::string request, error;
  };
  const Case cases[] = {
      {"", "empty request"},
      {" \t ", "empty request"},
      {"frobnicate D0", "unknown command: frobnicate (the commands are get, set, load, save, export, import, fault, "
                        "stats, wait-change, script and quit)"},
      {"GET D0", "unknown command: GET (the commands are get, set, load, save, export, import, fault, stats, "
                 "wait-change, script and quit)"},
      {"get", "usage: get DEVICE [POINTS] or get FIRST-LAST"},
      {"get D0 1 2", "usage: get DEVICE [POINTS] or get FIRST-LAST"},
      {"get D0-D9 2", "usage: get DEVICE [POINTS] or get FIRST-LAST"},
      {"get Q0", "unknown device: Q0"},
      {"get D", "unknown device: D"},
      {"get D9-D1", "unknown device: D9-D1"},
      {"get XG", "unknown device: XG"},
      {"get \"D0\\", "unknown device: \"D0\\"},
      {"get D0 0", "POINTS must be a whole number from 1 to 4096"},
      {"get D0 4097", "POINTS must be a whole number from 1 to 4096"},
      {"get D0 x", "POINTS must be a whole number from 1 to 4096"},
      {"get D0-D4096", "at most 4096 devices at once"},
      {"get D6144", "D6144 is outside device memory"},
      {"get D6140 5", "D6144 is outside device memory"},
      {"get D9256", "D9256 is outside device memory"},
      {"get X800", "X800 is outside device memory"},
      {"set D0", "usage: set DEVICE VALUE..."},
      {"set D0-D3 1", "set writes from one device on, not a run: D0-D3"},
      {"set Q0 1", "unknown device: Q0"},
      {"set D0 65536", "value for D0 out of range: 65536" + values},
      {"set D0 -32769", "value for D0 out of range: -32769" + values},
      {"set D0 0x10000", "value for D0 out of range: 0x10000" + values},
      {"set D0 99999999999999999999", "value for D0 out of range: 99999999999999999999" + values},
      {"set D0 1 2 abc", "not a value for D2: abc" + values},
      {"set D0 0x-5", "not a value for D0: 0x-5" + values},
      {"set D0 0x", "not a value for D0: 0x" + values},
      {"set D0 1.5", "not a value for D0: 1.5" + values},
      {"set X0 2", "bit values are 0 or 1; X0 was given 2"},
      {"set X0 0x1", "bit values are 0 or 1; X0 was given 0x1"},
      {"set X7FF 1 1", "X800 is outside device memory"},
      {"set D6143 1 2", "D6144 is outside device memory"},
      {"load", "usage: load PROJECT"},
      {"save   ", "usage: save PROJECT"},
      {"fault", "usage: fault add RULE or fault clear"},
      {"fault add", "usage: fault add RULE or fault clear"},
      {"fault remove 1", "usage: fault add RULE or fault clear"},
      {"stats now", "usage: stats"},
      {"quit now", "usage: quit"},
      {"wait-change Y0", "usage: wait-change DEVICE TIMEOUT_MS"},
      {"wait-change Y0 -1", "TIMEOUT_MS must be a whole number from 0 to 3600000"},
      {"wait-change Y0 3600001", "TIMEOUT_MS must be a whole number from 0 to 3600000"},
      {"wait-change Q0 10", "unknown device: Q0"},
      {"wait-change D6144 10", "D6144 is outside device memory"},
  };
  for (const Case& c : cases) {
    const ControlInterpreter::Result r = interpreter.run(c.request, collect());
    EXPECT_EQ(r.answer, controlError(c.error)) << c.request;
    EXPECT_EQ(r.wait, 0u) << c.request;
    EXPECT_FALSE(r.quit) << c.request;
  }
  // Bytes that are not UTF-8 are echoed as replacement characters: the
  // answer stays valid JSON.
  EXPECT_EQ(run("get D\xff\xfe"), R"j({"ok":false,"error":"unknown device: D\ufffd\ufffd"})j");
  // A rule the injector refuses says why, and no rule is added.
  const std::string badRule = run("fault add drop,bogus=1");
  EXPECT_EQ(badRule.rfind(R"j({"ok":false,"error":"bad fault rule: )j", 0), 0u) << badRule;
  EXPECT_NE(badRule.find("bogus"), std::string::npos) << badRule;

  EXPECT_EQ(words(), before);
  EXPECT_TRUE(published.empty());
  EXPECT_TRUE(faults.rules().empty());
  EXPECT_TRUE(loads.empty());
  EXPECT_TRUE(saves.empty());
  EXPECT_EQ(interpreter.waiting(), 0u);
  EXPECT_TRUE(scheduler.idle());
}

TEST_F(Commands, LoadSaveStatsAndQuit) {
  EXPECT_EQ(run("save /tmp/line 3/a.bin"), R"j({"ok":true})j");
  EXPECT_EQ(run("load  /tmp/line 3/a.bin"), R"j({"ok":true})j");
  EXPECT_EQ(saves, std::vector<std::string>{"/tmp/line 3/a.bin"});  // blanks inside a path are kept
  EXPECT_EQ(loads, std::vector<std::string>{"/tmp/line 3/a.bin"});
  loadFails = "not a project file (no version header)";
  saveFails = "Permission denied";
  EXPECT_EQ(run("load x.bin"), R"j({"ok":false,"error":"cannot load x.bin: not a project file (no version header)"})j");
  EXPECT_EQ(run("save /ro/x.bin"), R"j({"ok":false,"error":"cannot save /ro/x.bin: Permission denied"})j");

  stats.request();
  stats.reply(2500, "06");
  EXPECT_EQ(run("stats"), "{\"ok\":true,\"stats\":{\"requests\":1,\"replies\":1,\"naks\":{\"06\":1},\"line_errors\":0,"
                          "\"faults\":0,\"latency_ms\":{\"count\":1,\"median\":2.500,\"p99\":2.500,\"max\":2.500}}}");

  const ControlInterpreter::Result quit = interpreter.run("quit");
  EXPECT_EQ(quit.answer, R"j({"ok":true})j");
  EXPECT_TRUE(quit.quit);
}

TEST_F(Commands, WaitChangeAnswersWhenTheValueDiffersNotOnOtherWrites) {
  const ControlInterpreter::Result r = interpreter.run("wait-change Y0 5000", collect());
  EXPECT_EQ(r.answer, "");
  EXPECT_NE(r.wait, 0u);
  EXPECT_EQ(interpreter.waiting(), 1u);

  // Another device, and Y0 written with the value it already has.
  EXPECT_EQ(run("set Y1 1"), R"j({"ok":true})j");
  EXPECT_EQ(run("set Y0 0"), R"j({"ok":true})j");
  scheduler.advance(1000);
  EXPECT_TRUE(answers.empty());

  // The PC program writes Y0 (device memory's writes, one publication).
  state.memory.writeBit(kY, 0, 0, true);
  state.memory.publish("All");
  // Not from inside the publication: whatever the asker does next must not
  // run in the middle of it.
  EXPECT_TRUE(answers.empty());
  scheduler.runDue();
  EXPECT_EQ(answers, std::vector<std::string>{R"j({"ok":true,"values":[1]})j"});
  EXPECT_EQ(interpreter.waiting(), 0u);
  // The time-out is gone with it.
  scheduler.advance(10000);
  EXPECT_EQ(answers.size(), 1u);
  EXPECT_TRUE(scheduler.idle());
}

TEST_F(Commands, WaitChangeTimesOutAndCanBeCancelled) {
  interpreter.run("wait-change Y0-Y1 250", collect());
  const ControlInterpreter::Result cancelled = interpreter.run("wait-change D5 250", collect());
  const ControlInterpreter::Result other = interpreter.run("wait-change D6 1000", collect());
  interpreter.cancel(cancelled.wait);
  EXPECT_EQ(interpreter.waiting(), 2u);
  scheduler.advance(249);
  EXPECT_TRUE(answers.empty());
  scheduler.advance(1);
  EXPECT_EQ(answers, std::vector<std::string>{
                         R"j({"ok":false,"error":"Y0-Y1 did not change within 250 ms","timeout":true})j"});
  // The cancelled one never answers, not even when its device changes;
  // the other one still waits and sees its own device only.
  run("set D5 1 2");
  scheduler.runDue();
  EXPECT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers.back(), R"j({"ok":true,"values":[2]})j");
  interpreter.cancel(other.wait);  // already answered: nothing happens
  EXPECT_EQ(interpreter.waiting(), 0u);
  EXPECT_TRUE(scheduler.idle());

  // A run of devices answers with all their values when any one changes.
  interpreter.run("wait-change W10-W12 1000", collect());
  run("set W11 0x10");
  scheduler.runDue();
  EXPECT_EQ(answers.back(), R"j({"ok":true,"values":[0,16,0]})j");
}

TEST_F(Commands, AWaitEndsWithAnErrorWhenItsDeviceIsGone) {
  interpreter.run("wait-change D6000 5000", collect());
  // A project with fewer D registers dimensions device memory anew.
  state.range7[kD].last = 999;
  state.subReDim_Device();
  state.memory.publish("All");
  scheduler.runDue();
  EXPECT_EQ(answers, std::vector<std::string>{R"j({"ok":false,"error":"D6000 is outside device memory"})j"});
  EXPECT_TRUE(scheduler.idle());
}

TEST(ControlJson, QuotedTextIsValidJsonAndReadsBack) {
  struct Case {
    std::string text, json;
  };
  const Case cases[] = {
      {"plain", R"("plain")"},
      {"a \"b\" \\c", R"("a \"b\" \\c")"},
      {"tab\tnl\ncr\r\x01", R"("tab\u0009nl\u000acr\u000d\u0001")"},
      {"局番 00 ポンプ", "\"局番 00 ポンプ\""},
      {"\xf0\x9f\x94\xa7", "\"\xf0\x9f\x94\xa7\""},
      {"\xff", R"("\ufffd")"},
      {"\xc0\xaf", R"("\ufffd\ufffd")"},           // an overlong slash
      {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},  // a surrogate
      {"ab\xe5\xb1", R"("ab\ufffd\ufffd")"},        // cut short at the end
  };
  for (const Case& c : cases) EXPECT_EQ(jsonQuoted(c.text), c.json) << c.text;

  for (const std::string text : {"plain", "a \"b\" \\c\n\t", "局番 00 ポンプ", ""}) {
    EXPECT_EQ(controlAnswerError(controlError(text)), text);
    EXPECT_FALSE(controlAnswerOk(controlError(text)));
  }
  EXPECT_TRUE(controlAnswerOk(R"j({"ok":true,"values":[1]})j"));
  EXPECT_EQ(controlAnswerError(R"j({"ok":true})j"), "");
}

TEST(ControlCommandLine, CtlTakesTheSocketAndEveryWordAfterIt) {
  using A = CommandLine::Action;
  CommandLine c = parseCommandLine({"ctl", "/tmp/o.sock", "set", "X0", "1", "--help"});
  EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Control));
  EXPECT_EQ(c.controlPath, "/tmp/o.sock");
  EXPECT_EQ(c.controlWords, (std::vector<std::string>{"set", "X0", "1", "--help"}));
  c = parseCommandLine({"ctl", "/tmp/o.sock"});
  EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Mistake));
  EXPECT_NE(c.error.find("ctl needs the socket and a command"), std::string::npos) << c.error;
  // A project file that happens to be called ctl still opens.
  c = parseCommandLine({"ctl"});
  EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Window));
  EXPECT_EQ(c.project, "ctl");
  EXPECT_EQ(static_cast<int>(parseCommandLine({"ctl", "--help"}).action), static_cast<int>(A::Help));
  c = parseCommandLine({"--serve", "pty:/tmp/x", "--control", "/tmp/o.sock"});
  EXPECT_EQ(static_cast<int>(c.action), static_cast<int>(A::Serve));
  EXPECT_EQ(c.serve.control, "/tmp/o.sock");
  EXPECT_EQ(static_cast<int>(parseCommandLine({"--serve", "pty:/tmp/x", "--control"}).action),
            static_cast<int>(A::Mistake));
}

}  // namespace
}  // namespace omb
