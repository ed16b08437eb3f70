#include "link/paced_transport.h"

#include <algorithm>

#include "core/error.h"

namespace omb {

std::int64_t characterTimeUs(int baud, int bitsPerCharacter) {
  if (baud <= 0 || bitsPerCharacter <= 0) return 0;
  return (std::int64_t{bitsPerCharacter} * 1000000 + baud - 1) / baud;
}

void PacedTransport::send(std::string_view bytes) {
  const bool idle = queued() == 0;
  if (idle) {
    charUs_ = characterTime ? characterTime() : 0;
    queue_.clear();
    pos_ = 0;
  }
  // Unpaced, or a closed line that must refuse the reply the way it does.
  if ((idle && charUs_ <= 0) || !inner_.isOpen()) {
    inner_.send(bytes);
    return;
  }
  queue_.append(bytes);
  // An idle line starts the first character now; a busy one after its last.
  if (idle) lineFreeAt_ = std::max(lineFreeAt_, clock_.steadyUs());
  pump();
}

void PacedTransport::pump() {
  if (!inner_.isOpen()) {
    stop();
    return;
  }
  const std::int64_t now = clock_.steadyUs();
  std::size_t n = 0;
  while (pos_ + n < queue_.size() && lineFreeAt_ + charUs_ <= now) {
    lineFreeAt_ += charUs_;
    ++n;
  }
  if (n > 0) {
    const std::string_view ready = std::string_view(queue_).substr(pos_, n);
    pos_ += n;
    try {
      inner_.send(ready);
    } catch (const RuntimeError&) {
      stop();  // the line went away between two characters
      return;
    }
  }
  if (queued() == 0 || timer_) return;
  // Whole milliseconds, rounded up: a character is never handed on early.
  const std::int64_t waitUs = lineFreeAt_ + charUs_ - now;
  timer_ = scheduler_.schedule(static_cast<int>((waitUs + 999) / 1000), [this] {
    timer_ = 0;
    pump();
  });
}

void PacedTransport::stop() {
  if (timer_) scheduler_.cancel(timer_);
  timer_ = 0;
  queue_.clear();
  pos_ = 0;
}

}  // namespace omb
