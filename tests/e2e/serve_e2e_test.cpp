// Ombrisal as a separate process serving a virtual port, exercised the way
// a PC program under test would.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>
#include <sys/file.h>
#include <sys/wait.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "core/cp932.h"
#include "serve_process.h"
#include "test_support.h"

namespace omb {
namespace {

const std::string E(1, 0x05), S(1, 0x02), X(1, 0x03), A(1, 0x06), N(1, 0x15), NL = "\r\n";

TEST(Serve, AnswersRequestsInEveryFormatOverAVirtualPort) {
  test::TempDir dir;
  struct Case { const char* format; bool sum; std::string write, ack, read, data; };
  const Case cases[] = {
      {"1", false, E + "00FFWW0D0000011234", A + "00FF", E + "00FFWR0D000001", S + "00FF1234" + X},
      {"1", true, E + "00FFWW0D0000011234F9", A + "00FF", E + "00FFWR0D0000012A", S + "00FF1234" + X + "B9"},
      {"2", false, E + "3300FFWW0D0000011234", A + "3300FF", E + "3300FFWR0D000001", S + "3300FF1234" + X},
      {"3", true, S + "00FFWW0D0000011234" + X + "FC", S + "00FFGG" + X, S + "00FFWR0D000001" + X + "2D",
       S + "00FF1234" + X + "B9"},
      {"4", false, E + "00FFWW0D0000011234" + NL, A + "00FF" + NL, E + "00FFWR0D000001" + NL,
       S + "00FF1234" + X + NL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("format ") + c.format + (c.sum ? " with sum" : ""));
    const std::string path = dir.file(std::string("com-") + c.format + (c.sum ? "s" : ""));
    test::ServeProcess serve({"--serve", "pty:" + path, "--format", c.format, c.sum ? "--sum" : "--no-sum",
                              "--wait", "5"});
    ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.out << serve.err;
    test::PcPort pc(path);
    ASSERT_TRUE(pc.ok());
    EXPECT_EQ(pc.exchange(c.write, c.ack.size()), c.ack);
    EXPECT_EQ(pc.exchange(c.read, c.data.size()), c.data);
    EXPECT_EQ(serve.stop(), 0) << serve.err;
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST(Serve, LogsTrafficAndServesTheUncheckedModeAndOtherStations) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--no-check", "--station", "05", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on"));
  test::PcPort pc(path);
  // Unchecked: another station's request is answered with our own numbers.
  EXPECT_EQ(pc.exchange(E + "07AAWR0X000801", 10), S + "05FF0000" + X);
  EXPECT_EQ(serve.stop(SIGINT), 0);
  EXPECT_NE(serve.out.find("受信 : (ENQ)07AAWR0X000801"), std::string::npos) << serve.out;
  EXPECT_NE(serve.out.find("送信 : (STX)05FF0000(ETX)"), std::string::npos) << serve.out;
  EXPECT_NE(serve.out.find("CLOSE"), std::string::npos) << serve.out;
}

TEST(Serve, ComNumbersFollowTheSettingsFileAndItsLogFolders) {
  test::TempDir dir;
  const std::string path = dir.file("com3");
  std::string ini = test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini");
  ini += "COM3=pty:" + path + "\r\n";  // the shipped file ends with its [COMポート] section
  test::writeFile(dir.file("Init.ini"), ini);
  test::ServeProcess serve({"--serve", "COM3", "--ini", dir.file("Init.ini"), "--no-sum", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.out << serve.err;
  test::PcPort pc(path);
  EXPECT_EQ(pc.exchange(E + "00FFWR0D000001", 8), S + "00FF0000" + X);
  EXPECT_EQ(serve.stop(), 0);
  // The working folders were created beside that settings file.
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("Log")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("Projects")));

  test::ServeProcess missing({"--serve", "COM3", "--ini", dir.file("none.ini")});
  EXPECT_EQ(missing.wait(), 2);
}

TEST(Serve, APortHeldByAnotherProcessIsBusy) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  test::ServeProcess first({"--serve", "pty:" + path, "--wait", "5"});
  ASSERT_TRUE(first.waitForOutput("serving on"));
  test::ServeProcess second({"--serve", "pty:" + path});
  EXPECT_EQ(second.wait(), 1);
  EXPECT_NE(second.err.find("COMポート1 がオープン出来ませんでした！"), std::string::npos) << second.err;
  EXPECT_TRUE(std::filesystem::is_symlink(path));  // the first one still serves
  EXPECT_EQ(first.stop(), 0);

  // A serial device another program has locked.
  int master = -1, slave = -1;
  char name[256];
  ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
  ASSERT_EQ(::flock(slave, LOCK_EX | LOCK_NB), 0);
  test::ServeProcess third({"--serve", name});
  EXPECT_EQ(third.wait(), 1);
  EXPECT_NE(third.err.find("がオープン出来ませんでした"), std::string::npos) << third.err;
  ::close(master);
  ::close(slave);
}

// A project file crafted field by field here, not by the program's writer,
// up to its comment (item 14): tiny device ranges, distinctive words in D,
// by default format 1, ACPU, station 00 without sum check, a wait of 5 ms.
struct CraftedLink {
  int format = 1;
  bool anAcpu = false;
  std::string station = "00";
  int sum = 0;
};
std::string craftedProject(const CraftedLink& link = {}) {
  std::string b;
  auto i16 = [&](int v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
  };
  auto i32 = [&](std::int32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  };
  auto text = [&](const std::string& t) {
    i16(static_cast<int>(t.size()));
    b += t;
  };
  auto fixed = [&](std::string t, std::size_t n) {
    t.resize(n, ' ');
    b += t;
  };
  const char* kinds[] = {"TN", "CN", "D", "W", "R", "Dx", "X", "Y", "M", "L", "S", "B", "F", "Mx", "TS", "TC", "CS", "CC"};
  fixed("Ver 2.1.2", 20);
  for (int s = 0; s < 24; ++s) {
    i16(0);
    for (int k = 0; k < 4; ++k) i32(0);
    i16(0);
  }
  std::vector<int> words;
  for (int pass = 0; pass < 2; ++pass)
    for (int k = 0; k < 18; ++k) {
      const bool word = k < 6;
      const int first = (k == 5 || k == 13) ? 9000 : 0;
      const int last = first + (word ? 15 : 31);
      const std::string code = k == 5 ? "D" : k == 13 ? "M" : kinds[k];
      text(kinds[k]);
      text(code + std::to_string(first));
      text(code + std::to_string(last));
      i32(first);
      i32(last);
      if (pass == 0) words.push_back(word ? 16 : 2);
    }
  for (int s = 0; s < 24; ++s) {
    i16(64);
    i16(1);
    i16(0);
  }
  for (int k = 0; k < 18; ++k)
    for (int w = 0; w < words[static_cast<std::size_t>(k)]; ++w) i16(k == 2 ? 0x1000 + w : 0);  // D0..D15
  for (int list = 0; list < 2; ++list) {
    for (int t = 0; t < 3 * 128; ++t) text("");
    for (int t = 0; t < 128; ++t) i32(0);
    i16(0);
    i16(0);
  }
  auto linkList = [&](int n, int comments) {
    for (int t = 0; t < 2 * n; ++t) text("");
    for (int t = 0; t < n; ++t) i32(0);
    for (int t = 0; t < n; ++t) i16(0);
    for (int t = 0; t < comments; ++t) text("");
  };
  linkList(20, 20);
  linkList(20, 20);
  for (int t = 0; t < 20; ++t) i16(0);
  linkList(40, 20);
  linkList(20, 20);
  i16(0);
  i16(0);
  for (int f = 1; f <= 4; ++f) i16(f == link.format ? -1 : 0);  // item 11
  i16(link.anAcpu ? 0 : -1);
  i16(link.anAcpu ? -1 : 0);
  for (int v : {0, -1, 0, 0, 0, 0, 0, -1, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0}) i16(v);
  i16(5);  // wait
  fixed(link.station, 2);
  i16(link.sum);
  fixed("crafted", 40);
  return b;
}

TEST(Serve, ServesACraftedProjectAndSavesWhatThePcWrote) {
  test::TempDir dir;
  std::string project = craftedProject();
  // Items 15 to 22 of the 2.1.2 layout: empty multi-screen tables, no port,
  // one free cell style, the window place.
  auto append16 = [&](int v, int times) {
    for (int i = 0; i < times; ++i) {
      project += static_cast<char>(v & 0xFF);
      project += static_cast<char>((v >> 8) & 0xFF);
    }
  };
  append16(0, 72);       // multi page table
  append16(0, 24);       // G_MultiLast
  append16(0, 48);       // 24 kinds: n = 0, closed
  append16(0, 24);       // G_MultiNo
  append16(0, 1);        // port
  append16(0, 1);        // cell style upper index 0
  append16(0, 1 + 2);    // code "", number (int32)
  append16(0, 1);        // address text ""
  for (int c = 0; c < 3; ++c) {
    append16(0, 3);      // set, bold, italic
    append16(0, 1);      // font name ""
    append16(0, 2);      // size 0.0
    append16(0, 2);      // strikethrough, underline
    append16(0, 4);      // back, fore
  }
  append16(0, 8);        // window place
  test::writeFile(dir.file("Crafted.bin"), project);

  const std::string path = dir.file("com");
  test::ServeProcess serve({"--serve", "pty:" + path, "--project", dir.file("Crafted.bin"), "--save-on-exit",
                            dir.file("After.bin")});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  test::PcPort pc(path);
  // Format 1, no sum, as the project says; D0 to D2 as the file holds them.
  EXPECT_EQ(pc.exchange(E + "00FFWR0D000003", 20), S + "00FF100010011002" + X);
  EXPECT_EQ(pc.exchange(E + "00FFWW0D0001011234", 5), A + "00FF");
  EXPECT_EQ(serve.stop(SIGTERM), 0) << serve.err;
  const std::string after = test::readFile(dir.file("After.bin"));
  ASSERT_GE(after.size(), 20u);
  EXPECT_EQ(after.substr(0, 20), "Ver 2.1.2           ");
  // D1 is the second word of D in the saved memory: its bytes follow.
  EXPECT_NE(after.find(std::string("\x00\x10\x34\x12\x02\x10", 6)), std::string::npos) << "D0, D1 = 1234, D2";

  // A project that cannot be read stops the program, naming file and reason.
  test::writeFile(dir.file("Broken.bin"), project.substr(0, 300));
  test::ServeProcess broken({"--serve", "pty:" + dir.file("com2"), "--project", dir.file("Broken.bin")});
  EXPECT_EQ(broken.wait(), 1);
  EXPECT_NE(broken.err.find(dir.file("Broken.bin")), std::string::npos) << broken.err;
}

// The banner tells what is served once the project and the command line
// have been applied (options given win over the project's settings); a
// project whose settings cannot be served stops the program, naming file,
// field and value.
TEST(Serve, TheBannerTellsTheSettingsServedFromAProject) {
  test::TempDir dir;
  // Files of a version that ends with the comment (item 14).
  auto upToComment = [](std::string bytes) { return bytes.replace(0, 20, "Ver 2.0.100         "); };
  const std::string project = dir.file("Line5.bin");
  test::writeFile(project, upToComment(craftedProject({4, true, "05", 0})));
  struct Case {
    std::vector<std::string> options;
    const char* banner;
    std::string request, reply;
  };
  const Case cases[] = {
      {{}, "(形式4, AnACPU, station 05, PC FF, sum off)", E + "05FFWR0D000001\r\n", S + "05FF1000" + X + "\r\n"},
      {{"--format", "1", "--sum"}, "(形式1, AnACPU, station 05, PC FF, sum on)", E + "05FFWR0D0000012F",
       S + "05FF1000" + X + "B5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.banner);
    const std::string path = dir.file("com");
    std::vector<std::string> args{"--serve", "pty:" + path, "--project", project};
    args.insert(args.end(), c.options.begin(), c.options.end());
    test::ServeProcess serve(args);
    ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
    EXPECT_NE(serve.out.find(std::string("serving on ") + path + " " + c.banner), std::string::npos) << serve.out;
    test::PcPort pc(path);
    ASSERT_TRUE(pc.ok());
    EXPECT_EQ(pc.exchange(c.request, c.reply.size()), c.reply);
    EXPECT_EQ(serve.stop(), 0) << serve.err;
  }

  test::writeFile(dir.file("Sum7.bin"), upToComment(craftedProject({4, true, "05", 7})));
  test::ServeProcess refused({"--serve", "pty:" + dir.file("com7"), "--project", dir.file("Sum7.bin")});
  EXPECT_EQ(refused.wait(), 1);
  EXPECT_NE(refused.err.find(dir.file("Sum7.bin") + ": チェックサム有り の値 7 はこのプログラムでは扱えません。"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.out.find("serving on"), std::string::npos);
}

// Serving over TCP on the loopback address, one client at a time.
TEST(Serve, ServesATcpClientAndRefusesASecond) {
  test::ServeProcess serve({"--serve", "tcp:0", "--no-sum", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on tcp:127.0.0.1:")) << serve.err;
  const std::size_t at = serve.out.find("serving on tcp:127.0.0.1:") + 25;
  const int port = std::stoi(serve.out.substr(at));
  auto connectTo = [port] {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? fd : (::close(fd), -1);
  };
  auto readFor = [](int fd, std::size_t want) {
    std::string got;
    for (int i = 0; i < 200 && got.size() < want; ++i) {
      char buf[64];
      const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
      if (n == 0) return got + "closed";
      ::usleep(10000);
    }
    return got;
  };
  const int pc = connectTo();
  ASSERT_GE(pc, 0);
  const std::string write = E + "00FFWW0D0000011234", read = E + "00FFWR0D000001";
  ::send(pc, write.data(), write.size(), MSG_NOSIGNAL);
  EXPECT_EQ(readFor(pc, 5), A + "00FF");
  const int second = connectTo();
  EXPECT_EQ(readFor(second, 1), "closed");
  ::send(pc, read.data(), read.size(), MSG_NOSIGNAL);
  EXPECT_EQ(readFor(pc, 10), S + "00FF1234" + X);
  ::close(second);
  ::close(pc);
  EXPECT_EQ(serve.stop(), 0);
  EXPECT_NE(serve.out.find("TCP 接続を拒否しました"), std::string::npos) << serve.out;
}

TEST(Serve, BadOptionsExitWithStatus2AndHelpDocumentsThem) {
  struct Case { std::vector<std::string> args; const char* message; };
  const Case cases[] = {
      {{"--serve"}, "--serve needs a value"},
      {{"--format", "1"}, "--serve PORT is required"},
      {{"--serve", "pty:/tmp/x", "--format", "5"}, "--format"},
      {{"--serve", "pty:/tmp/x", "--cpu", "QCPU"}, "--cpu"},
      {{"--serve", "pty:/tmp/x", "--station", "0"}, "--station"},
      {{"--serve", "pty:/tmp/x", "--wait", "1"}, "--wait"},
      {{"--serve", "pty:/tmp/x", "--line", "9600,q,8,1"}, "--line"},
      {{"--serve", "pty:/tmp/x", "--handshake", "4"}, "--handshake"},
      {{"--serve", "COM17"}, "COM1 to COM16"},
      {{"--serve", "pty:/tmp/x", "--bogus"}, "unknown option"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    test::ServeProcess p(c.args);
    EXPECT_EQ(p.wait(), 2);
    EXPECT_NE(p.err.find(c.message), std::string::npos) << p.err;
  }
  test::ServeProcess help({"--help"});
  EXPECT_EQ(help.wait(), 0);
  for (const char* option : {"--serve PORT", "--format", "--cpu", "--station", "--sum", "--no-check", "--wait",
                             "--line", "--handshake", "--project", "--ini"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

// Sends `requests` requests in batches of fifteen groups back to back and
// reads each batch's replies; false when a reply is missing or wrong. Each
// start character ends the frame before it, the last waits for the silence;
// a batch stays within the 1024-byte receive buffer. `afterBatch`, when set,
// runs after every batch.
bool serveBatches(test::PcPort& pc, int requests, const std::vector<std::string>& group,
                  const std::string& groupReplies, const std::function<void()>& afterBatch = nullptr) {
  std::string batch, replies;
  for (int i = 0; i < 15; ++i) {
    for (const std::string& request : group) batch += request;
    replies += groupReplies;
  }
  const int perBatch = 15 * static_cast<int>(group.size());
  for (int done = 0; done < requests; done += perBatch) {
    if (!pc.sendAll(batch)) return false;
    if (pc.receive(replies.size(), 2000) != replies) return false;
    if (afterBatch) afterBatch();
  }
  return true;
}

// Serving for a long time does not grow the process: what keeps history
// (the screen log, renderings, queues) is bounded or released once written.
TEST(ServeUnattended, MemoryStaysFlatOverManyPipelinedRequests) {
#ifdef OMBRISAL_SANITIZED
  GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: resident size says nothing here";
#endif
  test::TempDir dir;
  const std::string path = dir.file("com");
  test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", "2"});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  test::PcPort pc(path);
  ASSERT_TRUE(pc.ok());
  // A write, a read and a request for another station, which goes unanswered.
  const std::vector<std::string> group = {E + "00FFWW0D0000021234ABCD", E + "00FFWR0D000002", E + "07FFWR0D000001"};
  const std::string replies = A + "00FF" + S + "00FF1234ABCD" + X;
  auto run = [&](int requests) { return serveBatches(pc, requests, group, replies, [&] { serve.drain(); }); };
  ASSERT_TRUE(run(6000));  // warming up
  const long before = serve.rssKb();
  ASSERT_GT(before, 0);
  ASSERT_TRUE(run(60000));
  const long after = serve.rssKb();
  EXPECT_LT(after - before, 1024) << "RSS " << before << " kB -> " << after << " kB";
  EXPECT_EQ(serve.stop(), 0);
}

// A write and a read, and their replies.
const std::vector<std::string> kWriteAndRead = {E + "00FFWW0D0000011234", E + "00FFWR0D000001"};
const std::string kWriteAndReadReplies = A + "00FF" + S + "00FF1234" + X;

TEST(ServeUnattended, AReaderThatDoesNotReadNeverHoldsUpServingOrTheSignals) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", "2"});
    ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
    test::PcPort pc(path);
    // Far more log than a pipe holds, and nobody reads it.
    EXPECT_TRUE(serveBatches(pc, 6000, kWriteAndRead, kWriteAndReadReplies));
    serve.signal(sig);
    EXPECT_EQ(serve.waitWithoutReading(3000), 0);
  }
}

TEST(ServeUnattended, AReaderThatHasGoneIsReportedOnceAndServingGoesOn) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", "2"});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  serve.closeOutput();  // as `ombrisal --serve ... | head` after head has ended
  test::PcPort pc(path);
  EXPECT_TRUE(serveBatches(pc, 600, kWriteAndRead, kWriteAndReadReplies));
  EXPECT_EQ(serve.stop(), 0);
  EXPECT_NE(serve.err.find("standard output failed"), std::string::npos) << serve.err;
  EXPECT_EQ(serve.err.find("standard output failed"), serve.err.rfind("standard output failed"));  // once
}

TEST(ServeUnattended, EscapeSequencesInAFrameCannotReachTheTerminal) {
  test::TempDir dir;
  const std::string path = dir.file("com");
  test::ServeProcess serve({"--serve", "pty:" + path, "--no-sum", "--wait", "2"});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  test::PcPort pc(path);
  // A character error (07) whose report quotes the frame as received.
  EXPECT_EQ(pc.exchange(E + "00FFWR0D\x1b[2J\x7f\xc2\x9b" "1", 7), N + "00FF07");
  EXPECT_EQ(serve.stop(), 0);
  EXPECT_EQ(serve.out.find('\x1b'), std::string::npos) << serve.out;
  EXPECT_EQ(serve.out.find('\x7f'), std::string::npos);
  EXPECT_EQ(serve.out.find("\xc2\x9b"), std::string::npos);
  EXPECT_NE(serve.out.find("(ESC)[2J"), std::string::npos) << serve.out;
}

// A null-modem pair of pseudo-terminals (socat): the program serves one
// end as its device; the pair is killed, as a USB adapter is pulled, and
// made again under the same names.
TEST(ServeUnattended, ADeviceThatComesBackIsServedAgain) {
  if (std::system("command -v socat >/dev/null 2>&1") != 0) GTEST_SKIP() << "socat is not installed";
  test::TempDir dir;
  const std::string ours = dir.file("ttyA"), theirs = dir.file("ttyB");
  const std::string socat = "socat pty,raw,echo=0,link=" + ours + " pty,raw,echo=0,link=" + theirs;
  auto startPair = [&] {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl("/bin/sh", "sh", "-c", ("exec " + socat).c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 200 && !(std::filesystem::exists(ours) && std::filesystem::exists(theirs)); ++i)
      ::usleep(10000);
    return pid;
  };
  pid_t pair = startPair();
  ASSERT_TRUE(std::filesystem::exists(ours));
  test::ServeProcess serve({"--serve", ours, "--no-sum", "--wait", "5"});
  ASSERT_TRUE(serve.waitForOutput("serving on")) << serve.err;
  {
    test::PcPort pc(theirs);
    EXPECT_EQ(pc.exchange(E + "00FFWW0D0000011234", 5), A + "00FF");
  }
  ::kill(pair, SIGTERM);
  ::waitpid(pair, nullptr, 0);
  ASSERT_TRUE(serve.waitForOutput("装置が見つからなくなりました", 5000)) << serve.out << serve.err;
  pair = startPair();
  // Served again within a few seconds, with the memory it had.
  std::string reply;
  for (int i = 0; i < 50 && reply.empty(); ++i) {
    test::PcPort pc(theirs);
    reply = pc.exchange(E + "00FFWR0D000001", 8);
    if (reply.empty()) ::usleep(100 * 1000);
  }
  EXPECT_EQ(reply, S + "00FF1234" + X) << serve.err;
  EXPECT_EQ(serve.stop(), 0);
  EXPECT_NE(serve.err.find("serving again"), std::string::npos) << serve.err;
  ::kill(pair, SIGTERM);
  ::waitpid(pair, nullptr, 0);
}


// A settings file saved as UTF-8 by a Linux editor is read; one whose
// device ranges cannot be used stops the server with a message that names
// the file, the section, the key and the line.
TEST(ServeSettings, AUtfEightFileIsReadAndUnusableRangesStopTheServer) {
  test::TempDir dir;
  const std::string path = dir.file("com3");
  const std::string shipped = cp932::decode(test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
  test::writeFile(dir.file("Init.ini"), shipped + "COM3=pty:" + path + "\r\n");
  {
    test::ServeProcess serve({"--serve", "COM3", "--ini", dir.file("Init.ini"), "--no-sum", "--wait", "5"});
    ASSERT_TRUE(serve.waitForOutput("serving on " + path)) << serve.out << serve.err;
    test::PcPort pc(path);
    EXPECT_EQ(pc.exchange(E + "00FFBR0X07FF01", 7), S + "00FF0" + X);
    EXPECT_EQ(serve.stop(), 0);
    EXPECT_EQ(serve.err, "");
  }

  std::string broken = shipped;
  broken.replace(broken.find("X=X0000-X07FF"), 13, "X=X0000");
  test::writeFile(dir.file("Init.ini"), broken + "COM3=pty:" + path + "\r\n");
  test::ServeProcess serve({"--serve", "COM3", "--ini", dir.file("Init.ini")});
  EXPECT_EQ(serve.wait(), 2);
  EXPECT_NE(serve.err.find(dir.file("Init.ini") + " [デバイス範囲５桁] X (43 行目) = \"X0000\""), std::string::npos)
      << serve.err;
  EXPECT_NE(serve.err.find("cannot be used: [デバイス範囲５桁] X"), std::string::npos) << serve.err;
  EXPECT_FALSE(std::filesystem::exists(path));  // nothing was served
}

}  // namespace
}  // namespace omb
