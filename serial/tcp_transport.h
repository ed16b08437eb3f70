// The computer link over TCP, serving like one serial line:
//   "tcp:PORT" or "tcp:HOST:PORT"   listens (PORT on the loopback address
//                                   when no host is given) and serves one
//                                   client at a time; a second client is
//                                   refused at once and the refusal noted.
//   "tcp-connect:HOST:PORT"         connects out to a serial device server.
// Bytes are delivered as they arrive, from the event loop; replies go out
// whole, queued behind a write notifier when the socket is full, up to
// kMaxQueuedOutput: a reply that finds the queue full is dropped and
// "transmit buffer full" raised once, until the queue has run empty.  A
// client that disconnects leaves the server listening for the next one; one
// that sends and shuts its sending side is answered first (what it sent is
// served, the reply leaves, then the connection is closed).  Every
// connection waiting is taken at each wake-up (the backlog holds 512, so a
// burst of connections waits there while the program is busy); an
// optional idle time-out frees the line from a client that holds it without
// sending.  A connection out is made without blocking, to a numeric address
// (or "localhost"), so no name lookup holds the event loop; one that fails
// or breaks raises DeviceLost, so the program's reopening tries again.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/transport.h"

namespace omb {

// Whether a port target names a TCP line.
bool isTcpTarget(const std::string& target);

class TcpTransport final : public Transport {
 public:
  TcpTransport() = default;
  ~TcpTransport() override;
  TcpTransport(const TcpTransport&) = delete;
  TcpTransport& operator=(const TcpTransport&) = delete;

  void setTarget(std::string target) { target_ = std::move(target); }

  void open() override;
  void close() override;
  bool isOpen() const override { return listenFd_ >= 0 || fd_ >= 0; }
  void send(std::string_view bytes) override;
  void discardInput() override;
  std::string peerName() const override { return peerName_; }
  // Whether a client is connected (listening) or the connection is up.
  bool connected() const { return fd_ >= 0; }

  // Clients coming, going and refused, for the traffic log.
  std::function<void(const std::string& message)> onNotice;

  static constexpr std::size_t kMaxQueuedOutput = 64 * 1024;
  static constexpr int kBacklog = 512;
  // A client that sends nothing for `ms` is disconnected; 0: never.
  void setIdleTimeout(int ms) { idleTimeoutMs_ = ms; }
  // Whether what was received is still being answered (the engine busy, a
  // paced reply still going out): a client that shut its sending side is
  // kept until it is not.
  std::function<bool()> answering;
  // The line's user has answered everything it received.
  void lineIdle();
  // Replies dropped because the client did not read.
  std::uint64_t droppedReplies() const { return droppedReplies_; }

 private:
  void onAccept();
  void onReadable();
  void onConnected();
  void flushOut();
  void endIfAnswered();
  void postLineEvent(LineEvent e);
  void dropClient(const std::string& why);
  void notice(const std::string& message) {
    if (onNotice) onNotice(message);
  }

  std::string target_, peerName_;
  bool connectOut_ = false;
  int listenFd_ = -1;
  int fd_ = -1;  // the client, or the connection out
  bool connecting_ = false;  // the connection out is not up yet
  bool peerEnded_ = false;   // the client sends no more
  std::string out_;
  bool txFull_ = false;
  std::uint64_t droppedReplies_ = 0;
  int idleTimeoutMs_ = 0;
  QObject context_;
  std::unique_ptr<QSocketNotifier> acceptNotifier_, readNotifier_, writeNotifier_;
  std::unique_ptr<QTimer> idleTimer_;
};

}  // namespace omb
