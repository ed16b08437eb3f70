// Several stations in the running program: the station the windows show is
// a choice of display only.  Generators, the recording and the control
// channel act on the stations they name, whichever is shown.
#include <gtest/gtest.h>

#include "app/app_core.h"
#include "app/control_commands.h"
#include "app/project_commands.h"
#include "core/trend.h"
#include "test_support.h"

namespace omb {
namespace {

class StationsService : public ::testing::Test {
 protected:
  StationsService() { test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini")); }
  std::unique_ptr<AppCore> start() {
    auto core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
    return core;
  }
  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
};

// The same scenario twice, once with the windows switched to station 01 in
// the middle of it: the recording, the control channel's answers and every
// station's memory come out the same.
TEST_F(StationsService, ShowingAnotherStationChangesNothingTheyTouch) {
  struct Run {
    std::string recording;
    std::vector<std::string> answers;
    std::int16_t d100First = 0, d100Second = 0, d200Second = 0, d5First = 0, d5Second = 0;
  };
  auto scenario = [&](bool switchShown) {
    auto core = start();
    EXPECT_TRUE(core->setStations({"00", "01"}));
    ProjectCommands project(*core);
    ManualScheduler scheduler(clock);
    ControlTargets targets = controlTargetsOf(*core, project);
    ControlInterpreter ctl(ControlTargets{targets.memory, scheduler, targets.faults, targets.stats, targets.load,
                                          targets.save, targets.stationMemory, targets.watchAll, targets.unwatchAll});
    Run r;
    std::vector<std::unique_ptr<ChangeRecorder>> recorders;
    for (const std::string& n : core->stations.numbers())
      recorders.push_back(std::make_unique<ChangeRecorder>(
          *core->memoryOf(n), clock, [&r](std::string_view rows) { r.recording += rows; },
          ChangeRecorder::Options{n, recorders.empty(), clock.steadyUs()}));
    std::string why;
    EXPECT_TRUE(core->generators.load("counter D100 period=100\ncounter D200 period=100 station=01\n",
                                      clock.steadyMs(), why, true))
        << why;
    for (int step = 1; step <= 4; ++step) {
      clock.advanceMs(100);
      core->generators.tick(clock.steadyMs());
      if (step == 2 && switchShown) {
        EXPECT_TRUE(core->showStation("01"));
      }
      r.answers.push_back(ctl.run("set D5 " + std::to_string(step)).answer);
      r.answers.push_back(ctl.run("get D100").answer);
      r.answers.push_back(ctl.run("get 01:D200").answer);
    }
    EXPECT_EQ(core->stations.shown(), switchShown ? "01" : "00");
    EXPECT_EQ(core->link.config.station, "00");
    r.d100First = core->state.memory.fncDeviceData(100, "D");
    r.d100Second = core->memoryOf("01")->fncDeviceData(100, "D");
    r.d200Second = core->memoryOf("01")->fncDeviceData(200, "D");
    r.d5First = core->state.memory.fncDeviceData(5, "D");
    r.d5Second = core->memoryOf("01")->fncDeviceData(5, "D");
    return r;
  };
  const Run plain = scenario(false), switched = scenario(true);
  // The generators wrote their own stations, the control channel the first.
  EXPECT_EQ(plain.d100First, 4);
  EXPECT_EQ(plain.d100Second, 0);
  EXPECT_EQ(plain.d200Second, 4);
  EXPECT_EQ(plain.d5First, 4);
  EXPECT_EQ(plain.d5Second, 0);
  EXPECT_NE(plain.recording.find("time_ms,station,device,value\n"), std::string::npos) << plain.recording;
  EXPECT_NE(plain.recording.find(",01,D200,4\n"), std::string::npos) << plain.recording;
  EXPECT_NE(plain.recording.find(",00,D5,4\n"), std::string::npos) << plain.recording;
  EXPECT_EQ(switched.recording, plain.recording);
  EXPECT_EQ(switched.answers, plain.answers);
  EXPECT_EQ(switched.d100First, plain.d100First);
  EXPECT_EQ(switched.d100Second, plain.d100Second);
  EXPECT_EQ(switched.d200Second, plain.d200Second);
  EXPECT_EQ(switched.d5First, plain.d5First);
  EXPECT_EQ(switched.d5Second, plain.d5Second);
}

// The windows follow the station shown: its memory's changes reach them,
// another station's do not; editing the list keeps each station's memory.
TEST_F(StationsService, TheWindowsHearTheStationShownAndListEditsKeepMemory) {
  auto core = start();
  std::vector<std::string> heard;
  core->subDspRenew = [&](const std::string& device, const std::string& code) { heard.push_back(device + code); };
  ASSERT_TRUE(core->setStations({"00", "01", "05"}));
  core->memoryOf("01")->subDeviceWrite(7, "D", 71);
  core->memoryOf("01")->publish("All");
  core->state.memory.subDeviceWrite(7, "D", 7);
  core->state.memory.publish("All");
  EXPECT_EQ(heard, std::vector<std::string>{"AllDATA"});  // the first station's only
  heard.clear();
  ASSERT_TRUE(core->showStation("01"));
  EXPECT_EQ(core->shownState->memory.fncDeviceData(7, "D"), 71);
  core->state.memory.publish("All");
  core->memoryOf("01")->publish("All");
  EXPECT_EQ(heard, (std::vector<std::string>{"AllDATA", "UniUsrDATA", "AllDATA"}));  // the switch, then 01's write
  EXPECT_FALSE(core->showStation("07"));

  // Reordered, one dropped, one added: 01 keeps 71 and stays shown.
  ASSERT_TRUE(core->setStations({"01", "00", "02"}));
  EXPECT_EQ(core->link.config.station, "01");
  EXPECT_EQ(core->memoryOf("01")->fncDeviceData(7, "D"), 71);
  EXPECT_EQ(core->memoryOf("00")->fncDeviceData(7, "D"), 7);
  EXPECT_EQ(core->memoryOf("02")->fncDeviceData(7, "D"), 0);
  EXPECT_EQ(core->memoryOf("05"), nullptr);
  EXPECT_EQ(core->stations.shown(), "01");
  EXPECT_EQ(core->shownState, &core->state);  // 01 is the first station now
}

}  // namespace
}  // namespace omb
