// The request processors: the checking processor subCmnd and the unchecked
// processor subCmnd_NoCheck.  Both check (or not), decide the reply, and
// hand back what remains to be done after the message wait the request
// asks for; the receive state machine runs it when the wait is over.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/framing.h"
#include "link/link_context.h"
#include "link/request.h"

namespace omb {

// Work left for after the message wait.
struct Deferred {
  int waitMs = 0;
  std::function<void()> act;
};

// A request that passed its checks, ready to execute.
struct Request {
  SplitRequest split;
  const CommandInfo* cmd = nullptr;
  DeviceRef device;   // batch commands: the start device
  int points = 0;
  std::string data;   // batch write: the write data
};

// Why a request is refused: the detail lines of its report, its error line
// and the error code of the reply.
struct Rejection {
  std::string code;
  std::vector<std::string> details;
  std::string errorLine;
  std::string pcLine;  // set for a PC-number error, whose report is ordered differently
};

class RequestProcessor {
 public:
  explicit RequestProcessor(LinkContext& ctx) : ctx_(ctx) {}

  // One frame through every check; empty when nothing is left to do.
  std::optional<Deferred> subCmnd(const FrameTexts& frame);

  // Reads and drops everything waiting in the input buffer.
  void discardInput();

 private:
  struct Outcome;
  Outcome check(const FrameTexts& frame, const SplitRequest& split);
  void execute(const std::string& stamp, const Request& req);
  void sendError(const std::string& stamp, const FrameTexts& frame, const Rejection& why);
  void sendData(const std::string& stamp, const std::string& data);
  void sendAck(const std::string& stamp);
  void sendReply(const std::string& stamp, const std::string& reply);
  void logSent(const std::string& stamp, const std::string& reply);
  void stationMismatch(const FrameTexts& frame, const SplitRequest& split);
  void ask(const std::string& text, const std::string& title);

  // Device access by code kind and number, with the special ranges; a
  // number outside storage raises the subscript error.
  bool readBit(int kind, std::int32_t number);
  void writeBit(int kind, std::int32_t number, bool on);
  std::int16_t& word(int kind, std::int32_t number);

  LinkContext& ctx_;
};

// "<raw>", replaced, hex, the detail lines and the error line, CR LF between.
std::string reportText(const FrameTexts& frame, const Rejection& why);

}  // namespace omb
