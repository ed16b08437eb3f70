// The computer link over TCP, serving like one serial line:
//   "tcp:PORT" or "tcp:HOST:PORT"   listens (PORT on the loopback address
//                                   when no host is given) and serves one
//                                   client at a time; a second client is
//                                   refused at once and the refusal noted.
//   "tcp-connect:HOST:PORT"         connects out to a serial device server.
// Bytes are delivered as they arrive, from the event loop; replies go out
// whole, queued behind a write notifier when the socket is full.  A client
// that disconnects (or sends and closes) leaves the server listening for
// the next one; a connection out that breaks raises DeviceLost, so the
// program's reopening tries again.
#pragma once

#include <QObject>
#include <QSocketNotifier>

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

 private:
  void onAccept();
  void onReadable();
  void flushOut();
  void dropClient(const std::string& why);
  void notice(const std::string& message) {
    if (onNotice) onNotice(message);
  }

  std::string target_, peerName_;
  bool connectOut_ = false;
  int listenFd_ = -1;
  int fd_ = -1;  // the client, or the connection out
  std::string out_;
  QObject context_;
  std::unique_ptr<QSocketNotifier> acceptNotifier_, readNotifier_, writeNotifier_;
};

}  // namespace omb
