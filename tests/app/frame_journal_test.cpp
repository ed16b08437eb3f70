// The traffic as JSON lines: the fields of each frame, and the lines read
// back for replay.
#include "app/frame_journal.h"

#include <gtest/gtest.h>

#include <regex>

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), N(1, 0x15);

TEST(FrameJournal, EveryFrameIsOneObjectWithItsFields) {
  LinkConfig config;
  config.sum = CheckState::Unchecked;
  // 2026-12-11 10:52:53.123 local time
  std::tm t{};
  t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 11, t.tm_hour = 10, t.tm_min = 52, t.tm_sec = 53, t.tm_isdst = -1;
  const std::int64_t wall = static_cast<std::int64_t>(std::mktime(&t)) * 1000 + 123;
  FrameJournal journal(config, [wall] { return wall; });
  std::vector<std::string> lines;
  journal.addOutput([&](std::string_view l) { lines.emplace_back(l); });

  journal.frame({true, E + "00FFWR0D010002", 1500000, -1});
  journal.frame({false, S + "00FF00070008" + X, 1502250, 2250});
  config.format = Format::F4;  // read afresh for every frame
  journal.frame({true, E + "00FFBR0D000001\r\n", 2000000, -1});
  journal.frame({false, N + "00FF06\r\n", 2000500, 500});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "{\"time\":\"2026-12-11T10:52:53.123\",\"mono_ms\":1500.000,\"direction\":\"pc>plc\",\"format\":1,"
            "\"sum\":false,\"station\":\"00\",\"pc\":\"FF\",\"command\":\"WR\",\"device\":\"D0100\",\"points\":2,"
            "\"bytes\":\"053030464657523044303130303032\",\"reply\":null,\"nak\":null,\"latency_ms\":null,"
            "\"reading\":\"WR D0100 ×2\"}\n");
  EXPECT_EQ(lines[1],
            "{\"time\":\"2026-12-11T10:52:53.123\",\"mono_ms\":1502.250,\"direction\":\"plc>pc\",\"format\":1,"
            "\"sum\":false,\"station\":\"00\",\"pc\":\"FF\",\"command\":\"WR\",\"device\":\"D0100\",\"points\":2,"
            "\"bytes\":\"0230304646303030373030303803\",\"reply\":\"data\",\"nak\":null,\"latency_ms\":2.250,"
            "\"reading\":\"WR D0100 ×2 → 0007 0008\"}\n");
  EXPECT_NE(lines[2].find("\"format\":4,"), std::string::npos);
  EXPECT_NE(lines[3].find("\"reply\":\"nak\",\"nak\":\"06\",\"latency_ms\":0.500,\"reading\":\"NAK 06 (範囲外)\""),
            std::string::npos)
      << lines[3];
}

TEST(FrameJournal, LinesReadBackAsWritten) {
  LinkConfig config;
  config.format = Format::F3;
  config.sum = CheckState::Checked;
  FrameJournal journal(config, [] { return std::int64_t{0}; });
  const std::string request = S + "00FFWR0D000001" + X + "2D";
  std::string error;
  const auto e = parseJournalLine(journal.line({true, request, 1234567, -1}), error);
  ASSERT_TRUE(e) << error;
  EXPECT_TRUE(e->fromPc);
  EXPECT_EQ(e->bytes, request);
  EXPECT_DOUBLE_EQ(e->monoMs, 1234.567);
  EXPECT_EQ(e->format, 3);
  EXPECT_TRUE(e->sum);
  const auto reply = parseJournalLine(journal.line({false, S + "00FF0001" + X + "B0", 1240000, 5433}), error);
  ASSERT_TRUE(reply) << error;
  EXPECT_FALSE(reply->fromPc);

  for (const char* bad : {"", "not json", "{\"direction\":\"up\",\"bytes\":\"05\",\"mono_ms\":1}",
                          "{\"direction\":\"pc>plc\",\"bytes\":\"0\",\"mono_ms\":1}",
                          "{\"direction\":\"pc>plc\",\"bytes\":\"0G\",\"mono_ms\":1}",
                          "{\"direction\":\"pc>plc\",\"bytes\":\"05\",\"mono_ms\":x}",
                          "{\"direction\":\"pc>plc\",\"bytes\":\"05\",\"mono_ms\":1,\"format\":7}"}) {
    SCOPED_TRACE(bad);
    error.clear();
    EXPECT_FALSE(parseJournalLine(bad, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace omb
