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

void nonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

bool isTcpTarget(const std::string& target) {
  return target.rfind("tcp:", 0) == 0 || target.rfind("tcp-connect:", 0) == 0;
}

TcpTransport::~TcpTransport() { close(); }

void TcpTransport::open() {
  if (isOpen()) fail(kErrPortBusy, "ポートは既に開かれています。");
  connectOut_ = target_.rfind("tcp-connect:", 0) == 0;
  const Endpoint e = endpointOf(target_.substr(connectOut_ ? 12 : 4));
  if (e.port.empty()) fail(kErrPortAbsent, "TCP のポート番号がありません。");
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = connectOut_ ? 0 : AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string host = e.host.empty() && !connectOut_ ? "127.0.0.1" : e.host;
  if (::getaddrinfo(host.empty() ? nullptr : host.c_str(), e.port.c_str(), &hints, &found) != 0 || !found)
    fail(kErrPortAbsent, "TCP のアドレスが見つかりません。");
  int fd = -1;
  int error = 0;
  for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (connectOut_) {
      if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
        error = errno;
        ::close(fd);
        fd = -1;
      }
    } else {
      const int on = 1;
      ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
      if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, 1) != 0) {
        error = errno;
        ::close(fd);
        fd = -1;
      }
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) fail(error == EADDRINUSE ? kErrPortBusy : kErrPortAbsent,
                   error == EADDRINUSE ? "TCP のポートは使用中です。" : "TCP で接続できません。");
  nonBlocking(fd);
  out_.clear();
  if (connectOut_) {
    fd_ = fd;
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    peerName_ = target_;
    readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onReadable(); });
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

void TcpTransport::close() {
  acceptNotifier_.reset();
  readNotifier_.reset();
  writeNotifier_.reset();
  if (fd_ >= 0) ::close(fd_);
  if (listenFd_ >= 0) ::close(listenFd_);
  fd_ = listenFd_ = -1;
  out_.clear();
}

void TcpTransport::onAccept() {
  sockaddr_storage from{};
  socklen_t len = sizeof from;
  const int client = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&from), &len, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (client < 0) return;
  if (fd_ >= 0) {
    // One client at a time, as one serial line: the second is refused.
    ::close(client);
    notice("TCP 接続を拒否しました（接続中のクライアントがあります）: " + addressText(from));
    return;
  }
  fd_ = client;
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  notice("TCP 接続: " + addressText(from));
  readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, &context_, [this] { onReadable(); });
}

void TcpTransport::dropClient(const std::string& why) {
  readNotifier_.reset();
  writeNotifier_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  out_.clear();
  if (connectOut_) {
    // The connection out is the line: it has gone.
    QTimer::singleShot(0, &context_, [this] {
      if (onLineEvent) onLineEvent(LineEvent::DeviceLost);
    });
    return;
  }
  notice(why);
}

void TcpTransport::onReadable() {
  std::string in;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n > 0) {
      in.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    // Closed or reset: what arrived before still counts.
    if (!in.empty() && onReceived) onReceived(in);
    dropClient("TCP 切断");
    return;
  }
  if (!in.empty() && onReceived) onReceived(in);
}

void TcpTransport::send(std::string_view bytes) {
  if (!isOpen()) fail(kErrNotOpen, "ポートが開いていません。");
  if (fd_ < 0) return;  // nobody to answer: the reply goes nowhere, as on an unplugged line
  out_.append(bytes);
  flushOut();
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
    dropClient("TCP 切断");
    return;
  }
  if (writeNotifier_) writeNotifier_->setEnabled(false);
}

void TcpTransport::discardInput() {
  if (fd_ < 0) return;
  char buf[4096];
  while (::recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
  }
}

}  // namespace omb
