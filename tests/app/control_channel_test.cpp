// The control socket on the event loop, against peers that behave and
// peers that do not: the socket file and its permissions, a megabyte
// without a line end, peers that vanish in the middle of a line or a wait,
// too many peers, requests in order, the command-line client; loading and
// saving through the program's project commands, and the main window's
// entry.
#include "app/control_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "app/app_core.h"
#include "app/frm_main.h"
#include "app/project_commands.h"
#include "core/system_state.h"
#include "serial/qt_scheduler.h"
#include "test_support.h"

namespace omb {
namespace {

// Runs the loop until `done` (true) or a generous time-out (false).
bool spinUntil(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

int connectedSocket(const std::string& path) {
  const int fd = test::connectUnix(path);
  if (fd >= 0) ::fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

// A script's end of a connection, on the test's own thread: everything it
// waits for runs the loop meanwhile, so the server (same thread) goes on.
class Peer {
 public:
  explicit Peer(const std::string& path) : fd_(connectedSocket(path)) {}
  ~Peer() { close(); }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;
  bool ok() const { return fd_ >= 0; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void shutdownWrite() { ::shutdown(fd_, SHUT_WR); }
  // Writes all of `bytes` (false when the server stopped taking them).
  bool send(const std::string& bytes) {
    std::size_t done = 0;
    bool failed = false;
    spinUntil([&] {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (n < 0 && errno != EAGAIN && errno != EINTR) failed = true;
      return failed || done == bytes.size();
    });
    return !failed && done == bytes.size();
  }
  // The next answer line; empty when the connection ended first.
  std::string answer() {
    spinUntil([&] {
      pump();
      return in_.find('\n') != std::string::npos || ended_;
    });
    const std::size_t nl = in_.find('\n');
    if (nl == std::string::npos) return {};
    std::string line = in_.substr(0, nl);
    in_.erase(0, nl + 1);
    return line;
  }
  std::string ask(const std::string& request) { return send(request + "\n") ? answer() : std::string("(not sent)"); }
  // Whether the server closed the connection (after anything it sent).
  bool closedByServer() {
    spinUntil([&] {
      pump();
      return ended_;
    });
    return ended_;
  }
  // Nothing has arrived (what has already been sent by now).
  bool quiet() {
    pump();
    return in_.empty() && !ended_;
  }

 private:
  void pump() {
    char buf[4096];
    for (;;) {
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n > 0) {
        in_.append(buf, static_cast<std::size_t>(n));
        continue;
      }
      if (n == 0 || (errno != EAGAIN && errno != EINTR)) ended_ = true;
      return;
    }
  }
  int fd_;
  std::string in_;
  bool ended_ = false;
};

class Socket : public ::testing::Test {
 protected:
  Socket() {
    subSetOldVersionRanges(state.range5, state.range7);
    state.subReDim_Device();
  }
  std::int16_t d(int number) const { return state.memory.word(kD, number); }

  test::TempDir dir;
  const std::string path = dir.file("ctl.sock");
  test::RecordingErrorSink errors;
  SystemState state{errors};
  QtScheduler scheduler;
  FaultInjector faults;
  LinkStats stats;
  ControlInterpreter interpreter{ControlTargets{state.memory, scheduler, faults, stats, {}, {}, {}, {}, {}}};
  ControlServer server{interpreter};
};

TEST_F(Socket, TheSocketIsTheOwnersAloneAndGoesAwayWithTheServer) {
  // Whatever the umask the program was started with.
  const mode_t mask = ::umask(0);
  const auto failed = server.listen(path);
  ::umask(mask);
  ASSERT_FALSE(failed) << *failed;
  struct stat st{};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  Peer peer(path);
  EXPECT_EQ(peer.ask("get D0"), R"j({"ok":true,"values":[0]})j");
  server.close();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(peer.closedByServer());
  EXPECT_EQ(connectedSocket(path), -1);
}

TEST_F(Socket, AStaleSocketIsReplacedButALiveOneOrAnotherFileIsNot) {
  test::writeFile(path, "somebody's notes");
  EXPECT_EQ(server.listen(path), path + " exists and is not a socket");
  EXPECT_EQ(test::readFile(path), "somebody's notes");
  std::filesystem::remove(path);

  // Left behind by a program that was killed: bound, never listened on.
  {
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(stale);
  }
  ASSERT_TRUE(std::filesystem::exists(path));
  ASSERT_FALSE(server.listen(path));

  ControlServer second(interpreter);
  EXPECT_EQ(second.listen(path), "another program listens on " + path);
  Peer peer(path);
  EXPECT_EQ(peer.ask("get D0"), R"j({"ok":true,"values":[0]})j");  // the first one still serves

  // A file that replaced ours since is not ours to remove.
  std::filesystem::remove(path);
  test::writeFile(path, "new");
  server.close();
  EXPECT_EQ(test::readFile(path), "new");

  EXPECT_NE(server.listen(dir.file(std::string(120, 'x'))), std::nullopt);
  EXPECT_FALSE(server.listening());
}

TEST_F(Socket, AMegabyteWithoutALineEndIsRefusedAndServingGoesOn) {
  ASSERT_FALSE(server.listen(path));
  Peer flood(path);
  // The server stops reading at its limit and closes: the rest of the
  // megabyte cannot be sent, which is what the flood is told too.
  flood.send(std::string(1 << 20, 'x'));
  EXPECT_EQ(flood.answer(), R"j({"ok":false,"error":"request line longer than 65536 bytes"})j");
  EXPECT_TRUE(flood.closedByServer());
  EXPECT_TRUE(spinUntil([&] { return server.connections() == 0; }));

  // A line of exactly the limit is a request like any other.
  Peer full(path);
  std::string line = "set D3 7";
  line.resize(ControlServer::kMaxLine, ' ');
  EXPECT_EQ(full.ask(line), R"j({"ok":true})j");
  EXPECT_EQ(d(3), 7);
  // And a set sent in the flood's place was never carried out.
  Peer cut(path);
  cut.send("set D4 9 " + std::string(ControlServer::kMaxLine, ' ') + "\n");
  EXPECT_EQ(cut.answer(), R"j({"ok":false,"error":"request line longer than 65536 bytes"})j");
  EXPECT_EQ(d(4), 0);
}

TEST_F(Socket, APeerThatVanishesMidLineOrMidWaitCostsOnlyItsConnection) {
  ASSERT_FALSE(server.listen(path));
  {
    Peer gone(path);
    ASSERT_TRUE(gone.send("set D0 5"));
    EXPECT_TRUE(spinUntil([&] { return server.connections() == 1; }));
  }
  EXPECT_TRUE(spinUntil([&] { return server.connections() == 0; }));
  EXPECT_EQ(d(0), 0);  // half a request is no request

  {
    Peer waiting(path);
    ASSERT_TRUE(waiting.send("wait-change D1 600000\n"));
    EXPECT_TRUE(spinUntil([&] { return interpreter.waiting() == 1; }));
  }
  EXPECT_TRUE(spinUntil([&] { return interpreter.waiting() == 0 && server.connections() == 0; }));

  // A peer that only stops sending still gets its answers.
  Peer halfClosed(path);
  ASSERT_TRUE(halfClosed.send("set D2 7\nget D2\nset D2 8"));
  halfClosed.shutdownWrite();
  EXPECT_EQ(halfClosed.answer(), R"j({"ok":true})j");
  EXPECT_EQ(halfClosed.answer(), R"j({"ok":true,"values":[7]})j");
  EXPECT_TRUE(halfClosed.closedByServer());
  EXPECT_EQ(d(2), 7);

  Peer next(path);
  EXPECT_EQ(next.ask("get D2"), R"j({"ok":true,"values":[7]})j");
}

TEST_F(Socket, OneConnectionIsAnsweredInOrderWhileOthersGoOn) {
  ASSERT_FALSE(server.listen(path));
  Peer script(path);
  ASSERT_TRUE(script.send("wait-change D1 600000\nget D1\nset D1 3\n"));
  ASSERT_TRUE(spinUntil([&] { return interpreter.waiting() == 1; }));
  // The requests after the wait wait with it; another peer is served.
  Peer other(path);
  EXPECT_EQ(other.ask("get D1"), R"j({"ok":true,"values":[0]})j");
  EXPECT_TRUE(script.quiet());
  EXPECT_EQ(other.ask("set D1 9"), R"j({"ok":true})j");
  EXPECT_EQ(script.answer(), R"j({"ok":true,"values":[9]})j");
  EXPECT_EQ(script.answer(), R"j({"ok":true,"values":[9]})j");
  EXPECT_EQ(script.answer(), R"j({"ok":true})j");
  EXPECT_EQ(d(1), 3);
}

TEST_F(Socket, TooManyPeersAreToldSoAndAPlaceThatFreesIsTakenAgain) {
  ASSERT_FALSE(server.listen(path));
  std::vector<std::unique_ptr<Peer>> peers;
  for (std::size_t i = 0; i < ControlServer::kMaxConnections; ++i) {
    peers.push_back(std::make_unique<Peer>(path));
    ASSERT_EQ(peers.back()->ask("get D0"), R"j({"ok":true,"values":[0]})j");
  }
  Peer extra(path);
  EXPECT_EQ(extra.answer(), R"j({"ok":false,"error":"too many connections (at most 8)"})j");
  EXPECT_TRUE(extra.closedByServer());
  peers.front()->close();
  ASSERT_TRUE(spinUntil([&] { return server.connections() == ControlServer::kMaxConnections - 1; }));
  Peer again(path);
  EXPECT_EQ(again.ask("get D0"), R"j({"ok":true,"values":[0]})j");
}

TEST_F(Socket, QuitIsAnsweredBeforeTheOwnerIsTold) {
  ASSERT_FALSE(server.listen(path));
  bool quit = false;
  server.onQuit = [&] { quit = true; };
  Peer peer(path);
  EXPECT_EQ(peer.ask("quit"), R"j({"ok":true})j");
  EXPECT_TRUE(spinUntil([&] { return quit; }));
}

TEST_F(Socket, TheClientSendsOneLineAndReturnsTheAnswer) {
  ASSERT_FALSE(server.listen(path));
  state.memory.write(kD, 7, -2);
  std::string error;
  std::optional<std::string> answer;
  // The client blocks: it runs beside the loop that serves it.
  std::atomic<bool> done = false;
  std::thread client([&] {
    answer = controlRequest(path, "get D7", error);
    done = true;
  });
  spinUntil([&] { return done.load(); });
  client.join();
  EXPECT_EQ(answer, R"j({"ok":true,"values":[-2]})j") << error;

  EXPECT_EQ(controlRequest(path, "set D7 1\nset D8 1", error), std::nullopt);
  EXPECT_EQ(error, "a request is one line: it cannot hold a line break");
  EXPECT_EQ(controlRequest(dir.file("none.sock"), "get D0", error), std::nullopt);
  EXPECT_EQ(error, "cannot connect to " + dir.file("none.sock") + ": No such file or directory");
  EXPECT_EQ(d(7), -2);
}

// The running program: its state from the shipped settings file and its
// project commands, as the serve mode and the window have them.
class Program : public ::testing::Test {
 protected:
  Program() {
    test::writeFile(dir.file("Init.ini"), test::readFile(OMBRISAL_SOURCE_DIR "/resources/Init.ini"));
    EXPECT_TRUE(core.startUp());
  }
  test::TempDir dir;
  RecordingPresenter presenter;
  ManualClock clock;
  AppCore core{presenter, clock, dir.str() + "/"};
  ProjectCommands project{core};
};

// Loading and saving through the running program's project commands.
TEST_F(Program, ASavedProjectLoadsBackWholeWithItsLinkSettings) {
  ManualScheduler scheduler(clock);
  ControlTargets targets = controlTargetsOf(core, project);
  ControlInterpreter interpreter(ControlTargets{targets.memory, scheduler, targets.faults, targets.stats,
                                                targets.load, targets.save, targets.stationMemory,
                                                targets.watchAll, targets.unwatchAll});
  auto run = [&](const std::string& line) { return interpreter.run(line).answer; };
  std::vector<std::string> refreshed;
  core.subDspRenew = [&](const std::string& device, const std::string& code) { refreshed.push_back(device + code); };

  const std::string path = dir.file("line 3.bin");
  core.comments.subAdd_Comment("D000100\tpump");
  EXPECT_EQ(run("set D100 1234"), R"j({"ok":true})j");
  EXPECT_EQ(refreshed, std::vector<std::string>{"AllDATA"});  // the views' normal refresh
  core.link.config.format = Format::F1;
  EXPECT_EQ(run("save " + path), R"j({"ok":true})j");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::exists(commentFileOf(path)));

  EXPECT_EQ(run("set D100 5"), R"j({"ok":true})j");
  core.comments.subClear_Comment();
  core.link.config.format = Format::F4;
  EXPECT_EQ(run("load " + path), R"j({"ok":true})j");
  EXPECT_EQ(run("get D100"), R"j({"ok":true,"values":[1234]})j");
  EXPECT_EQ(core.link.config.format, Format::F1);  // as the window opens it
  EXPECT_EQ(core.comments.fncDeviceComment("D", 100), "pump");

  // Not a project, or no file at all: nothing of it is taken over.
  EXPECT_EQ(run("set D100 5"), R"j({"ok":true})j");
  test::writeFile(dir.file("junk.bin"), "not a project");
  EXPECT_EQ(run("load " + dir.file("junk.bin")),
            controlError("cannot load " + dir.file("junk.bin") + ": not a project file (no version header)"));
  const std::string missing = run("load " + dir.file("none.bin"));
  EXPECT_EQ(missing.rfind(R"j({"ok":false,"error":"cannot load )j", 0), 0u) << missing;
  const std::string unsaved = run("save " + dir.file("no/such/folder.bin"));
  EXPECT_EQ(unsaved.rfind(R"j({"ok":false,"error":"cannot save )j", 0), 0u) << unsaved;
  EXPECT_EQ(run("get D100"), R"j({"ok":true,"values":[5]})j");

  // The generators travel with the project, and a bad generator file
  // beside it keeps everything as it was.
  std::string why;
  ASSERT_TRUE(core.generators.load("counter D300 period=100", clock.steadyMs(), why)) << why;
  EXPECT_EQ(run("save " + path), R"j({"ok":true})j");
  EXPECT_TRUE(std::filesystem::exists(simFileOf(path)));
  core.generators.clear();
  EXPECT_EQ(run("load " + path), R"j({"ok":true})j");
  ASSERT_EQ(core.generators.entries().size(), 1u);
  test::writeFile(simFileOf(path), "wobble D1\n");
  EXPECT_EQ(run("set D100 7"), R"j({"ok":true})j");  // the project holds 5
  const std::string bad = run("load " + path);
  EXPECT_NE(bad.find("line 3_Sim.txt"), std::string::npos) << bad;
  EXPECT_EQ(run("get D100"), R"j({"ok":true,"values":[7]})j");
  EXPECT_EQ(core.generators.entries().size(), 1u);
}

// The main window's entry starts and stops the same server.
TEST_F(Program, TheToolsMenuStartsAndStopsTheControlSocket) {
  FrmMain w(core);
  auto control = std::make_shared<ControlChannel>(core, project);
  w.startControl = [control](const std::string& path) { return control->start(path); };
  w.stopControl = [control] { control->stop(); };
  QAction* entry = w.findChild<QAction*>("mnuControl");
  ASSERT_NE(entry, nullptr);

  const std::string path = dir.file("omb.sock");
  presenter.inputAnswers = {path};
  entry->trigger();
  EXPECT_TRUE(entry->isChecked());
  EXPECT_EQ(presenter.inputs.back().title, "制御ソケット");
  EXPECT_TRUE(entry->toolTip().contains(QString::fromStdString(path))) << entry->toolTip().toStdString();
  {
    Peer peer(path);
    EXPECT_EQ(peer.ask("set D100 12"), R"j({"ok":true})j");
  }
  EXPECT_EQ(core.state.memory.fncDeviceData(100, "D"), 12);
  entry->trigger();
  EXPECT_FALSE(entry->isChecked());
  EXPECT_FALSE(std::filesystem::exists(path));

  // A path it cannot use is told in a box, and the entry stays off.
  test::writeFile(path, "notes");
  presenter.inputAnswers = {path};
  entry->trigger();
  EXPECT_FALSE(entry->isChecked());
  ASSERT_FALSE(presenter.boxes.empty());
  EXPECT_EQ(presenter.boxes.back().title, "制御ソケット");
  EXPECT_NE(presenter.boxes.back().text.find("制御ソケットを開始できませんでした。"), std::string::npos);
  // Cancelled: nothing happens.
  const std::size_t boxes = presenter.boxes.size();
  entry->trigger();
  EXPECT_FALSE(entry->isChecked());
  EXPECT_EQ(presenter.boxes.size(), boxes);
}

}  // namespace
}  // namespace omb
