#include "app/output_pump.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "link/framing.h"
#include "core/translate.h"

namespace omb {

std::string terminalSafe(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto u = static_cast<unsigned char>(s[i]);
    if (u == '\n') {
      out.push_back('\n');
    } else if (u < 0x20) {
      out += CtrlCharName[u];
    } else if (u == 0x7F) {
      out += "(DEL)";
    } else if (u == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(s[i + 1]) <= 0x9F) {
      char name[16];
      std::snprintf(name, sizeof name, "(U+%04X)", static_cast<unsigned char>(s[i + 1]));
      out += name;
      ++i;
    } else {
      out.push_back(static_cast<char>(u));
    }
  }
  return out;
}

TerminalSafeBuffer::int_type TerminalSafeBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  line_.push_back(traits_type::to_char_type(c));
  if (c == '\n') flushLine();
  return c;
}

int TerminalSafeBuffer::sync() {
  flushLine();
  return inner_->pubsync();
}

void TerminalSafeBuffer::flushLine() {
  if (line_.empty()) return;
  for (std::size_t p; (p = line_.find("\r\n")) != std::string::npos;) line_.erase(p, 1);
  const std::string safe = terminalSafe(line_);
  inner_->sputn(safe.data(), static_cast<std::streamsize>(safe.size()));
  line_.clear();
}

struct OutputPump::Shared {
  int fd;
  std::size_t maxBytes;
  std::mutex mutex;
  std::condition_variable wake, idle;
  std::deque<std::string> queue;
  std::size_t queuedBytes = 0;
  std::size_t dropped = 0;         // lines lost since the last notice
  std::size_t droppedTotal = 0;
  bool writing = false;
  bool broken = false;
  bool stop = false;
  bool flush = false;  // drain() waits: write what there is now
};

namespace {
// The writer wakes for a full batch, when asked to drain, or every few
// milliseconds: waking it for each line would cost the protocol thread a
// context switch per request.
constexpr std::size_t kBatchBytes = 64 * 1024;
constexpr auto kBatchWait = std::chrono::milliseconds(10);
}  // namespace

OutputPump::OutputPump(int fd, std::size_t maxQueuedBytes) : shared_(std::make_shared<Shared>()) {
  shared_->fd = fd;
  shared_->maxBytes = maxQueuedBytes;
  // The thread holds the shared state itself: if the output never drains,
  // it may outlive this object (it is left behind at exit).
  std::thread(&OutputPump::run, shared_).detach();
}

OutputPump::~OutputPump() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->stop = true;
  shared_->wake.notify_all();
}

void OutputPump::write(std::string_view text) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  Shared& s = *shared_;
  if (s.broken || text.empty()) return;
  if (s.queuedBytes + text.size() > s.maxBytes) {
    ++s.dropped;
    ++s.droppedTotal;
    return;
  }
  if (s.dropped > 0) {
    s.queue.push_back(omb::trs("OutputPump", "[ombrisal] 標準出力が詰まっていたため、ログ ") + std::to_string(s.dropped) +
                      omb::trs("OutputPump", " 件を出力できませんでした。\n"));
    s.queuedBytes += s.queue.back().size();
    s.dropped = 0;
  }
  s.queue.emplace_back(text);
  s.queuedBytes += text.size();
  if (s.queuedBytes >= kBatchBytes) s.wake.notify_one();
}

std::size_t OutputPump::dropped() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->droppedTotal;
}

void OutputPump::drain(int ms) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->flush = true;
  shared_->wake.notify_one();
  shared_->idle.wait_for(lock, std::chrono::milliseconds(ms),
                         [&] { return shared_->broken || (shared_->queue.empty() && !shared_->writing); });
  shared_->flush = false;
}

void OutputPump::run(std::shared_ptr<Shared> shared) {
  Shared& s = *shared;
  for (;;) {
    std::string chunk;
    {
      std::unique_lock<std::mutex> lock(s.mutex);
      s.writing = false;
      s.idle.notify_all();
      s.wake.wait_for(lock, kBatchWait, [&] { return s.stop || s.flush || s.queuedBytes >= kBatchBytes; });
      if (s.queue.empty()) {
        if (s.stop) return;  // stopped with nothing left
        continue;
      }
      while (!s.queue.empty() && chunk.size() < 64 * 1024) {
        chunk += s.queue.front();
        s.queuedBytes -= s.queue.front().size();
        s.queue.pop_front();
      }
      s.writing = true;
    }
    std::size_t done = 0;
    while (done < chunk.size()) {
      const ssize_t n = ::write(s.fd, chunk.data() + done, chunk.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      // The reader has gone (EPIPE with SIGPIPE ignored) or the output
      // failed: say so once, then stop writing there.
      const std::string why = n < 0 ? std::strerror(errno) : "nothing written";
      const std::string message =
          "ombrisal: standard output failed (" + why + "); the traffic log is no longer written there\n";
      [[maybe_unused]] const ssize_t e = ::write(2, message.data(), message.size());
      std::lock_guard<std::mutex> lock(s.mutex);
      s.broken = true;
      s.queue.clear();
      s.queuedBytes = 0;
      s.writing = false;
      s.idle.notify_all();
      return;
    }
  }
}

}  // namespace omb
