// The port object on Linux: a termios serial device, or a pseudo-terminal
// standing in for one (virtual port).
//
// Reception is non-blocking.  While the receive threshold is 1 a socket
// notifier watches the device and raises the receive event from the event
// loop whenever characters wait; while it is 0 the notifier is off and the
// reader pulls what has arrived itself (inBufferCount and input read the
// device first).  Writes go out in one call, queued behind a write notifier
// when the driver's buffer is full.
//
// Line errors: with parity on, parity and framing errors come in-band
// (PARMRK marks the character); the driver's error counters, where the
// device keeps them, tell framing, parity, overrun and buffer overruns
// apart.  A device that vanishes (read error, hang-up) raises DeviceLost
// once and stops all reading, so a pulled USB adapter never spins the loop.
//
// Opening is exclusive: the device is locked (flock) and set TIOCEXCL, so a
// port that another program holds is reported busy.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "link/comm_port.h"
#include "serial/com_ports.h"

namespace omb {

class TermiosPort final : public CommPort {
 public:
  explicit TermiosPort(const ComPortMap& map) : map_(map) {}
  ~TermiosPort() override;
  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  // Opens this device path or "pty:PATH" instead of the mapped COM number.
  void setTarget(std::string target) { target_ = std::move(target); }
  // What a PC program opens to talk to us: the device, or the virtual
  // port's path.
  std::string peerPath() const { return peerPath_; }

  void setCommPort(int number) override { number_ = number; }
  int commPort() const override { return number_; }
  void setSettings(const std::string& settings) override;
  std::string settings() const override { return settings_; }
  void setRThreshold(int threshold) override;
  int rThreshold() const override { return threshold_; }
  void setInputLen(int length) override { inputLen_ = length; }
  void setInBufferSize(int bytes) override { inBufferSize_ = bytes > 0 ? bytes : 1024; }
  void setOutBufferSize(int bytes) override { outBufferSize_ = bytes > 0 ? bytes : 512; }
  void setHandshaking(int mode) override;
  void setNullDiscard(bool discard) override { nullDiscard_ = discard; }
  void setPortOpen(bool open) override;
  bool portOpen() const override { return fd_ >= 0; }
  int inBufferCount() const override;
  std::string input() override;
  void output(std::string_view bytes) override;

 private:
  std::string resolveTarget() const;
  void openDevice(const std::string& path);
  void openVirtual(const std::string& path);
  void applyLine();
  void closeAll();
  void pump();                  // moves what the driver holds into in_
  void onReadable();
  void onWritable();
  void flushOut();
  void postReceive();
  void raise(CommEvent e);
  void lost();
  void checkCounters();

  const ComPortMap& map_;
  std::string target_;
  std::string peerPath_;
  std::string settings_ = "9600,n,8,1";
  int number_ = 1, threshold_ = 0, inputLen_ = 0, inBufferSize_ = 1024, outBufferSize_ = 512;
  int handshaking_ = 0;
  bool nullDiscard_ = false;
  bool virtual_ = false;

  int fd_ = -1;       // the device, or the master side of the pseudo-terminal
  int slaveFd_ = -1;  // virtual ports: our own hold on the far end, so the PC program may come and go
  int lockFd_ = -1;   // virtual ports: the lock beside the path
  std::string symlink_, lockPath_;

  mutable std::deque<char> in_;
  std::string out_;
  mutable int markState_ = 0;  // PARMRK decoding: 0, after FFh, after FFh 00h
  mutable bool lost_ = false;
  mutable std::deque<CommEvent> lineEvents_;
  mutable bool countersValid_ = false;
  mutable std::uint64_t frame_ = 0, parity_ = 0, overrun_ = 0, bufOverrun_ = 0;
  bool receivePosted_ = false;

  QObject context_;  // owner of posted events and notifiers: dropped with the port
  std::unique_ptr<QSocketNotifier> readNotifier_, writeNotifier_;
};

}  // namespace omb
