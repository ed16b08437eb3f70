// A line that lives in memory: what a test feeds arrives as received bytes,
// what the engine sends is collected, and events are posted through the
// scheduler the way a real line posts them through the event loop.  Also
// serves the fuzz target and the benchmarks.
#pragma once

#include <functional>
#include <string>

#include "link/scheduler.h"
#include "link/transport.h"

namespace omb {

class MemoryTransport : public Transport {
 public:
  explicit MemoryTransport(Scheduler& loop) : loop_(loop) {}

  // --- the far end ---
  // Bytes arrive on the line (NULs dropped while discarding is on); they
  // are delivered from the loop.
  void feed(std::string_view bytes);
  // A line event is posted.
  void raise(LineEvent event);
  // Everything sent since the last call.
  std::string takeOutput();
  const std::string& pendingOutput() const { return out_; }
  // Whether opening succeeds (false: the line is absent or busy).
  void setOpenable(bool openable) { openable_ = openable; }
  // Asked at every opening when set.
  std::function<bool()> canOpen;
  // Drop received NUL characters before anyone sees them.
  void setNullDiscard(bool discard) { nullDiscard_ = discard; }
  // Bytes fed and not yet delivered.
  std::size_t undelivered() const { return in_.size(); }

  // --- the line ---
  void open() override;
  void close() override;
  bool isOpen() const override { return open_; }
  void send(std::string_view bytes) override;
  void discardInput() override { in_.clear(); }

 private:
  void deliver();

  Scheduler& loop_;
  std::string in_;
  std::string out_;
  bool nullDiscard_ = true, open_ = false, openable_ = true, posted_ = false;
};

}  // namespace omb
