// The served memory moving by itself (--sim) and every change recorded
// (--record), the way a CI job checks what a PC program did.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), A(1, 0x06);

// Sends `request` until its reply satisfies `done` or five seconds pass;
// the last reply.
std::string pollUntil(const test::PcPort& pc, const std::string& request, std::size_t length,
                      const std::function<bool(const std::string&)>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  std::string reply;
  do {
    reply = pc.exchange(request, length);
    if (done(reply)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < end);
  return reply;
}

// The time of the first recording row of `device` with `value`, or -1.
double rowTime(const std::string& csv, const std::string& device, const std::string& value) {
  const std::string needle = "," + device + "," + value + "\n";
  const std::size_t at = csv.find(needle);
  if (at == std::string::npos) return -1;
  const std::size_t start = csv.rfind('\n', at) + 1;
  return std::stod(csv.substr(start, at - start));
}

TEST(ServeSim, GeneratorsMoveTheInputsAndTheRecordingShowsWhatThePcDid) {
  test::TempDir dir;
  test::writeFile(dir.file("sim.txt"),
                  "# inputs of the machine\n"
                  "counter D100 step=1 min=0 max=9999 period=20\n"
                  "follow Y10 source=M5\n");
  const std::string com = dir.file("com"), record = dir.file("run.csv");
  std::string seen;  // the reply to a read of D100 after it moved
  {
    test::ServeProcess serve({"--serve", "pty:" + com, "--no-sum", "--wait", "5", "--sim", dir.file("sim.txt"),
                              "--record", record, "--save-on-exit", dir.file("After.bin")});
    ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
    test::PcPort pc(com);
    ASSERT_TRUE(pc.ok());
    // The counter counts: two reads some time apart differ.
    const std::string first = pc.exchange(E + "00FFWR0D010001", 10);
    ASSERT_EQ(first.size(), 10u) << first;
    const std::string later =
        pollUntil(pc, E + "00FFWR0D010001", 10, [&](const std::string& r) { return r != first; });
    EXPECT_NE(later, first);
    seen = later;
    // The PC program sets M5; Y10 follows it.
    EXPECT_EQ(pc.exchange(E + "00FFBW0M0005011", 5), A + "00FF");
    EXPECT_EQ(pollUntil(pc, E + "00FFBR0Y001001", 7, [](const std::string& r) { return r == S + "00FF1" + X; }),
              S + "00FF1" + X);
    // The recording is written as it happens, not only at the end.
    const std::string live = test::readFile(record);
    EXPECT_NE(live.find(",Y10,1\n"), std::string::npos) << live;
    EXPECT_EQ(serve.stop(), 0) << serve.err;
  }
  const std::string csv = test::readFile(record);
  ASSERT_EQ(seen.size(), 10u);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "time_ms,device,value");
  const double m5 = rowTime(csv, "M5", "1"), y10 = rowTime(csv, "Y10", "1");
  EXPECT_GE(m5, 0) << csv.substr(0, 2000);
  EXPECT_GE(y10, m5);
  // The counter's value the PC program read is in the recording too.
  EXPECT_GE(rowTime(csv, "D100", std::to_string(std::stoi(seen.substr(5, 4), nullptr, 16))), 0) << seen;

  // The generators were saved beside the project; serving it again runs
  // them without --sim.
  const std::string sim = test::readFile(dir.file("After_Sim.txt"));
  EXPECT_NE(sim.find("counter D100 step=1 min=0 max=9999 period=20"), std::string::npos) << sim;
  EXPECT_NE(sim.find("follow Y10 source=M5"), std::string::npos) << sim;
  test::ServeProcess again({"--serve", "pty:" + com, "--wait", "5", "--project", dir.file("After.bin")});
  ASSERT_TRUE(again.waitForOutput("serving on")) << again.err;
  test::PcPort pc(com);
  const std::string first = pc.exchange(E + "00FFWR0D010001", 10);
  ASSERT_EQ(first.size(), 10u) << first;
  EXPECT_NE(pollUntil(pc, E + "00FFWR0D010001", 10, [&](const std::string& r) { return r != first; }), first);
  EXPECT_EQ(again.stop(), 0) << again.err;
}

TEST(ServeSim, UnusableGeneratorsOrRecordingStopTheServer) {
  test::TempDir dir;
  test::writeFile(dir.file("bad.txt"), "counter D100 period=20\nwobble D1\n");
  test::writeFile(dir.file("out.txt"), "counter D99999 period=20\n");
  struct Case {
    const char* name;
    std::vector<std::string> options;
    int status;
    std::string told;
  } cases[] = {
      {"missing file", {"--sim", dir.file("none.txt")}, 2, "none.txt"},
      {"bad line", {"--sim", dir.file("bad.txt")}, 2, "2 行目"},
      {"device out of range", {"--sim", dir.file("out.txt")}, 2, "1 行目"},
      {"recording folder missing", {"--record", dir.file("no/such/run.csv")}, 1, "run.csv"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"--serve", "pty:" + dir.file("com"), "--wait", "5"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    test::ServeProcess serve(args);
    EXPECT_EQ(serve.wait(), c.status) << c.name << "\n" << serve.err;
    EXPECT_NE(serve.err.find(c.told), std::string::npos) << c.name << "\n" << serve.err;
  }
}

}  // namespace
}  // namespace omb
