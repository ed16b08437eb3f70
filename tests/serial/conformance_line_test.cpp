// The conformance table over the real lines: the engine on a virtual port
// and on TCP (loopback), on the event loop and the system clock, as the
// program runs it.  The PC program at the far end writes each request whole
// and reads the reply; what comes back, what is reported and what the
// request does to device memory must be exactly what the in-memory port
// gives.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>

#include "core/clock.h"
#include "link/conformance_cases.h"
#include "link/link_harness.h"
#include "pc_port.h"
#include "qt_loop.h"
#include "serial/qt_scheduler.h"
#include "serial/tcp_transport.h"
#include "serial/termios_port.h"
#include "test_support.h"

namespace omb {
namespace {

using namespace conformance;

constexpr int kWaitMs = 10;
// A reply normally comes one wait after the request; this only bounds a
// reply that never comes.
constexpr int kReplyDeadlineMs = 2000;
// A request that is not answered: the silence that ends it, and margin.
constexpr int kNoReplyMs = 4 * kWaitMs + 20;
// After the reply: time for bytes that should not be there to show up.
constexpr int kSettleMs = kWaitMs;

enum class LineKind { VirtualPort, Tcp };

void PrintTo(LineKind k, std::ostream* os) { *os << (k == LineKind::Tcp ? "Tcp" : "VirtualPort"); }

// The PC program's end of a line.
class PcEnd {
 public:
  virtual ~PcEnd() = default;
  virtual bool ok() const = 0;
  virtual bool send(const std::string& bytes) = 0;
  // What has arrived, without waiting.
  virtual std::string take() = 0;
};

class VirtualPortEnd final : public PcEnd {
 public:
  explicit VirtualPortEnd(const std::string& path) : port_(path) {}
  bool ok() const override { return port_.ok(); }
  bool send(const std::string& bytes) override { return port_.sendAll(bytes, 1000); }
  std::string take() override { return port_.receive(std::numeric_limits<std::size_t>::max(), 0); }

 private:
  test::PcPort port_;
};

class TcpEnd final : public PcEnd {
 public:
  explicit TcpEnd(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ < 0) return;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  ~TcpEnd() override {
    if (fd_ >= 0) ::close(fd_);
  }
  TcpEnd(const TcpEnd&) = delete;
  TcpEnd& operator=(const TcpEnd&) = delete;
  bool ok() const override { return fd_ >= 0; }
  bool send(const std::string& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n > 0)
        done += static_cast<std::size_t>(n);
      else if (n < 0 && errno != EINTR)
        return false;  // requests are far smaller than any socket buffer
    }
    return true;
  }
  std::string take() override {
    std::string got;
    char buf[512];
    ssize_t n;
    while ((n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT)) > 0) got.append(buf, static_cast<std::size_t>(n));
    return got;
  }

 private:
  int fd_ = -1;
};

int portOf(const std::string& peer) { return std::stoi(peer.substr(peer.rfind(':') + 1)); }

// The engine on a real line, set up as the in-memory harness sets it up.
class LineHarness {
 public:
  explicit LineHarness(LineKind kind)
      : kind_(kind), port(kind == LineKind::Tcp ? static_cast<Transport&>(tcp_) : static_cast<Transport&>(pty_)) {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
    settings.waitMs = kWaitMs;
    settings.chkViewAlert = true;  // no question boxes unless a test wants them
    engine.onQuestion = [this](const Question& q) {
      engine.answer(presenter.message(q.text, q.title, MsgIcon::Exclamation, MsgButtons::YesNo) == MsgAnswer::Yes);
    };
    engine.closeRequested = [this] {
      port.close();
      engine.abort();
    };
    engine.onIdle = [this] { ++idles_; };
    port.onReceived = [this](std::string_view bytes) { engine.feed(bytes); };
    port.onLineEvent = [this](LineEvent e) { engine.lineError(e); };
  }

  // Opens the line and connects the PC program to it.
  void open() {
    if (kind_ == LineKind::Tcp) {
      tcp_.setTarget("tcp:0");  // any free port on the loopback address
      tcp_.open();
      pc_ = std::make_unique<TcpEnd>(portOf(tcp_.peerName()));
      ASSERT_TRUE(pc_->ok()) << tcp_.peerName();
      ASSERT_TRUE(test::spin(2000, [&] { return tcp_.connected(); }));
    } else {
      pty_.setTarget("pty:" + dir_.file("com"));
      pty_.open();
      pc_ = std::make_unique<VirtualPortEnd>(pty_.peerPath());
      ASSERT_TRUE(pc_->ok()) << pty_.peerPath();
    }
  }

  // Sends `request` whole and reads until `expected` bytes came and the
  // engine has finished the burst (or a bounded time passed), then a little
  // longer for anything that should not be there.
  std::string exchange(const std::string& request, std::size_t expected) {
    const int before = idles_;
    if (!pc_->send(request)) {
      ADD_FAILURE() << "the request could not be written";
      return {};
    }
    std::string got;
    test::spin(expected ? kReplyDeadlineMs : kNoReplyMs, [&] {
      got += pc_->take();
      return idles_ > before && got.size() >= expected;
    });
    test::spin(kSettleMs, [&] {
      got += pc_->take();
      return false;
    });
    return got;
  }
  // What arrived unasked.
  std::string leftover() { return pc_->take(); }

 private:
  QCoreApplication& app_ = test::app();  // before anything that lives on the event loop
  LineKind kind_;
  test::TempDir dir_;
  ComPortMap map_;
  TermiosPort pty_{map_};
  TcpTransport tcp_;
  std::unique_ptr<PcEnd> pc_;
  int idles_ = 0;

 public:
  SystemClock clock;
  QtScheduler loop;
  test::RecordingErrorSink errors;
  SystemState state{errors};
  LinkSettings settings;
  LinkLists lists;
  Transport& port;
  RecordingPresenter presenter;
  test::RecordingTraffic log;
  LinkContext ctx{state, settings, lists, clock, log, [] {}};
  LinkEngine engine{ctx, loop, port};
};

// The real line as the cases see it; their own exchanges wait for the
// burst to end, whatever the reply's length.
class OverLine final : public test::LinkUnderTest {
 public:
  explicit OverLine(LineHarness& h) : LinkUnderTest(h.state, h.lists), h_(h) {}
  std::string exchange(const std::string& bytes) override { return h_.exchange(bytes, 0); }

 private:
  LineHarness& h_;
};

class LineConformance : public ::testing::TestWithParam<std::tuple<Case, LineKind>> {};

TEST_P(LineConformance, ReplyAndReport) {
  const auto& [c, kind] = GetParam();
  LineHarness h(kind);
  h.settings.config.format = static_cast<Format>(c.format);
  h.settings.config.sum = c.sum ? CheckState::Checked : CheckState::Unchecked;
  h.settings.config.cpu = *cpuOfName(c.cpu);
  ASSERT_NO_FATAL_FAILURE(h.open());
  OverLine line(h);
  if (c.setup) c.setup(line);
  h.leftover();
  h.log.entries.clear();

  EXPECT_EQ(h.exchange(c.request, c.reply.size()), c.reply);
  EXPECT_FALSE(h.engine.busy());
  const std::string refusal = "【否定応答 受信電文】 : ";
  std::string report;
  for (const auto& e : h.log.entries)
    if (e.kind.rfind(refusal, 0) == 0) report = e.kind;
  if (c.errorLine) {
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.substr(report.rfind("\r\n") + 2), c.errorLine);
  } else {
    EXPECT_EQ(report, "");
  }
  if (c.effect) c.effect(line);
  EXPECT_TRUE(h.errors.reports.empty());
}

// Named after the line and the case, so a case that fails on one line
// only is plain to see.
std::string lineCaseName(const ::testing::TestParamInfo<std::tuple<Case, LineKind>>& info) {
  const LineKind kind = std::get<1>(info.param);
  return std::string(kind == LineKind::Tcp ? "Tcp_" : "VirtualPort_") + testName(std::get<0>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Lines, LineConformance,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(LineKind::VirtualPort, LineKind::Tcp)),
                         lineCaseName);

}  // namespace
}  // namespace omb
