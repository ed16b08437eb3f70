// The control channel on a Unix domain socket: a test script connects,
// writes one request a line and reads one line of JSON back (the commands
// and answers are in app/control_commands.h).  `ombrisal --serve ...
// --control PATH` and the main window's 回線ツール menu start it;
// `ombrisal ctl PATH COMMAND...` is its client.
//
// The server runs on the Qt event loop, the thread the protocol engine
// runs on: a request of the channel is carried out between two events of
// the line, never in the middle of a request from the PC program, so the
// PC program always sees a set of the channel's writes whole or not at
// all.  Nothing here blocks: reads and writes are non-blocking, and a
// wait-change waits as a pending answer, not in a loop.
//
// Peers are not trusted: a line longer than kMaxLine is answered with an
// error and the connection closed; a peer that goes away (even in the
// middle of a line or of a wait) only loses its connection; a peer that
// does not read its answers is not read from either.  At most
// kMaxConnections are served at once; when all are taken, a newcomer takes
// the place of the connection that has been idle longest (nothing asked,
// nothing waiting, silent for kIdleBeforeEvictMs), so idle clients cannot
// hold the channel; only when none is idle is the newcomer told so and
// closed.  The socket file is made for its owner only (0600).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/control_commands.h"

class QObject;
class QSocketNotifier;

namespace omb {

class ControlServer {
 public:
  static constexpr std::size_t kMaxLine = 64 * 1024;
  static constexpr std::size_t kMaxConnections = 8;
  static constexpr std::int64_t kIdleBeforeEvictMs = 1000;

  explicit ControlServer(ControlInterpreter& interpreter);
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Creates the socket at `path` and listens; why it could not, else empty.
  // A socket file nobody listens on any longer (left by a program that was
  // killed) is replaced; one somebody listens on, or any other file, is not.
  std::optional<std::string> listen(const std::string& path);
  // Every connection closed (waits cancelled) and the socket file removed.
  void close();
  bool listening() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  std::size_t connections() const { return connections_.size(); }

  // A quit request has been answered.
  std::function<void()> onQuit;

 private:
  struct Connection {
    int fd = -1;
    QSocketNotifier *reader = nullptr, *writer = nullptr;
    std::string in, out;
    ControlInterpreter::WaitId wait = 0;
    bool ended = false;    // the peer sends no more
    bool closing = false;  // closed once `out` has left
    bool quit = false;     // onQuit once `out` has left
    std::int64_t lastActiveMs = 0;  // the last request or answer, steady clock
  };
  using Id = std::uint64_t;
  void accept();
  // Closes the connection idle longest to make room; false when none is.
  bool evictIdle();
  void readFrom(Id id);
  void serve(Id id);
  void refuse(Id id);
  void send(Id id, const std::string& answer);
  void flush(Id id);
  void drop(Id id);

  ControlInterpreter& interpreter_;
  // The parent of the notifiers: those retired from inside their own
  // signal are deleted by the loop, or with this at the end.
  std::unique_ptr<QObject> anchor_;
  QSocketNotifier* acceptor_ = nullptr;
  int fd_ = -1;
  std::string path_;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  std::map<Id, Connection> connections_;
  Id nextId_ = 0;
};

class AppCore;
class ProjectCommands;

// The channel of the running program: its interpreter on the program's
// state and a server, started and stopped at will.
class ControlChannel {
 public:
  ControlChannel(AppCore& core, ProjectCommands& project);
  std::optional<std::string> start(const std::string& path) { return server_.listen(path); }
  void stop() { server_.close(); }
  bool running() const { return server_.listening(); }
  const std::string& path() const { return server_.path(); }
  // What a quit request does (the serve mode ends its loop, the window
  // closes).
  void setOnQuit(std::function<void()> quit) { server_.onQuit = std::move(quit); }

 private:
  ControlInterpreter interpreter_;
  ControlServer server_;
};

// The client: sends one request to the socket at `path` and returns its
// answer line (without the newline); empty with `error` set when there was
// no answer.
std::optional<std::string> controlRequest(const std::string& path, const std::string& request, std::string& error);

// The request line of `ombrisal ctl`: the words joined by blanks, with the
// project path of load and save made absolute against `callerFolder`.
std::string controlRequestText(const std::vector<std::string>& words, const std::string& callerFolder);

// The exit status of `ombrisal ctl ... wait-change` that timed out.
inline constexpr int kControlTimedOut = 3;

// `ombrisal ctl PATH COMMAND...`: the words joined by blanks as one
// request; the answer on standard output.  0 when it reports success, 3
// when a wait-change timed out, 1 with the error on standard error
// otherwise.
int runControlClient(const std::string& path, const std::vector<std::string>& words);

}  // namespace omb
