// The boundary between the link engine and a command set.  The engine
// keeps the line's timing (frame boundaries by silence and start
// characters, the message wait), queueing, faults, statistics and the
// transport; everything that knows what a frame means sits behind this
// interface: checking it, executing it, building its reply and the reply to
// a line error.  Another command set or protocol plugs in by implementing
// it, without touching the engine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "link/fault_injector.h"

namespace omb {

// A question for the person at the screen: Yes closes the port, No throws
// away what is waiting in the input.
struct Question {
  std::string text, title;
};

// What the protocol decided about one frame.
struct Verdict {
  bool reply = false;                // act() builds a reply after waitMs
  int waitMs = 0;
  std::optional<Question> question;  // ask now (a request for another station)
};

// A reply ready to send.
struct Reply {
  std::string_view bytes;            // empty: nothing to send; valid until the next call
  bool positive = false;             // a positive or data reply: shown in lblSnd
  std::optional<Question> question;  // ask once it is sent (an error reply)
  bool summed = false;               // ends in a sum check (before the line end)
  std::string nakCode;               // a negative reply: its error code
};

class Protocol {
 public:
  virtual ~Protocol() = default;

  // Whether `c` begins a frame under the settings in use (the engine ends
  // the frame being gathered there).
  virtual bool frameStart(char c) const = 0;
  // Whether `c`, received inside a frame, completes the frame so far and
  // begins the next one.
  virtual bool endsFrame(char c) const = 0;
  // The start characters of the settings in use, as the report of an
  // unexpected start names them ("STX", "ENQ / ACK / NAK").
  virtual std::string startNames() const = 0;
  // One frame, gathered whole: checked, and what follows decided.
  virtual Verdict handle(std::string_view frame, bool invalid) = 0;
  // Executes what the last verdict promised and builds its reply.
  virtual Reply act() = 0;
  // Instead of act(): nothing is executed and a negative reply with `code`
  // is built for the frame (an injected fault).
  virtual Reply nakReply(std::string_view code) = 0;
  // The reply to a line error (framing, overrun, parity) with its code,
  // addressed as the last frame was.
  virtual std::string lineErrorReply(std::string_view code) const = 0;
  // What the fault rules match on.
  virtual FaultSubject faultSubject() const = 0;
  // The trap label of the last frame: sending its reply fails under it.
  virtual const char* label() const = 0;
  // When the last frame was taken up (the time stamp of its log entries).
  virtual const DateTime& stamp() const = 0;
};

}  // namespace omb
