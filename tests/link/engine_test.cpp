// Framing, timing, logging, execution effects and the question boxes.
#include <gtest/gtest.h>

#include "core/cp932.h"
#include "link_harness.h"

namespace omb {
namespace {

const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK), N(1, NAK), NL = "\r\n";

class Engine : public ::testing::Test {
 protected:
  test::LinkHarness h;
  std::vector<std::string> kinds() const {
    std::vector<std::string> k;
    for (const auto& e : h.log.entries) k.push_back(e.kind);
    return k;
  }
};

// A frame ends after one wait of silence after its last byte; its reply goes
// out the request's message wait (its digit times 10 ms) later. Error replies
// wait too, but a character error is answered at once.
TEST_F(Engine, AFrameEndsAfterOneSilentWaitAndIsAnsweredAfterTheMessageWait) {
  struct Case {
    const char* name;
    int waitMs;
    std::string request;
    int dueMs;  // from the last byte to the reply
    std::string reply;
  };
  const Case cases[] = {
      {"message wait 0", 20, E + "00FFWR0D000001", 20, S + "00FF0000" + X},
      {"message wait 5: 50 ms more", 20, E + "00FFWR5D000001", 20 + 50, S + "00FF0000" + X},
      {"PC number error, message wait F: 150 ms more", 10, E + "00FEWRFD000001", 10 + 150, N + "00FF10"},
      {"character error, message wait F: none", 10, E + "00FFWRFd000001", 10, N + "00FF07"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    h.settings.waitMs = c.waitMs;
    h.port.feed(c.request);
    h.loop.advance(c.dueMs - 1);
    EXPECT_EQ(h.port.pendingOutput(), "");
    h.loop.advance(1);
    EXPECT_EQ(h.port.takeOutput(), c.reply);
  }
}

TEST_F(Engine, CharactersWithinTheWaitBelongToOneFrameAndALongerGapSplitsIt) {
  h.settings.waitMs = 10;
  for (char c : E + "00FFWR0D000001") {
    h.port.feed(std::string(1, c));
    h.loop.advance(9);
  }
  h.loop.advance(100);
  EXPECT_EQ(h.port.takeOutput(), S + "00FF0000" + X);
  h.port.feed(E + "00FFWR0D00");
  h.loop.advance(25);
  h.port.feed("0001");  // too late: a second, stray burst
  h.loop.advance(100);
  EXPECT_EQ(h.port.takeOutput(), N + "00FF06");
  EXPECT_EQ(h.log.inserted.find("【プロトコル異常】"), 0u);
}

TEST_F(Engine, BackToBackRequestsAreAnsweredInOrderTheFirstBeforeTheSecondIsGathered) {
  h.state.memory.subDeviceWrite(1, "D", 2);
  h.port.feed(E + "00FFWW0D0000010007" + E + "00FFWR0D000002");
  h.loop.advance(1000);
  EXPECT_EQ(h.port.takeOutput(), A + "00FF" + S + "00FF00070002" + X);
  // The first frame is logged (file) with an empty line after each of its lines.
  EXPECT_NE(h.log.fileText.find("[12:34:56] 受信\r\n\r\n" + E + "00FFWW0D0000010007\r\n\r\n"), std::string::npos);
  EXPECT_EQ(h.settings.lblRev, E + "00FFWR0D000002");  // the last frame of the burst
  EXPECT_EQ(kinds(), (std::vector<std::string>{"受信 : ", "送信 : ", "受信 : ", "送信 : "}));
}

TEST_F(Engine, EotInsideAFrameIsDroppedAndRestartsTheWait) {
  h.settings.waitMs = 10;
  h.port.feed(E + "00FFWR0");
  h.loop.advance(8);
  h.port.feed(std::string(1, EOT));
  h.loop.advance(7);  // 15 ms after the last character, 7 after the EOT
  h.port.feed("D000001");
  h.loop.advance(100);
  EXPECT_EQ(h.port.takeOutput(), S + "00FF0000" + X);
  EXPECT_EQ(h.log.entries[0].raw, E + "00FFWR0D000001");
}

TEST_F(Engine, InvalidCharactersAreMarkedReportedAndAnsweredWithCode07) {
  h.settings.chkLogDsp = false;  // the report line is shown regardless
  h.exchange(E + "00FFWR0D00\t001");
  h.exchange(E + "00FFWR0D00z001");
  ASSERT_EQ(h.log.entries.size(), 2u);
  EXPECT_EQ(h.log.entries[0].kind, "【入力ストリーム内に (HT) 文字が検出されました。】");
  EXPECT_EQ(h.log.entries[1].kind, "【入力ストリーム内に z 文字が検出されました。】");
  EXPECT_NE(h.log.fileText.find("【入力ストリーム内に z 文字が検出されました。】\r\n"), std::string::npos);
}

// Whatever the line sends, what the engine keeps and logs stays bounded: a
// run it has to drop is logged once with its length, and the next request
// is answered as ever.
TEST_F(Engine, GarbageIsBoundedAndEachDroppedRunIsLoggedOnceWithItsLength) {
  h.settings.chkLogDsp = true;
  auto notesWith = [&](const std::string& text) {
    std::vector<std::string> found;
    for (const auto& e : h.log.entries)
      if (e.kind.find(text) != std::string::npos) found.push_back(e.kind);
    return found;
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::string note;       // the one line about what was dropped
    std::size_t logLimit;   // at most this many on-screen entries for the run
  };
  const std::size_t big = 200000;
  const Case cases[] = {
      {"a frame far longer than any request", E + std::string(big, '1'),
       "先頭 4096 バイトの後の " + std::to_string(big - 4095) + " バイトを破棄しました", 4},
      {"a frame full of invalid characters", E + std::string(1000, 'z'), "ほかに 996 個の不正な文字", 8},
      {"stray bytes without a start character", std::string(big, 'Q'),
       "開始文字のない受信データ " + std::to_string(big) + " バイトのうち、先頭 1024 バイトだけを記録しました", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    h.log.entries.clear();
    h.log.fileText.clear();
    // Fed in pieces, as a line delivers them.
    for (std::size_t at = 0; at < c.bytes.size(); at += 4096) h.port.feed(c.bytes.substr(at, 4096));
    h.loop.advance(1000);
    h.port.takeOutput();
    EXPECT_EQ(notesWith(c.note).size(), 1u) << (h.log.entries.empty() ? "" : h.log.entries.back().kind);
    EXPECT_LE(h.log.entries.size(), c.logLimit);
    EXPECT_LT(h.log.fileText.size(), 64u * 1024);  // 200 KB in: the log does not grow with it
    EXPECT_EQ(h.exchange(E + "00FFWR0D000001"), S + "00FF0000" + X);
  }

  // Bytes that arrive while a frame waits for its message wait queue up to
  // the limit; the rest is dropped and told once.
  h.log.entries.clear();
  h.port.feed(E + "00FFWRFD000001");
  h.loop.advance(h.settings.waitMs);  // the frame is complete; its reply waits 150 ms
  h.port.feed(std::string(LinkEngine::kMaxQueuedInput + 5000, 'Q'));
  h.loop.advance(1000);
  EXPECT_EQ(notesWith("受信待ちのデータが多すぎるため、5000 バイトを破棄しました").size(), 1u);
}

TEST_F(Engine, UnexpectedStartCharactersAreReportedNamingTheExpectedOnes) {
  struct Case { int format; const char* name; const char* expected; };
  for (auto c : {Case{1, "形式１", "ENQ / ACK / NAK"}, Case{3, "形式３", "STX"}}) {
    SCOPED_TRACE(c.name);
    test::LinkHarness g;
    g.setFormat(c.format);
    g.settings.chkViewAlert = false;
    g.presenter.answers = {MsgAnswer::No};
    g.exchange("X");
    const std::string mismatch = std::string("専用プロトコル (") + c.name + ") に一致しない開始文字を受信しました。";
    const std::string must = std::string("開始文字は、") + c.expected + " でなければなりません";
    EXPECT_EQ(g.port.takeOutput(), "");
    EXPECT_EQ(g.log.inserted, "【プロトコル異常】\r\n" + mismatch + "\r\n" + must + "\r\n");
    ASSERT_EQ(g.log.entries.size(), 1u);
    EXPECT_EQ(g.log.entries[0].hex, "58 ");
    EXPECT_EQ(g.log.fileText, "X\r\nX\r\n58 \r\n【受信電文異常】\r\n" + mismatch + "\r\n" + must + "\r\n\r\n");
    ASSERT_EQ(g.presenter.boxes.size(), 1u);
    EXPECT_EQ(g.presenter.boxes[0].title, "受信電文異常");
    EXPECT_EQ(g.presenter.boxes[0].text,
              "受信データ　<X>\r\nX\r\n58 \r\n\r\n" + mismatch + "\r\n" + must + "\r\n一旦、ポートを閉じますか？");
    EXPECT_TRUE(g.port.isOpen());
  }
}

TEST_F(Engine, StrayCharactersEndingInEotAreQuiet) {
  h.exchange("XY" + std::string(1, EOT));
  EXPECT_TRUE(h.log.entries.empty());
  EXPECT_EQ(h.log.inserted, "");
}

TEST_F(Engine, AnswersOfThePcProgramAreLoggedButNeverAnswered) {
  EXPECT_EQ(h.exchange(A + "00FF"), "");
  EXPECT_EQ(h.exchange(N + "00FF06"), "");
  h.setFormat(3);
  EXPECT_EQ(h.exchange(S + "00FFGG" + X), "");
  EXPECT_EQ(kinds(), (std::vector<std::string>{"受信 : ", "受信 : ", "受信 : "}));
}

TEST_F(Engine, ARequestForAnotherStationIsIgnoredAndReported) {
  h.settings.chkViewAlert = false;
  h.presenter.answers = {MsgAnswer::No};
  EXPECT_EQ(h.exchange(E + "01FFWR0D000001"), "");
  const std::string report = "<" + E + "01FFWR0D000001> \r\n(ENQ)01FFWR0D000001\r\n"
                             "05 30 31 46 46 57 52 30 44 30 30 30 30 30 31 \r\n00 <> 01\r\n";
  ASSERT_EQ(h.log.entries.size(), 3u);
  EXPECT_EQ(h.log.entries[1].kind, "【局番号不一致】 : " + report);
  EXPECT_EQ(h.log.entries[2].kind, "無応答 : \r\n");
  EXPECT_NE(h.log.fileText.find("【局番号不一致】 : " + report + "\r\n無応答 : \r\n\r\n"), std::string::npos);
  ASSERT_EQ(h.presenter.boxes.size(), 1u);
  EXPECT_EQ(h.presenter.boxes[0].title, "通信電文異常");
  EXPECT_EQ(h.presenter.boxes[0].text, report + "局番号不一致です、コマンドは無視されます\r\n一旦、ポートを閉じますか？");
}

TEST_F(Engine, TheRefusalIsLoggedAndYesInTheQuestionClosesThePort) {
  h.settings.chkViewAlert = false;
  h.presenter.answers = {MsgAnswer::Yes};
  EXPECT_EQ(h.exchange(E + "00FEWR0D000001"), N + "00FF10");
  const std::string report = "<" + E + "00FEWR0D000001>\r\nFF <> FE\r\n(ENQ)00FEWR0D000001\r\n"
                             "05 30 30 46 45 57 52 30 44 30 30 30 30 30 31 \r\nError:10H ＰＣ番号エラー";
  EXPECT_EQ(h.presenter.boxes.at(0).text, report + "\r\n一旦、ポートを閉じますか？");
  EXPECT_FALSE(h.port.isOpen());
  EXPECT_EQ(h.log.fileText,
            "[12:34:56] 受信\r\n" + E + "00FEWR0D000001\r\n(ENQ)00FEWR0D000001\r\n"
            "05 30 30 46 45 57 52 30 44 30 30 30 30 30 31 \r\n"
            "【否定応答 受信電文】 : " + report + "\r\n"
            "[12:34:56] 送信\r\n" + N + "00FF10\r\n(NAK)00FF10\r\n15 30 30 46 46 31 30 \r\n\r\n");
  EXPECT_EQ(h.settings.lblSnd, "");  // an error reply leaves the label alone
}

TEST_F(Engine, NoInTheQuestionDiscardsWaitingInput) {
  h.settings.chkViewAlert = false;
  h.presenter.answers = {MsgAnswer::No};
  h.settings.waitMs = 10;
  h.port.feed(E + "00FEWR1D000001");  // the frame ends at 10 ms, answered 10 ms later
  h.loop.advance(15);
  h.port.feed(E + "00FFWR0D000001");  // arrives during the message wait
  h.loop.advance(1000);
  EXPECT_EQ(h.port.takeOutput(), N + "00FF10");  // the request that waited was thrown away
  EXPECT_FALSE(h.engine.busy());
  EXPECT_EQ(h.exchange(E + "00FFWR0D000001"), S + "00FF0000" + X);  // and reception goes on
}

TEST_F(Engine, WritesChangeMemoryAndRefreshBeforeTheReply) {
  h.state.memory.subBitWrite(3, "M", true);
  EXPECT_EQ(h.exchange(E + "00FFBW0M000003101"), A + "00FF");
  EXPECT_EQ(h.state.memory.words(kM)[0], 0b1101);  // M0, M2 set, M1 reset, M3 kept
  EXPECT_EQ(h.renews, (std::vector<std::pair<std::string, std::string>>{{"All", "DATA"}}));
  EXPECT_EQ(h.outputAtRenew, "");
  EXPECT_EQ(h.settings.lblSnd, A + "00FF");

  // Words of bits and the special devices are written in their own storage.
  struct Case {
    std::string request;
    int kind;
    std::size_t index;
    std::int16_t word;
  };
  const Case cases[] = {
      {E + "00FFWW0X0010018001", kX, 1, static_cast<std::int16_t>(0x8001)},
      {E + "00FFBW0M900001" + "1", kMx, 0, 1},
      {E + "00FFWW0D9255011234", kDx, 255, 0x1234},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(h.exchange(c.request), A + "00FF");
    EXPECT_EQ(h.state.memory.words(c.kind)[c.index], c.word);
  }
}

// Every request that writes publishes exactly one change set, naming the
// storage words it wrote and nothing else; reads and registrations publish
// none.
TEST(EngineChanges, ARequestPublishesTheWordsItWrote) {
  struct Case {
    const char* name;
    bool anAcpu;
    std::string request;
    std::vector<std::vector<DeviceChange>> sets;
  };
  const Case cases[] = {
      {"WW two words", false, E + "00FFWW0D0000021234ABCD", {{{kD, 0, 1}}}},
      {"BW across a word boundary", false, E + "00FFBW0M001403111", {{{kM, 0, 1}}}},
      {"WW a word of bits", false, E + "00FFWW0X0010018001", {{{kX, 1, 1}}}},
      {"WW a special register", false, E + "00FFWW0D9255011234", {{{kDx, 255, 255}}}},
      {"QW file registers", true, E + "00FFQW0R000100021111" + "2222", {{{kR, 100, 101}}}},
      {"WT two entries", false, E + "00FFWT002D00051234X0020FFFF", {{{kD, 5, 5}, {kX, 2, 2}}}},
      {"BT into one word twice", false, E + "00FFBT002X00401X00411", {{{kX, 4, 4}}}},
      {"WR reads", false, E + "00FFWR0D000002", {}},
      {"WM registers", false, E + "00FFWM001D0000", {}},
      {"a refused write", false, E + "00FFWW0D700001" + "1234", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::LinkHarness h;
    if (c.anAcpu) h.setCpu(CpuType::AnACPU);
    const std::string reply = h.exchange(c.request);
    ASSERT_FALSE(reply.empty());
    std::vector<std::vector<DeviceChange>> sets;
    for (const ChangeSet& set : h.changeSets) sets.push_back(set.changes());
    EXPECT_EQ(sets, c.sets);
  }
}

TEST_F(Engine, TestsWriteTheirEntriesAndMonitorRegistrationsReplaceTheirList) {
  h.state.memory.subBitWrite(0x41, "Y", true);
  EXPECT_EQ(h.exchange(E + "00FFBT002X00401Y00410"), A + "00FF");
  EXPECT_TRUE(h.state.memory.fncBit(0x40, "X"));
  EXPECT_FALSE(h.state.memory.fncBit(0x41, "Y"));
  EXPECT_EQ(h.exchange(E + "00FFWT001X0020ABCD"), A + "00FF");
  EXPECT_EQ(h.state.memory.words(kX)[2], static_cast<std::int16_t>(0xABCD));
  EXPECT_EQ(h.lists.TestBitList[0].deviceText, "");  // every test clears both lists' texts

  h.renews.clear();
  h.exchange(E + "00FFBM001X0000");
  h.state.memory.subBitWrite(0, "X", true);
  EXPECT_EQ(h.exchange(E + "00FFMB0"), S + "00FF1" + X);
  h.exchange(E + "00FFBM001Y0000");
  EXPECT_EQ(h.exchange(E + "00FFMB0"), S + "00FF0" + X);
  EXPECT_EQ(h.renews.front(), (std::pair<std::string, std::string>{"UniUsr", "DATA"}));
  EXPECT_EQ(h.lists.MoniBitList[0].deviceText, "Y0000");
  EXPECT_EQ(h.lists.MoniBitList[1].deviceText, "");
}

TEST_F(Engine, AFailedRegistrationKeepsWhatItParsedAndChecked) {
  // The second entry is out of range: the first keeps text, code and number.
  EXPECT_EQ(h.exchange(E + "00FFWM002D0010D7000"), N + "00FF06");
  EXPECT_EQ(h.lists.MoniWordList[0].code, "D");
  EXPECT_EQ(h.lists.MoniWordList[0].number, 10);
  EXPECT_EQ(h.lists.MoniWordList[1].deviceText, "D7000");
  EXPECT_EQ(h.lists.MoniWordList[1].code, "");
  h.state.memory.subDeviceWrite(10, "D", 9);
  EXPECT_EQ(h.exchange(E + "00FFMN0"), S + "00FF0009" + X);  // the walk stops at the entry without code
}

TEST_F(Engine, AStartCharacterAloneWithSumCheckIsARunTimeFailure) {
  h.setSum(CheckState::Checked);
  EXPECT_EQ(h.exchange(E), "");
  ASSERT_EQ(h.errors.reports.size(), 1u);
  EXPECT_EQ(h.errors.reports[0].location, "frmMain.subCmnd() 5");
  EXPECT_FALSE(h.engine.busy());  // reception goes on
  EXPECT_EQ(h.exchange(E + "00FFWR0D0000012A"), S + "00FF0000" + X + "AF");
}

TEST_F(Engine, GreyedSumCheckMeansNoSum) {
  h.setSum(CheckState::Grayed);
  EXPECT_EQ(h.exchange(E + "00FFWR0D000001"), S + "00FF0000" + X);
}

TEST_F(Engine, BytesThatArriveWhileAFrameIsAnsweredWaitForIt) {
  h.port.feed(E + "00FFWR2D000001");  // the frame ends at 10 ms and is answered at 30
  h.loop.advance(1);
  EXPECT_TRUE(h.engine.busy());
  h.loop.advance(15);
  h.port.feed(E + "00FFWW0D0000010007");  // during the message wait
  h.loop.advance(13);
  EXPECT_EQ(h.port.pendingOutput(), "");
  h.loop.advance(1);
  // The read is answered first, with the value before the write; the write,
  // silent for long enough already, right after it.
  EXPECT_EQ(h.port.takeOutput(), S + "00FF0000" + X + A + "00FF");
  EXPECT_EQ(h.state.memory.fncDeviceData(0, "D"), 7);
  EXPECT_FALSE(h.engine.busy());
}

TEST_F(Engine, ClosingThePortMidFrameForgetsTheFrame) {
  h.port.feed(E + "00FFWR0D000001");
  h.loop.advance(5);
  h.port.close();
  h.engine.abort();
  h.loop.advance(1000);
  EXPECT_EQ(h.port.takeOutput(), "");
  EXPECT_TRUE(h.errors.reports.empty());
  h.port.open();
  EXPECT_EQ(h.exchange(E + "00FFWR0D000001"), S + "00FF0000" + X);
}

TEST(Renderings, ControlCharactersAreNamedAndHexHasABlankPerCharacter) {
  const FrameTexts t = renderFrame(S + "00FF" + X);
  EXPECT_EQ(t.replaced, "(STX)00FF(ETX)");
  EXPECT_EQ(t.hex, "02 30 30 46 46 03 ");
  EXPECT_EQ(renderFrame("\x0c\x1f").replaced, "(FP)(US)");
  const Framing& f3 = subSet_Framing(Format::F3);
  EXPECT_EQ(f3.ackHead, S);
  EXPECT_EQ(f3.reqTail, X);
  const Framing& f4 = subSet_Framing(Format::F4);
  EXPECT_EQ(f4.lineEnd, NL);
  EXPECT_EQ(f4.nakHead, N);
}


// A reply that can no longer be written (the port went away during the
// message wait) is a reported failure, not an escaping exception.
TEST(EngineFailures, AReplyToAClosedPortIsReported) {
  test::LinkHarness h;
  for (const std::string& request : {std::string(1, ENQ) + "00FEWR1D000001", std::string(1, ENQ) + "00FFWR1D000001"}) {
    SCOPED_TRACE(request);
    h.errors.reports.clear();
    if (!h.port.isOpen()) h.port.open();
    h.port.feed(request);
    h.loop.advance(15);  // the frame has ended; its reply waits 10 ms more
    ASSERT_TRUE(h.engine.busy());
    h.port.close();
    EXPECT_NO_THROW(h.loop.advance(100));
    ASSERT_EQ(h.errors.reports.size(), 1u);
    EXPECT_EQ(h.errors.reports[0].location, "frmMain.subCmnd() 8012");
    EXPECT_FALSE(h.engine.busy());
  }
}

}  // namespace
}  // namespace omb

namespace omb {
namespace {

// A protocol of its own behind the engine's boundary: frames start with
// '#', a frame "PING" is answered "PONG" after a 3 ms wait, a line error
// with "!code".  The engine's timing is unchanged: a frame ends after one
// silent wait or at the next start character.
class PingProtocol : public Protocol {
 public:
  bool frameStart(char c) const override { return c == '#'; }
  bool endsFrame(char c) const override { return c == '#'; }
  std::string startNames() const override { return "#"; }
  Verdict handle(std::string_view frame, bool) override {
    frames.emplace_back(frame);
    return Verdict{frame == "#PING", 3, std::nullopt};
  }
  Reply act() override { return Reply{"PONG", true, std::nullopt, false, {}}; }
  Reply nakReply(std::string_view) override { return Reply{"NOPE", false, std::nullopt, false, "99"}; }
  std::string lineErrorReply(std::string_view code) const override { return "!" + std::string(code); }
  FaultSubject faultSubject() const override { return {}; }
  const char* label() const override { return "ping "; }
  const DateTime& stamp() const override { return stamp_; }

  std::vector<std::string> frames;

 private:
  DateTime stamp_{};
};

TEST(ProtocolBoundary, AnotherProtocolPlugsInWithoutTouchingTheEngine) {
  test::LinkHarness h;
  PingProtocol ping;
  h.engine.setProtocol(ping);
  EXPECT_EQ(h.exchange("#PING"), "PONG");
  EXPECT_EQ(h.exchange("#HELLO#PING"), "PONG");  // '#' ended the first frame
  EXPECT_EQ(ping.frames, (std::vector<std::string>{"#PING", "#HELLO", "#PING"}));
  // The silence and the message wait are the engine's: 10 ms of silence,
  // then the protocol's 3 ms.
  h.port.feed("#PING");
  h.loop.advance(12);
  EXPECT_EQ(h.port.takeOutput(), "");
  h.loop.advance(1);
  EXPECT_EQ(h.port.takeOutput(), "PONG");
  // The computer link's frames mean nothing to it.
  EXPECT_EQ(h.exchange(E + "00FFWR0D000001"), "");
  h.engine.lineError(LineEvent::ParityError);
  EXPECT_EQ(h.port.takeOutput(), "!01");
}

}  // namespace
}  // namespace omb
