// The --record file when the disk fills: rows are lost and counted, not the
// recording; the next change set writes again, after a line that marks the
// gap.  And what a project load or ALL Clear changes is recorded like any
// other change.
#include "app/record_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>

#include "app/project_commands.h"
#include "core/device_kind.h"
#include "core/trend.h"
#include "test_support.h"

namespace omb {
namespace {

// A disk that fails the writes it is told to, takes a few bytes of one when
// told so, and keeps what it took.
struct Disk {
  std::string file;
  std::deque<int> plan;  // per write: -1 take all, 0 fail with ENOSPC, n > 0 take n bytes then fail the next
  ssize_t write(const char* data, std::size_t size) {
    int step = plan.empty() ? -1 : plan.front();
    if (!plan.empty()) plan.pop_front();
    if (step == 0) {
      errno = ENOSPC;
      return -1;
    }
    const std::size_t n = step < 0 ? size : std::min(size, static_cast<std::size_t>(step));
    file.append(data, n);
    return static_cast<ssize_t>(n);
  }
};

TEST(RecordFile, ADiskThatFillsLosesRowsNotTheRecordingAndTheGapIsMarked) {
  Disk disk;
  RecordFile record([&](const char* d, std::size_t n) { return disk.write(d, n); });
  std::vector<int> trouble;
  record.onTrouble = [&](int e) { trouble.push_back(e); };

  record.append("time_ms,device,value\n");
  record.append("1.000,D0,1\n");
  disk.plan = {5, 0};  // a short write, then the disk is full
  record.append("2.000,D0,2\n2.000,D1,7\n");
  disk.plan = {0};
  record.append("3.000,D0,3\n");
  EXPECT_EQ(record.lostRows(), 3u);
  EXPECT_EQ(trouble, (std::vector<int>{ENOSPC}));  // told once

  // Room again: the gap is marked (ending the cut line first), then the rows.
  record.append("4.000,D0,4\n");
  EXPECT_EQ(disk.file,
            "time_ms,device,value\n"
            "1.000,D0,1\n"
            "2.000\n"
            "# gap: 3 rows lost from 2.000 to 3.000 ms\n"
            "4.000,D0,4\n");
  EXPECT_EQ(trouble, (std::vector<int>{ENOSPC, 0}));
  EXPECT_EQ(record.lostRows(), 3u);

  // A second episode is told again and counted on top.
  disk.plan = {0};
  record.append("5.000,D0,5\n");
  record.append("6.000,D0,6\n");
  EXPECT_EQ(record.lostRows(), 4u);
  EXPECT_NE(disk.file.find("4.000,D0,4\n# gap: 1 rows lost from 5.000 to 5.000 ms\n6.000,D0,6\n"), std::string::npos)
      << disk.file;
  EXPECT_EQ(trouble, (std::vector<int>{ENOSPC, 0, ENOSPC, 0}));
}

class Recording : public ::testing::Test {
 protected:
  Recording() {
    test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    core = std::make_unique<AppCore>(presenter, clock, dir.str() + "/");
    EXPECT_TRUE(core->startUp());
    project = std::make_unique<ProjectCommands>(*core);
  }
  void startRecording() {
    recorder = std::make_unique<ChangeRecorder>(core->state.memory, clock, [this](std::string_view rows) { csv += rows; });
  }
  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
  std::unique_ptr<AppCore> core;
  std::unique_ptr<ProjectCommands> project;
  std::unique_ptr<ChangeRecorder> recorder;
  std::string csv;
};

TEST_F(Recording, AProjectLoadIsRecordedLikeAnyOtherChange) {
  DeviceMemory& m = core->state.memory;
  m.write(kD, 5, 11);  // the project keeps D5=11, D6=0
  m.publish("All");
  const std::string file = dir.file("p.bin");
  ASSERT_FALSE(project->subFile_put(file));
  m.write(kD, 5, 0);
  m.write(kD, 6, 22);
  m.write(kD, 7, 33);
  m.publish("All");
  startRecording();
  ProjectRead read = project->fncFile_get(file);
  ASSERT_TRUE(read.image) << read.error;
  project->applyStationPart(*read.image);
  EXPECT_NE(csv.find(",D5,11\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",D6,0\n"), std::string::npos) << csv;  // back to 0: a change too
  EXPECT_NE(csv.find(",D7,0\n"), std::string::npos) << csv;
  EXPECT_EQ(recorder->rows(), 3u) << csv;
}

TEST_F(Recording, AllClearIsRecordedLikeAnyOtherChange) {
  DeviceMemory& m = core->state.memory;
  m.write(kW, 3, 9);
  m.publish("W");
  startRecording();
  m.fill(kW, 0, static_cast<std::int64_t>(m.size(kW)) - 1, 0);  // what ALL Clear does
  m.publish("W");
  EXPECT_EQ(recorder->rows(), 1u) << csv;
  EXPECT_NE(csv.find(",W3,0\n"), std::string::npos) << csv;
}

}  // namespace
}  // namespace omb
