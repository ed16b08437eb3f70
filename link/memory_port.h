// A port that lives in memory: what a test feeds arrives as received
// characters, what the engine writes is collected, and events are posted
// through the scheduler the way a real port posts them through the event
// loop.  Also serves the fuzz target.
#pragma once

#include <deque>
#include <string>

#include "link/comm_port.h"
#include "link/scheduler.h"

namespace omb {

class MemoryPort final : public CommPort {
 public:
  explicit MemoryPort(Scheduler& loop) : loop_(loop) {}

  // --- the far end ---
  // Characters arrive on the line (NULs dropped when discarding is on).
  void feed(std::string_view bytes);
  // A line event (framing, parity ...) is posted.
  void raise(CommEvent event);
  // Everything written since the last call.
  std::string takeOutput();
  // What has been written and not yet taken.
  const std::string& pendingOutput() const { return out_; }
  // Whether opening succeeds (false: the port is absent or busy).
  void setOpenable(bool openable) { openable_ = openable; }
  // Per port number, asked at every opening when set.
  std::function<bool(int number)> canOpen;

  // --- the port object ---
  void setCommPort(int number) override { number_ = number; }
  int commPort() const override { return number_; }
  void setSettings(const std::string& settings) override;
  std::string settings() const override { return settings_; }
  void setRThreshold(int threshold) override;
  int rThreshold() const override { return threshold_; }
  void setInputLen(int length) override { inputLen_ = length; }
  void setInBufferSize(int bytes) override { inBufferSize_ = bytes; }
  void setOutBufferSize(int bytes) override { outBufferSize_ = bytes; }
  void setHandshaking(int mode) override { handshaking_ = mode; }
  int handshaking() const { return handshaking_; }
  void setNullDiscard(bool discard) override { nullDiscard_ = discard; }
  void setPortOpen(bool open) override;
  bool portOpen() const override { return open_; }
  int inBufferCount() const override { return static_cast<int>(in_.size()); }
  std::string input() override;
  void output(std::string_view bytes) override;

 private:
  void postReceive();

  Scheduler& loop_;
  std::deque<char> in_;
  std::string out_;
  std::string settings_ = "9600,n,8,1";
  int number_ = 1, threshold_ = 0, inputLen_ = 0, inBufferSize_ = 1024, outBufferSize_ = 512;
  int handshaking_ = 0;
  bool nullDiscard_ = false, open_ = false, openable_ = true, receivePosted_ = false;
};

}  // namespace omb
