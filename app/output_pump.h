// Standard output of the serve mode: the traffic log goes there line by
// line, and nothing that happens to it may stop or kill the server.
//
// Lines are queued and written by a thread of their own, so a reader that
// does not read (a full pipe) never blocks the protocol: the queue holds at
// most a fixed number of bytes, lines beyond it are dropped and counted,
// and once the output moves again a line says how many were lost.  An
// output that is gone (a closed pipe) is reported once on standard error
// and written to no more; serving goes on.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>

namespace omb {

// Text made harmless for a terminal: control characters (other than the
// line end) become their bracketed names, DEL becomes "(DEL)" and the C1
// controls U+0080-U+009F become "(U+0080)" and so on, so no byte of a frame
// can start an escape sequence.
std::string terminalSafe(std::string_view utf8);

// A stream buffer that hands each whole line to `inner` made terminal-safe
// (a CR before the line end dropped): standard error of the serve mode,
// which quotes file names, rule and generator lines and station fields.
class TerminalSafeBuffer final : public std::streambuf {
 public:
  explicit TerminalSafeBuffer(std::streambuf* inner) : inner_(inner) {}
  ~TerminalSafeBuffer() override { flushLine(); }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  void flushLine();
  std::streambuf* inner_;
  std::string line_;
};

class OutputPump {
 public:
  explicit OutputPump(int fd, std::size_t maxQueuedBytes = 1024 * 1024);
  ~OutputPump();
  OutputPump(const OutputPump&) = delete;
  OutputPump& operator=(const OutputPump&) = delete;

  // Queues the text; never blocks.
  void write(std::string_view text);
  // Waits up to `ms` for the queue to be written (at exit).
  void drain(int ms);

  std::size_t dropped() const;

 private:
  struct Shared;
  static void run(std::shared_ptr<Shared> shared);
  std::shared_ptr<Shared> shared_;
};

}  // namespace omb
