// The controller's program as a script, end to end: ombrisal --serve runs
// the handshake example, and a PC program written here drives it over the
// virtual port the way a real one would; a test script stops and reloads
// the script through `ombrisal ctl`.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), A(1, 0x06);
const std::string kHandshake = OMBRISAL_SOURCE_DIR "/docs/examples/handshake.js";

// The PC program's side of the handshake.
class PcProgram {
 public:
  explicit PcProgram(const std::string& port) : pc_(port) {}
  bool ok() const { return pc_.ok(); }
  bool bit(const std::string& device) {  // M0100 style
    const std::string r = pc_.exchange(E + "00FFBR0" + device + "01", 7);
    EXPECT_EQ(r.size(), 7u) << r;
    return r == S + "00FF1" + X;
  }
  void setBit(const std::string& device, bool on) {
    EXPECT_EQ(pc_.exchange(E + "00FFBW0" + device + "01" + (on ? "1" : "0"), 5), A + "00FF");
  }
  std::string words(const std::string& device, int points) {
    return pc_.exchange(E + "00FFWR0" + device + "0" + std::to_string(points), 6 + 4 * static_cast<std::size_t>(points));
  }
  // Polls a bit until it reads `on`, for at most `ms`; whether it did.
  bool waitBit(const std::string& device, bool on, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (bit(device) != on) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

 private:
  test::PcPort pc_;
};

std::string ctl(const std::string& socket, const std::vector<std::string>& words) {
  std::vector<std::string> args{"ctl", socket};
  args.insert(args.end(), words.begin(), words.end());
  test::ServeProcess client(args);
  EXPECT_EQ(client.wait(), 0) << client.err;
  return client.out;
}

TEST(ServeScript, TheHandshakeExampleAnswersAPcProgram) {
  test::TempDir dir;
  const std::string com = dir.file("com"), sock = dir.file("plc.sock");
  test::ServeProcess serve({"--serve", "pty:" + com, "--no-sum", "--wait", "5", "--script", kHandshake, "--control",
                            sock, "--save-on-exit", dir.file("Line.bin"), "--record", dir.file("run.csv")});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  PcProgram pc(com);
  ASSERT_TRUE(pc.ok());

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    const auto asked = std::chrono::steady_clock::now();
    pc.setBit("M0100", true);              // request
    EXPECT_TRUE(pc.bit("M0101"));          // busy, at once
    EXPECT_FALSE(pc.bit("M0102"));
    ASSERT_TRUE(pc.waitBit("M0102", true));  // done
    EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(150));
    EXPECT_FALSE(pc.bit("M0101"));         // no longer busy
    char result[9];
    std::snprintf(result, sizeof result, "%04X04D2", round * 10);
    EXPECT_EQ(pc.words("D0200", 2), S + "00FF" + result + X);
    pc.setBit("M0100", false);             // the PC has the result
    EXPECT_TRUE(pc.waitBit("M0102", false));
  }
  serve.drain();
  EXPECT_NE(serve.err.find("script: measurement 2: 20"), std::string::npos) << serve.err;

  // The test script stops it: a request is no longer answered by busy.
  EXPECT_NE(ctl(sock, {"script", "status"}).find("\"running\":true,\"file\":\"" + kHandshake + "\",\"handlers\":1"),
            std::string::npos);
  EXPECT_NE(ctl(sock, {"script", "stop"}).find("\"running\":false"), std::string::npos);
  pc.setBit("M0100", true);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(pc.bit("M0101"));
  pc.setBit("M0100", false);
  // And loads it again.
  EXPECT_NE(ctl(sock, {"script", "load", kHandshake}).find("\"running\":true,\"file\":\"handshake.js\""),
            std::string::npos);
  pc.setBit("M0100", true);
  EXPECT_TRUE(pc.waitBit("M0102", true));
  EXPECT_EQ(serve.stop(), 0) << serve.err;
  // The recording saw the script's writes as any other.
  const std::string csv = test::readFile(dir.file("run.csv"));
  for (const char* row : {",M101,1\n", ",D200,20\n", ",M102,1\n", ",M102,0\n"})
    EXPECT_NE(csv.find(row), std::string::npos) << row << csv.substr(0, 1000);

  // The script went with the saved project; serving that runs it again.
  EXPECT_EQ(test::readFile(dir.file("Line_Script.js")), test::readFile(kHandshake));
  test::ServeProcess again({"--serve", "pty:" + com, "--no-sum", "--wait", "5", "--project", dir.file("Line.bin")});
  ASSERT_TRUE(again.waitForOutput("serving on")) << again.err;
  PcProgram pc2(com);
  pc2.setBit("M0100", false);
  pc2.setBit("M0100", true);
  EXPECT_TRUE(pc2.waitBit("M0102", true));
  EXPECT_EQ(again.stop(), 0) << again.err;
}

TEST(ServeScript, AScriptThatCannotStartStopsTheServer) {
  test::TempDir dir;
  test::writeFile(dir.file("bad.js"), "on('M0', function () {});\nset('Q1', 1);\n");
  struct Case {
    std::string script, says;
  };
  const Case cases[] = {
      {dir.file("bad.js"), "script: " + dir.file("bad.js") + ":2: Error: デバイスの書き方が違います: Q1"},
      {dir.file("missing.js"), "cannot read the script " + dir.file("missing.js")},
  };
  for (const Case& c : cases) {
    test::ServeProcess serve({"--serve", "pty:" + dir.file("com"), "--script", c.script});
    EXPECT_EQ(serve.wait(), 1) << serve.err;
    EXPECT_NE(serve.err.find(c.says), std::string::npos) << serve.err;
  }
}

}  // namespace
}  // namespace omb
