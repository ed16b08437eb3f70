// Several stations on one line: each answers its own frames from its own
// memory; a number no station has draws silence; choosing the station shown
// moves nothing, and editing the list keeps each station's memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "link/stations.h"
#include "link_harness.h"

namespace omb {
namespace {

const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK);

class Stations : public ::testing::Test {
 protected:
  Stations() {
    h.engine.route = [this](std::string_view frame) { return set.route(frame); };
    set.configure({"00", "01", "05"});
  }
  std::int16_t d(SystemState& s, int n) { return s.memory.fncDeviceData(n, "D"); }

  test::LinkHarness h;
  StationSet set{h.ctx};
};

TEST_F(Stations, EachStationsWritesLandInItsOwnMemoryOnly) {
  SystemState& s1 = *set.stateOf("01");
  SystemState& s5 = *set.stateOf("05");
  EXPECT_EQ(h.exchange(E + "00FFWW0D0100010011"), A + "00FF");
  EXPECT_EQ(h.exchange(E + "01FFWW0D0100010022"), A + "01FF");
  EXPECT_EQ(h.exchange(E + "05FFWW0D0100010055"), A + "05FF");
  EXPECT_EQ(h.exchange(E + "05FFBW0M000001" "1"), A + "05FF");
  EXPECT_EQ(d(h.state, 100), 0x11);
  EXPECT_EQ(d(s1, 100), 0x22);
  EXPECT_EQ(d(s5, 100), 0x55);
  EXPECT_TRUE(s5.memory.fncBit(0, "M"));
  EXPECT_FALSE(h.state.memory.fncBit(0, "M"));
  EXPECT_FALSE(s1.memory.fncBit(0, "M"));
  // Reads come from the station addressed, with its number in the reply.
  EXPECT_EQ(h.exchange(E + "01FFWR0D010001"), S + "01FF0022" + X);
  EXPECT_EQ(h.exchange(E + "05FFWR0D010001"), S + "05FF0055" + X);
  // A station the line does not carry: silence, and nothing written
  // anywhere; the report names every station served.
  h.settings.chkLogDsp = true;
  h.log.entries.clear();
  EXPECT_EQ(h.exchange(E + "02FFWW0D0100010099"), "");
  bool named = false;
  for (const auto& e : h.log.entries) named = named || e.kind.find("00,01,05 <> 02") != std::string::npos;
  EXPECT_TRUE(named);
  EXPECT_EQ(d(h.state, 100), 0x11);
  EXPECT_EQ(d(s1, 100), 0x22);
  EXPECT_EQ(d(s5, 100), 0x55);
  // Only the station in front tells the windows.
  std::size_t own = 0;
  for (const auto& r : h.renews) own += r.second == "DATA";
  EXPECT_EQ(own, 1u);
}

TEST_F(Stations, MonitorListsAreEachStationsOwn) {
  EXPECT_EQ(h.exchange(E + "01FFWM001D0100"), A + "01FF");
  EXPECT_EQ(set.listsOf("01")->MoniWordList[0].deviceText, "D0100");
  EXPECT_EQ(h.lists.MoniWordList[0].deviceText, "");
  h.state.memory.subDeviceWrite(100, "D", 7);
  set.stateOf("01")->memory.subDeviceWrite(100, "D", 9);
  EXPECT_EQ(h.exchange(E + "01FFMN0"), S + "01FF0009" + X);
}

TEST_F(Stations, TheLinesSettingsApplyToEveryStation) {
  h.setFormat(3);
  EXPECT_EQ(h.exchange(S + "01FFWW0D0100010022" + X), S + "01FFGG" + X);
  h.setFormat(1);
  h.settings.config.pcNo = "FE";
  EXPECT_EQ(h.exchange(E + "01FEWR0D010001"), S + "01FE0022" + X);
}

TEST_F(Stations, ShowingAStationMovesNothing) {
  h.exchange(E + "00FFWW0D0100010011");
  h.exchange(E + "01FFWW0D0100010022");
  ASSERT_TRUE(set.show("01"));
  EXPECT_EQ(set.shown(), "01");
  EXPECT_EQ(set.stateOf(set.shown()), set.stateOf("01"));
  EXPECT_EQ(h.settings.config.station, "00");
  EXPECT_EQ(d(h.state, 100), 0x11);
  EXPECT_EQ(set.numbers(), (std::vector<std::string>{"00", "01", "05"}));
  EXPECT_EQ(h.exchange(E + "00FFWR0D010001"), S + "00FF0011" + X);
  EXPECT_EQ(h.exchange(E + "01FFWR0D010001"), S + "01FF0022" + X);
  EXPECT_FALSE(set.show("07"));
  EXPECT_EQ(set.shown(), "01");
  ASSERT_TRUE(set.show("00"));
  EXPECT_EQ(set.stateOf(set.shown()), &h.state);
}

// Whatever the edit, a station that stays in the list keeps its memory and
// lists, and the line answers it by its number.
TEST_F(Stations, EditingTheListKeepsTheMemoryOfEveryStationThatStays) {
  struct Case {
    std::vector<std::string> list;
    bool frontChanged;
  };
  for (const Case& c : {Case{{"00", "05", "01"}, false}, Case{{"00", "01"}, false}, Case{{"00", "01", "05", "07"}, false},
                        Case{{"01", "00", "05"}, true}, Case{{"05", "01"}, true}, Case{{"02", "00", "01", "05"}, true}}) {
    SCOPED_TRACE(c.list.front() + " first, " + std::to_string(c.list.size()) + " stations");
    set.configure({"00", "01", "05"});
    h.state.memory.subReDim_Device(h.state.range7);  // a fresh start for each case
    h.lists = LinkLists{};
    for (const char* n : {"01", "05"}) set.stateOf(n)->memory.subReDim_Device(h.state.range7);
    for (const char* n : {"01", "05"}) *set.listsOf(n) = LinkLists{};
    h.exchange(E + "00FFWW0D0100010011");
    h.exchange(E + "01FFWW0D0100010022");
    h.exchange(E + "05FFWW0D0100010055");
    h.exchange(E + "01FFWM001D0100");
    ASSERT_TRUE(set.show("01"));

    EXPECT_EQ(set.configure(c.list), c.frontChanged);
    EXPECT_EQ(set.numbers(), c.list);
    EXPECT_EQ(h.settings.config.station, c.list.front());
    const std::map<std::string, int> before{{"00", 0x11}, {"01", 0x22}, {"05", 0x55}};
    for (const std::string& n : c.list) {
      const auto it = before.find(n);
      const int want = it == before.end() ? 0 : it->second;
      ASSERT_NE(set.stateOf(n), nullptr) << n;
      EXPECT_EQ(d(*set.stateOf(n), 100), want) << n;
      char hex[5];
      std::snprintf(hex, sizeof hex, "%04X", want);
      EXPECT_EQ(h.exchange(E + n + "FFWR0D010001"), S + n + "FF" + hex + X) << n;
      EXPECT_EQ(set.listsOf(n)->MoniWordList[0].deviceText, n == "01" ? "D0100" : "") << n;
    }
    // The station shown stays shown while it is served.
    EXPECT_EQ(set.shown(), std::find(c.list.begin(), c.list.end(), "01") != c.list.end() ? "01" : c.list.front());
  }
}

TEST(StationNumbers, ListsAreReadAndMistakesNamed) {
  std::string error;
  EXPECT_EQ(StationSet::parseNumbers("00,01,1F", error), (std::vector<std::string>{"00", "01", "1F"}));
  EXPECT_EQ(StationSet::parseNumbers(" 00  05 ", error), (std::vector<std::string>{"00", "05"}));
  struct Case {
    const char* text;
    const char* says;
  };
  for (const Case& c : {Case{"", "指定されていません"}, Case{"00,0", "\"0\""}, Case{"00,1f", "\"1f\""},
                        Case{"00,100", "\"100\""}, Case{"01,02,01", "重複"}}) {
    SCOPED_TRACE(c.text);
    EXPECT_FALSE(StationSet::parseNumbers(c.text, error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace omb
