// The PC side from the shell (send, poll, replay) against the program's own
// serve mode, each a process of its own over a virtual port or TCP.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};
Outcome ombrisal(const std::vector<std::string>& args, int ms = 15000) {
  test::ServeProcess p(args);
  const int status = p.wait(ms);
  return {status, p.out, p.err};
}

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Lines of `text` that begin with `prefix`.
std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PcSide, SendSpeaksEveryCommandFamilyAndTellsANakAndSilenceByItsStatus) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  test::ServeProcess serve({"--serve", "pty:" + path, "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.err;
  struct Case {
    std::vector<std::string> words;
    std::string reading;
    int status;
  };
  const Case cases[] = {
      {{"WW", "D100", "1", "0x2"}, "ACK", 0},
      {{"WR", "D100", "2"}, "WR D0100 ×2 → 0001 0002", 0},
      {{"BW", "M0", "1", "0", "1"}, "ACK", 0},
      {{"BR", "M0", "3"}, "BR M0000 ×3 → 1 0 1", 0},
      {{"WT", "D5", "0x7F"}, "ACK", 0},
      {{"BT", "X40", "1", "Y41", "0"}, "ACK", 0},
      {{"WM", "D5", "X40"}, "ACK", 0},
      {{"MN"}, "MN → 007F 0001", 0},
      {{"BM", "M2", "M1"}, "ACK", 0},
      {{"MB"}, "MB → 1 0", 0},
      {{"BR", "D0"}, "NAK 06 (範囲外)", 1},
      {{"WR", "D100", "--pc", "01"}, "NAK 10 (PC番号違い)", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words[0]);
    const Outcome r = ombrisal(plus({"send", path}, c.words));
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    const auto readings = linesStarting(r.out, c.reading);
    EXPECT_EQ(readings.size(), 1u) << r.out;
  }
  // The request and the reply as on the line, control characters named.
  const Outcome read = ombrisal({"send", path, "WR", "D100", "2"});
  EXPECT_NE(read.out.find("送信 : (ENQ)00FFWR0D010002"), std::string::npos) << read.out;
  EXPECT_NE(read.out.find("受信 : (STX)00FF00010002(ETX)"), std::string::npos) << read.out;
  // Another station's request is not answered: no answer within the time-out.
  const Outcome silent = ombrisal({"send", path, "WR", "D100", "--station", "01", "--timeout", "300"});
  EXPECT_EQ(silent.status, 2) << silent.out << silent.err;
  EXPECT_NE(silent.err.find("応答がありません (300 ms)"), std::string::npos) << silent.err;
  // Words that make no request, and a port that is not there.
  EXPECT_EQ(ombrisal({"send", path, "WR", "Q5"}).status, 3);
  EXPECT_EQ(ombrisal({"send", dir.file("absent"), "MN"}).status, 3);
  EXPECT_EQ(serve.stop(), 0) << serve.err;
}

TEST(PcSide, SendWorksInEveryFormatAndOverTcp) {
  test::TempDir dir;
  for (const char* format : {"2", "3", "4"}) {
    SCOPED_TRACE(format);
    const std::string path = dir.file(std::string("com") + format);
    test::ServeProcess serve({"--serve", "pty:" + path, "--wait", "5", "--format", format, "--no-sum"});
    ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.err;
    const Outcome r = ombrisal({"send", path, "--format", format, "--no-sum", "WW", "D0", "7"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const Outcome back = ombrisal({"send", path, "--format", format, "--no-sum", "WR", "D0"});
    EXPECT_EQ(linesStarting(back.out, "WR D0000 ×1 → 0007").size(), 1u) << back.out << back.err;
    EXPECT_EQ(serve.stop(), 0);
  }
  test::ServeProcess serve({"--serve", "tcp:0", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on tcp:127.0.0.1:")) << serve.err;
  const std::size_t at = serve.out.find("serving on tcp:127.0.0.1:") + 25;
  const std::string port = serve.out.substr(at, serve.out.find(' ', at) - at);
  const Outcome r = ombrisal({"send", "tcp-connect:127.0.0.1:" + port, "WR", "D0"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(linesStarting(r.out, "WR D0000 ×1 → 0000").size(), 1u) << r.out;
  EXPECT_EQ(serve.stop(), 0);
}

TEST(PcSide, PollPrintsValuesAsTheyChangeAndTheReplyTimes) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  const std::string sim = dir.file("sim.txt");
  std::ofstream(sim) << "counter D0 step=1 min=0 max=9999 period=150\n";
  test::ServeProcess serve({"--serve", "pty:" + path, "--wait", "5", "--sim", sim});
  ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.err;
  // D1 stays 0: one line however often it is asked.
  const Outcome still = ombrisal({"poll", path, "WR", "D1", "--every", "20", "--count", "5"});
  EXPECT_EQ(still.status, 0) << still.err;
  EXPECT_EQ(linesStarting(still.out, "[").size(), 1u) << still.out;
  EXPECT_NE(still.out.find("要求 5 回: 応答 5 (うち NAK 0), 無応答 0"), std::string::npos) << still.out;
  EXPECT_NE(still.out.find("応答時間 (ms): 最小 "), std::string::npos) << still.out;
  // D0 counts: a line for each new value, never the same twice in a row.
  const Outcome counting = ombrisal({"poll", path, "WR", "D0", "--every", "100", "--count", "8"});
  EXPECT_EQ(counting.status, 0) << counting.err;
  const auto lines = linesStarting(counting.out, "[");
  EXPECT_GE(lines.size(), 3u) << counting.out;
  EXPECT_LE(lines.size(), 8u) << counting.out;
  for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_NE(lines[i].substr(15), lines[i - 1].substr(15));
  // A NAK counts and sets the status.
  const Outcome nak = ombrisal({"poll", path, "BR", "D0", "--every", "10", "--count", "2"});
  EXPECT_EQ(nak.status, 1);
  EXPECT_NE(nak.out.find("(うち NAK 2)"), std::string::npos) << nak.out;
  EXPECT_EQ(serve.stop(), 0);
}

TEST(PcSide, ACaptureReplaysAgainstTheSameProjectWithoutDifferenceAndNamesTheDifferenceOfAChangedOne) {
  test::TempDir dir;
  const std::string path = dir.file("com"), capture = dir.file("run.jsonl");
  const std::string same = dir.file("same.csv"), changed = dir.file("changed.csv");
  std::ofstream(same) << "device,value\nD100,5\nX3,1\n";
  std::ofstream(changed) << "device,value\nD100,6\nX3,1\n";
  {
    test::ServeProcess serve({"--serve", "pty:" + path, "--wait", "5", "--values", same, "--capture", capture});
    ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.err;
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"WR", "D100", "2"}, {"BR", "X0", "4"}, {"WW", "D101", "9"}, {"WR", "D100", "2"}})
      EXPECT_EQ(ombrisal(plus({"send", path}, words)).status, 0);
    EXPECT_EQ(ombrisal({"send", path, "BR", "D0"}).status, 1);
    EXPECT_EQ(serve.stop(), 0);
  }
  const std::string lines = readFile(capture);
  EXPECT_EQ(linesStarting(lines, "{\"time\":").size(), 10u) << lines;
  // The fixture kept as a project: replayed against that project, and
  // against the project with D100 changed.
  const std::string project = dir.file("line.bin");
  {
    test::ServeProcess save({"--serve", "pty:" + path, "--values", same, "--save-on-exit", project});
    ASSERT_TRUE(save.waitForOutput("serving on " + path)) << save.err;
    EXPECT_EQ(save.stop(), 0) << save.err;
  }
  const std::vector<std::string> sameProject{"--project", project};
  const std::vector<std::string> changedProject{"--project", project, "--values", changed};
  for (const auto& [fixture, status] : {std::pair{sameProject, 0}, std::pair{changedProject, 1}}) {
    SCOPED_TRACE(fixture.back());
    test::ServeProcess serve(plus({"--serve", "pty:" + path, "--wait", "5"}, fixture));
    ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.err;
    const Outcome r = ombrisal({"replay", capture, path, "--speed", "4"});
    EXPECT_EQ(r.status, status) << r.out << r.err;
    if (status == 0) {
      EXPECT_NE(r.out.find("再生 5 要求: 一致 5, 相違 0"), std::string::npos) << r.out;
    } else {
      // Both reads of D100 differ; the write, the bits and the NAK do not.
      EXPECT_NE(r.out.find("再生 5 要求: 一致 3, 相違 2"), std::string::npos) << r.out;
      EXPECT_EQ(linesStarting(r.out, "#1 (").size(), 1u) << r.out;
      EXPECT_NE(r.out.find("  記録: (STX)00FF00050000(ETX)"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("WR D0100 ×2 → 0005 0000"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("WR D0100 ×2 → 0006 0000"), std::string::npos) << r.out;
    }
    EXPECT_EQ(serve.stop(), 0);
  }
  // A capture with a bad line is named, nothing is sent.
  std::ofstream(dir.file("bad.jsonl")) << lines.substr(0, lines.find('\n') + 1) << "{oops}\n";
  const Outcome bad = ombrisal({"replay", dir.file("bad.jsonl"), path});
  EXPECT_EQ(bad.status, 3);
  EXPECT_NE(bad.err.find("bad.jsonl:2: "), std::string::npos) << bad.err;
}

TEST(PcSide, TheServeModeWritesReadingsOrJsonLinesOnStandardOutput) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  {
    test::ServeProcess serve({"--serve", "pty:" + path, "--wait", "5", "--log-format", "decoded"});
    ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.err;
    ASSERT_EQ(ombrisal({"send", path, "BR", "D0"}).status, 1);
    ASSERT_TRUE(serve.waitForOutput("送信 : NAK 06 (範囲外)")) << serve.out;
    EXPECT_NE(serve.out.find("受信 : BR D0000 ×1\n"), std::string::npos) << serve.out;
    EXPECT_EQ(serve.stop(), 0);
  }
  test::ServeProcess serve({"--serve", "pty:" + path, "--wait", "5", "--log-format", "jsonl", "--stats", "json"});
  // With JSON lines the banner goes to standard error.
  for (int i = 0; i < 5000 && serve.err.find("serving on") == std::string::npos; ++i) {
    serve.drain();
    ::usleep(2000);
  }
  ASSERT_NE(serve.err.find("serving on " + path), std::string::npos) << serve.err;
  const Outcome r = ombrisal({"send", path, "WR", "D0", "--msg-wait", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(serve.waitForOutput("\"direction\":\"plc>pc\"")) << serve.out;
  EXPECT_EQ(serve.stop(), 0);
  std::istringstream in(serve.out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << serve.out;  // request, reply, the statistics
  EXPECT_NE(lines[0].find("\"direction\":\"pc>plc\",\"format\":1,\"sum\":true,\"station\":\"00\",\"pc\":\"FF\","
                          "\"command\":\"WR\",\"device\":\"D0000\",\"points\":1,"),
            std::string::npos)
      << lines[0];
  EXPECT_NE(lines[1].find("\"reply\":\"data\",\"nak\":null,\"latency_ms\":"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[1].find("\"latency_ms\":null"), std::string::npos);
}

}  // namespace
}  // namespace omb
