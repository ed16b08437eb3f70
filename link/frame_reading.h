// Frames put into words, for people and for tools: what a request asks
// ("WR D0100 ×4"), what a reply gives ("WR D0100 ×4 → 0001 0002"), what a
// negative reply means ("NAK 06 (範囲外)").  The same table of commands the
// processors answer by is used to take a frame apart, so the reading never
// disagrees with what the line is served by.
//
// The PC side builds its requests here too (from words such as "WR D100 4")
// and tells where a reply ends.
//
// Nothing here runs unless a reading is asked for: the engine hands frames
// to a FrameTap, and only a consumer that shows or writes readings parses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_config.h"
#include "link/request.h"

namespace omb {

// What one frame says, taken apart.
struct FrameFacts {
  enum class Kind { Request, Data, Ack, Nak, Answer, Unknown };
  Kind kind = Kind::Unknown;
  std::string station, pcNo;
  std::string command;       // requests, and data replies (the request's)
  std::string device;        // start device as written ("D0100"); empty for lists and monitors
  int points = 0;            // requests: the points field (entries of a list)
  bool wordUnit = false;     // the values are words of four digits
  std::vector<std::string> values;  // write data of a request, data of a reply
  std::string nakCode;       // Nak
};

// A request from the PC program (an answer of the PC program is Answer).
FrameFacts readRequest(std::string_view frame, const LinkConfig& config);
// A reply of the controller to `request` (nullptr: not known; the data are
// then one value).
FrameFacts readReply(std::string_view frame, const LinkConfig& config, const FrameFacts* request);

// The short reading of a frame's facts.
std::string readingText(const FrameFacts& facts);
// The meaning of an error code ("範囲外" for 06); empty when unknown.
std::string nakMeaning(std::string_view code);

// The traffic of one line in order: a reply is read against the request
// before it.
class FrameReader {
 public:
  // fromPc: a request (or an answer) of the PC program; else our reply.
  const FrameFacts& read(bool fromPc, std::string_view bytes, const LinkConfig& config);
  std::string reading(bool fromPc, std::string_view bytes, const LinkConfig& config) {
    return readingText(read(fromPc, bytes, config));
  }

 private:
  FrameFacts request_, reply_;
  bool haveRequest_ = false;
};

// --- The PC side ---------------------------------------------------------

struct RequestOptions {
  LinkConfig config;      // format, station, PC number, sum check (cpu is not consulted)
  int messageWait = 0;    // 0..15, tens of milliseconds
  std::string blockNo = "00";  // format 2
};
// A request from words: a command and its arguments, e.g. "WR D100 4",
// "BW M0 1 0 1", "WW D0 1234 0x1F", "BT X40 1 Y41 0", "WM D2 X10", "MN".
// Empty with `error` (Japanese, for the user) on a mistake.
std::optional<std::string> buildRequest(const std::vector<std::string>& words, const RequestOptions& options,
                                        std::string& error);
// The length of the first whole reply at the start of `bytes` (what comes
// before a start character is skipped and counted in), or empty while it
// is not complete.
std::optional<std::size_t> replyLength(std::string_view bytes, const LinkConfig& config);

}  // namespace omb
