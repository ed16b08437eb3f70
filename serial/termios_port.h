// The serial line on Linux: a termios device, or a pseudo-terminal
// standing in for one (virtual port).
//
// Reception is non-blocking: a socket notifier watches the device and every
// byte read is delivered at once, from the event loop, to the engine, which
// keeps its own queue.  Writes go out in one call, queued behind a write
// notifier when the driver's buffer is full; that queue is the transmit
// buffer of the settings (outBufferSize).  A reply that does not fit is
// dropped and "transmit buffer full" raised once until the buffer has run
// empty again.
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

#include "link/transport.h"
#include "serial/com_ports.h"
#include "serial/serial_line.h"

namespace omb {

class TermiosPort final : public Transport, public SerialLine {
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
  // Open on a pseudo-terminal: nothing paces what is sent.
  bool isVirtual() const { return isOpen() && virtual_; }

  // --- SerialLine ---
  void setCommPort(int number) override { number_ = number; }
  int commPort() const override { return number_; }
  void setLineConfig(const LineConfig& config) override;
  LineConfig lineConfig() const override { return config_; }
  std::vector<std::string> unappliedSettings() const override { return unapplied_; }

  // --- Transport ---
  void open() override;
  void close() override { closeAll(); }
  bool isOpen() const override { return fd_ >= 0; }
  void send(std::string_view bytes) override;
  void discardInput() override;
  std::string peerName() const override { return peerPath_; }

  // Replies dropped because the transmit buffer was full.
  std::uint64_t droppedReplies() const { return droppedReplies_; }
  // Bytes waiting in the transmit buffer.
  std::size_t queuedOutput() const { return out_.size(); }

 private:
  std::string resolveTarget() const;
  void openDevice(const std::string& path);
  void openVirtual(const std::string& path);
  void applyLine();
  void closeAll();
  std::string readAll();  // what the driver holds, decoded
  void onReadable();
  void onWritable();
  void flushOut();
  void raiseLineEvents();
  void lost();
  void checkCounters();

  const ComPortMap& map_;
  std::string target_;
  std::string peerPath_;
  LineConfig config_;
  int number_ = 1;
  bool virtual_ = false;

  int fd_ = -1;       // the device, or the master side of the pseudo-terminal
  int slaveFd_ = -1;  // virtual ports: our own hold on the far end, so the PC program may come and go
  int lockFd_ = -1;   // virtual ports: the lock beside the path
  std::string symlink_, lockPath_;

  std::vector<std::string> unapplied_;
  std::string out_;
  bool txFull_ = false;  // a reply was dropped since the buffer last ran empty
  std::uint64_t droppedReplies_ = 0;
  int markState_ = 0;  // PARMRK decoding: 0, after FFh, after FFh 00h
  bool lost_ = false;
  std::deque<LineEvent> lineEvents_;
  bool eventsPosted_ = false;
  bool countersValid_ = false;
  std::uint64_t frame_ = 0, parity_ = 0, overrun_ = 0, bufOverrun_ = 0;

  QObject context_;  // owner of posted events and notifiers: dropped with the port
  std::unique_ptr<QSocketNotifier> readNotifier_, writeNotifier_;
};

}  // namespace omb
