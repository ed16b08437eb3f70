// The TCP line on the loopback address: one client at a time, clients that
// come and go, and the connection out to a device server.
#include "serial/tcp_transport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <string>
#include <vector>

#include "core/error.h"
#include "qt_loop.h"

namespace omb {
namespace {

// A PC program's end of the link.
struct Client {
  int fd = -1;
  explicit Client(int port) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ~Client() {
    if (fd >= 0) ::close(fd);
  }
  void send(const std::string& s) const { ::send(fd, s.data(), s.size(), MSG_NOSIGNAL); }
  // What arrives within `ms`; "closed" once the far end has closed.
  std::string read(int ms) const {
    std::string got;
    test::spin(ms, [&] {
      char buf[256];
      const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
      if (n == 0) {
        got += "closed";
        return true;
      }
      return false;
    });
    return got;
  }
};

int portOf(const std::string& peer) { return std::stoi(peer.substr(peer.rfind(':') + 1)); }

TEST(TcpLine, ServesOneClientAtATimeAndOutlivesThem) {
  test::app();
  TcpTransport line;
  line.setTarget("tcp:0");  // any free port on the loopback address
  std::string received;
  std::vector<std::string> notices;
  line.onReceived = [&](std::string_view b) { received.append(b); };
  line.onNotice = [&](const std::string& m) { notices.push_back(m); };
  line.open();
  ASSERT_TRUE(line.isOpen());
  ASSERT_EQ(line.peerName().rfind("tcp:127.0.0.1:", 0), 0u) << line.peerName();
  const int port = portOf(line.peerName());

  {
    Client first(port);
    ASSERT_GE(first.fd, 0);
    ASSERT_TRUE(test::spin(2000, [&] { return line.connected(); }));
    first.send("\x05" "00FFWR0D000001");
    ASSERT_TRUE(test::spin(2000, [&] { return received.size() == 15; }));
    line.send("\x02" "00FF1234\x03");
    EXPECT_EQ(first.read(300), "\x02" "00FF1234\x03");

    // A second client is refused at once; the first stays served.
    Client second(port);
    EXPECT_EQ(second.read(2000), "closed");
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[1].find("拒否"), std::string::npos) << notices[1];
    line.send("\x06" "00FF");
    EXPECT_EQ(first.read(300), "\x06" "00FF");
  }
  // The first went away: the line listens on; a client that sends and
  // closes is still heard.
  ASSERT_TRUE(test::spin(2000, [&] { return !line.connected(); }));
  EXPECT_TRUE(line.isOpen());
  received.clear();
  {
    Client third(port);
    third.send("\x05" "00FFBR0X00001");
  }
  ASSERT_TRUE(test::spin(2000, [&] { return received.size() == 14; }));
  line.send("late");  // nobody there: dropped, no failure
  line.close();
  EXPECT_FALSE(line.isOpen());
}

TEST(TcpLine, ConnectsOutAndTellsWhenTheServerGoes) {
  test::app();
  // A device server.
  const int server = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(server, 1), 0);
  socklen_t len = sizeof a;
  ::getsockname(server, reinterpret_cast<sockaddr*>(&a), &len);

  TcpTransport line;
  line.setTarget("tcp-connect:127.0.0.1:" + std::to_string(ntohs(a.sin_port)));
  std::string received;
  std::vector<LineEvent> events;
  line.onReceived = [&](std::string_view b) { received.append(b); };
  line.onLineEvent = [&](LineEvent e) { events.push_back(e); };
  line.open();
  const int peer = ::accept(server, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  ::send(peer, "\x05" "00FF", 5, 0);
  ASSERT_TRUE(test::spin(2000, [&] { return received.size() == 5; }));
  line.send("\x06" "00FF");
  char buf[16] = {};
  ASSERT_TRUE(test::spin(2000, [&] { return ::recv(peer, buf, sizeof buf, MSG_DONTWAIT | MSG_PEEK) == 5; }));
  ::close(peer);
  ASSERT_TRUE(test::spin(2000, [&] { return !events.empty(); }));
  EXPECT_EQ(events[0], LineEvent::DeviceLost);
  ::close(server);

  // Nothing to connect to: the open does not wait for the answer; the
  // refusal comes as the line going away, and the line is closed.
  TcpTransport nowhere;
  nowhere.setTarget("tcp-connect:127.0.0.1:1");
  std::vector<LineEvent> lost;
  nowhere.onLineEvent = [&](LineEvent e) { lost.push_back(e); };
  nowhere.open();
  ASSERT_TRUE(test::spin(2000, [&] { return !lost.empty(); }));
  EXPECT_EQ(lost[0], LineEvent::DeviceLost);
  EXPECT_FALSE(nowhere.isOpen());

  // A name is never looked up (that could hold the program for seconds).
  TcpTransport named;
  named.setTarget("tcp-connect:device.invalid:4001");
  try {
    named.open();
    ADD_FAILURE() << "a host name was accepted";
  } catch (const RuntimeError& e) {
    EXPECT_NE(e.description().find("数値のアドレス"), std::string::npos) << e.description();
  }
  EXPECT_FALSE(named.isOpen());
}

// A client that does not read: its replies queue up to the limit, the
// overflow is told once, and it is served again once it reads.
TEST(TcpLine, AClientThatDoesNotReadFillsTheQueueOnce) {
  test::app();
  TcpTransport line;
  line.setTarget("tcp:0");
  std::vector<LineEvent> events;
  line.onLineEvent = [&](LineEvent e) { events.push_back(e); };
  line.open();
  Client client(portOf(line.peerName()));
  ASSERT_TRUE(test::spin(2000, [&] { return line.connected(); }));
  const std::string reply(1000, 'R');
  const std::size_t sent = 16000;  // 16 MB: more than the loopback's buffers and the queue hold
  for (std::size_t i = 0; i < sent; ++i) line.send(reply);
  test::spin(100);
  EXPECT_EQ(events, std::vector<LineEvent>{LineEvent::TxFull});
  EXPECT_GT(line.droppedReplies(), 0u);
  // It reads: everything queued arrives, in whole replies, and the next
  // reply after it.
  std::size_t got = 0;
  QElapsedTimer quiet;
  quiet.start();
  while (quiet.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    char buf[65536];
    const ssize_t n = ::recv(client.fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
      quiet.restart();
    }
  }
  EXPECT_EQ(got, (sent - line.droppedReplies()) * reply.size());  // whole replies, none cut
  line.send("next");
  EXPECT_EQ(client.read(300), "next");
  for (std::size_t i = 0; i < sent; ++i) line.send(reply);
  test::spin(100);
  EXPECT_EQ(events.size(), 2u);  // a second episode, told once
}

}  // namespace
}  // namespace omb
