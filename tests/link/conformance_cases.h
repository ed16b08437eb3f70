// Complete requests in, exact replies and reports out: every command of both
// command sets, every error code of the engine, every format with and
// without sum check.  The same table runs on the in-memory port and over
// the real lines (virtual port, TCP), so the lines are shown to carry the
// link without changing a byte of it.
#pragma once

#include <cctype>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>

#include "core/device_kind.h"
#include "core/system_state.h"
#include "link/framing.h"
#include "link/link_lists.h"

namespace omb {

namespace test {

// What a case reaches while it prepares the controller and checks what a
// request did: device memory, the monitor lists and the line itself.
class LinkUnderTest {
 public:
  LinkUnderTest(SystemState& s, LinkLists& l) : state(s), lists(l) {}
  virtual ~LinkUnderTest() = default;
  LinkUnderTest(const LinkUnderTest&) = delete;
  LinkUnderTest& operator=(const LinkUnderTest&) = delete;

  // Sends a whole request, lets the line fall silent long enough for the
  // reply, and returns what was answered.
  virtual std::string exchange(const std::string& bytes) = 0;

  SystemState& state;
  LinkLists& lists;
};

}  // namespace test

namespace conformance {

const std::string E(1, ENQ), S(1, STX), X(1, ETX), A(1, ACK), N(1, NAK), NL = "\r\n";

struct Case {
  const char* name;
  int format;
  bool sum;
  const char* cpu;
  std::function<void(test::LinkUnderTest&)> setup;
  std::string request;
  std::string reply;
  const char* errorLine;  // last line of the refusal's report, or nullptr when accepted
  // What the request must have done to device memory, when it writes.
  std::function<void(test::LinkUnderTest&)> effect = nullptr;
};

// A failure names the case rather than dumping its bytes.
inline void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// The case's name as a test name: letters and digits only.
inline std::string testName(const Case& c) {
  std::string n;
  for (char ch : std::string(c.name)) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  return n;
}

inline void setBits(test::LinkUnderTest& h, const char* code, std::initializer_list<int> numbers) {
  for (int n : numbers) h.state.memory.subBitWrite(n, code, true);
}

const Case kCases[] = {
    // Reads in every format.
    {"WR format 1", 1, false, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(0, "D", 1); },
     E + "00FFWR0D000001", S + "00FF0001" + X, nullptr},
    {"WR format 1 sum", 1, true, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(0, "D", 1); },
     E + "00FFWR0D0000012A", S + "00FF0001" + X + "B0", nullptr},
    {"WR format 2 echoes the block", 2, false, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(0, "D", -1); },
     E + "1200FFWR0D000001", S + "1200FFFFFF" + X, nullptr},
    {"WR format 2 sum covers the block", 2, true, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(0, "D", 1); },
     E + "1200FFWR0D0000018D", S + "1200FF0001" + X + "13", nullptr},
    {"WR format 3", 3, false, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(1, "D", 0x1234); },
     S + "00FFWR0D000102" + X, S + "00FF12340000" + X, nullptr},
    {"WR format 3 sum covers ETX", 3, true, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(0, "D", 1); },
     S + "00FFWR0D000001" + X + "2D", S + "00FF0001" + X + "B0", nullptr},
    {"WR format 4", 4, false, "ACPU", [](auto& h) { h.state.memory.subDeviceWrite(0, "D", 1); },
     E + "00FFWR0D000001" + NL, S + "00FF0001" + X + NL, nullptr},
    {"WR format 4 sum stops before CR LF", 4, true, "ACPU",
     [](auto& h) { h.state.memory.subDeviceWrite(0, "D", 1); }, E + "00FFWR0D0000012A" + NL,
     S + "00FF0001" + X + "B0" + NL, nullptr},
    {"BR bits", 1, false, "ACPU", [](auto& h) { setBits(h, "X", {0x40, 0x42}); }, E + "00FFBR0X004005",
     S + "00FF10100" + X, nullptr},
    {"BR one bit with sum", 1, true, "ACPU", [](auto& h) { setBits(h, "X", {0x40}); }, E + "00FFBR0X0040012D",
     S + "00FF1" + X + "20", nullptr},
    {"BR 00 is 256 points", 1, false, "ACPU", [](auto& h) { setBits(h, "Y", {0xFF}); }, E + "00FFBR0Y000000",
     S + "00FF" + std::string(255, '0') + "1" + X, nullptr},
    {"WR words of bits", 1, false, "ACPU", [](auto& h) { setBits(h, "X", {0x10, 0x1F, 0x20}); },
     E + "00FFWR0X001002", S + "00FF80010001" + X, nullptr},
    {"WR D9000 through the ACPU set", 1, false, "ACPU", [](auto& h) { h.state.memory.write(kDx, 0, 0x55); },
     E + "00FFWR0D900001", S + "00FF0055" + X, nullptr},
    {"WR two special registers", 1, false, "ACPU",
     [](auto& h) { h.state.memory.write(kDx, 0, 1), h.state.memory.write(kDx, 1, 2); }, E + "00FFWR0D900002",
     S + "00FF00010002" + X, nullptr},
    {"BR M9000 through the ACPU set", 1, false, "ACPU", [](auto& h) { h.state.memory.write(kMx, 0, 1); },
     E + "00FFBR0M900002", S + "00FF10" + X, nullptr},
    {"JR seven-character device", 1, false, "AnACPU", [](auto& h) { setBits(h, "X", {0x41}); },
     E + "00FFJR0X00004003", S + "00FF010" + X, nullptr},
    {"QR word device", 1, false, "AnACPU", [](auto& h) { h.state.memory.subDeviceWrite(0xFFF, "W", 7); },
     E + "00FFQR0W000FFF01", S + "00FF0007" + X, nullptr},
    // Writes, tests and monitor registrations are acknowledged in each format.
    {"WW format 1", 1, false, "ACPU", nullptr, E + "00FFWW0D0000021234ABCD", A + "00FF", nullptr,
     [](auto& h) {
       EXPECT_EQ(h.state.memory.fncDeviceData(0, "D"), 0x1234);
       EXPECT_EQ(h.state.memory.fncDeviceData(1, "D"), static_cast<std::int16_t>(0xABCD));
     }},
    {"WW format 2", 2, false, "ACPU", nullptr, E + "3400FFWW0D0000011234", A + "3400FF", nullptr},
    {"WW format 3", 3, false, "ACPU", nullptr, S + "00FFWW0D0000011234" + X, S + "00FFGG" + X, nullptr},
    {"WW format 4", 4, false, "ACPU", nullptr, E + "00FFWW0D0000011234" + NL, A + "00FF" + NL, nullptr},
    {"BW", 1, false, "ACPU", nullptr, E + "00FFBW0M000003101", A + "00FF", nullptr,
     [](auto& h) { EXPECT_EQ(h.state.memory.words(kM)[0], 0b101); }},
    {"JW", 1, false, "AnACPU", [](auto& h) { setBits(h, "M", {2}); }, E + "00FFJW0M0000000211", A + "00FF", nullptr,
     [](auto& h) { EXPECT_EQ(h.state.memory.words(kM)[0], 0b111); }},
    {"QW", 1, false, "AnACPU", nullptr, E + "00FFQW0R000010011234", A + "00FF", nullptr,
     [](auto& h) {
       EXPECT_EQ(h.state.memory.fncDeviceData(10, "R"), 0x1234);
       EXPECT_EQ(h.state.memory.fncDeviceData(9, "R"), 0);
     }},
    {"BT", 1, false, "ACPU", [](auto& h) { setBits(h, "Y", {0x41}); }, E + "00FFBT002X00401Y00410", A + "00FF",
     nullptr,
     [](auto& h) {
       EXPECT_TRUE(h.state.memory.fncBit(0x40, "X"));
       EXPECT_FALSE(h.state.memory.fncBit(0x41, "Y"));
     }},
    {"JT", 1, false, "AnACPU", nullptr, E + "00FFJT001M0000011", A + "00FF", nullptr,
     [](auto& h) { EXPECT_EQ(h.state.memory.words(kM)[0], 0b10); }},
    {"WT", 1, false, "ACPU", nullptr, E + "00FFWT002D00001234X0010FFFF", A + "00FF", nullptr,
     [](auto& h) {
       EXPECT_EQ(h.state.memory.fncDeviceData(0, "D"), 0x1234);
       EXPECT_EQ(h.state.memory.words(kX)[1], -1);
     }},
    {"QT", 1, false, "AnACPU", nullptr, E + "00FFQT001W0000100042", A + "00FF", nullptr,
     [](auto& h) { EXPECT_EQ(h.state.memory.fncDeviceData(0x10, "W"), 0x42); }},
    {"BM", 1, false, "ACPU", nullptr, E + "00FFBM002X0000Y0001", A + "00FF", nullptr},
    {"JM", 1, false, "AnACPU", nullptr, E + "00FFJM001X000000", A + "00FF", nullptr},
    {"WM", 1, false, "ACPU", nullptr, E + "00FFWM002D0000X0010", A + "00FF", nullptr},
    {"QM", 1, false, "AnACPU", nullptr, E + "00FFQM001D000000", A + "00FF", nullptr},
    {"MB without registration reads nothing", 1, false, "ACPU",
     [](auto& h) { h.lists.MoniWordList[0] = {"D0000", "D", 0, false, 0}; }, E + "00FFMB0", S + "00FF" + X, nullptr},
    {"MN after WM", 1, false, "ACPU",
     [](auto& h) {
       h.exchange(E + "00FFWM002D0000X0010");
       h.state.memory.subDeviceWrite(0, "D", 0x2A);
       setBits(h, "X", {0x10, 0x1F});
     },
     E + "00FFMN0", S + "00FF002A8001" + X, nullptr},
    {"MJ after JM", 1, false, "AnACPU",
     [](auto& h) {
       h.exchange(E + "00FFJM002X000000Y000001");
       setBits(h, "Y", {1});
     },
     E + "00FFMJ0", S + "00FF01" + X, nullptr},
    {"MQ with sum", 1, true, "AnACPU",
     [](auto& h) {
       h.exchange(E + "00FFQM001D000000" + "7F");
       h.state.memory.subDeviceWrite(0, "D", 0x10);
     },
     E + "00FFMQ0" + "BA", S + "00FF0010" + X + "B0", nullptr},

    // Error codes.
    {"02 wrong sum", 1, true, "ACPU", nullptr, E + "00FFBR0X00400A3E", N + "00FF02", "Error:02H サムチェック エラーです"},
    {"03 no ETX in format 3", 3, false, "ACPU", nullptr, S + "00FFWR0D000001", S + "00FFNN03" + X,
     "Error:03H プロトコルエラーです 終端文字が一致していません"},
    {"03 no CR LF in format 4", 4, false, "ACPU", nullptr, E + "00FFWR0D000001", N + "00FF03" + NL,
     "Error:03H プロトコルエラーです 終端文字が一致していません"},
    {"03 monitor before registration", 1, false, "ACPU", nullptr, E + "00FFMN0", N + "00FF03",
     "Error:03H プロトコルエラーです 通信プロトコルが正常でありません"},
    {"03 monitor with extra characters", 1, false, "ACPU",
     [](auto& h) { h.lists.MoniBitList[0] = {"X0000", "X", 0, true, 0}; }, E + "00FFMB0X", N + "00FF03",
     "Error:03H プロトコルエラーです 通信プロトコルが正常でありません"},
    {"06 unknown command", 1, false, "ACPU", nullptr, E + "00FFZZ0", N + "00FF06",
     "Error:06H キャラクター部エラー コマンド異常です"},
    {"06 JR under ACPU", 1, false, "ACPU", nullptr, E + "00FFJR0X00004005", N + "00FF06",
     "Error:06H キャラクター部エラー コマンド異常です"},
    {"06 WR on X0008", 1, false, "ACPU", nullptr, E + "00FFWR0X000801", N + "00FF06",
     "Error:06H キャラクター部エラー　１６で割り切れません"},
    {"06 BR on D0000", 1, false, "ACPU", nullptr, E + "00FFBR0D000001", N + "00FF06",
     "Error:06H キャラクター部エラー　ワードデバイスにはアクセスできません"},
    {"06 BW 00 is over the limit", 1, false, "ACPU", nullptr, E + "00FFBW0M000000" + std::string(256, '1'),
     N + "00FF06", "Error:06H キャラクター部エラー　許容処理点数オーバーです"},
    {"06 start out of range", 1, false, "ACPU", nullptr, E + "00FFWR0D700001", N + "00FF06",
     "Error:06H キャラクター部エラー 開始アドレスが範囲外です"},
    {"06 end out of range", 1, false, "ACPU", nullptr, E + "00FFWR0D10200A", N + "00FF06",
     "Error:06H キャラクター部エラー　終了アドレスが、範囲外です"},
    {"06 digits", 1, false, "ACPU", nullptr, E + "00FFWR0D00A001", N + "00FF06",
     "Error:06H キャラクター部エラー　アドレスが、異常です"},
    {"06 write count", 1, false, "ACPU", nullptr, E + "00FFWW0D000002123", N + "00FF06",
     "Error:06H キャラクター部エラー　書込のデータ数が一致しません"},
    {"06 bit data not binary", 1, false, "ACPU", nullptr, E + "00FFBW0M000003102", N + "00FF06",
     "Error:06H キャラクター部エラー　書込のデータが異常です"},
    {"06 read length", 1, false, "ACPU", nullptr, E + "00FFWR0D0000011", N + "00FF06",
     "Error:06H キャラクター部エラー　データレングスが一致しません"},
    {"06 test points over the limit", 1, false, "ACPU", nullptr, E + "00FFWT0B", N + "00FF06",
     "Error:06H キャラクター部エラー 許容処理点数オーバーです"},
    {"06 test entries fewer than points", 1, false, "ACPU", nullptr, E + "00FFBT002X00401", N + "00FF06",
     "Error:06H キャラクター部エラー 処理点数とデータ数が一致しません"},
    {"06 bit test data 2", 1, false, "ACPU", nullptr, E + "00FFBT001X00402", N + "00FF06",
     "Error:06H キャラクター部エラー 書込のデータが異常です"},
    {"06 word monitor of unaligned bits", 1, false, "ACPU", nullptr, E + "00FFWM001X0001", N + "00FF06",
     "Error:06H キャラクター部エラー　１６で割り切れません"},
    {"07 lower-case letter", 1, false, "ACPU", nullptr, E + "00FFWR0d000001", N + "00FF07",
     "Error:07H キャラクタエラーです 文字が一致していません"},
    {"07 format 3", 3, false, "ACPU", nullptr, S + "00FFWR0d000001" + X, S + "00FFNN07" + X,
     "Error:07H キャラクタエラーです 文字が一致していません"},
    {"07 format 2 echoes the block", 2, false, "ACPU", nullptr, E + "5600FFWR0d000001", N + "5600FF07",
     "Error:07H キャラクタエラーです 文字が一致していません"},
    {"10 PC number", 1, false, "ACPU", nullptr, E + "00FEWR0D000001", N + "00FF10", "Error:10H ＰＣ番号エラー"},
    {"range error wins over the PC number", 1, false, "ACPU", nullptr, E + "00FEWR0D700001", N + "00FF06",
     "Error:06H キャラクター部エラー 開始アドレスが範囲外です"},
    {"error reply never carries a sum", 4, true, "ACPU", nullptr, E + "00FFZZ0" + "00" + NL, N + "00FF02" + NL,
     "Error:02H サムチェック エラーです"},
};

}  // namespace conformance
}  // namespace omb
