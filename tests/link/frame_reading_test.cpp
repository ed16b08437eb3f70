// Requests built from words, replies delimited and frames read out.
#include <gtest/gtest.h>

#include "link/frame_reading.h"
#include "link/framing.h"
#include "link_harness.h"

namespace omb {
namespace {

const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK), N(1, NAK), NL = "\r\n";

LinkConfig configOf(int format, bool sum) {
  LinkConfig c;
  c.format = static_cast<Format>(format);
  c.sum = sum ? CheckState::Checked : CheckState::Unchecked;
  return c;
}

TEST(BuildRequest, WritesEveryCommandClassInEveryFormat) {
  struct Case {
    int format;
    bool sum;
    std::vector<std::string> words;
    std::string frame;
  };
  const Case cases[] = {
      {1, false, {"BR", "X40", "5"}, E + "00FFBR0X004005"},
      {1, false, {"wr", "d0", "2"}, E + "00FFWR0D000002"},
      {1, false, {"WW", "D0", "0x1234", "43981"}, E + "00FFWW0D0000021234ABCD"},
      {1, false, {"BW", "M0", "1", "0", "1"}, E + "00FFBW0M000003101"},
      {1, false, {"BT", "X40", "1", "Y41", "0"}, E + "00FFBT002X00401Y00410"},
      {1, false, {"WT", "D0", "-1"}, E + "00FFWT001D0000FFFF"},
      {1, false, {"WM", "D0", "X10"}, E + "00FFWM002D0000X0010"},
      {1, false, {"MN"}, E + "00FFMN0"},
      {1, false, {"JR", "X40", "5"}, E + "00FFJR0X00004005"},
      {1, false, {"BR", "X0", "256"}, E + "00FFBR0X000000"},
      {1, true, {"WW", "D0", "0x1234"}, E + "00FFWW0D0000011234F9"},
      {1, true, {"WR", "D0"}, E + "00FFWR0D0000012A"},
      {2, false, {"WR", "D0"}, E + "3300FFWR0D000001"},
      {3, true, {"WW", "D0", "0x1234"}, S + "00FFWW0D0000011234" + X + "FC"},
      {3, true, {"WR", "D0"}, S + "00FFWR0D000001" + X + "2D"},
      {4, false, {"WR", "D0"}, E + "00FFWR0D000001" + NL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    RequestOptions o;
    o.config = configOf(c.format, c.sum);
    o.blockNo = "33";
    std::string error;
    const auto frame = buildRequest(c.words, o, error);
    ASSERT_TRUE(frame) << error;
    EXPECT_EQ(*frame, c.frame);
  }
  // Station, PC number and message wait go where the format puts them.
  RequestOptions o;
  o.config.station = "1F";
  o.config.pcNo = "0A";
  o.messageWait = 12;
  std::string error;
  EXPECT_EQ(buildRequest({"MB"}, o, error), E + "1F0AMBC");
}

TEST(BuildRequest, RefusesWordsThatMakeNoRequest) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"XX", "D0"},              // no such command
      {"WR"},                    // no device
      {"WR", "Q0"},              // no such device
      {"WR", "D99999"},          // does not fit five characters
      {"WR", "D0", "257"},       // too many points
      {"WR", "D0", "0"},
      {"BW", "M0", "2"},         // a bit is 0 or 1
      {"WW", "D0", "65536"},     // beyond a word
      {"WW", "D0", "0x-1"},
      {"BT", "X40", "1", "Y41"}, // a device without its value
      {"MN", "D0"},              // takes nothing
      {"WM"},
  };
  for (const auto& words : bad) {
    std::string joined;
    for (const auto& w : words) joined += w + " ";
    SCOPED_TRACE(joined);
    std::string error;
    EXPECT_FALSE(buildRequest(words, RequestOptions{}, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ReplyLength, FindsTheEndOfEachReplyKind) {
  struct Case {
    int format;
    bool sum;
    std::string bytes;
    std::optional<std::size_t> length;
  };
  const Case cases[] = {
      {1, false, S + "00FF1234" + X, 10},
      {1, false, S + "00FF1234", std::nullopt},
      {1, true, S + "00FF1234" + X + "B9", 12},
      {1, true, S + "00FF1234" + X + "B", std::nullopt},
      {1, false, A + "00FF", 5},
      {1, false, A + "00F", std::nullopt},
      {1, false, N + "00FF06", 7},
      {1, false, "xy" + A + "00FF" + A, 7},  // what comes before a start character is skipped
      {2, false, A + "3300FF", 7},
      {3, true, S + "00FFGG" + X, 8},        // an acknowledgement carries no sum
      {3, true, S + "00FFNN06" + X, 10},
      {3, true, S + "00FF1234" + X + "B9", 12},
      {4, false, A + "00FF" + NL, 7},
      {4, true, S + "00FF1234" + X + "B9" + NL, 14},
      {4, true, S + "00FF1234" + X + "B9", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(renderFrame(c.bytes).replaced);
    EXPECT_EQ(replyLength(c.bytes, configOf(c.format, c.sum)), c.length);
  }
}

TEST(FrameReader, ReadsRequestsAndRepliesAsATable) {
  struct Case {
    int format;
    std::string request, reply;
    std::string requestReading, replyReading;
  };
  const Case cases[] = {
      {1, E + "00FFWR0D010004", S + "00FF0001000200030004" + X, "WR D0100 ×4", "WR D0100 ×4 → 0001 0002 0003 0004"},
      {1, E + "00FFBR0X004005", S + "00FF10101" + X, "BR X0040 ×5", "BR X0040 ×5 → 1 0 1 0 1"},
      {1, E + "00FFWR0X001002", S + "00FF8001FFFF" + X, "WR X0010 ×2", "WR X0010 ×2 → 8001 FFFF"},
      {1, E + "00FFBR0D000002", N + "00FF06", "BR D0000 ×2", "NAK 06 (範囲外)"},
      {1, E + "00FFWW0D0000021234ABCD", A + "00FF", "WW D0000 ×2 ← 1234 ABCD", "ACK"},
      {1, E + "00FFBW0M000003101", A + "00FF", "BW M0000 ×3 ← 1 0 1", "ACK"},
      {1, E + "00FFBT003X00401Y00410M00001", A + "00FF", "BT 登録 3 点", "ACK"},
      {1, E + "00FFWM002D0000X0010", A + "00FF", "WM 登録 2 点", "ACK"},
      {1, E + "00FFMN0", S + "00FF00058001" + X, "MN", "MN → 0005 8001"},
      {1, E + "00FFMB0", S + "00FF" + X, "MB", "MB →"},
      {1, E + "00FFJR0X00004005", S + "00FF00000" + X, "JR X000040 ×5", "JR X000040 ×5 → 0 0 0 0 0"},
      {1, E + "00FFZZ0", N + "00FF10", "ZZ (不明なコマンド)", "NAK 10 (PC番号違い)"},
      {1, E + "00FFWR0D000001", N + "00FF99", "WR D0000 ×1", "NAK 99"},
      {2, E + "3300FFWR0D000001", S + "3300FF1234" + X, "WR D0000 ×1", "WR D0000 ×1 → 1234"},
      {3, S + "00FFWR0D000001" + X + "2D", S + "00FF1234" + X + "B9", "WR D0000 ×1", "WR D0000 ×1 → 1234"},
      {3, S + "00FFWW0D0000011234" + X + "FC", S + "00FFGG" + X, "WW D0000 ×1 ← 1234", "ACK"},
      {3, S + "00FFWR0D0000" + X, S + "00FFNN06" + X, "WR D0000 ×256", "NAK 06 (範囲外)"},
      {4, E + "00FFWR0D000001" + NL, S + "00FF1234" + X + NL, "WR D0000 ×1", "WR D0000 ×1 → 1234"},
      {1, A + "00FF", "", "PC 応答 ACK", ""},
      {1, E, "", "(解読できません)", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(renderFrame(c.request).replaced);
    FrameReader reader;
    const LinkConfig config = configOf(c.format, c.format == 3);
    EXPECT_EQ(reader.reading(true, c.request, config), c.requestReading);
    if (!c.reply.empty()) {
      EXPECT_EQ(reader.reading(false, c.reply, config), c.replyReading);
    }
  }
  // A reply whose request was not seen still shows its data.
  FrameReader fresh;
  EXPECT_EQ(fresh.reading(false, S + "00FF1234" + X, configOf(1, false)), "→ 1234");
  // The PC program's answer to a data reply does not change what the next
  // reply is read against.
  FrameReader reader;
  const LinkConfig c = configOf(1, false);
  reader.read(true, E + "00FFWR0D000001", c);
  reader.read(true, A + "00FF", c);
  EXPECT_EQ(reader.reading(false, S + "00FF0007" + X, c), "WR D0000 ×1 → 0007");
}

// Whatever the builder writes, the processor answers as a PC program's
// request, and the reader reads the answer with the builder's request.
TEST(BuildRequest, EveryCommandIsAnsweredPositivelyByTheProcessor) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"WW", "D100", "1", "2"}, "ACK"},
      {{"WR", "D100", "2"}, "WR D0100 ×2 → 0001 0002"},
      {{"BW", "M0", "1", "0", "1"}, "ACK"},
      {{"BR", "M0", "3"}, "BR M0000 ×3 → 1 0 1"},
      {{"WT", "D5", "0x7F", "W10", "3"}, "ACK"},
      {{"WR", "D5"}, "WR D0005 ×1 → 007F"},
      {{"BT", "X40", "1", "Y41", "0"}, "ACK"},
      {{"BR", "X40"}, "BR X0040 ×1 → 1"},
      {{"WM", "D100", "X40"}, "ACK"},
      {{"MN"}, "MN → 0001 0001"},
      {{"BM", "M0", "M1"}, "ACK"},
      {{"MB"}, "MB → 1 0"},
  };
  for (int format = 1; format <= 4; ++format) {
    test::LinkHarness h;
    h.settings.config = configOf(format, true);
    FrameReader reader;
    for (const auto& [words, reading] : cases) {
      SCOPED_TRACE("format " + std::to_string(format) + ": " + words[0]);
      RequestOptions o;
      o.config = h.settings.config;
      std::string error;
      const auto request = buildRequest(words, o, error);
      ASSERT_TRUE(request) << error;
      const std::string reply = h.exchange(*request);
      EXPECT_EQ(replyLength(reply, h.settings.config), reply.size());
      reader.read(true, *request, h.settings.config);
      EXPECT_EQ(reader.reading(false, reply, h.settings.config), reading);
    }
  }
}

}  // namespace
}  // namespace omb
