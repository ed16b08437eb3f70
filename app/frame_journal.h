// The traffic as JSON lines, one object a frame: for tools that read the
// log (--log-format jsonl) and for captures to replay (--capture FILE).
//
//   {"time":"2026-12-11T10:52:53.123","mono_ms":1234.567,
//    "direction":"pc>plc","format":1,"sum":true,"station":"00","pc":"FF",
//    "command":"WR","device":"D0100","points":4,
//    "bytes":"0530304646575230443031303034","reply":null,"nak":null,
//    "latency_ms":null,"reading":"WR D0100 ×4"}
//
// time is the wall clock with milliseconds (local time), mono_ms the
// monotonic clock; direction "pc>plc" for what the PC program sent and
// "plc>pc" for our replies; reply is null for a frame of the PC program and
// "data", "ack", "nak" or "unknown" for ours; nak the error code of a
// negative reply; latency_ms from the last byte of the request to the
// reply.  Fields a frame does not have are null.  The line is on one line,
// without blanks between tokens.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/frame_reading.h"
#include "link/frame_tap.h"
#include "link/link_config.h"

namespace omb {

class FrameJournal final : public FrameTap {
 public:
  using Output = std::function<void(std::string_view line)>;  // the line with its "\n"
  // `config` is read afresh for every frame; `wallMs` gives milliseconds
  // since the epoch.
  FrameJournal(const LinkConfig& config, std::function<std::int64_t()> wallMs);

  // Every line goes to each output.
  void addOutput(Output out) { outputs_.push_back(std::move(out)); }
  void frame(const TappedFrame& f) override;

  // The line of one frame (as written, with its "\n").
  std::string line(const TappedFrame& f);

 private:
  const LinkConfig& config_;
  std::function<std::int64_t()> wallMs_;
  FrameReader reader_;
  std::vector<Output> outputs_;
};

// Milliseconds since the epoch, now.
std::int64_t wallClockMs();
// "2026-12-11T10:52:53.123": local time of `ms` since the epoch.
std::string isoLocalTime(std::int64_t ms);

// One line of a journal taken apart: the fields replay needs.
struct JournalEntry {
  bool fromPc = true;
  std::string bytes;  // decoded from hex
  double monoMs = 0;
  int format = 1;
  bool sum = true;
};
// Empty with `error` set when the line is not a journal object.
std::optional<JournalEntry> parseJournalLine(std::string_view line, std::string& error);

}  // namespace omb
