// The receive side of the link: turns the bytes the line delivers into
// request frames, hands each to the protocol (link/protocol.h) and sends
// what it answers.  The engine knows the line's timing, not what a frame
// means.
//
// It is a state machine fed with bytes, not a loop that sleeps.  Time is
// read from the clock and every pause of the protocol is a timer of the
// scheduler:
//   - a frame ends when the line has been silent for m_WaitMs after its
//     last byte, or when the next start character arrives; EOT and CL
//     restart the silence (they are bytes of the line like any other);
//   - while hunting for a start character, the same silence ends the hunt;
//   - the message wait of a request delays its reply.
// One silence timer is armed at a time; bytes that arrive move its
// deadline instead of re-arming it.
//
// A burst runs from the first byte taken up while idle until its frames
// are answered and the line falls silent.  Bytes that arrive while a frame
// is being answered (message wait, a question waiting for its answer) wait
// in the engine's queue, so a frame is always answered before the next one
// is gathered.
//
// Questions are never asked here: the engine raises onQuestion and stays
// busy until answer() is called, from inside the handler or later.
//
// Whatever the line sends, the engine's memory and its log stay bounded:
// the queue of bytes not yet taken up holds kMaxQueuedInput, a frame
// kMaxFrameBytes (far more than the longest request), the stray bytes
// before a start character kMaxStrayBytes; what goes beyond is dropped and
// logged once with its length.  Invalid characters of a frame are named one
// line each up to kMaxInvalidLines, the rest counted in one line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "link/fault_injector.h"
#include "link/frame_tap.h"
#include "link/framing.h"
#include "link/link_context.h"
#include "link/link_stats.h"
#include "link/processor.h"
#include "link/protocol.h"
#include "link/scheduler.h"
#include "link/transport.h"

namespace omb {

class LinkEngine {
 public:
  LinkEngine(LinkContext& ctx, Scheduler& scheduler, Transport& transport)
      : ctx_(ctx), scheduler_(scheduler), transport_(transport), processor_(ctx) {}
  LinkEngine(const LinkEngine&) = delete;
  LinkEngine& operator=(const LinkEngine&) = delete;
  ~LinkEngine() { abort(); }

  // Bytes received from the line, now.
  void feed(std::string_view bytes);
  // A line error: answered at once with a NAK carrying its code; what was
  // waiting is thrown away.  DeviceLost is not the engine's to handle.
  void lineError(LineEvent event);
  // The line was closed: forget the burst in progress, its queue and its
  // timers.
  void abort();
  // True while a burst is being handled.
  bool busy() const { return state_ != State::Idle; }
  // True while a question waits for its answer.
  bool asking() const { return asking_; }
  // The answer to the question raised last: Yes (close the port) or No
  // (throw away what waits in the input and go on).
  void answer(bool closePort);

  // The computer link's command sets, the protocol answering unless
  // another is set.
  RequestProcessor& processor() { return processor_; }
  // Another protocol answers the line from now on (set while idle).
  void setProtocol(Protocol& protocol) { own_ = &protocol; }

  static constexpr std::size_t kMaxQueuedInput = 64 * 1024;
  static constexpr std::size_t kMaxFrameBytes = 4096;
  static constexpr std::size_t kMaxStrayBytes = 1024;
  static constexpr int kMaxInvalidLines = 4;

  // Line-wide and optional: faults injected into the replies, and the
  // counts of the traffic.
  FaultInjector* faults = nullptr;
  LinkStats* stats = nullptr;
  // Every frame received and every reply sent, as it passes.
  FrameTap* tap = nullptr;
  // Several stations on one line: the protocol of the station a frame is
  // addressed to, or nullptr for the engine's own, which answers it or
  // ignores it as its checks decide.
  std::function<Protocol*(std::string_view frame)> route;

  // A question for the person at the screen; answer through answer().
  // Without a handler every question is answered No.
  std::function<void(const Question&)> onQuestion;
  // "Yes" to a question: close the port the way its close button does
  // (which aborts the engine).
  std::function<void()> closeRequested;
  // Called whenever a burst has been handled and the engine is idle again.
  std::function<void()> onIdle;
  // Called once a request has been executed and its reply has left (or was
  // dropped, or it had none), before anything else of the burst: the
  // moment to act on what the request wrote without delaying its reply.
  std::function<void()> onReplied;
  // Called when every byte received has been taken up and the engine waits
  // for the line to fall silent: the moment for work that must not delay a
  // reply (drawing the log, for one).
  std::function<void()> onQuiet;

 private:
  enum class State { Idle, Hunting, Gathering, Answering };
  enum class Then { Finish, NextFrame };

  void pump();
  void beginBurst();
  void huntByte(char c);
  void gatherByte(char c);
  void armSilence();
  void onSilence();
  void beginFrame(char start);
  void completeFrame();
  void process(Then then);
  void act();
  // Sends one reply, or its first part, and logs it; false when sending
  // failed.
  bool transmit(std::string_view bytes, bool positive, const std::string& nakCode, bool counted);
  // What follows a reply: its question, or the next frame.
  void afterReply(std::optional<Question> q);
  void markFault();
  void ask(const Question& q);
  void carryOn();
  void finish();
  // Runs a step under the receive handler's trap; a failure loses the
  // frame and ends the burst.
  template <class Step>
  void guardedStep(Step&& step);

  void logReceived(bool midFrame);
  void logSent(std::string_view reply);
  void reportInvalid(char c);
  void logNote(const std::string& line);
  // The lines of what a frame or a hunt had to drop, once each.
  void reportDropped();
  std::optional<Question> reportUnexpectedStart();
  std::int64_t nowUs() const { return ctx_.clock.steadyUs(); }
  std::int64_t waitUs() const { return std::int64_t{ctx_.settings.waitMs} * 1000; }

  LinkContext& ctx_;
  Scheduler& scheduler_;
  Transport& transport_;
  RequestProcessor processor_;
  Protocol* own_ = &processor_;
  Protocol* active_ = &processor_;  // the station answering the frame

  State state_ = State::Idle;
  std::string in_;          // received and not yet taken up
  std::size_t inPos_ = 0;
  bool inPump_ = false;
  std::int64_t lastByteAt_ = 0;  // microseconds of the steady clock
  Scheduler::TimerId timer_ = 0;
  std::uint64_t epoch_ = 0;  // changes when the engine is aborted
  DateTime entry_;           // when the burst began

  std::string stray_;        // bytes before a start character
  std::optional<char> lastRead_;
  std::string frame_;        // the frame being gathered, raw
  bool invalid_ = false;
  int invalidSeen_ = 0;                // invalid characters of the frame, named or counted
  std::size_t frameDropped_ = 0;       // bytes beyond kMaxFrameBytes
  std::size_t strayDropped_ = 0;       // stray bytes beyond kMaxStrayBytes
  std::size_t inputDropped_ = 0;       // bytes that found the queue full
  char nextStart_ = 0;       // the start character that ended the frame
  Then then_ = Then::Finish;
  bool asking_ = false;

  int fault_ = -1;               // the rule applied to the frame being answered
  std::int64_t frameEndUs_ = 0;  // its last byte, for the latency
  std::string tail_;             // a split reply's second part
  std::optional<Question> after_;  // and what follows it
};

}  // namespace omb
