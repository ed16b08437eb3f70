// A CI job's view of the control channel: ombrisal --serve with --control,
// a PC program on the virtual port and a test script on the socket (raw,
// and through `ombrisal ctl`) working on the same device memory while the
// line is in use.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), A(1, 0x06), N(1, 0x15);

// A script's own connection to the control socket.
class Script {
 public:
  explicit Script(const std::string& path) : fd_(test::connectUnix(path)) {}
  ~Script() {
    if (fd_ >= 0) ::close(fd_);
  }
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;
  bool ok() const { return fd_ >= 0; }
  // Sends what it can of `bytes` (all of it unless the program closed).
  bool send(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }
  // The next line; empty when the connection ended or nothing came within
  // `ms`.
  std::string line(int ms = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (in_.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
      char buf[4096];
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) return {};
      in_.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t nl = in_.find('\n');
    std::string l = in_.substr(0, nl);
    in_.erase(0, nl + 1);
    return l;
  }
  // Whether the program closed the connection (within `ms`).
  bool closed(int ms = 20000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return false;
    char c;
    return ::recv(fd_, &c, 1, 0) <= 0;
  }

 private:
  int fd_ = -1;
  std::string in_;
};

// `ombrisal ctl SOCKET WORDS...`: its exit status, standard output and error.
struct Ctl {
  int status;
  std::string out, err;
};
Ctl ctl(const std::string& socket, std::vector<std::string> words) {
  words.insert(words.begin(), {"ctl", socket});
  test::ServeProcess p(words);
  const int status = p.wait(30000);
  return {status, p.out, p.err};
}

TEST(ServeControl, AScriptAndAPcProgramDriveOneScenario) {
  test::TempDir dir;
  const std::string com = dir.file("com"), sock = dir.file("ctl.sock");
  test::ServeProcess serve({"--serve", "pty:" + com, "--control", sock, "--no-sum", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on " + com)) << serve.out << serve.err;
  struct stat st{};
  ASSERT_EQ(::lstat(sock.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  test::PcPort pc(com);
  ASSERT_TRUE(pc.ok());

  // The script waits for the output before anything happens...
  Script waiting(sock);
  ASSERT_TRUE(waiting.ok());
  ASSERT_TRUE(waiting.send("wait-change Y0 20000\n"));
  // ...switches the input on...
  Ctl set = ctl(sock, {"set", "X0", "1"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out, "{\"ok\":true}\n");
  // ...the PC program reads it and answers with the output...
  EXPECT_EQ(pc.exchange(E + "00FFBR0X000001", 7), S + "00FF1" + X);
  EXPECT_EQ(pc.exchange(E + "00FFBW0Y0000011", 5), A + "00FF");
  // ...and the script's wait returns with it.
  EXPECT_EQ(waiting.line(), R"j({"ok":true,"values":[1]})j");
  Ctl get = ctl(sock, {"get", "Y0", "2"});
  EXPECT_EQ(get.status, 0) << get.err;
  EXPECT_EQ(get.out, "{\"ok\":true,\"values\":[1,0]}\n");

  // Words the script sets are what the PC program reads.
  EXPECT_EQ(ctl(sock, {"set", "D100", "0x1234", "-1"}).status, 0);
  EXPECT_EQ(pc.exchange(E + "00FFWR0D010002", 14), S + "00FF1234FFFF" + X);

  // Faults switched on and off while the line is in use.
  Ctl fault = ctl(sock, {"fault", "add", "nak=06,cmd=WR"});
  EXPECT_EQ(fault.out, "{\"ok\":true,\"rules\":1}\n") << fault.err;
  EXPECT_EQ(pc.exchange(E + "00FFWR0D010001", 7), N + "00FF06");
  EXPECT_EQ(ctl(sock, {"fault", "clear"}).status, 0);
  EXPECT_EQ(pc.exchange(E + "00FFWR0D010001", 10), S + "00FF1234" + X);

  Ctl stats = ctl(sock, {"stats"});
  EXPECT_EQ(stats.status, 0);
  EXPECT_EQ(stats.out.rfind("{\"ok\":true,\"stats\":{\"requests\":5,\"replies\":5,\"naks\":{\"06\":1},", 0), 0u)
      << stats.out;

  // A project saved and loaded again while the PC program goes on.
  const std::string project = dir.file("fixture 1.bin");
  EXPECT_EQ(ctl(sock, {"save", project}).status, 0);
  EXPECT_EQ(ctl(sock, {"set", "D100", "7"}).status, 0);
  EXPECT_EQ(pc.exchange(E + "00FFWR0D010001", 10), S + "00FF0007" + X);
  Ctl load = ctl(sock, {"load", project});
  EXPECT_EQ(load.status, 0) << load.out << load.err;
  EXPECT_EQ(pc.exchange(E + "00FFWR0D010001", 10), S + "00FF1234" + X);

  // Mistakes: the JSON answer on standard output, its text on standard
  // error, exit status 1.
  Ctl bad = ctl(sock, {"get", "Q0"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "{\"ok\":false,\"error\":\"unknown device: Q0\"}\n");
  EXPECT_EQ(bad.err, "ombrisal: unknown device: Q0\n");
  bad = ctl(sock, {"set", "D0", "70000"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("out of range: 70000"), std::string::npos) << bad.err;
  bad = ctl(dir.file("nobody.sock"), {"get", "D0"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("cannot connect to"), std::string::npos) << bad.err;

  // quit: answered, then the program ends as after SIGTERM and takes its
  // socket and port with it.
  Ctl quit = ctl(sock, {"quit"});
  EXPECT_EQ(quit.out, "{\"ok\":true}\n");
  EXPECT_EQ(serve.wait(), 0) << serve.err;
  EXPECT_FALSE(std::filesystem::exists(sock));
  EXPECT_FALSE(std::filesystem::exists(com));
}

TEST(ServeControl, PeersThatMisbehaveNeverHoldUpTheLine) {
  test::TempDir dir;
  const std::string com = dir.file("com"), sock = dir.file("ctl.sock");
  test::ServeProcess serve({"--serve", "pty:" + com, "--control", sock, "--no-sum", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  test::PcPort pc(com);
  ASSERT_TRUE(pc.ok());

  // A megabyte without a line end: told, and disconnected.
  {
    Script flood(sock);
    flood.send(std::string(1 << 20, 'x'));
    EXPECT_EQ(flood.line(), R"j({"ok":false,"error":"request line longer than 65536 bytes"})j");
    EXPECT_TRUE(flood.closed());
  }
  // Gone in the middle of a line, and in the middle of a wait.
  {
    Script gone(sock);
    gone.send("set D0 5");
  }
  {
    Script gone(sock);
    gone.send("wait-change Y0 600000\n");
  }
  // The PC program is served throughout, and the half line did nothing.
  EXPECT_EQ(pc.exchange(E + "00FFWR0D000001", 10), S + "00FF0000" + X);
  EXPECT_EQ(pc.exchange(E + "00FFBW0Y0000011", 5), A + "00FF");
  EXPECT_EQ(ctl(sock, {"get", "Y0"}).out, "{\"ok\":true,\"values\":[1]}\n");

  // A second program cannot take the socket of the first.
  test::ServeProcess second({"--serve", "pty:" + dir.file("com2"), "--control", sock});
  EXPECT_EQ(second.wait(), 1);
  EXPECT_NE(second.err.find("another program listens on " + sock), std::string::npos) << second.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("com2")));
  EXPECT_EQ(ctl(sock, {"get", "Y0"}).status, 0);  // the first one still answers

  EXPECT_EQ(serve.stop(), 0) << serve.err;
  EXPECT_FALSE(std::filesystem::exists(sock));
}

TEST(ServeControl, ASocketLeftByAKilledProgramIsTakenOver) {
  test::TempDir dir;
  const std::string sock = dir.file("ctl.sock");
  {
    test::ServeProcess killed({"--serve", "pty:" + dir.file("com1"), "--control", sock});
    ASSERT_TRUE(killed.waitForOutput("serving on")) << killed.err;
    EXPECT_EQ(killed.stop(SIGKILL), 128 + SIGKILL);
  }
  ASSERT_TRUE(std::filesystem::exists(sock));  // nobody removed it
  test::ServeProcess serve({"--serve", "pty:" + dir.file("com2"), "--control", sock});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  EXPECT_EQ(ctl(sock, {"get", "X0"}).out, "{\"ok\":true,\"values\":[0]}\n");
  EXPECT_EQ(serve.stop(), 0);
}

}  // namespace
}  // namespace omb
