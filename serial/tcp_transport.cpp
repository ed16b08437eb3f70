#include "serial/tcp_transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>

#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "core/translate.h"

namespace omb {

namespace {

constexpr int kErrPortAbsent = 8002;
constexpr int kErrPortBusy = 8005;
constexpr int kErrNotOpen = 8012;

[[noreturn]] void fail(int number, const std::string& description) { throw RuntimeError(number, description); }

struct Endpoint {
  std::string host, port;
};

// "tcp:PORT", "tcp:HOST:PORT", "tcp-connect:HOST:PORT"; IPv6 hosts in
// brackets ("tcp:[::1]:5000").
Endpoint endpointOf(const std::string& rest) {
  Endpoint e;
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos) {
    e.port = rest;
  } else {
    e.host = rest.substr(0, colon);
    e.port = rest.substr(colon + 1);
    if (e.host.size() >= 2 && e.host.front() == '[' && e.host.back() == ']') e.host = e.host.substr(1, e.host.size() - 2);
  }
  return e;
}

std::string addressText(const sockaddr_storage& a) {
  char host[NI_MAXHOST], port[NI_MAXSERV];
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&a), sizeof a, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
    return "?";
  return std::string(host) + ":" + port;
}

}  // namespace

bool isTcpTarget(const std::string& target) {
  return target.rfind("tcp:", 0) == 0 || target.rfind("tcp-connect:", 0) == 0;
}

TcpTransport::~TcpTransport() { close(); }

void TcpTransport::open() {
  if (isOpen()) fail(kErrPortBusy, omb::trs("Transport", "ポートは既に開かれています。"));
  connectOut_ = target_.rfind("tcp-connect:", 0) == 0;
  const Endpoint e = endpointOf(target_.substr(connectOut_ ? 12 : 4));
  if (e.port.empty()) fail(kErrPortAbsent, omb::trs("Transport", "TCP のポート番号がありません。"));
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = connectOut_ ? 0 : AI_PASSIVE;
  std::string host = e.host.empty() && !connectOut_ ? "127.0.0.1" : e.host;
  if (connectOut_) {
    // A name lookup may wait on the network for seconds: the connection
    // out takes numeric addresses only (and "localhost").
    if (host == "localhost") host = "127.0.0.1";
    hints.ai_flags |= AI_NUMERICHOST | AI_NUMERICSERV;
  }
  addrinfo* found = nullptr;
  const int looked = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), e.port.c_str(), &hints, &found);
  if (looked == EAI_NONAME && connectOut_)
    fail(kErrPortAbsent, omb::trs("Transport", "TCP の接続先は数値のアドレスで指定してください（例 192.168.0.20:4001）。"));
  if (looked != 0 || !found) fail(kErrPortAbsent, omb::trs("Transport", "TCP のアドレスが見つかりません。"));
  int fd = -1;
  int error = 0;
  bool inProgress = false;
  for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) continue;
    if (connectOut_) {
      // Without blocking: the answer comes as the socket turns writable.
      if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
        if (errno == EINPROGRESS) {
          inProgress = true;
          break;
        }
        error = errno;
        ::close(fd);
        fd = -1;
      }
    } else {
      const int on = 1;
      ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
      // A backlog of more than one: a client that connects while another
      // is being refused waits a moment instead of retrying after seconds.
      if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, kBacklog) != 0) {
        error = errno;
        ::close(fd);
        fd = -1;
      }
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) fail(error == EADDRINUSE ? kErrPortBusy : kErrPortAbsent,
                   error == EADDRINUSE ? omb::trs("Transport", "TCP のポートは使用中です。") : omb::trs("Transport", "TCP で接続できません。"));
  out_.clear();
  txFull_ = false;
  peerEnded_ = false;
  if (connectOut_) {
    fd_ = fd;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    peerName_ = target_;
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onReadable(); });
    connecting_ = inProgress;
    if (connecting_) {
      readNotifier_->setEnabled(false);
      writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
      QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onConnected(); });
    }
  } else {
    listenFd_ = fd;
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &len);
    peerName_ = "tcp:" + addressText(bound);
    acceptNotifier_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    QObject::connect(acceptNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onAccept(); });
  }
}

// The connection out is up, or failed.
void TcpTransport::onConnected() {
  if (!connecting_ || fd_ < 0) return;
  int error = 0;
  socklen_t len = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
  if (error == EINPROGRESS || error == EALREADY) return;
  connecting_ = false;
  writeNotifier_.reset();
  if (error != 0) {
    dropClient(omb::trs("Transport", "TCP で接続できません: ") + std::string(std::strerror(error)));
    return;
  }
  readNotifier_->setEnabled(true);
  flushOut();  // what was sent while connecting
}

void TcpTransport::close() {
  acceptNotifier_.reset();
  readNotifier_.reset();
  writeNotifier_.reset();
  if (idleTimer_) idleTimer_->stop();
  if (fd_ >= 0) ::close(fd_);
  if (listenFd_ >= 0) ::close(listenFd_);
  fd_ = listenFd_ = -1;
  connecting_ = peerEnded_ = txFull_ = false;
  out_.clear();
}

void TcpTransport::onAccept() {
  // Every connection that waits, up to a backlog's worth per wake-up.
  for (int taken = 0; taken < kBacklog && listenFd_ >= 0; ++taken) {
    sockaddr_storage from{};
    socklen_t len = sizeof from;
    const int client = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&from), &len, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: the waiting client would wake the loop again
        // at once.  Listen again a little later.
        acceptNotifier_->setEnabled(false);
        QTimer::singleShot(100, &context_, [this] {
          if (acceptNotifier_) acceptNotifier_->setEnabled(true);
        });
      }
      return;
    }
    if (fd_ >= 0) {
      // One client at a time, as one serial line: the second is refused.
      ::close(client);
      notice(omb::trs("Transport", "TCP 接続を拒否しました（接続中のクライアントがあります）: ") + addressText(from));
      continue;
    }
    fd_ = client;
    peerEnded_ = false;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    notice(omb::trs("Transport", "TCP 接続: ") + addressText(from));
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onReadable(); });
    if (idleTimeoutMs_ > 0) {
      if (!idleTimer_) {  // made once: it is only stopped, never deleted from its own signal
        idleTimer_ = std::make_unique<QTimer>();
        idleTimer_->setSingleShot(true);
        QObject::connect(idleTimer_.get(), &QTimer::timeout, &context_, [this] {
          if (fd_ < 0 || connectOut_ || peerEnded_) return;
          dropClient(omb::trs("Transport", "TCP 切断（") + std::to_string((idleTimeoutMs_ + 999) / 1000) + omb::trs("Transport", " 秒間受信なし）"));
        });
      }
      idleTimer_->start(idleTimeoutMs_);
    }
  }
}

void TcpTransport::postLineEvent(LineEvent e) {
  QTimer::singleShot(0, &context_, [this, e] {
    if (onLineEvent) onLineEvent(e);
  });
}

void TcpTransport::dropClient(const std::string& why) {
  readNotifier_.reset();
  writeNotifier_.reset();
  if (idleTimer_) idleTimer_->stop();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  connecting_ = peerEnded_ = txFull_ = false;
  out_.clear();
  if (connectOut_) {
    // The connection out is the line: it has gone.
    if (!why.empty()) notice(why);
    postLineEvent(LineEvent::DeviceLost);
    return;
  }
  notice(why);
}

void TcpTransport::onReadable() {
  if (fd_ < 0 || connecting_ || peerEnded_) return;
  std::string in;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n > 0) {
      in.append(buf, static_cast<std::size_t>(n));
      if (in.size() >= 64 * 1024) break;  // the rest at the next turn: the loop is not held by one sender
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0 || connectOut_) {
      // Reset, or the device server closed: what arrived before still counts.
      if (!in.empty() && onReceived) onReceived(in);
      if (fd_ >= 0) dropClient(omb::trs("Transport", "TCP 切断"));
      return;
    }
    // The client shut its sending side: what it sent is answered before
    // the connection closes.  It is not read any more (an ended socket
    // stays readable).
    peerEnded_ = true;
    if (readNotifier_) readNotifier_->setEnabled(false);
    if (idleTimer_) idleTimer_->stop();
    if (!in.empty() && onReceived) onReceived(in);
    QTimer::singleShot(0, &context_, [this] { endIfAnswered(); });
    return;
  }
  if (idleTimer_ && idleTimeoutMs_ > 0 && !in.empty()) idleTimer_->start(idleTimeoutMs_);
  if (!in.empty() && onReceived) onReceived(in);
}

void TcpTransport::lineIdle() {
  if (peerEnded_) QTimer::singleShot(0, &context_, [this] { endIfAnswered(); });
}

void TcpTransport::endIfAnswered() {
  if (!peerEnded_ || fd_ < 0) return;
  if (!out_.empty() || (answering && answering())) return;  // lineIdle or the last flush comes back here
  dropClient(omb::trs("Transport", "TCP 切断"));
}

void TcpTransport::send(std::string_view bytes) {
  if (!isOpen()) fail(kErrNotOpen, omb::trs("Transport", "ポートが開いていません。"));
  if (fd_ < 0) return;  // nobody to answer: the reply goes nowhere, as on an unplugged line
  if (!out_.empty() && out_.size() + bytes.size() > kMaxQueuedOutput) {
    // A client that does not read: its replies are dropped, and the
    // condition is told once until it reads again.
    ++droppedReplies_;
    if (!txFull_) {
      txFull_ = true;
      postLineEvent(LineEvent::TxFull);
    }
    return;
  }
  out_.append(bytes);
  if (!connecting_) flushOut();
}

void TcpTransport::flushOut() {
  while (!out_.empty() && fd_ >= 0) {
    const ssize_t n = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL);
    if (n > 0) {
      out_.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!writeNotifier_) {
        writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
        QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { flushOut(); });
      }
      writeNotifier_->setEnabled(true);
      return;
    }
    dropClient(omb::trs("Transport", "TCP 切断"));
    return;
  }
  if (writeNotifier_) writeNotifier_->setEnabled(false);
  txFull_ = false;
  if (peerEnded_) QTimer::singleShot(0, &context_, [this] { endIfAnswered(); });
}

void TcpTransport::discardInput() {
  if (fd_ < 0 || connecting_ || peerEnded_) return;
  char buf[4096];
  while (::recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
  }
}

}  // namespace omb
