// The serve mode's tools for testing a PC program against a bad or busy
// line: injected faults over a virtual port and over TCP, several stations
// on one line, replies paced to the line speed, and the statistics at exit.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>

#include <filesystem>

#include "pc_port.h"
#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), A(1, 0x06), N(1, 0x15);

std::string hex2(unsigned v) {
  char b[3];
  std::snprintf(b, sizeof b, "%02X", v & 0xFF);
  return b;
}
// The sum of everything after the start character.
std::string sum(const std::string& frame) {
  unsigned s = 0;
  for (std::size_t i = 1; i < frame.size(); ++i) s += static_cast<unsigned char>(frame[i]);
  return hex2(s);
}
std::string request(const std::string& body) { return E + body + sum(E + body); }
std::string dataReply(const std::string& body) { return S + body + X + sum(S + body + X); }

int tcpPortOf(const test::ServeProcess& serve) {
  const std::string banner = "serving on tcp:127.0.0.1:";
  return std::stoi(serve.out.substr(serve.out.find(banner) + banner.size()));
}

test::PcPort connectTcp(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return test::PcPort::adopt(-1);
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return test::PcPort::adopt(fd);
}

class ServeLine : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { ::signal(SIGPIPE, SIG_IGN); }
  bool tcp() const { return std::string(GetParam()) == "tcp"; }
  // Starts the server on this run's transport with `args` and connects the
  // PC program.
  void start(std::vector<std::string> args) {
    const std::string path = dir.file("com");
    args.insert(args.begin(), {"--serve", tcp() ? std::string("tcp:0") : "pty:" + path});
    serve = std::make_unique<test::ServeProcess>(args);
    ASSERT_TRUE(serve->waitForOutput(tcp() ? "serving on tcp:127.0.0.1:" : "serving on " + path))
        << serve->out << serve->err;
    pc = std::make_unique<test::PcPort>(tcp() ? connectTcp(tcpPortOf(*serve)) : test::PcPort(path));
    ASSERT_TRUE(pc->ok());
  }

  test::TempDir dir;
  std::unique_ptr<test::ServeProcess> serve;
  std::unique_ptr<test::PcPort> pc;
};

// One rule per device, so one server shows every kind of fault; the PC
// program sees exactly what each rule describes, and the request is
// executed unless the rule answers with a NAK instead.
TEST_P(ServeLine, EveryFaultKindReachesThePcProgramAsDescribed) {
  test::writeFile(dir.file("faults.txt"),
                  "# one rule per device\n"
                  "seed 3\n"
                  "delay=300,cmd=WR,dev=D100\n"
                  "drop,cmd=WW,dev=D200\n"
                  "nak=06,cmd=WW,dev=D300\n"
                  "badsum,dev=D400\n"
                  "flip,at=1,dev=D500\n");
  start({"--sum", "--wait", "5", "--faults", dir.file("faults.txt"), "--fault", "insert=41,at=0,dev=D600",
         "--fault", "split=200,at=3,dev=D700", "--fault", "twice,dev=D800", "--stats", "json"});
  if (HasFatalFailure()) return;
  const std::string ack = A + "00FF";
  const std::string zero = dataReply("00FF0000");

  // delay: nothing for the first 200 ms, then the reply as it is.
  pc->send(request("00FFWR0D010001"));
  EXPECT_EQ(pc->receive(1, 200), "");
  EXPECT_EQ(pc->receive(zero.size(), 2000), zero);
  // drop: no reply, yet the value is written.
  pc->send(request("00FFWW0D0200011234"));
  EXPECT_EQ(pc->receive(1, 300), "");
  EXPECT_EQ(pc->exchange(request("00FFWR0D020001"), 11), dataReply("00FF1234"));
  // nak: the code asked for, and nothing written.
  EXPECT_EQ(pc->exchange(request("00FFWW0D0300011234"), 7), N + "00FF06");
  EXPECT_EQ(pc->exchange(request("00FFWR0D030001"), zero.size()), zero);
  // badsum: the sum one more than it should be.
  const std::string good = dataReply("00FF0000");
  EXPECT_EQ(pc->exchange(request("00FFWR0D040001"), good.size()),
            good.substr(0, good.size() - 2) + hex2(std::stoul(good.substr(good.size() - 2), nullptr, 16) + 1));
  // flip: the second byte XOR 01.
  EXPECT_EQ(pc->exchange(request("00FFWR0D050001"), zero.size()), S + "10FF0000" + X + sum(S + "00FF0000" + X));
  // insert: an "A" before the reply.
  EXPECT_EQ(pc->exchange(request("00FFWR0D060001"), zero.size() + 1), "A" + zero);
  // split: three bytes, a silent gap, the rest.
  pc->send(request("00FFWR0D070001"));
  EXPECT_EQ(pc->receive(3, 2000), zero.substr(0, 3));
  EXPECT_EQ(pc->receive(1, 100), "");
  EXPECT_EQ(pc->receive(zero.size() - 3, 2000), zero.substr(3));
  // twice: the same reply two times.
  EXPECT_EQ(pc->exchange(request("00FFWR0D080001"), 2 * zero.size()), zero + zero);
  // Nothing else changed: a request no rule matches is answered as always.
  EXPECT_EQ(pc->exchange(request("00FFWW0D0900011234"), ack.size()), ack);
  EXPECT_EQ(pc->receive(1, 100), "");

  pc.reset();
  EXPECT_EQ(serve->stop(), 0) << serve->err;
  const std::string& out = serve->out;
  for (int i = 1; i <= 8; ++i)
    EXPECT_NE(out.find("【障害注入 #" + std::to_string(i) + " ("), std::string::npos) << i << "\n" << out;
  const std::string last = out.substr(out.rfind("{\"requests\""));
  EXPECT_NE(last.find("\"faults\":8"), std::string::npos) << last;
  EXPECT_NE(last.find("\"naks\":{\"06\":1}"), std::string::npos) << last;
  EXPECT_NE(last.find("\"requests\":11,\"replies\":10"), std::string::npos) << last;
}

// Three controllers on one line: each station's writes land in its own
// memory only, and a further station's project is saved and served again.
TEST_P(ServeLine, ThreeStationsEachWithItsOwnMemory) {
  const std::string saved = dir.file("station01.bin");
  start({"--no-sum", "--wait", "5", "--station", "00,01,05", "--save-on-exit", "01=" + saved});
  if (HasFatalFailure()) return;
  for (const char* st : {"00", "01", "05"})
    EXPECT_EQ(pc->exchange(E + st + "FFWW0D01000100" + st, 5), A + st + "FF") << st;
  EXPECT_EQ(pc->exchange(E + "05FFBW0M000001" + "1", 5), A + "05FF");
  for (const char* st : {"00", "01", "05"}) {
    EXPECT_EQ(pc->exchange(E + st + "FFWR0D010001", 10), S + st + "FF00" + st + X) << st;
    const std::string m = std::string(st) == "05" ? "1" : "0";
    EXPECT_EQ(pc->exchange(E + st + "FFBR0M000001", 7), S + st + "FF" + m + X) << st;
  }
  // A station the line does not carry answers nothing and writes nothing.
  EXPECT_EQ(pc->exchange(E + "02FFWW0D0100010099", 5), "");
  EXPECT_EQ(pc->exchange(E + "00FFWR0D010001", 10), S + "00FF0000" + X);
  pc.reset();
  ASSERT_EQ(serve->stop(), 0) << serve->err;
  ASSERT_TRUE(std::filesystem::exists(saved));

  // The saved station is served again from its project.
  start({"--no-sum", "--wait", "5", "--station", "00,01", "--project", "01=" + saved});
  if (HasFatalFailure()) return;
  EXPECT_EQ(pc->exchange(E + "01FFWR0D010001", 10), S + "01FF0001" + X);
  EXPECT_EQ(pc->exchange(E + "00FFWR0D010001", 10), S + "00FF0000" + X);
}

// At 1200 baud a 70-character reply takes 70 × 10 / 1200 s = 583 ms on a
// real line; paced, the virtual line takes as long, and unpaced it does not.
TEST_P(ServeLine, PacedRepliesTakeTheLinesTime) {
  start({"--no-sum", "--wait", "5", "--pace", "--line", "1200,n,8,1"});
  if (HasFatalFailure()) return;
  const std::string read16 = E + "00FFWR0D000010";
  const std::size_t length = 1 + 4 + 16 * 4 + 1;
  pc->send(read16);
  ::usleep(300 * 1000);
  const std::string early = pc->receive(length, 0);  // what has come so far
  EXPECT_LT(early.size(), length);  // still on its way after 300 ms
  EXPECT_EQ(pc->receive(length - early.size(), 2000).size(), length - early.size());
  pc.reset();
  EXPECT_EQ(serve->stop(), 0);
  EXPECT_NE(serve->out.find("paced"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Transports, ServeLine, ::testing::Values("pty", "tcp"),
                         [](const auto& info) { return std::string(info.param); });

TEST(ServeLineOptions, MistakesInTheNewOptionsExitWithStatus2) {
  test::TempDir dir;
  test::writeFile(dir.file("bad.txt"), "drop\nexplode\n");
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--fault", "explode"}, "--fault"},
      {{"--faults", dir.file("bad.txt")}, "2 行目"},
      {{"--faults", dir.file("missing.txt")}, "cannot read the fault rules"},
      {{"--fault-seed", "x"}, "--fault-seed"},
      {{"--station", "00,00"}, "--station"},
      {{"--station", "00,1"}, "--station"},
      {{"--station", "00,01", "--project", "05=x.bin"}, "05 is not a further station"},
      {{"--station", "00,01", "--save-on-exit", "00=x.bin"}, "00 is not a further station"},
      {{"--stats", "xml"}, "--stats"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> args{"--serve", "pty:" + dir.file("com")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    test::ServeProcess p(args);
    EXPECT_EQ(p.wait(), 2);
    EXPECT_NE(p.err.find(c.message), std::string::npos) << p.err;
  }
}

}  // namespace
}  // namespace omb
