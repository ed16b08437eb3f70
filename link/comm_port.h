// The port object: everything the protocol engine and the serial layer
// require of the one serial port.  The termios port, the in-memory port of
// the tests and any other transport implement it.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace omb {

// Kinds of port events.  Receive and the line errors are acted on; the
// others are delivered and ignored.
enum class CommEvent : int {
  Send = 1,
  Receive = 2,
  Cts = 3,
  Dsr = 4,
  Cd = 5,
  Ring = 6,
  Eof = 7,
  Break = 1001,
  FramingError = 1004,
  Overrun = 1006,
  RxOverflow = 1008,
  ParityError = 1009,
  TxFull = 1010,
  // The device went away while open (a USB adapter pulled out).  Raised
  // once; the port has stopped reading and must be closed.
  DeviceLost = 9001,
};

class CommPort {
 public:
  virtual ~CommPort() = default;

  // Port number 1..16 to open; never fails while the port is closed.
  virtual void setCommPort(int number) = 0;
  virtual int commPort() const = 0;
  // Line settings text such as "9600,n,8,1"; a malformed text raises a
  // RuntimeError.
  virtual void setSettings(const std::string& settings) = 0;
  virtual std::string settings() const = 0;
  // 1: a receive event is raised while characters wait; 0: none.  Setting 1
  // while characters are waiting raises one event.
  virtual void setRThreshold(int threshold) = 0;
  virtual int rThreshold() const = 0;
  // At most this many characters per read (the engine always uses 1).
  virtual void setInputLen(int length) = 0;
  virtual void setInBufferSize(int bytes) = 0;
  virtual void setOutBufferSize(int bytes) = 0;
  // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
  virtual void setHandshaking(int mode) = 0;
  // Drop received NUL characters before any reader sees them.
  virtual void setNullDiscard(bool discard) = 0;
  // Opens or closes.  Opening an absent or busy port raises a RuntimeError
  // and leaves the port closed; closing an open port succeeds.
  virtual void setPortOpen(bool open) = 0;
  virtual bool portOpen() const = 0;
  // Received characters not yet read.
  virtual int inBufferCount() const = 0;
  // Up to InputLen characters; empty when none is waiting.
  virtual std::string input() = 0;
  // Queues the whole text for sending, in order.
  virtual void output(std::string_view bytes) = 0;

  // Called once per event, from the event loop, never from inside another
  // call on the port.
  std::function<void(CommEvent)> onComm;
};

}  // namespace omb

namespace omb {

// A line settings text taken apart: "19200,e,7,2".
struct LineSettings {
  int baud = 9600;
  char parity = 'n';  // n, e, o (also m, s: mark, space)
  int dataBits = 8;
  int stopBits = 1;
};
// Empty when the text is not baud,parity,data,stop with known values.
std::optional<LineSettings> parseLineSettings(std::string_view text);

// What a read takes from a port's receive buffer: at most `inputLen`
// characters (all of them when it is 0 or less).
std::string takeInput(std::deque<char>& buffer, int inputLen);

}  // namespace omb
