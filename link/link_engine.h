// The receive side of the link: turns the characters the port delivers into
// request frames and hands each to the request processor.
//
// It is a state machine, not a loop that sleeps.  Each pause of the
// protocol is a timer of the scheduler:
//   - after a start character, and each time the input runs empty while a
//     frame is gathered, one silence of m_WaitMs; if nothing arrived in that
//     time the frame is complete;
//   - while hunting for a start character, the same silence ends the hunt;
//   - the message wait of a request delays its reply.
// Reception stays disarmed (receive threshold 0) from the first character
// of a burst until the burst is finished, so a frame is answered before the
// next one is gathered, exactly as when the handler blocked.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "link/framing.h"
#include "link/link_context.h"
#include "link/processor.h"
#include "link/scheduler.h"

namespace omb {

class LinkEngine {
 public:
  LinkEngine(LinkContext& ctx, Scheduler& scheduler) : ctx_(ctx), scheduler_(scheduler), processor_(ctx) {}
  LinkEngine(const LinkEngine&) = delete;
  LinkEngine& operator=(const LinkEngine&) = delete;
  ~LinkEngine() { abort(); }

  // The port's receive event: starts a burst when characters are waiting.
  void onReceiveEvent();
  // The port was closed: forget the burst in progress and its timers.
  void abort();
  // True while a burst is being handled (reception disarmed).
  bool busy() const { return busy_; }

  RequestProcessor& processor() { return processor_; }

  // Called whenever a burst has been handled and reception is armed again.
  std::function<void()> onIdle;

 private:
  using Step = void (LinkEngine::*)();
  void run(Step step);
  void waitThen(int ms, Step next);
  void finish();

  void hunt();
  void huntResume();
  void beginFrame(char start);
  void restartWait();
  void gather();
  void gatherResume();
  bool continueOrWait();
  void afterMidFrame();
  void completeFrame();
  void process(const FrameTexts& frame, Step next);
  void actResume();

  void logReceived(const FrameTexts& frame, bool midFrame);
  void reportInvalid(char c);
  void reportUnexpectedStart();
  std::optional<char> readOne();
  bool isStart(char c) const;

  LinkContext& ctx_;
  Scheduler& scheduler_;
  RequestProcessor processor_;

  bool busy_ = false;
  std::uint64_t epoch_ = 0;  // changes when a burst is abandoned
  Scheduler::TimerId timer_ = 0;
  std::string entryStamp_;
  FrameTexts stray_;
  FrameTexts frame_;
  std::optional<char> lastRead_;
  char pendingStart_ = 0;
  std::function<void()> pendingAct_;
  Step pendingNext_ = nullptr;
};

}  // namespace omb
