// Unchecked mode executes what the checking processor refuses, and answers
// the cases it cannot execute with the refusal a controller would send.
#include <gtest/gtest.h>

#include "link_harness.h"

namespace omb {
namespace {

const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK), N(1, NAK);

class Unchecked : public ::testing::Test {
 protected:
  Unchecked() { h.settings.config.unchecked = true; }
  test::LinkHarness h;
  std::string lastReport() const {
    for (auto it = h.log.entries.rbegin(); it != h.log.entries.rend(); ++it)
      if (it->kind.rfind("【否定応答 受信電文】 : ", 0) == 0) return it->kind;
    return "";
  }
};

TEST_F(Unchecked, ExecutesWhatTheCheckerRefuses) {
  h.state.memory.subDeviceWrite(0, "D", 0x1234);
  h.state.memory.subDeviceWrite(1, "D", 0x5678);
  h.state.memory.write(kX, 0, static_cast<std::int16_t>(0x8001));
  struct Case { std::string request, reply; };
  const Case cases[] = {
      // Another station and another PC number: answered with our own.
      {E + "07AAWR0D000001", S + "00FF1234" + X},
      // WR on X0008 reads the word X0000-X000F.
      {E + "00FFWR0X000801", S + "00FF8001" + X},
      // A word device is read in words even by a bit command.
      {E + "00FFBR0D000002", S + "00FF12345678" + X},
      // A monitor request with empty lists is answered without data.
      {E + "00FFMB0XYZ", S + "00FF" + X},
      // An AnACPU-set command with an AnACPU CPU, the seven-character text read.
      {E + "00FFJR0X00000002", S + "00FF10" + X},
  };
  h.setCpu(CpuType::AnACPU);
  for (const auto& c : cases) EXPECT_EQ(h.exchange(c.request), c.reply) << c.request;
  // Over the point limit but inside storage.
  std::string many = h.exchange(E + "00FFWR0D000041");  // 65 words: more than the 64 allowed
  EXPECT_EQ(many.size(), 1 + 4 + 65 * 4 + 1u);
  EXPECT_TRUE(h.errors.reports.empty());
}

TEST_F(Unchecked, BitDataOtherThanZeroOrOneLeaveTheDeviceAlone) {
  h.state.memory.write(kX, 4, 0x0001);  // X40 on
  struct Case {
    std::string request;
    std::int16_t word;  // X40-X4F afterwards
  };
  const Case cases[] = {
      {E + "00FFBT001X00405", 0x0001},         // 5 is neither: X40 stays on
      {E + "00FFBW0X004003" + "0A1", 0x0004},  // X40 reset, X41 unchanged, X42 set
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(h.exchange(c.request), A + "00FF");
    EXPECT_EQ(h.state.memory.words(kX)[4], c.word);
  }
  EXPECT_EQ(h.renews.size(), 2u);
}

TEST_F(Unchecked, AWrongSumIsExecutedAndKeptOutOfTheData) {
  h.setSum(CheckState::Checked);
  struct Case {
    int format;
    std::string request, reply;
    int kind;
    std::int16_t word;  // the kind's first word afterwards
  };
  const Case cases[] = {
      {1, E + "00FFWW0D000001" + "1234" + "ZZ", A + "00FF", kD, 0x1234},
      {4, E + "00FFBW0M000002" + "11" + "00\r\n", A + "00FF\r\n", kM, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    h.setFormat(c.format);
    EXPECT_EQ(h.exchange(c.request), c.reply);
    EXPECT_EQ(h.state.memory.words(c.kind)[0], c.word);
  }
}

TEST_F(Unchecked, CasesThatCannotBeExecutedAreRefusedWithCode06AndChangeNothing) {
  struct Case { std::string request, detail, errorLine; };
  const Case cases[] = {
      {E + "00FFZZ0D000001", "ACPU <ZZ>", "Error:06H キャラクター部エラー コマンド異常です"},
      {E + "00FFJR0X00000001", "ACPU <JR>", "Error:06H キャラクター部エラー コマンド異常です"},
      {E + "00FFWW0Q0000011234", "アドレス:Q0000", "Error:06H キャラクター部エラー 開始アドレスが範囲外です"},
      {E + "00FFWW0D7000011234", "アドレス:D7000", "Error:06H キャラクター部エラー 開始アドレスが範囲外です"},
      // The second entry of a test is missing: nothing of the test happens.
      {E + "00FFBT002M00001", "アドレス:", "Error:06H キャラクター部エラー 開始アドレスが範囲外です"},
      {E + "00FFBT002M00001X99991", "アドレス:X9999", "Error:06H キャラクター部エラー 開始アドレスが範囲外です"},
      {E + "00FFWW0D000002123412", "書込数 = 2", "Error:06H キャラクター部エラー　書込のデータ数が一致しません"},
      // A word device is written in words even by a bit command.
      {E + "00FFBW0D000001" + "1", "書込数 = 1", "Error:06H キャラクター部エラー　書込のデータ数が一致しません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(h.exchange(c.request), N + "00FF06");
    const std::string r = lastReport();
    EXPECT_NE(r.find("\r\n" + c.detail + "\r\n" + c.errorLine), std::string::npos) << r;
  }
  EXPECT_EQ(h.state.memory.words(kM)[0], 0);
  EXPECT_EQ(h.state.memory.words(kD)[0], 0);
  EXPECT_TRUE(h.renews.empty());
  // A bit command on a word device with four digits per point does write.
  EXPECT_EQ(h.exchange(E + "00FFBW0D000001" + "00A5"), A + "00FF");
  EXPECT_EQ(h.state.memory.fncDeviceData(0, "D"), 0xA5);
}

TEST_F(Unchecked, RunningOutOfStorageIsARunTimeFailureWithNoReplyAndNoWrite) {
  h.setCpu(CpuType::AnACPU);
  struct Case { std::string request; };
  for (const auto& c : {Case{E + "00FFQW0D006143021111" + "2222"},   // D6144 does not exist
                        Case{E + "00FFQR0X0007F002"},                // the word after X7FF
                        Case{E + "00FFBT015X00401"},                  // more points than the list holds
                        Case{E + "00FFBM029X000000"}}) {
    SCOPED_TRACE(c.request);
    h.errors.reports.clear();
    EXPECT_EQ(h.exchange(c.request), "");
    ASSERT_EQ(h.errors.reports.size(), 1u);
    EXPECT_EQ(h.errors.reports[0].location, "frmMain.subCmnd_NoCheck() 9");
  }
  EXPECT_EQ(h.state.memory.fncDeviceData(6143, "D"), 0);
  EXPECT_TRUE(h.renews.empty());
  EXPECT_EQ(h.exchange(E + "00FFQR0D00000001"), S + "00FF0000" + X);  // and the next request is served
}

TEST_F(Unchecked, KeepsTheCharacterErrorAndIgnoresAnswers) {
  EXPECT_EQ(h.exchange(E + "00FFWR0d000001"), N + "00FF07");
  EXPECT_EQ(h.exchange(A + "00FF"), "");
  h.setFormat(3);
  EXPECT_EQ(h.exchange(S + "00FFNN" + X), "");
  EXPECT_EQ(h.exchange(S + "01FEWW0D0000011234" + X), S + "00FFGG" + X);
  EXPECT_EQ(h.exchange(S + "00FFWR0D000001"), S + "00FF1234" + X);  // no ETX: not checked
}

TEST_F(Unchecked, RegistrationsRecordEveryLookupAndMonitorsReadThem) {
  h.setCpu(CpuType::AnACPU);
  h.state.memory.subDeviceWrite(5, "D", 0x77);
  h.state.memory.subBitWrite(0x10, "X", true);
  EXPECT_EQ(h.exchange(E + "00FFJM002D000005X000010"), A + "00FF");
  EXPECT_EQ(h.lists.MoniBitList[0].code, "D");
  EXPECT_EQ(h.exchange(E + "00FFMJ0"), S + "00FF00771" + X);  // the word device in words
}

}  // namespace
}  // namespace omb
