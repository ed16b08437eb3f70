// Device values as CSV and JSON: round trips, the lines named when one is
// bad (and nothing written then), and the control channel's export/import.
#include "app/device_values.h"

#include <gtest/gtest.h>

#include "app/control_commands.h"
#include "core/atomic_file.h"
#include "core/system_state.h"
#include "test_support.h"

namespace omb {
namespace {

struct DeviceValues : ::testing::Test {
  DeviceValues() {
    for (SystemState* s : {&state, &other}) {
      subSetOldVersionRanges(s->range5, s->range7);
      s->subReDim_Device();
    }
    other.memory.subscribe([this](const ChangeNotice& n) { published.push_back(std::string(n.device)); });
  }
  // A memory with a value in every kind of place: words negative and
  // large, bits at both ends of a word, special registers and relays.
  void fill(DeviceMemory& m) {
    m.writeDevice(kD, 100, 1234);
    m.writeDevice(kD, 101, 0xFFFF);
    m.writeDevice(kD, 9000, 5);
    m.writeDevice(kW, 0x1A, 0x8000);
    m.writeDevice(kTN, 3, 42);
    m.writeDevice(kX, 0x1F, 1);
    m.writeDevice(kY, 0x10, 1);
    m.writeDevice(kM, 9001, 1);
    m.writeDevice(kTC, 7, 1);
  }
  test::RecordingErrorSink errors;
  SystemState state{errors}, other{errors};
  std::vector<std::string> published;
  test::TempDir dir;
};

TEST_F(DeviceValues, RoundTripInBothFormatsRestoresEveryWord) {
  fill(state.memory);
  for (ValuesFormat format : {ValuesFormat::Csv, ValuesFormat::Json}) {
    SCOPED_TRACE(format == ValuesFormat::Csv ? "CSV" : "JSON");
    other.memory.subReDim_Device(other.range7);
    const std::string text = exportValues(state.memory, format);
    ASSERT_EQ(importValues(other.memory, text, format), std::nullopt) << text;
    for (int k = 0; k < kKindCount; ++k) EXPECT_EQ(other.memory.words(k), state.memory.words(k)) << k;
  }
  // What a spreadsheet reads: the header and one line a device, words signed.
  const std::string csv = exportValues(state.memory, ValuesFormat::Csv);
  EXPECT_EQ(csv.rfind("device,value\nTN3,42\nD100,1234\nD101,-1\n", 0), 0u) << csv;
  EXPECT_NE(csv.find("\nD9000,5\n"), std::string::npos);
  EXPECT_NE(csv.find("\nX1F,1\nY10,1\n"), std::string::npos);
  EXPECT_NE(csv.find("\nM9001,1\n"), std::string::npos);
}

TEST_F(DeviceValues, AFixtureWrittenByHandIsReadAndPublishedOnce) {
  other.memory.writeDevice(kD, 5, 9);  // not named: kept
  const std::string csv = "# fixture\r\ndevice,value\r\nd100, 0x10\r\n\r\nX1F,1\r\nD101,-2\r\n";
  ASSERT_EQ(importValues(other.memory, csv, ValuesFormat::Csv), std::nullopt);
  EXPECT_EQ(other.memory.deviceValue(kD, 100), 16);
  EXPECT_EQ(other.memory.deviceValue(kX, 0x1F), 1);
  EXPECT_EQ(other.memory.deviceValue(kD, 101), 0xFFFE);
  EXPECT_EQ(other.memory.deviceValue(kD, 5), 9);
  EXPECT_EQ(published, std::vector<std::string>{"All"});
  ASSERT_EQ(importValues(other.memory, "{\n \"D100\": 7,\n \"M9000\": 1\n}", ValuesFormat::Json), std::nullopt);
  EXPECT_EQ(other.memory.deviceValue(kD, 100), 7);
  EXPECT_EQ(other.memory.deviceValue(kM, 9000), 1);
}

TEST_F(DeviceValues, ABadLineIsNamedAndNothingIsWritten) {
  struct Case {
    ValuesFormat format;
    std::string text, named;
  };
  const Case cases[] = {
      {ValuesFormat::Csv, "D0,1\nD1,2\nQ5,3\n", "3 行目: "},
      {ValuesFormat::Csv, "D0,1\nD99999,2\n", "2 行目: D99999"},
      {ValuesFormat::Csv, "D0,1\nX0,2\n", "2 行目: "},
      {ValuesFormat::Csv, "D0,1\nD1,70000\n", "2 行目: "},
      {ValuesFormat::Csv, "D0,1\nD1\n", "2 行目: "},
      {ValuesFormat::Csv, "D0,1\nD1,2,3\n", "2 行目: "},
      {ValuesFormat::Csv, "D0,1\nD1,abc\n", "2 行目: "},
      {ValuesFormat::Json, "{\"D0\":1,\n\"X0\":5}", "2 行目: "},
      {ValuesFormat::Json, "{\"D0\":1,\n\n\"D1\" 5}", "3 行目: "},
      {ValuesFormat::Json, "{\"D0\":1", "1 行目: "},
      {ValuesFormat::Json, "[1]", "1 行目: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    published.clear();
    const auto failed = importValues(other.memory, c.text, c.format);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->rfind(c.named, 0), 0u) << *failed;
    EXPECT_EQ(other.memory.deviceValue(kD, 0), 0);  // the good line before it was not written
    EXPECT_TRUE(published.empty());
  }
}

TEST_F(DeviceValues, TheControlChannelExportsAndImportsFiles) {
  fill(state.memory);
  ManualClock clock;
  ManualScheduler scheduler{clock};
  FaultInjector faults;
  LinkStats stats;
  ControlInterpreter first{ControlTargets{state.memory, scheduler, faults, stats, {}, {}, {}, {}, {}}};
  ControlInterpreter second{ControlTargets{other.memory, scheduler, faults, stats, {}, {}, {}, {}, {}}};
  for (const char* name : {"v.csv", "v.JSON"}) {
    const std::string path = dir.file(name);
    EXPECT_EQ(first.run("export " + path).answer, "{\"ok\":true}");
    other.memory.subReDim_Device(other.range7);
    EXPECT_EQ(second.run("import " + path).answer, "{\"ok\":true}");
    EXPECT_EQ(other.memory.words(kD), state.memory.words(kD));
    EXPECT_EQ(other.memory.words(kX), state.memory.words(kX));
  }
  std::string text;
  int err = 0;
  ASSERT_TRUE(readWholeFile(dir.file("v.JSON"), text, err));
  EXPECT_EQ(text.rfind("{\n\"TN3\":42,\n", 0), 0u) << text;
  // A bad file is named with its line; the usage without a file.
  ASSERT_TRUE(writeFileAtomically(dir.file("bad.csv"), "D0,1\nD1,x\n") == std::nullopt);
  const std::string answer = second.run("import " + dir.file("bad.csv")).answer;
  EXPECT_FALSE(controlAnswerOk(answer));
  EXPECT_NE(controlAnswerError(answer).find("bad.csv: 2 行目: "), std::string::npos) << answer;
  EXPECT_EQ(second.run("export").answer, controlError("usage: export FILE"));
}

}  // namespace
}  // namespace omb
