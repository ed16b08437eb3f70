// Replies sent at the speed of a real serial line.  A virtual port or a TCP
// line delivers a reply at once, so a PC program's time-outs never see the
// character times a real line has; with pacing on, each character of a
// reply is handed on only when it would have finished on the line: start
// bit, data bits, parity bit and stop bits at the configured rate, one
// character after another, a new reply queuing behind the last.
//
// Everything else (opening, receiving, events) is the inner line's own; the
// decorator only stands between the engine's replies and that line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/clock.h"
#include "link/scheduler.h"
#include "link/transport.h"

namespace omb {

struct LineConfig;

// Microseconds one character takes at `baud` with `bits` bits in all.
std::int64_t characterTimeUs(int baud, int bitsPerCharacter);

class PacedTransport final : public Transport {
 public:
  PacedTransport(Transport& inner, Scheduler& scheduler, const Clock& clock)
      : inner_(inner), scheduler_(scheduler), clock_(clock) {}
  ~PacedTransport() override { stop(); }
  PacedTransport(const PacedTransport&) = delete;
  PacedTransport& operator=(const PacedTransport&) = delete;

  // Asked whenever a reply arrives at an idle line: the character time in
  // microseconds, or 0 to send at once (pacing off, or a line that paces
  // itself).
  std::function<std::int64_t()> characterTime;

  // Bytes waiting for their time.
  std::size_t queued() const { return queue_.size() - pos_; }

  void open() override { inner_.open(); }
  void close() override {
    stop();
    inner_.close();
  }
  bool isOpen() const override { return inner_.isOpen(); }
  void send(std::string_view bytes) override;
  void discardInput() override { inner_.discardInput(); }
  void discardOutput() override { stop(); }
  std::string peerName() const override { return inner_.peerName(); }

 private:
  void pump();
  void stop();

  Transport& inner_;
  Scheduler& scheduler_;
  const Clock& clock_;
  std::string queue_;
  std::size_t pos_ = 0;
  std::int64_t charUs_ = 0;
  std::int64_t lineFreeAt_ = 0;  // when the last character handed on has finished
  Scheduler::TimerId timer_ = 0;
};

}  // namespace omb
