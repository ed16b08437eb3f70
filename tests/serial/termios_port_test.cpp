// The Linux port object against pseudo-terminals: a virtual port served to
// a "PC program" on the same machine, and a pseudo-terminal slave standing
// in for a real serial device.
#include "serial/termios_port.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <filesystem>

#include "core/error.h"
#include "qt_loop.h"
#include "test_support.h"

namespace omb {
namespace {

using test::app;

// Runs the event loop for a while.
void spin(int ms) { test::spin(ms); }

// The PC program's end: opens a path raw, reads with a deadline.
struct Peer {
  int fd = -1;
  explicit Peer(const std::string& path) {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
      termios t{};
      ::tcgetattr(fd, &t);
      ::cfmakeraw(&t);
      ::tcsetattr(fd, TCSANOW, &t);
    }
  }
  ~Peer() {
    if (fd >= 0) ::close(fd);
  }
  void send(const std::string& s) const { ASSERT_EQ(::write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
  std::string receive(std::size_t n, int ms = 2000) const {
    std::string got;
    QElapsedTimer t;
    t.start();
    while (got.size() < n && t.elapsed() < ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      char buf[256];
      const ssize_t r = ::read(fd, buf, sizeof buf);
      if (r > 0) got.append(buf, static_cast<std::size_t>(r));
    }
    return got;
  }
};

// A pseudo-terminal pair standing in for a serial device: the slave's name
// is the device's path, the master the far end of the cable. Whatever is
// still open is closed with the object, also when a test stops early.
struct Pty {
  int master = -1, slave = -1;
  char name[256] = {};
  bool ok = false;
  Pty() { ok = ::openpty(&master, &slave, name, nullptr, nullptr) == 0; }
  ~Pty() {
    closeMaster();
    closeSlave();
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
  void closeMaster() {
    if (master >= 0) ::close(master);
    master = -1;
  }
  void closeSlave() {
    if (slave >= 0) ::close(slave);
    slave = -1;
  }
};

class TermiosPortTest : public ::testing::Test {
 protected:
  TermiosPortTest() {
    app();
    map.mapped[2] = "pty:" + dir.file("com3");
  }
  test::TempDir dir;
  ComPortMap map;
};

TEST_F(TermiosPortTest, AVirtualPortServesAPeerAndDisappearsOnClose) {
  TermiosPort port(map);
  std::string received;
  int deliveries = 0;
  port.onReceived = [&](std::string_view bytes) {
    received += bytes;
    ++deliveries;
  };
  port.setCommPort(3);
  port.setLineConfig(*parseLineSettings("19200,e,7,2"));
  port.open();
  ASSERT_TRUE(port.isOpen());
  EXPECT_EQ(port.peerPath(), dir.file("com3"));
  ASSERT_TRUE(std::filesystem::is_symlink(dir.file("com3")));

  Peer pc(dir.file("com3"));
  ASSERT_GE(pc.fd, 0);
  pc.send(std::string("A\0B\xFF", 4));
  spin(100);
  EXPECT_GE(deliveries, 1);
  EXPECT_EQ(received, "AB\xFF");  // the NUL never arrives

  port.send(std::string("\x02" "00FF\x03\r\n"));
  EXPECT_EQ(pc.receive(7), std::string("\x02" "00FF\x03\r\n"));  // bytes pass through untouched

  port.close();
  EXPECT_FALSE(std::filesystem::exists(dir.file("com3")));
  EXPECT_THROW(port.send("x"), RuntimeError);
}

TEST_F(TermiosPortTest, DiscardedInputIsNeverDelivered) {
  TermiosPort port(map);
  std::string received;
  port.onReceived = [&](std::string_view bytes) { received += bytes; };
  port.setCommPort(3);
  port.open();
  Peer pc(dir.file("com3"));
  pc.send("12345");
  ::usleep(50 * 1000);  // it waits in the driver, not yet read
  port.discardInput();
  spin(100);
  EXPECT_EQ(received, "");
  pc.send("6");
  spin(100);
  EXPECT_EQ(received, "6");
}

TEST_F(TermiosPortTest, AbsentAndBusyPortsFailToOpenAndStayClosed) {
  map.mapped[0] = dir.file("no-such-device");
  TermiosPort absent(map);
  absent.setCommPort(1);
  EXPECT_THROW(absent.open(), RuntimeError);
  EXPECT_FALSE(absent.isOpen());

  // A virtual port already served by another port object.
  TermiosPort first(map), second(map);
  first.setCommPort(3);
  second.setCommPort(3);
  first.open();
  try {
    second.open();
    ADD_FAILURE() << "opened a busy port";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 8005);
  }
  EXPECT_FALSE(second.isOpen());
  first.close();
  second.open();  // free again
  EXPECT_TRUE(second.isOpen());

  // A device another program holds locked.
  Pty held;
  ASSERT_TRUE(held.ok);
  ASSERT_EQ(::flock(held.slave, LOCK_EX | LOCK_NB), 0);
  map.mapped[1] = held.name;
  TermiosPort device(map);
  device.setCommPort(2);
  EXPECT_THROW(device.open(), RuntimeError);
  ::flock(held.slave, LOCK_UN);
  device.open();
  EXPECT_TRUE(device.isOpen());
  device.close();
}

TEST_F(TermiosPortTest, ADeviceThatVanishesIsReportedOnceAndCanBeOpenedAgain) {
  Pty gone;
  ASSERT_TRUE(gone.ok);
  gone.closeSlave();
  map.mapped[1] = gone.name;
  TermiosPort port(map);
  int lost = 0, other = 0;
  port.onLineEvent = [&](LineEvent e) { (e == LineEvent::DeviceLost ? lost : other)++; };
  port.onReceived = [&](std::string_view) { ++other; };
  port.setCommPort(2);
  port.open();
  gone.closeMaster();  // the far side goes: reads hang up
  spin(200);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(other, 0);
  port.close();

  Pty back;
  ASSERT_TRUE(back.ok);
  map.mapped[1] = back.name;
  port.open();
  EXPECT_TRUE(port.isOpen());
  port.close();
}

TEST_F(TermiosPortTest, LineSettingsAreCheckedAndApplied) {
  Pty device;
  ASSERT_TRUE(device.ok);
  map.mapped[1] = device.name;
  TermiosPort port(map);
  port.setCommPort(2);
  EXPECT_FALSE(parseLineSettings("9600,x,8,1"));
  EXPECT_FALSE(parseLineSettings("12345,n,8,1"));
  LineConfig odd;
  odd.baud = 12345;
  EXPECT_THROW(port.setLineConfig(odd), RuntimeError);
  LineConfig c = *parseLineSettings("19200,e,7,2");
  c.handshake = Handshake::RtsCts;
  port.setLineConfig(c);
  port.open();
  termios t{};
  ASSERT_EQ(::tcgetattr(device.slave, &t), 0);
  // (A pseudo-terminal keeps 8 bits without parity whatever it is told.)
  EXPECT_EQ(::cfgetospeed(&t), B19200);
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_TRUE(t.c_iflag & PARMRK);
  // What the device did not take is named, not announced as applied.
  const std::vector<std::string> refused = port.unappliedSettings();
  for (const std::string& r : refused) EXPECT_TRUE(r.rfind("データ長", 0) == 0 || r.rfind("パリティ", 0) == 0) << r;
  EXPECT_EQ(refused.size(), 2u);

  // With marking on, a data byte FFh arrives doubled and is delivered once.
  std::string received;
  port.onReceived = [&](std::string_view bytes) { received += bytes; };
  ASSERT_EQ(::write(device.master, "\xFF" "Z", 2), 2);
  spin(100);
  EXPECT_EQ(received, "\xFF" "Z");
  port.close();
}

}  // namespace
}  // namespace omb
