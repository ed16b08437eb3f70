#include "app/control_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace omb {

namespace {

std::optional<sockaddr_un> addressOf(const std::string& path, std::string& error) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof a.sun_path) {
    error = "the socket path must be 1 to " + std::to_string(sizeof a.sun_path - 1) + " bytes long: " + path;
    return std::nullopt;
  }
  std::memcpy(a.sun_path, path.data(), path.size());
  return a;
}

int connectTo(int fd, const sockaddr_un& a) {
  int r;
  do r = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
  while (r != 0 && errno == EINTR);
  return r;
}

std::int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Releases a notifier that may be the one whose signal is running: it is
// switched off at once and deleted when the loop is back.
void retire(QSocketNotifier*& n) {
  if (!n) return;
  n->setEnabled(false);
  n->deleteLater();
  n = nullptr;
}

}  // namespace

ControlServer::ControlServer(ControlInterpreter& interpreter)
    : interpreter_(interpreter), anchor_(std::make_unique<QObject>()) {}

ControlServer::~ControlServer() { close(); }

std::optional<std::string> ControlServer::listen(const std::string& path) {
  close();
  std::string error;
  const auto address = addressOf(path, error);
  if (!address) return error;
  struct stat st{};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return path + " exists and is not a socket";
    // Left behind by a program that was killed, or in use?
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) return std::string("cannot create a socket: ") + std::strerror(errno);
    const int r = connectTo(probe, *address);
    const int e = errno;
    ::close(probe);
    if (r == 0 || e == EAGAIN) return "another program listens on " + path;
    if (e != ECONNREFUSED) return "cannot check " + path + ": " + std::strerror(e);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
      return "cannot replace the stale socket " + path + ": " + std::strerror(errno);
  } else if (errno != ENOENT) {
    return "cannot use " + path + ": " + std::strerror(errno);
  }

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::string("cannot create a socket: ") + std::strerror(errno);
  // Whoever can connect can change the device memory and the program's
  // files: the socket is its owner's alone from the moment it exists, not
  // only after a chmod that another user could race.
  const mode_t mask = ::umask(0077);
  const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
  const int bindError = errno;
  ::umask(mask);
  if (bound != 0) {
    ::close(fd);
    return "cannot create " + path + ": " + std::strerror(bindError);
  }
  if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 16) != 0 || ::lstat(path.c_str(), &st) != 0) {
    const int e = errno;
    ::close(fd);
    ::unlink(path.c_str());
    return "cannot listen on " + path + ": " + std::strerror(e);
  }
  fd_ = fd;
  path_ = path;
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  acceptor_ = new QSocketNotifier(fd_, QSocketNotifier::Read, anchor_.get());
  QObject::connect(acceptor_, &QSocketNotifier::activated, acceptor_, [this] { accept(); });
  return std::nullopt;
}

void ControlServer::close() {
  while (!connections_.empty()) drop(connections_.begin()->first);
  retire(acceptor_);
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  // Only the file this server made: another program may have put its own
  // in its place since.
  struct stat st{};
  if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_) ::unlink(path_.c_str());
}

void ControlServer::accept() {
  // A few at a time: the line's events are not held up by a crowd.
  for (int i = 0; i < 16; ++i) {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: the waiting peer would wake the loop again at
        // once.  Listen again a little later.
        acceptor_->setEnabled(false);
        QTimer::singleShot(100, acceptor_, [n = acceptor_] { n->setEnabled(true); });
      }
      return;
    }
    if (connections_.size() >= kMaxConnections && !evictIdle()) {
      const std::string busy =
          controlError("too many connections (at most " + std::to_string(kMaxConnections) + ")") + "\n";
      [[maybe_unused]] const ssize_t n = ::send(fd, busy.data(), busy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      ::close(fd);
      continue;
    }
    const Id id = ++nextId_;
    Connection& k = connections_[id];
    k.fd = fd;
    k.lastActiveMs = steadyMs();
    k.reader = new QSocketNotifier(fd, QSocketNotifier::Read, anchor_.get());
    QObject::connect(k.reader, &QSocketNotifier::activated, k.reader, [this, id] { readFrom(id); });
    k.writer = new QSocketNotifier(fd, QSocketNotifier::Write, anchor_.get());
    k.writer->setEnabled(false);
    QObject::connect(k.writer, &QSocketNotifier::activated, k.writer, [this, id] {
      flush(id);
      serve(id);
    });
  }
}

bool ControlServer::evictIdle() {
  const std::int64_t now = steadyMs();
  auto idlest = connections_.end();
  for (auto it = connections_.begin(); it != connections_.end(); ++it) {
    const Connection& k = it->second;
    const bool idle = k.wait == 0 && k.out.empty() && !k.closing && k.in.find('\n') == std::string::npos &&
                      now - k.lastActiveMs >= kIdleBeforeEvictMs;
    if (idle && (idlest == connections_.end() || k.lastActiveMs < idlest->second.lastActiveMs)) idlest = it;
  }
  if (idlest == connections_.end()) return false;
  const std::string bye = controlError("closed: idle while another client waited") + "\n";
  [[maybe_unused]] const ssize_t n = ::send(idlest->second.fd, bye.data(), bye.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  drop(idlest->first);
  return true;
}

void ControlServer::readFrom(Id id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  Connection& k = it->second;
  k.lastActiveMs = steadyMs();
  char buf[16 * 1024];
  // Up to a little over one line's limit per turn; what is left is read
  // when the requests before it have been answered.
  while (k.in.size() <= kMaxLine) {
    const ssize_t n = ::recv(k.fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) {
      k.in.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0) return drop(id);  // reset by the peer
    // The peer sends no more.  A line it never finished is no request; the
    // requests before it are still answered unless the peer has gone
    // altogether.
    k.ended = true;
    const std::size_t last = k.in.rfind('\n');
    k.in.erase(last == std::string::npos ? 0 : last + 1);
    pollfd p{k.fd, 0, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR))) return drop(id);
    break;
  }
  serve(id);
}

void ControlServer::serve(Id id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  // One request at a time, in order; the next only once the answer before
  // it has left, so a peer that does not read is not read from either.
  while (it->second.wait == 0 && it->second.out.empty() && !it->second.closing) {
    Connection& k = it->second;
    const std::size_t nl = k.in.find('\n');
    if (nl == std::string::npos) break;
    if (nl > kMaxLine) return refuse(id);
    const std::string line = k.in.substr(0, nl);
    k.in.erase(0, nl + 1);
    // A command may run the event loop (a box about a comment file that
    // cannot be read, in the window): this connection is not read
    // meanwhile, and it may be gone when the command returns.
    k.reader->setEnabled(false);
    ControlInterpreter::Result r = interpreter_.run(line, [this, id](const std::string& answer) {
      auto at = connections_.find(id);
      if (at == connections_.end()) return;
      at->second.wait = 0;
      send(id, answer);
      serve(id);
    });
    it = connections_.find(id);
    if (it == connections_.end()) {
      if (r.wait) interpreter_.cancel(r.wait);
      return;
    }
    if (r.wait) {
      it->second.wait = r.wait;
      break;
    }
    it->second.quit = r.quit;
    send(id, r.answer);
    it = connections_.find(id);
    if (it == connections_.end()) return;
  }
  Connection& k = it->second;
  if (k.closing) return;
  const std::size_t last = k.in.rfind('\n');
  const std::size_t unfinished = last == std::string::npos ? k.in.size() : k.in.size() - last - 1;
  if (unfinished > kMaxLine) return refuse(id);
  if (k.ended && k.wait == 0 && k.out.empty() && k.in.find('\n') == std::string::npos) return drop(id);
  k.reader->setEnabled(!k.ended && k.in.size() <= kMaxLine);
}

// Whatever a peer meant by a line beyond the limit, it is not a request:
// it is told, and the connection ends (a wait it had is given up).
void ControlServer::refuse(Id id) {
  Connection& k = connections_.at(id);
  if (k.wait) interpreter_.cancel(k.wait);
  k.wait = 0;
  k.in.clear();
  k.ended = k.closing = true;
  k.reader->setEnabled(false);
  send(id, controlError("request line longer than " + std::to_string(kMaxLine) + " bytes"));
}

void ControlServer::send(Id id, const std::string& answer) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  it->second.out += answer;
  it->second.out += '\n';
  it->second.lastActiveMs = steadyMs();
  flush(id);
}

void ControlServer::flush(Id id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  Connection& k = it->second;
  while (!k.out.empty()) {
    // MSG_NOSIGNAL: a peer that has gone is an error here, not a signal
    // that ends the program.
    const ssize_t n = ::send(k.fd, k.out.data(), k.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      k.out.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      k.writer->setEnabled(true);
      return;
    }
    return drop(id);
  }
  k.writer->setEnabled(false);
  if (k.quit && onQuit) {
    k.quit = false;
    // From the loop, not from inside this connection's event.
    QMetaObject::invokeMethod(anchor_.get(), [quit = onQuit] { quit(); }, Qt::QueuedConnection);
  }
  if (k.closing) drop(id);
}

void ControlServer::drop(Id id) {
  auto it = connections_.find(id);
  if (it == connections_.end()) return;
  Connection& k = it->second;
  if (k.wait) interpreter_.cancel(k.wait);
  retire(k.reader);
  retire(k.writer);
  ::close(k.fd);
  connections_.erase(it);
}

ControlChannel::ControlChannel(AppCore& core, ProjectCommands& project)
    : interpreter_(controlTargetsOf(core, project)), server_(interpreter_) {}

std::optional<std::string> controlRequest(const std::string& path, const std::string& request, std::string& error) {
  if (request.find_first_of("\r\n") != std::string::npos) {
    error = "a request is one line: it cannot hold a line break";
    return std::nullopt;
  }
  const auto address = addressOf(path, error);
  if (!address) return std::nullopt;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("cannot create a socket: ") + std::strerror(errno);
    return std::nullopt;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (connectTo(fd, *address) != 0) {
    error = "cannot connect to " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  const std::string line = request + "\n";
  for (std::size_t done = 0; done < line.size();) {
    const ssize_t n = ::send(fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot send to " + path + ": " + std::strerror(errno);
      return std::nullopt;
    }
    done += static_cast<std::size_t>(n);
  }
  std::string answer;
  char buf[4096];
  for (;;) {
    const std::size_t nl = answer.find('\n');
    if (nl != std::string::npos) return answer.substr(0, nl);
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read the answer from " + path + ": " + std::strerror(errno);
      return std::nullopt;
    }
    if (n == 0) {
      error = "the program at " + path + " closed the connection without an answer";
      return std::nullopt;
    }
    answer.append(buf, static_cast<std::size_t>(n));
  }
}

std::string controlRequestText(const std::vector<std::string>& words, const std::string& callerFolder) {
  std::string request;
  for (const std::string& w : words) request += (request.empty() ? "" : " ") + w;
  // A project path means the caller's file: the server runs in a folder of
  // its own, so a relative path is made whole here, before it leaves.
  // So is the file of "script load FILE".
  const bool script = words.size() >= 3 && words[0] == "script" && words[1] == "load";
  if (script || (words.size() >= 2 && (words[0] == "load" || words[0] == "save" || words[0] == "export" ||
                                       words[0] == "import"))) {
    const std::string command = script ? "script load" : words[0];
    const std::string path = request.substr(command.size() + 1);
    if (!path.empty() && path[0] != '/')
      request = command + " " + (std::filesystem::path(callerFolder) / path).lexically_normal().string();
  }
  return request;
}

int runControlClient(const std::string& path, const std::vector<std::string>& words) {
  std::string error;
  std::error_code ec;
  const std::string here = std::filesystem::current_path(ec).string();
  const std::string request = controlRequestText(words, ec ? std::string("/") : here);
  const auto answer = controlRequest(path, request, error);
  if (!answer) {
    std::cerr << "ombrisal: " << error << std::endl;
    return 1;
  }
  std::cout << *answer << std::endl;
  if (controlAnswerOk(*answer)) return 0;
  std::cerr << "ombrisal: " << controlAnswerError(*answer) << std::endl;
  return controlAnswerTimedOut(*answer) ? kControlTimedOut : 1;
}

}  // namespace omb
