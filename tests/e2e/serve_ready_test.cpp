// Readiness for scripts and supervisors: --ready-fd tells one line on a
// descriptor once the line is open and the control socket listens, and a
// systemd notification socket hears READY=1 and STOPPING=1.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03);

// Everything `fd` delivers until its end, or until `ms` pass.
struct Reading {
  std::string text;
  bool ended = false;
};
Reading readUntilEnd(int fd, int ms) {
  Reading r;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return r;
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) return r.ended = true, r;
    r.text.append(buf, static_cast<std::size_t>(n));
  }
}

bool connects(const std::string& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, socketPath.c_str(), sizeof a.sun_path - 1);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

TEST(ServeReady, TheLineOnTheDescriptorComesWhenPortAndSocketAreUsableThenItsEnd) {
  test::TempDir dir;
  const std::string com = dir.file("com"), sock = dir.file("ctl.sock");
  int pipe[2];
  ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
  // --opt=value as well as --opt value.
  test::ServeProcess serve({"--serve=pty:" + com, "--control", sock, "--no-sum", "--ready-fd=7"}, {{pipe[1], 7}});
  ::close(pipe[1]);
  const Reading ready = readUntilEnd(pipe[0], 10000);
  ::close(pipe[0]);
  // The moment it is told, both ends work: no polling for files.
  EXPECT_TRUE(connects(sock));
  test::PcPort pc(com);
  ASSERT_TRUE(pc.ok());
  EXPECT_EQ(pc.exchange(E + "00FFWR0D000001", 10), S + "00FF0000" + X);
  EXPECT_TRUE(ready.ended);
  ASSERT_EQ(std::count(ready.text.begin(), ready.text.end(), '\n'), 1) << ready.text;
  EXPECT_EQ(ready.text.rfind("Ombrisal serving on " + com, 0), 0u) << ready.text;
  serve.waitForOutput(ready.text);
  EXPECT_NE(serve.out.find(ready.text), std::string::npos) << "the same line as the banner: " << serve.out;
  EXPECT_EQ(serve.stop(), 0) << serve.err;
}

TEST(ServeReady, AProgramThatCannotServeEndsTheDescriptorWithoutALine) {
  test::TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      // The port cannot be opened: the waiting script sees the end at once.
      {{"--serve", dir.file("no/such/folder/dev"), "--ready-fd", "5"}, 1, "cannot open"},
      // The control socket's folder does not exist.
      {{"--serve", "pty:" + dir.file("com"), "--control", dir.file("no/such.sock"), "--ready-fd", "5"}, 1,
       "--control"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    test::ServeProcess serve(c.args, {{pipe[1], 5}});
    ::close(pipe[1]);
    const Reading ready = readUntilEnd(pipe[0], 10000);
    ::close(pipe[0]);
    EXPECT_TRUE(ready.ended);
    EXPECT_EQ(ready.text, "");
    EXPECT_EQ(serve.wait(), c.status);
    EXPECT_NE(serve.err.find(c.message), std::string::npos) << serve.err;
  }
  // A descriptor that is not open is a bad option, said before serving.
  test::ServeProcess closed({"--serve", "pty:" + dir.file("com"), "--ready-fd", "9"});
  EXPECT_EQ(closed.wait(), 2);
  EXPECT_NE(closed.err.find("--ready-fd 9 is not an open file descriptor"), std::string::npos) << closed.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("com")));
}

TEST(ServeReady, ASystemdNotificationSocketHearsReadyThenStopping) {
  test::TempDir dir;
  const std::string notify = dir.file("notify"), com = dir.file("com");
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, notify.c_str(), sizeof a.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ::setenv("NOTIFY_SOCKET", notify.c_str(), 1);
  test::ServeProcess serve({"--serve", "pty:" + com, "--no-sum"});
  ::unsetenv("NOTIFY_SOCKET");
  auto message = [&] {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0) return std::string("(nothing)");
    char buf[256];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("(nothing)");
  };
  EXPECT_EQ(message(), "READY=1");
  EXPECT_TRUE(std::filesystem::exists(com));
  serve.signal(SIGTERM);
  EXPECT_EQ(message(), "STOPPING=1");
  EXPECT_EQ(serve.wait(), 0) << serve.err;
  ::close(fd);
}

}  // namespace
}  // namespace omb
