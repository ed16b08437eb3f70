// What the protocol engine needs of the line it serves: bytes in as they
// arrive, whole replies out, and the line's own events.  The serial port
// (termios device or virtual pty), the in-memory line of the tests and any
// further kind of line implement it; the engine knows nothing else of them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace omb {

// Events of the line other than received bytes.
enum class LineEvent {
  FramingError,
  Overrun,
  RxOverflow,
  ParityError,
  TxFull,
  // The device went away while open (a USB adapter pulled out).  Raised
  // once; the line has stopped reading and must be closed.
  DeviceLost,
};

class Transport {
 public:
  virtual ~Transport() = default;

  // Opens the line; an absent or busy line raises a RuntimeError and stays
  // closed.  Closing a closed line does nothing.
  virtual void open() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Queues the whole reply for sending, in order.  Raises a RuntimeError
  // when the line is not open.
  virtual void send(std::string_view bytes) = 0;
  // Throws away what has been received and not yet delivered.
  virtual void discardInput() = 0;
  // Throws away replies still waiting to go out (a paced line's queue).
  virtual void discardOutput() {}
  // What a peer opens to reach us (a device path, a virtual port's path).
  virtual std::string peerName() const { return {}; }

  // Delivered from the event loop, never from inside a call on the line.
  std::function<void(std::string_view bytes)> onReceived;
  std::function<void(LineEvent event)> onLineEvent;
};

}  // namespace omb
