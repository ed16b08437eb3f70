// Every frame of the line as it passes, for whoever wants more than the
// traffic log: a JSON journal, a capture to replay.  The engine hands over
// the bytes and the times it knows anyway; reading them is the consumer's
// business (link/frame_reading.h), so a line without a tap pays nothing
// and a tap that only counts pays for no parsing.
#pragma once

#include <cstdint>
#include <string_view>

namespace omb {

struct TappedFrame {
  bool fromPc = true;           // received from the PC program; else sent by us
  std::string_view bytes;       // valid during the call only
  std::int64_t steadyUs = 0;    // a received frame's last byte; when a reply was sent
  std::int64_t latencyUs = -1;  // a reply: from the last byte of its request; -1 for none
};

class FrameTap {
 public:
  virtual ~FrameTap() = default;
  virtual void frame(const TappedFrame& f) = 0;
};

}  // namespace omb
